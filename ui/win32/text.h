#pragma once
// Texts at the Win32 boundary: UTF-8 inside, UTF-16 in the windows; the
// characters of WM_CHAR, which come as UTF-16 units; window texts.

#include <windows.h>

#include <string>
#include <string_view>

#include "utf/utf.h"

namespace ui::win32 {

using utf::narrow;
using utf::widen;

// A character of a WM_CHAR, with surrogate pairs joined: 0 while half a pair waits.
class CharJoiner {
 public:
  char32_t feed(wchar_t unit);

 private:
  wchar_t high_ = 0;
};
// The UTF-16 units of a character.
std::wstring to_units(char32_t c);

// The window's text, and setting it only when it differs (a window repaints on
// every WM_SETTEXT).
std::wstring window_text(HWND h);
void set_text_if_changed(HWND h, const std::wstring& text);

}  // namespace ui::win32
