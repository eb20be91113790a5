#pragma once
// Windows paths in their long form, which the system takes at any length up to
// about 32,767 characters instead of 260: "\\?\" before a full path on a drive,
// "\\?\UNC\" in place of the "\\" of a network path. The system does not tidy a
// path in the long form ("." and ".." parts, "/", trailing dots and spaces stay
// as written), so a path is made full before it is put in that form.
// Pure string work on UTF-16 text, shared by both programs.

#include <string>
#include <string_view>

namespace platform {

inline constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
inline constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

// A full path in the long form: "C:\a" -> "\\?\C:\a", "\\server\share\a" ->
// "\\?\UNC\server\share\a". A path in the long form already, a device path
// ("\\.\") and anything not full on a drive or a share stay as they are.
inline std::wstring long_form(std::wstring_view full) {
  const auto letter = [](wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
  };
  if (full.size() >= 3 && letter(full[0]) && full[1] == L':' && full[2] == L'\\')
    return std::wstring(kLongPrefix) + std::wstring(full);
  if (full.size() > 2 && full.substr(0, 2) == L"\\\\" && full[2] != L'?' && full[2] != L'.')
    return std::wstring(kLongUncPrefix) + std::wstring(full.substr(2));
  return std::wstring(full);
}

// The other way, as users write paths: "\\?\C:\a" -> "C:\a", "\\?\UNC\s\x" ->
// "\\s\x"; any other path stays.
inline std::wstring plain_form(std::wstring_view path) {
  if (path.substr(0, kLongUncPrefix.size()) == kLongUncPrefix)
    return L"\\\\" + std::wstring(path.substr(kLongUncPrefix.size()));
  if (path.substr(0, kLongPrefix.size()) == kLongPrefix && path.size() >= 7 && path[5] == L':' &&
      path[6] == L'\\')
    return std::wstring(path.substr(kLongPrefix.size()));
  return std::wstring(path);
}

}  // namespace platform
