#pragma once
// Windows-1251, the code page of every script file. Text lives in memory as UTF-8;
// this is the only place where it is turned into bytes of the file and back.

#include <string>
#include <string_view>
#include <vector>

namespace script {

// The character that byte b stands for. Every byte has one: the single unassigned
// byte 0x98 stands for U+0098, so any file round-trips unchanged.
char32_t cp1251_char(unsigned char b);

// The byte of character c, or -1 when Windows-1251 cannot hold it.
int cp1251_byte(char32_t c);

// File bytes to UTF-8.
std::string to_utf8(std::string_view cp1251);

// UTF-8 to file bytes. A character Windows-1251 cannot hold, and every byte of a
// malformed UTF-8 sequence, becomes "?".
std::string to_cp1251(std::string_view utf8);

// The UTF-8 text that a round trip through the file gives: what will be saved.
std::string fit_cp1251(std::string_view utf8);

// The characters of a UTF-8 text that Windows-1251 cannot hold, each once, in the
// order they first come (U+FFFD for a malformed sequence); empty when the whole
// text can be stored.
std::vector<std::string> unstorable_chars(std::string_view utf8);

}  // namespace script
