#include "script/cp1251.h"

#include <algorithm>
#include <array>

#include "utf/utf.h"

namespace script {
namespace {

// Upper half of the code page (bytes 0x80 to 0xFF); the lower half is ASCII.
constexpr std::array<char16_t, 128> kUpper = {
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0 to 0xFF: А to я in alphabetical order
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The UTF-8 form of each character of the upper half: two or three bytes.
struct Utf8Form {
  char bytes[3];
  unsigned char size;
};
constexpr std::array<Utf8Form, 128> kUpperUtf8 = [] {
  std::array<Utf8Form, 128> forms{};
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const char32_t c = kUpper[i];
    Utf8Form& f = forms[i];
    if (c < 0x800) {
      f = {{static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))}, 2};
    } else {
      f = {{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))},
           3};
    }
  }
  return forms;
}();

}  // namespace

char32_t cp1251_char(unsigned char b) {
  return b < 0x80 ? char32_t{b} : char32_t{kUpper[b - 0x80]};
}

int cp1251_byte(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(c - 0x0410 + 0xC0);
  for (int i = 0; i < 0x40; ++i)
    if (kUpper[i] == c) return 0x80 + i;
  return -1;
}

std::string to_utf8(std::string_view cp1251) {
  // Measured first, then written in place, without a call per byte: a line can be
  // megabytes long.
  std::size_t size = cp1251.size();
  for (const char b : cp1251)
    if (static_cast<unsigned char>(b) >= 0x80)
      size += kUpperUtf8[static_cast<unsigned char>(b) - 0x80].size - 1;
  std::string out(size, '\0');
  char* p = out.data();
  for (const char b : cp1251) {
    const auto u = static_cast<unsigned char>(b);
    if (u < 0x80) {
      *p++ = b;
      continue;
    }
    const Utf8Form& f = kUpperUtf8[u - 0x80];
    for (std::size_t k = 0; k < f.size; ++k) *p++ = f.bytes[k];
  }
  return out;
}

std::string to_cp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    char32_t c;
    utf8.remove_prefix(utf::decode(utf8, c));
    const int b = cp1251_byte(c);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string fit_cp1251(std::string_view utf8) { return to_utf8(to_cp1251(utf8)); }

std::vector<std::string> unstorable_chars(std::string_view utf8) {
  std::vector<std::string> found;
  while (!utf8.empty()) {
    char32_t c;
    utf8.remove_prefix(utf::decode(utf8, c));
    if (cp1251_byte(c) >= 0) continue;
    std::string one;
    utf::append(one, c);
    if (std::find(found.begin(), found.end(), one) == found.end()) found.push_back(std::move(one));
  }
  return found;
}

}  // namespace script
