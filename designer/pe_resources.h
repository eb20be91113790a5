#pragma once
// The resources of a Windows program file (PE32 or PE32+), read and rewritten in
// plain C++, without the system: the one-file build puts a project's script into a
// copy of the player this way, and the same inputs always give the same bytes.
//
// Rewriting rebuilds the resource section in its place and moves up only what may
// move: the base relocations, which nothing addresses but their data directory
// entry. Everything before the resource section keeps its bytes and addresses. A
// file laid out otherwise (headers that are not wholly before the sections' data,
// other sections after the resources, a symbol table, a signature or other data
// after the last section, a relocation table or relocations in the moved part, a
// directory larger than a real program's) is refused with a reason rather than
// written wrong: no input makes the reader or the writer step outside its buffer.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace designer::pe {

// A resource type or name: a number, or a name when `name` is not empty.
struct ResourceId {
  std::uint16_t number = 0;
  std::u16string name;
  friend bool operator==(const ResourceId&, const ResourceId&) = default;
};

struct Resource {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::uint32_t code_page = 0;
  std::string data;
  friend bool operator==(const Resource&, const Resource&) = default;
};

// The resources of a program file, in the order of its resource directory. False,
// with the reason in Russian in `problem` and no resources, when `image` is no
// program file laid out as described above or its resource directory does not hold
// together.
bool ReadResources(std::string_view image, std::vector<Resource>& resources, std::string& problem);

// The program file with its resource section holding exactly `resources` (sorted
// as the loader searches them: names before numbers, then by language), later
// sections moved up, the data directories, the image size and the checksum set
// anew. Empty, with the reason in `problem`, when the file is refused or two
// resources have the same type, name and language.
std::string WithResources(std::string_view image, std::vector<Resource> resources,
                          std::string& problem);

// The resource types a program's icon and version are kept in.
inline constexpr std::uint16_t kIconType = 3, kIconGroupType = 14, kVersionType = 16;

// One image of an icon, as an .ico file's directory describes it and holds it.
struct IconImage {
  std::uint8_t width = 0, height = 0;  // 0 stands for 256
  std::uint8_t colors = 0;             // palette entries, 0 for 256 or more
  std::uint16_t planes = 0, bit_count = 0;
  std::string data;  // a bitmap (header, colours, image and mask) or a PNG file
  friend bool operator==(const IconImage&, const IconImage&) = default;
};

// The data of an icon group (RT_GROUP_ICON): the images' directory, each entry
// naming the image kept as icon number `first`, `first` + 1, and so on.
std::string IconGroup(const std::vector<IconImage>& images, std::uint16_t first);

// What a version resource (VS_VERSIONINFO) tells: the numbers of the file and the
// product (major, minor, build, revision) and, for one language in UTF-16, the
// texts by name in UTF-8, in the order given.
struct VersionInfo {
  std::array<std::uint16_t, 4> file_version{}, product_version{};
  std::uint16_t language = 0;
  std::vector<std::pair<std::string, std::string>> strings;
};
// The data of a version resource for a program (VFT_APP on Windows NT).
std::string VersionResource(const VersionInfo& info);

// The checksum the system computes for a program file: the 16-bit sum of the file
// with the checksum field left out, carries folded back in, plus the file's length.
std::uint32_t Checksum(std::string_view image);

}  // namespace designer::pe
