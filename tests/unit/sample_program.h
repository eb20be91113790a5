#pragma once
// A small 64-bit Windows program file laid out as the linker lays out run.exe:
// headers, code, the resources (an icon and a manifest), the base relocations last.

#include <cstdint>
#include <string>

struct SampleProgram {
  static constexpr std::uint32_t kOptional = 0x58, kSections = 0x148;
  static constexpr std::uint32_t kResourcesAt = 0x2000, kRelocationsAt = 0x3000;
  static constexpr std::uint16_t kEnglish = 0x409;
  inline static const std::string kCode = std::string(0x200, '\xCC');
  inline static const std::string kIcon = std::string("icon\0bits", 9);
  inline static const std::string kManifest = "<assembly/>";
  inline static const std::string kRelocations =
      std::string("\x00\x10\x00\x00\x0C\x00\x00\x00\x10\xA0\x00\x00", 12);

  static void set(std::string& b, std::size_t at, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
  }

  static std::string bytes() {
    std::string b(0x800, '\0');
    b.replace(0, 2, "MZ");
    set(b, 0x3C, 0x40);
    b.replace(0x40, 4, std::string("PE\0\0", 4));
    set(b, 0x44, 0x8664, 2);  // x86-64
    set(b, 0x46, 3, 2);       // sections
    set(b, 0x54, 0xF0, 2);    // optional header size
    set(b, 0x56, 0x22, 2);
    set(b, kOptional, 0x20B, 2);     // PE32+
    set(b, kOptional + 8, 0x400);    // initialized data
    set(b, kOptional + 16, 0x1000);  // entry point
    set(b, kOptional + 32, 0x1000);
    set(b, kOptional + 36, 0x200);
    set(b, kOptional + 56, 0x4000);  // image size
    set(b, kOptional + 60, 0x200);   // headers size
    set(b, kOptional + 68, 2, 2);    // a GUI program
    set(b, kOptional + 108, 16);     // data directories
    set(b, kOptional + 112 + 8 * 2, kResourcesAt);
    set(b, kOptional + 112 + 8 * 2 + 4, 0xD8);
    set(b, kOptional + 112 + 8 * 5, kRelocationsAt);
    set(b, kOptional + 112 + 8 * 5 + 4, 12);
    const auto section = [&](int i, const char* name, std::uint32_t size, std::uint32_t address,
                             std::uint32_t raw, std::uint32_t flags) {
      const std::size_t at = kSections + 40 * i;
      b.replace(at, std::char_traits<char>::length(name), name);
      set(b, at + 8, size);
      set(b, at + 12, address);
      set(b, at + 16, 0x200);
      set(b, at + 20, raw);
      set(b, at + 36, flags);
    };
    section(0, ".text", 0x200, 0x1000, 0x200, 0x60000020);
    section(1, ".rsrc", 0xD8, kResourcesAt, 0x400, 0xC0000040);
    section(2, ".reloc", 12, kRelocationsAt, 0x600, 0x42000040);
    b.replace(0x200, kCode.size(), kCode);
    b.replace(0x600, kRelocations.size(), kRelocations);

    // Type 3 (icon) and type 24 (manifest), each with number 1 in English: the
    // root, two tables of names, two of languages, two data entries, the data.
    const std::size_t r = 0x400;
    set(b, r + 14, 2, 2);
    const std::uint32_t types[] = {3, 24};
    const std::string* data[] = {&kIcon, &kManifest};
    std::uint32_t at = 0xB0;
    for (std::uint32_t t = 0; t < 2; ++t) {
      const std::uint32_t names = 32 + 24 * t, languages = 80 + 24 * t, entry = 128 + 16 * t;
      set(b, r + 16 + 8 * t, types[t]);
      set(b, r + 20 + 8 * t, names | 0x80000000u);
      set(b, r + names + 14, 1, 2);
      set(b, r + names + 16, 1);
      set(b, r + names + 20, languages | 0x80000000u);
      set(b, r + languages + 14, 1, 2);
      set(b, r + languages + 16, kEnglish);
      set(b, r + languages + 20, entry);
      set(b, r + entry, kResourcesAt + at);
      set(b, r + entry + 4, static_cast<std::uint32_t>(data[t]->size()));
      b.replace(r + at, data[t]->size(), *data[t]);
      at += 0x10;
    }
    return b;
  }
};
