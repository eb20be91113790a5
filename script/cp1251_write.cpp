// Text to file bytes, and what of a text the file cannot hold: what the designer
// needs to write, apart from the reading so that the player does not carry it.

#include <unordered_set>

#include "script/cp1251.h"
#include "utf/utf.h"

namespace script {

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
  std::unordered_set<char32_t> seen;  // a paste may hold thousands of different ones
  while (!utf8.empty()) {
    char32_t c;
    utf8.remove_prefix(utf::decode(utf8, c));
    if (cp1251_byte(c) < 0 && seen.insert(c).second) utf::append(found.emplace_back(), c);
  }
  return found;
}

}  // namespace script
