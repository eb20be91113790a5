#pragma once
// What the whole designer shares: its title, its contact addresses and the texts
// every window uses.

#include <array>
#include <string>
#include <string_view>

namespace designer {

// The title of every message box that has none of its own.
inline constexpr std::string_view kAppTitle = "Quillet";

// Where users reach the project; the tips and the about window show them.
inline constexpr std::string_view kContactMail = "quillet@example.org";
inline constexpr std::string_view kContactSite = "http://www.example.org/quillet";

// The tip of the status strip, by index 0 to 9.
const std::array<std::string, 10>& tips();

// File names compare as Windows compares them: letters in any case.
bool same_file_name(std::string_view a, std::string_view b);
// The name part of a path: what follows its last "\" or "/".
std::string_view file_name_part(std::string_view path);

// The longest file name Windows makes, in UTF-16 units.
inline constexpr std::size_t kLongestFileName = 255;
// The longest path of a file the designer writes, in UTF-16 units: what Windows
// takes in the long form (about 32,767), less room for its prefix and for the
// temporary file of the write.
inline constexpr std::size_t kLongestPath = 32000;
// The characters of a name that no Windows file name may hold, described in
// Russian ("символы «:» и «?»", "управляющий символ с кодом 9"); empty when there
// are none. has_path tells whether "\" or "/" are among them.
std::string forbidden_in_file_name(std::string_view name, bool& has_path);
// The device a name stands for, upper case ("NUL" for "nul.txt" or "Nul ."); empty
// when it stands for none. Windows reads the part before the first dot, without
// its trailing spaces, in any case, as a device name.
std::string device_of(std::string_view name);
// Whether Windows gives a file this name (UTF-8) in any folder: not empty, no
// forbidden character, no device, at most kLongestFileName UTF-16 units.
bool is_file_name(std::string_view name);

// The Russian description of a run-time error number (file errors, 7 out of
// memory, 57 device input/output), as the error boxes show it.
std::string ErrorDescription(int number);

// Message box with the application title.
int MsgBox(std::string_view text, unsigned style);

}  // namespace designer
