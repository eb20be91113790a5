// Turns the pixel-art text files of resources/art into what the programs use:
//
//   pixelart cpp OUT.h OUT.cpp NAME=FILE...     C++ pixel arrays (0xAARRGGBB, row by row)
//   pixelart ico OUT.ico FILE[@SIZE]...         a 32-bit icon with one image per file
//   pixelart cur OUT.cur X Y FILE               a monochrome cursor with hot spot X, Y
//   pixelart bytes OUT.h OUT.cpp NAME=FILE...   any files as C++ byte strings
//
// FILE@SIZE draws the art at SIZE x SIZE pixels: repeated by the least whole factor
// that reaches SIZE, as the programs repeat pixel art on a larger screen, then
// averaged down to SIZE by the area each pixel covers (alpha-weighted, in whole
// numbers, so the same art always gives the same bytes). Images of 256 pixels are
// stored as PNG, the others as bitmaps.
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

#include <algorithm>
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

// The art drawn at size x size pixels (see the top of the file).
Art drawn_at(const Art& a, int size) {
  if (a.width == size && a.height == size) return a;
  const int k = std::max((size + a.width - 1) / a.width, (size + a.height - 1) / a.height);
  const long long big_w = static_cast<long long>(a.width) * k;
  const long long big_h = static_cast<long long>(a.height) * k;
  // How much of pixel `at` of the big picture lies in target pixel `to`, both
  // measured in units of 1/size of a big pixel.
  const auto overlap = [size](long long at, long long to, long long big) {
    const long long from = std::max(at * size, to * big);
    const long long till = std::min((at + 1) * size, (to + 1) * big);
    return std::max(0LL, till - from);
  };
  Art out;
  out.file = a.file;
  out.width = out.height = size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      unsigned long long alpha = 0, red = 0, green = 0, blue = 0;
      for (long long by = y * big_h / size; by < big_h && by * size < (y + 1) * big_h; ++by)
        for (long long bx = x * big_w / size; bx < big_w && bx * size < (x + 1) * big_w; ++bx) {
          const std::uint32_t p = a.argb[static_cast<std::size_t>(by / k * a.width + bx / k)];
          const auto weight =
              static_cast<unsigned long long>(overlap(bx, x, big_w) * overlap(by, y, big_h)) *
              (p >> 24);
          alpha += weight;
          red += weight * (p >> 16 & 0xFF);
          green += weight * (p >> 8 & 0xFF);
          blue += weight * (p & 0xFF);
        }
      const auto whole = static_cast<unsigned long long>(big_w * big_h);
      const auto average = [alpha](unsigned long long sum) {
        return alpha ? static_cast<std::uint32_t>((sum + alpha / 2) / alpha) : 0u;
      };
      const auto a8 = static_cast<std::uint32_t>((alpha + whole / 2) / whole);
      out.argb.push_back(a8 ? a8 << 24 | average(red) << 16 | average(green) << 8 | average(blue)
                            : 0u);
    }
  return out;
}

// A zlib stream (RFC 1950) of one deflate block (RFC 1951) with the fixed codes,
// the matches found greedily along hash chains: the same bytes every time.
class Deflater {
 public:
  static std::string zlib(const std::string& data) {
    Deflater d;
    d.out_ = "\x78\x01";
    d.bits(1, 1);  // the last block
    d.bits(1, 2);  // fixed codes
    d.block(data);
    d.symbol(256);
    if (d.count_ > 0) d.out_ += static_cast<char>(d.acc_ & 0xFF);
    std::uint32_t s1 = 1, s2 = 0;
    for (const char c : data) {
      s1 = (s1 + static_cast<unsigned char>(c)) % 65521;
      s2 = (s2 + s1) % 65521;
    }
    const std::uint32_t adler = s2 << 16 | s1;
    for (int shift = 24; shift >= 0; shift -= 8) d.out_ += static_cast<char>(adler >> shift & 0xFF);
    return d.out_;
  }

 private:
  static constexpr int kWindow = 32768, kMaxMatch = 258, kChain = 256;

  void bits(std::uint32_t value, int count) {
    acc_ |= value << count_;
    count_ += count;
    for (; count_ >= 8; count_ -= 8, acc_ >>= 8) out_ += static_cast<char>(acc_ & 0xFF);
  }
  // Huffman codes go most significant bit first.
  void code(std::uint32_t value, int count) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < count; ++i) reversed |= (value >> i & 1) << (count - 1 - i);
    bits(reversed, count);
  }
  void symbol(int v) {
    if (v < 144)
      code(0x30 + v, 8);
    else if (v < 256)
      code(0x190 + v - 144, 9);
    else if (v < 280)
      code(v - 256, 7);
    else
      code(0xC0 + v - 280, 8);
  }
  void match(int length, int distance) {
    static constexpr int kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr int kDistanceBase[] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    int l = 28;
    while (kLengthBase[l] > length) --l;
    symbol(257 + l);
    const int length_extra = l < 8 || l == 28 ? 0 : (l - 4) / 4;
    bits(static_cast<std::uint32_t>(length - kLengthBase[l]), length_extra);
    int d = 29;
    while (kDistanceBase[d] > distance) --d;
    code(static_cast<std::uint32_t>(d), 5);
    bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), d < 4 ? 0 : (d - 2) / 2);
  }

  void block(const std::string& data) {
    const int n = static_cast<int>(data.size());
    std::vector<int> head(1 << 15, -1), previous(static_cast<std::size_t>(n), -1);
    const auto hash = [&](int i) {
      return (static_cast<unsigned char>(data[i]) << 10 ^
              static_cast<unsigned char>(data[i + 1]) << 5 ^
              static_cast<unsigned char>(data[i + 2])) &
             0x7FFF;
    };
    const auto insert = [&](int i) {
      if (i + 3 > n) return;
      const int h = hash(i);
      previous[static_cast<std::size_t>(i)] = head[h];
      head[h] = i;
    };
    for (int i = 0; i < n;) {
      int best = 0, distance = 0;
      if (i + 3 <= n) {
        int candidate = head[hash(i)];
        for (int tries = 0; candidate >= 0 && i - candidate <= kWindow && tries < kChain; ++tries) {
          int length = 0;
          while (length < kMaxMatch && i + length < n &&
                 data[candidate + length] == data[i + length])
            ++length;
          if (length > best) {
            best = length;
            distance = i - candidate;
          }
          candidate = previous[static_cast<std::size_t>(candidate)];
        }
      }
      if (best >= 3) {
        match(best, distance);
        for (int j = 0; j < best; ++j) insert(i + j);
        i += best;
      } else {
        symbol(static_cast<unsigned char>(data[i]));
        insert(i++);
      }
    }
  }

  std::string out_;
  std::uint32_t acc_ = 0;
  int count_ = 0;
};

std::uint32_t crc32(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) {
    c ^= static_cast<unsigned char>(b);
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return c ^ 0xFFFFFFFFu;
}

void put32_big(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 0xFF);
}

// The art as a PNG file: 8-bit RGBA, each row filtered by the filter that leaves
// the smallest sum of its bytes taken as signed.
std::string png(const Art& a) {
  const std::size_t stride = static_cast<std::size_t>(a.width) * 4;
  std::vector<std::string> rows;
  for (int y = 0; y < a.height; ++y) {
    std::string row;
    for (int x = 0; x < a.width; ++x) {
      const std::uint32_t p = a.argb[static_cast<std::size_t>(y * a.width + x)];
      for (const int shift : {16, 8, 0, 24}) row += static_cast<char>(p >> shift & 0xFF);
    }
    rows.push_back(row);
  }
  std::string filtered;
  const std::string none(stride, '\0');
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const std::string& row = rows[y];
    const std::string& up = y ? rows[y - 1] : none;
    const auto at = [](const std::string& r, std::size_t i) {
      return static_cast<int>(static_cast<unsigned char>(r[i]));
    };
    std::string best;
    long best_cost = -1;
    for (int type = 0; type < 5; ++type) {
      std::string out(1, static_cast<char>(type));
      long cost = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int left = i >= 4 ? at(row, i - 4) : 0, above = at(up, i);
        const int corner = i >= 4 ? at(up, i - 4) : 0;
        int predicted = 0;
        if (type == 1) predicted = left;
        if (type == 2) predicted = above;
        if (type == 3) predicted = (left + above) / 2;
        if (type == 4) {
          const int p = left + above - corner;
          const int pa = std::abs(p - left), pb = std::abs(p - above), pc = std::abs(p - corner);
          predicted = pa <= pb && pa <= pc ? left : pb <= pc ? above : corner;
        }
        const auto v = static_cast<unsigned char>(at(row, i) - predicted);
        out += static_cast<char>(v);
        cost += v < 128 ? v : 256 - v;
      }
      if (best_cost < 0 || cost < best_cost) {
        best_cost = cost;
        best = out;
      }
    }
    filtered += best;
  }
  std::string file("\x89PNG\r\n\x1A\n", 8);
  const auto chunk = [&file](const char* type, const std::string& data) {
    put32_big(file, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    file += body;
    put32_big(file, crc32(body));
  };
  std::string header;
  put32_big(header, static_cast<std::uint32_t>(a.width));
  put32_big(header, static_cast<std::uint32_t>(a.height));
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no interlace
  chunk("IHDR", header);
  chunk("IDAT", Deflater::zlib(filtered));
  chunk("IEND", "");
  return file;
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

bool transparent(std::uint32_t p) { return (p >> 24) < 128; }
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
  for (const auto& a : arts)
    images.push_back(type == 2 ? cursor_image(a) : a.width >= 256 ? png(a) : icon_image(a));
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

// Files as C++ byte strings: `extern const std::string_view NAME;` in the header.
void write_bytes(const std::string& header, const std::string& source, int argc, char** argv) {
  std::ostringstream h, c;
  h << "// Generated by tools/pixelart; do not edit.\n#pragma once\n\n#include <string_view>\n\n"
       "namespace resources {\n\n";
  const std::string base = header.substr(header.find_last_of("/\\") + 1);
  c << "// Generated by tools/pixelart; do not edit.\n#include \"resources/" << base
    << "\"\n\nnamespace resources {\nnamespace {\n\n";
  std::ostringstream defs;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto eq = arg.find('=');
    if (eq == std::string::npos) fail("expected NAME=FILE, got " + arg);
    const std::string name = arg.substr(0, eq), file = arg.substr(eq + 1);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) fail("cannot read " + file);
    const std::string shown = file.substr(file.find_last_of("/\\") + 1);
    h << "extern const std::string_view " << name << ";  // " << shown << ", " << bytes.size()
      << " bytes\n";
    c << "constexpr unsigned char " << name << "_bytes[] = {";
    for (std::size_t b = 0; b < bytes.size(); ++b) {
      if (b % 16 == 0) c << "\n   ";
      c << " " << static_cast<int>(static_cast<unsigned char>(bytes[b])) << ",";
    }
    c << "\n};\n\n";
    defs << "const std::string_view " << name << "{reinterpret_cast<const char*>(" << name
         << "_bytes), sizeof " << name << "_bytes};\n";
  }
  h << "\n}  // namespace resources\n";
  c << "}  // namespace\n\n" << defs.str() << "\n}  // namespace resources\n";
  write(header, h.str());
  write(source, c.str());
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
      "usage: pixelart cpp OUT.h OUT.cpp NAME=FILE... | ico OUT.ico FILE[@SIZE]... | "
      "cur OUT.cur X Y FILE | bytes OUT.h OUT.cpp NAME=FILE...";
  if (argc < 3) fail(usage);
  const std::string verb = argv[1];
  if (verb == "cpp" && argc >= 5) {
    write_cpp(argv[2], argv[3], argc - 4, argv + 4);
  } else if (verb == "ico" && argc >= 4) {
    std::vector<Art> arts;
    for (int i = 3; i < argc; ++i) {
      const std::string arg = argv[i];
      const auto at = arg.rfind('@');
      if (at == std::string::npos) {
        arts.push_back(load(arg));
        continue;
      }
      const int size = std::atoi(arg.c_str() + at + 1);
      if (size < 1 || size > 256) fail("a size is 1 to 256 pixels: " + arg);
      arts.push_back(drawn_at(load(arg.substr(0, at)), size));
    }
    write(argv[2], icon_file(1, arts, 0, 0));
  } else if (verb == "bytes" && argc >= 5) {
    write_bytes(argv[2], argv[3], argc - 4, argv + 4);
  } else if (verb == "cur" && argc == 6) {
    write(argv[2], icon_file(2, {load(argv[5])}, std::atoi(argv[3]), std::atoi(argv[4])));
  } else {
    fail(usage);
  }
  return 0;
}
