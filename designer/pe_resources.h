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

#include <cstdint>
#include <string>
#include <string_view>
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

// The checksum the system computes for a program file: the 16-bit sum of the file
// with the checksum field left out, carries folded back in, plus the file's length.
std::uint32_t Checksum(std::string_view image);

}  // namespace designer::pe
