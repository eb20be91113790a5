#include "script/script_file.h"

#include "script/cp1251.h"

namespace script {

ReadStatus read_rows(ByteSource& source, Rows& out) {
  LineReader reader(source, kMaxRowBytes);
  Rows rows;
  for (auto& row : rows) {
    switch (reader.next()) {
      case LineReader::Status::Line: row = to_utf8(reader.line()); break;
      case LineReader::Status::End: return ReadStatus::TooShort;
      case LineReader::Status::Failed: return ReadStatus::Failed;
      case LineReader::Status::TooLong: return ReadStatus::TooLong;
    }
  }
  out = std::move(rows);
  return ReadStatus::Ok;
}

std::string write_rows(const Rows& rows) {
  bool any = false;
  for (const auto& row : rows) any = any || !row.empty();
  std::string bytes;
  if (!any) return bytes;
  for (const auto& row : rows) bytes.append(to_cp1251(row)).append("\r\n");
  return bytes;
}

}  // namespace script
