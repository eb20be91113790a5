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

// The Russian description of a run-time error number (file errors, 7 out of
// memory, 57 device input/output), as the error boxes show it.
std::string ErrorDescription(int number);

// Message box with the application title.
int MsgBox(std::string_view text, unsigned style);

}  // namespace designer
