#include "ui/win32/text.h"

#include <algorithm>

namespace ui::win32 {

char32_t CharJoiner::feed(wchar_t unit) {
  if (unit >= 0xD800 && unit < 0xDC00) {
    high_ = unit;
    return 0;
  }
  if (unit >= 0xDC00 && unit < 0xE000) {
    const wchar_t high = high_;
    high_ = 0;
    if (!high) return unit;
    return utf::join_surrogates(static_cast<char16_t>(high), static_cast<char16_t>(unit));
  }
  high_ = 0;
  return unit;
}

std::wstring to_units(char32_t c) {
  std::wstring units;
  utf::append_utf16(units, c);
  return units;
}

std::wstring window_text(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

void set_text_if_changed(HWND h, const std::wstring& text) {
  if (window_text(h) != text) SetWindowTextW(h, text.c_str());
}

}  // namespace ui::win32
