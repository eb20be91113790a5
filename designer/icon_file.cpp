#include "designer/icon_file.h"

#include <array>
#include <cstdint>

namespace designer::ico {
namespace {

using pe::IconImage;

std::uint32_t get16(std::string_view b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}
std::uint32_t get32(std::string_view b, std::size_t at) {
  return get16(b, at) | get16(b, at + 2) << 16;
}
std::uint32_t big32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}();

std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) c = kCrcTable[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// What is wrong with one image, empty when nothing is; `too_big` tells the
// image's size when that is what is wrong.
struct Verdict {
  bool ok = false;
  long long width = 0, height = 0;  // when too big
};

// A PNG file: the signature, then chunks of which each fits and keeps its
// checksum; the header first with a size and a kind of pixels PNG knows, a
// palette where the pixels need one, the data in a zlib stream, the end last.
// The depth of its pixels goes into bit_count.
Verdict check_png(std::string_view png, std::uint16_t& bit_count) {
  Verdict v;
  std::size_t at = 8;
  bool header = false, palette = false, data = false;
  std::string zlib_start;
  int colour = 0;
  while (true) {
    if (png.size() - at < 12) return v;
    const std::uint32_t length = big32(png, at);
    if (length > png.size() - at - 12) return v;
    const std::string_view type = png.substr(at + 4, 4), body = png.substr(at + 8, length);
    for (const char c : type)
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return v;
    if (crc32(png.substr(at + 4, 4 + length)) != big32(png, at + 8 + length)) return v;
    at += 12 + length;
    if (!header) {
      if (type != "IHDR" || length != 13) return v;
      header = true;
      const std::uint32_t width = big32(body, 0), height = big32(body, 4);
      const int depth = static_cast<unsigned char>(body[8]);
      colour = static_cast<unsigned char>(body[9]);
      const bool known =
          (colour == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
          (colour == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
          ((colour == 2 || colour == 4 || colour == 6) && (depth == 8 || depth == 16));
      if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || !known ||
          body[10] != 0 || body[11] != 0 || static_cast<unsigned char>(body[12]) > 1)
        return v;
      if (width > kMaxSide || height > kMaxSide) {
        v.width = width;
        v.height = height;
        return v;
      }
      const int channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
      bit_count = static_cast<std::uint16_t>(depth * channels);
      continue;
    }
    if (type == "IHDR") return v;
    if (type == "PLTE") {
      if (data || length == 0 || length % 3 != 0 || length > 3 * 256) return v;
      palette = true;
    } else if (type == "IDAT") {
      if (colour == 3 && !palette) return v;
      data = true;
      zlib_start += body.substr(0, 2 - std::min<std::size_t>(2, zlib_start.size()));
    } else if (type == "IEND") {
      break;
    }
  }
  // Deflate, a window of at most 32 KB, no preset dictionary, the check bits right.
  if (!data || zlib_start.size() < 2) return v;
  const unsigned cmf = static_cast<unsigned char>(zlib_start[0]);
  const unsigned flg = static_cast<unsigned char>(zlib_start[1]);
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (flg & 0x20) || (cmf * 256 + flg) % 31 != 0) return v;
  v.ok = true;
  return v;
}

// A bitmap as icons keep it: an information header of 40 bytes or more, one plane,
// a depth Windows draws, no compression (or bit fields), the height of the image
// and its mask together, then the colours, the image and the mask, all there.
Verdict check_bitmap(std::string_view bmp, std::uint16_t& bit_count) {
  Verdict v;
  if (bmp.size() < 40) return v;
  const std::uint32_t header = get32(bmp, 0);
  const auto width = static_cast<std::int32_t>(get32(bmp, 4));
  const auto both = static_cast<std::int32_t>(get32(bmp, 8));
  const std::uint32_t planes = get16(bmp, 12), bits = get16(bmp, 14);
  const std::uint32_t compression = get32(bmp, 16), used = get32(bmp, 32);
  if (header < 40 || header > bmp.size() || width <= 0 || both <= 1 || planes != 1) return v;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return v;
  if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) return v;
  const std::int32_t height = both / 2;
  if (width > kMaxSide || height > kMaxSide) {
    v.width = width;
    v.height = height;
    return v;
  }
  std::uint64_t colours = 0;
  if (bits <= 8) {
    if (used > (1u << bits)) return v;
    colours = used ? used : 1u << bits;
  }
  const std::uint64_t masks = compression == 3 && header == 40 ? 12 : 0;
  const std::uint64_t image_row =
      (std::uint64_t{static_cast<std::uint32_t>(width)} * bits + 31) / 32 * 4;
  const std::uint64_t mask_row = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
  const std::uint64_t needed =
      header + masks + 4 * colours + static_cast<std::uint64_t>(height) * (image_row + mask_row);
  if (needed > bmp.size()) return v;
  bit_count = static_cast<std::uint16_t>(bits);
  v.ok = true;
  return v;
}

bool fail(std::string& problem, std::string why) {
  problem = std::move(why);
  return false;
}

}  // namespace

bool ReadIcon(std::string_view file, std::vector<IconImage>& images, std::string& problem) {
  images.clear();
  if (file.size() > kMaxFileBytes) return fail(problem, "он больше 1 МБ");
  if (file.size() < 6 || get16(file, 0) != 0 || (get16(file, 2) != 1 && get16(file, 2) != 2))
    return fail(problem, "это не файл значка (.ico)");
  if (get16(file, 2) == 2) return fail(problem, "это курсор, а не значок");
  const std::size_t count = get16(file, 4);
  if (count == 0) return fail(problem, "в нём нет ни одного рисунка");
  if (count > kMaxImages)
    return fail(problem, "в нём больше " + std::to_string(kMaxImages) + " рисунков");
  if (file.size() < 6 + 16 * count) return fail(problem, "его каталог рисунков обрывается");
  std::size_t taken = 6 + 16 * count;
  std::vector<IconImage> read;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const std::string number = "рисунок " + std::to_string(i + 1);
    const std::uint32_t size = get32(file, entry + 8), offset = get32(file, entry + 12);
    if (offset > file.size() || size > file.size() - offset)
      return fail(problem, number + " лежит за концом файла");
    if (size == 0) return fail(problem, number + " пуст");
    taken += size;
    if (taken > file.size())
      return fail(problem, number + " занимает те же байты, что и другой рисунок");
    IconImage image;
    image.width = static_cast<std::uint8_t>(file[entry]);
    image.height = static_cast<std::uint8_t>(file[entry + 1]);
    image.colors = static_cast<std::uint8_t>(file[entry + 2]);
    image.planes = static_cast<std::uint16_t>(get16(file, entry + 4));
    image.bit_count = static_cast<std::uint16_t>(get16(file, entry + 6));
    image.data = std::string(file.substr(offset, size));
    std::uint16_t depth = 0;
    const bool is_png = image.data.starts_with(std::string_view("\x89PNG\r\n\x1A\n", 8));
    const Verdict verdict = is_png ? check_png(image.data, depth) : check_bitmap(image.data, depth);
    if (verdict.width > 0)
      return fail(problem, number + " больше " + std::to_string(kMaxSide) + " точек (" +
                               std::to_string(verdict.width) + " × " +
                               std::to_string(verdict.height) + ")");
    if (!verdict.ok)
      return fail(problem, number + (is_png ? " в формате PNG повреждён" : " повреждён"));
    if (image.bit_count == 0) {
      image.bit_count = depth;
      image.planes = 1;
    }
    read.push_back(std::move(image));
  }
  images = std::move(read);
  return true;
}

}  // namespace designer::ico
