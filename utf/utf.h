#pragma once
// Text is UTF-8 in memory; Windows wants UTF-16. These are the only functions that
// turn one into the other, character by character. A malformed sequence on
// either side becomes U+FFFD, so a conversion never fails.

#include <cstddef>
#include <string>
#include <string_view>

namespace utf {

// Decodes one UTF-8 character at the front of s (not empty). Returns its length in
// bytes (at least 1) and stores the character, or U+FFFD for a malformed sequence.
std::size_t decode(std::string_view s, char32_t& c);
// Appends the UTF-8 form of c.
void append(std::string& out, char32_t c);
// Removes the last UTF-8 character, if any.
void pop_back(std::string& s);
// The number of characters: the bytes that do not continue a sequence.
std::size_t length(std::string_view s);

// The character whose UTF-16 form is this pair of surrogates.
char32_t join_surrogates(char16_t high, char16_t low);
// Appends the UTF-16 units of c (two for a character past U+FFFF).
void append_utf16(std::wstring& out, char32_t c);

// UTF-8 to UTF-16 units (wchar_t is a UTF-16 unit on Windows) and back.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace utf
