// Fuzz target for the icon reader, used as the one-file build uses it on an .ico
// file the author chose: read it, then list its images as a program's icon group.
// A refusal says why and keeps nothing; an icon read is checked against its file,
// read here on its own: as many images as its directory names, each the bytes its
// entry points at, each a bitmap or a PNG file no larger than 256 pixels, no more
// bytes in all than the file has; the group lists them all as they are kept.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "designer/icon_file.h"
#include "designer/pe_resources.h"

namespace {

namespace ico = designer::ico;
namespace pe = designer::pe;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

std::uint32_t little(std::string_view b, std::size_t at, int bytes = 4) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
  return v;
}

std::uint32_t big(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
  return v;
}

// The width and height an image says it has.
void image_size(const std::string& data, std::uint32_t& width, std::uint32_t& height) {
  if (data.starts_with(std::string_view("\x89PNG\r\n\x1A\n", 8))) {
    check(data.substr(12, 4) == "IHDR", "a PNG image starts with its header");
    width = big(data, 16);
    height = big(data, 20);
  } else {
    width = little(data, 4);
    height = little(data, 8) / 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(bytes), size);
  std::vector<pe::IconImage> images{{}};
  std::string problem;
  if (!ico::ReadIcon(file, images, problem)) {
    check(!problem.empty() && images.empty(), "a refusal says why and keeps nothing");
    return 0;
  }
  check(file.size() <= ico::kMaxFileBytes, "no file over 1 MB");
  const std::size_t count = little(file, 4, 2);
  check(count == images.size() && count >= 1 && count <= ico::kMaxImages,
        "every image of the directory");
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const pe::IconImage& image = images[i];
    check(image.data == file.substr(little(file, entry + 12), little(file, entry + 8)),
          "an image is the bytes its entry points at");
    check(!image.data.empty(), "no image is empty");
    check(image.width == static_cast<unsigned char>(file[entry]) &&
              image.height == static_cast<unsigned char>(file[entry + 1]),
          "the entry's size is kept");
    check(image.bit_count != 0, "every image has a depth");
    std::uint32_t width = 0, height = 0;
    image_size(image.data, width, height);
    check(width >= 1 && height >= 1 && width <= 256 && height <= 256,
          "no image larger than 256 pixels");
    total += image.data.size();
  }
  check(total <= file.size(), "no more image bytes than the file has");

  const std::string group = pe::IconGroup(images, 1);
  check(group.size() == 6 + 14 * count && little(group, 2, 2) == 1 && little(group, 4, 2) == count,
        "the group lists every image");
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 14 * i;
    check(little(group, entry + 8) == images[i].data.size() &&
              little(group, entry + 12, 2) == i + 1 &&
              little(group, entry + 6, 2) == images[i].bit_count,
          "each entry names its image as it is kept");
  }
  return 0;
}
