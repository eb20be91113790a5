// Turns the pixel-art text files of resources/art into what the programs use:
//
//   pixelart cpp OUT.h OUT.cpp NAME=FILE...   C++ pixel arrays (0xAARRGGBB, row by row)
//   pixelart ico OUT.ico FILE...              a 32-bit icon with one image per file
//   pixelart cur OUT.cur X Y FILE             a monochrome cursor with hot spot X, Y
//
// An art file has a palette (a character, then a hex colour RRGGBB or "none" for
// transparent) and the rows of the picture, one character per pixel:
//
//   palette
//   . none
//   k 000000
//   art
//   .kk.
//
// Lines starting with '#' are comments.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Art {
  std::string file;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // row by row, top row first
};

[[noreturn]] void fail(const std::string& what) {
  std::cerr << "pixelart: " << what << "\n";
  std::exit(1);
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

Art load(const std::string& file) {
  std::ifstream in(file);
  if (!in) fail("cannot read " + file);
  Art art;
  art.file = file;
  std::map<char, std::uint32_t> palette;
  enum { None, Palette, Rows } section = None;
  std::string raw;
  int lineno = 0;
  while (std::getline(in, raw)) {
    ++lineno;
    const std::string line = trim(raw);
    const std::string where = file + ":" + std::to_string(lineno) + ": ";
    if (line.empty() || line[0] == '#') continue;
    if (line == "palette") {
      section = Palette;
      continue;
    }
    if (line == "art") {
      section = Rows;
      continue;
    }
    if (section == Palette) {
      std::istringstream words(line);
      std::string key, colour;
      words >> key >> colour;
      if (key.size() != 1 || colour.empty()) fail(where + "palette entry is 'C RRGGBB'");
      if (colour == "none") {
        palette[key[0]] = 0;
      } else {
        if (colour.size() != 6) fail(where + "colour must be RRGGBB");
        palette[key[0]] = 0xFF000000u | std::stoul(colour, nullptr, 16);
      }
    } else if (section == Rows) {
      if (art.width == 0) art.width = static_cast<int>(line.size());
      if (static_cast<int>(line.size()) != art.width) fail(where + "rows differ in width");
      for (char c : line) {
        const auto it = palette.find(c);
        if (it == palette.end()) fail(where + "'" + std::string(1, c) + "' is not in the palette");
        art.argb.push_back(it->second);
      }
      ++art.height;
    } else {
      fail(where + "expected 'palette' or 'art'");
    }
  }
  if (art.height == 0) fail(file + ": no rows");
  return art;
}

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// The 1-bit mask rows of a DIB: bottom row first, each padded to 32 bits.
std::string mask_rows(const Art& a, bool (*bit)(std::uint32_t)) {
  std::string out;
  const int stride = (a.width + 31) / 32 * 4;
  for (int y = a.height - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < a.width; ++x)
      if (bit(a.argb[static_cast<std::size_t>(y * a.width + x)]))
        row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
    out += row;
  }
  return out;
}

bool transparent(std::uint32_t p) { return (p >> 24) == 0; }
bool white(std::uint32_t p) { return (p >> 24) != 0 && (p & 0xFFFFFF) == 0xFFFFFF; }

std::string dib_header(const Art& a, int bits, std::uint32_t image_size) {
  std::string h;
  put32(h, 40);
  put32(h, static_cast<std::uint32_t>(a.width));
  put32(h, static_cast<std::uint32_t>(a.height * 2));  // image and mask
  put16(h, 1);
  put16(h, static_cast<unsigned>(bits));
  put32(h, 0);
  put32(h, image_size);
  put32(h, 0);
  put32(h, 0);
  put32(h, bits == 1 ? 2 : 0);
  put32(h, 0);
  return h;
}

std::string icon_image(const Art& a) {
  std::string pixels;
  for (int y = a.height - 1; y >= 0; --y)
    for (int x = 0; x < a.width; ++x) {
      const std::uint32_t p = a.argb[static_cast<std::size_t>(y * a.width + x)];
      put32(pixels, p);  // little-endian 0xAARRGGBB is B, G, R, A
    }
  const std::string mask = mask_rows(a, transparent);
  return dib_header(a, 32, static_cast<std::uint32_t>(pixels.size() + mask.size())) + pixels + mask;
}

std::string cursor_image(const Art& a) {
  // Monochrome: XOR bits are the white pixels, AND bits the transparent ones.
  const std::string xor_bits = mask_rows(a, white);
  const std::string and_bits = mask_rows(a, transparent);
  std::string palette;
  put32(palette, 0x00000000);
  put32(palette, 0x00FFFFFF);
  return dib_header(a, 1, static_cast<std::uint32_t>(xor_bits.size() + and_bits.size())) +
         palette + xor_bits + and_bits;
}

// ICONDIR with one entry per image; type 1 is an icon, 2 a cursor (whose entry
// carries the hot spot where an icon has planes and bit count).
std::string icon_file(int type, const std::vector<Art>& arts, int hx, int hy) {
  std::vector<std::string> images;
  for (const auto& a : arts) images.push_back(type == 1 ? icon_image(a) : cursor_image(a));
  std::string out;
  put16(out, 0);
  put16(out, static_cast<unsigned>(type));
  put16(out, static_cast<unsigned>(arts.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(arts.size());
  for (std::size_t i = 0; i < arts.size(); ++i) {
    out += static_cast<char>(arts[i].width >= 256 ? 0 : arts[i].width);
    out += static_cast<char>(arts[i].height >= 256 ? 0 : arts[i].height);
    out += static_cast<char>(type == 1 ? 0 : 2);
    out += '\0';
    put16(out, static_cast<unsigned>(type == 1 ? 1 : hx));
    put16(out, static_cast<unsigned>(type == 1 ? 32 : hy));
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& img : images) out += img;
  return out;
}

void write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out) fail("cannot write " + path);
}

void write_cpp(const std::string& header, const std::string& source, int argc, char** argv) {
  std::ostringstream h, c;
  h << "// Generated by tools/pixelart from resources/art; do not edit.\n#pragma once\n\n"
       "#include \"resources/art.h\"\n\nnamespace resources {\n\n";
  c << "// Generated by tools/pixelart from resources/art; do not edit.\n";
  const std::string base = header.substr(header.find_last_of("/\\") + 1);
  c << "#include \"resources/" << base << "\"\n\nnamespace resources {\nnamespace {\n\n";
  std::ostringstream defs;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto eq = arg.find('=');
    if (eq == std::string::npos) fail("expected NAME=FILE, got " + arg);
    const std::string name = arg.substr(0, eq);
    const Art a = load(arg.substr(eq + 1));
    h << "extern const Art " << name << ";  // " << a.width << " x " << a.height << "\n";
    c << "constexpr std::uint32_t " << name << "_pixels[] = {";
    for (std::size_t p = 0; p < a.argb.size(); ++p) {
      if (p % 8 == 0) c << "\n   ";
      char hex[16];
      std::snprintf(hex, sizeof hex, " 0x%08X,", a.argb[p]);
      c << hex;
    }
    c << "\n};\n\n";
    defs << "const Art " << name << "{" << a.width << ", " << a.height << ", " << name
         << "_pixels};\n";
  }
  h << "\n}  // namespace resources\n";
  c << "}  // namespace\n\n" << defs.str() << "\n}  // namespace resources\n";
  write(header, h.str());
  write(source, c.str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage =
      "usage: pixelart cpp OUT.h OUT.cpp NAME=FILE... | ico OUT.ico FILE... | cur OUT.cur X Y FILE";
  if (argc < 3) fail(usage);
  const std::string verb = argv[1];
  if (verb == "cpp" && argc >= 5) {
    write_cpp(argv[2], argv[3], argc - 4, argv + 4);
  } else if (verb == "ico" && argc >= 4) {
    std::vector<Art> arts;
    for (int i = 3; i < argc; ++i) arts.push_back(load(argv[i]));
    write(argv[2], icon_file(1, arts, 0, 0));
  } else if (verb == "cur" && argc == 6) {
    write(argv[2], icon_file(2, {load(argv[5])}, std::atoi(argv[3]), std::atoi(argv[4])));
  } else {
    fail(usage);
  }
  return 0;
}
