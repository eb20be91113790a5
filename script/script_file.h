#pragma once
// The designer's rules for a script: it reads exactly fifteen lines and writes
// fifteen lines, each followed by CR LF.

#include <array>
#include <string>

#include "script/line_reader.h"

namespace script {

inline constexpr int kRowCount = 15;
using Rows = std::array<std::string, kRowCount>;

// A longer row would only fill the list with a text no one can read; a file with
// such a line is refused instead of loaded.
inline constexpr std::size_t kMaxRowBytes = 16 * 1024 * 1024;

enum class ReadStatus { Ok, TooShort, Failed, TooLong };

// Reads the first fifteen lines as UTF-8 rows into out; out is written only when
// all fifteen were read. Bytes after the fifteenth line are never asked for beyond
// one buffer of the reader.
ReadStatus read_rows(ByteSource& source, Rows& out);

// The bytes of the file for rows: fifteen lines with CR LF after each, or nothing
// at all when every row is empty.
std::string write_rows(const Rows& rows);

}  // namespace script
