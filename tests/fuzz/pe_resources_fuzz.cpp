// Fuzz target for the reader and the writer of a program file's resources, used as
// the one-file build uses them on run.exe: read the resources, put a script in
// (replacing one carried already), read the program written back and compare what
// must be kept: the other resources, the script, the headers but for the fields
// that describe the new layout, the sections before the resources and the base
// relocations. Writing the written program again gives the same bytes.
//
// Input: one control byte that sets the script's length, then the file bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "designer/pe_resources.h"
#include "script/carried_script.h"

namespace {

namespace pe = designer::pe;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

std::uint32_t get(std::string_view b, std::size_t at, int bytes = 4) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
  return v;
}

void blank(std::string& b, std::size_t at) { b.replace(at, 4, 4, '\0'); }

// The headers of a file the reader accepted, found here on their own.
struct Headers {
  std::size_t optional = 0, directories = 0, directory_count = 0, table = 0, sections = 0;
  std::size_t resources = 0;  // the section the resource directory starts

  explicit Headers(std::string_view b) {
    const std::size_t pe_at = get(b, 0x3C);
    optional = pe_at + 24;
    const std::size_t optional_size = get(b, pe_at + 20, 2);
    directories = optional + (get(b, optional, 2) == 0x20B ? 112 : 96);
    directory_count = std::min<std::size_t>(get(b, directories - 4),
                                            (optional + optional_size - directories) / 8);
    table = optional + optional_size;
    sections = get(b, pe_at + 6, 2);
    while (resources < sections && field(b, resources, 12) != directory(b, 2)) ++resources;
    check(resources < sections, "the resource directory starts a section");
  }
  std::uint32_t directory(std::string_view b, std::size_t d) const {
    return d < directory_count ? get(b, directories + 8 * d) : 0;
  }
  std::uint32_t field(std::string_view b, std::size_t section, std::size_t at) const {
    return get(b, table + 40 * section + at);
  }
  // The bytes at an address, from the section that holds them in the file.
  std::string_view at_address(std::string_view b, std::uint32_t address, std::uint32_t size) const {
    for (std::size_t s = 0; s < sections; ++s) {
      const std::uint32_t start = field(b, s, 12), raw_size = field(b, s, 16);
      if (address >= start && address - start < raw_size && size <= raw_size - (address - start))
        return b.substr(field(b, s, 20) + (address - start), size);
    }
    check(false, "the relocations lie in a section");
    return {};
  }
  // The file up to the resources' data, without the fields that describe the layout
  // from the resources on.
  std::string kept_part(std::string_view b) const {
    std::string part(b.substr(0, field(b, resources, 20)));
    for (const std::size_t at : {optional + 8, optional + 56, optional + 64}) blank(part, at);
    if (directory_count > 2) blank(part, directories + 8 * 2 + 4);
    if (directory_count > 5) blank(part, directories + 8 * 5);
    for (std::size_t s = resources; s < sections; ++s)
      for (const std::size_t at : {8, 12, 16, 20}) blank(part, table + 40 * s + at);
    return part;
  }
};

auto key(const pe::Resource& r) {
  return std::tie(r.type.name, r.type.number, r.name.name, r.name.number, r.language);
}

std::vector<pe::Resource> sorted(std::vector<pe::Resource> resources) {
  std::sort(resources.begin(), resources.end(), [](const pe::Resource& a, const pe::Resource& b) {
    return std::tuple_cat(key(a), std::tie(a.code_page, a.data)) <
           std::tuple_cat(key(b), std::tie(b.code_page, b.data));
  });
  return resources;
}

// A program written with `given` resources: they read back, and what was before
// the resources and the relocations are kept.
void check_written(std::string_view image, const std::vector<pe::Resource>& given,
                   const std::string& program) {
  std::vector<pe::Resource> read_back;
  std::string problem;
  check(pe::ReadResources(program, read_back, problem), "the program written reads back");
  check(sorted(read_back) == sorted(given), "the resources written are the resources read back");

  const Headers before(image), after(program);
  check(before.resources == after.resources && before.sections == after.sections,
        "the same sections");
  const std::string kept_before = before.kept_part(image), kept_after = after.kept_part(program);
  if (kept_before != kept_after) {
    std::size_t at = 0;
    while (at < kept_before.size() && at < kept_after.size() && kept_before[at] == kept_after[at])
      ++at;
    std::fprintf(stderr, "first change at byte %zu of %zu / %zu\n", at, kept_before.size(),
                 kept_after.size());
  }
  check(kept_before == kept_after, "the headers and the sections before the resources are kept");
  check(get(program, after.optional + 64) == pe::Checksum(program), "the checksum");
  if (const std::uint32_t relocations = before.directory(image, 5)) {
    const std::uint32_t length = get(image, before.directories + 8 * 5 + 4);
    check(before.at_address(image, relocations, length) ==
              after.at_address(program, after.directory(program, 5), length),
          "the base relocations are kept");
  }
  check(pe::WithResources(program, read_back, problem) == program,
        "the program written again is the same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view image(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string script(std::size_t{data[0]} * 61, '\0');
  for (std::size_t i = 0; i < script.size(); ++i) script[i] = static_cast<char>('a' + i % 26);

  const pe::ResourceId type{script::kCarriedScriptType, {}};
  const pe::ResourceId number{script::kCarriedScriptNumber, {}};
  std::vector<pe::Resource> resources;
  std::string problem;
  if (!pe::ReadResources(image, resources, problem)) {
    check(!problem.empty() && resources.empty(), "a refusal says why and reads nothing");
    // The writer reads the headers and sections, not the old directory: where it
    // accepts the file, the new directory is whole.
    resources = {{type, number, 0, 0, script}};
    const std::string program = pe::WithResources(image, resources, problem);
    if (!program.empty()) check_written(image, resources, program);
    return 0;
  }

  std::erase_if(resources,
                [&](const pe::Resource& r) { return r.type == type && r.name == number; });
  resources.push_back({type, number, 0, 0, script});
  const std::string program = pe::WithResources(image, resources, problem);
  if (program.empty()) {
    const std::vector<pe::Resource> all = sorted(resources);
    const bool twice = std::adjacent_find(all.begin(), all.end(), [](const auto& a, const auto& b) {
                         return key(a) == key(b);
                       }) != all.end();
    check(twice == (problem == "один и тот же ресурс дважды"), "a duplicate is refused as one");
    check(twice || problem == "слишком много ресурсов" ||
              problem == "программа с ресурсами вышла бы больше 4 ГБ",
          "a file read whole is refused only for what the writer adds");
    return 0;
  }
  check_written(image, resources, program);
  return 0;
}
