#pragma once
// What the benchmark programs share: a clock, medians and printing.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double now_ms() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

inline double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A row of a Yes/No box whose field 4 is about `bytes` bytes of items "Да «" (in the
// script's code page) whose quotes never close: each is an item of its own, and a
// reader that searched the rest of the field for "»" at every "«" would take time
// quadratic in the field's length. Without its line end.
inline std::string unmatched_quotes_row(std::size_t bytes) {
  std::string row = "Long field 4; Field 4; \xC2\xEE\xEF\xF0\xEE\xF1; \xC4\xE0 \xE8 \xCD\xE5\xF2; ";
  const std::string item = "\xC4\xE0 \xAB, ";
  row.reserve(bytes + item.size());
  while (row.size() + item.size() <= bytes) row += item;
  row += "\xC4\xE0 \xAB";
  return row;
}

template <class... Args>
void print(const char* format, Args... args) {
  std::printf(format, args...);
  std::fflush(stdout);
}

}  // namespace bench
