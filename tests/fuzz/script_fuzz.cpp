// Fuzz target for everything that reads a script: the line reader, the row splitter,
// the player's Dialoged, the designer's read_rows, the Windows-1251 codec and the
// UTF-8/UTF-16 conversion. Each run checks the results against a plain reference,
// not only that nothing crashes.
//
// Input: one control byte, then the file bytes. The control byte picks how the source
// hands the bytes out (all at once or in small pieces, so that a CR LF is split
// between two reads), whether the source fails after a number of bytes, and a line
// length limit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "player/dialoged.h"
#include "script/cp1251.h"
#include "script/line_reader.h"
#include "script/row.h"
#include "script/script_file.h"
#include "utf/utf.h"

namespace {

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

// Hands out at most `piece` bytes per read; fails once `fail_at` bytes are gone.
class PieceSource : public script::ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t piece, std::size_t fail_at)
      : bytes_(bytes), piece_(piece), fail_at_(fail_at) {}
  std::int64_t read(char* buf, std::size_t n) override {
    if (pos_ >= fail_at_) return -1;
    n = std::min({n, piece_, bytes_.size() - pos_, fail_at_ - pos_});
    std::memcpy(buf, bytes_.data() + pos_, n);
    pos_ += n;
    return static_cast<std::int64_t>(n);
  }

 private:
  std::string_view bytes_;
  std::size_t piece_;
  std::size_t fail_at_;
  std::size_t pos_ = 0;
};

// Lines end at CR LF or a lone CR; a lone LF belongs to the line.
std::vector<std::string_view> reference_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t cr = std::min(bytes.find('\r', i), bytes.size());
    lines.push_back(bytes.substr(i, cr - i));
    i = cr + 1;
    if (i < bytes.size() && bytes[i] == '\n') ++i;
  }
  return lines;
}

std::vector<std::string_view> reference_fields(std::string_view row) {
  std::vector<std::string_view> fields;
  if (row.empty()) return fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = row.find("; ", from);
    fields.push_back(row.substr(from, at == std::string_view::npos ? row.npos : at - from));
    if (at == std::string_view::npos) return fields;
    from = at + 2;
  }
}

void check_row(std::string_view row) {
  const std::vector<std::string_view> want = reference_fields(row);
  const script::Fields f = script::split_row(row);
  check(f.count == want.size(), "split_row counts every piece");
  for (std::size_t i = 0; i < want.size() && i < f.field.size(); ++i)
    check(f.field[i] == want[i], "split_row pieces");
  if (f.count == 4)
    check(script::compose_row(f.field[0], f.field[1], f.field[2], f.field[3]) == row,
          "compose_row undoes split_row");
  const std::string_view tail = script::fields_past_fourth(row);
  check(tail.empty() == (want.size() <= 4), "fields past the fourth exactly when there are");
  if (!tail.empty())
    check(tail.starts_with("; ") &&
              reference_fields(row.substr(0, row.size() - tail.size())).size() == 4,
          "what lies past the fourth field follows the first four");

  const auto dialog = player::Dialoged(row);
  check(dialog.has_value() == (want.size() >= 2), "a box exactly for two fields or more");
  if (!dialog) return;
  std::string text(want[0]);
  for (char& c : text)
    if (c == '#') c = '\r';
  check(dialog->text == text, "text is field 0 with # as CR");
  check(dialog->caption == want[1], "caption is field 1 unchanged");
  const unsigned rest = dialog->style - script::kSystemModal;
  check(dialog->style >= script::kSystemModal, "every box is system-modal");
  const unsigned icon = rest & 0xF0, buttons = rest & 0x0F;
  check(icon == 0 || icon == 16 || icon == 32 || icon == 48 || icon == 64, "icon value");
  check(buttons == 0 || buttons == 1 || buttons == 3 || buttons == 4, "button value");
  check((icon != 0) == (want.size() > 2 && script::match_icon(want[2]) && want[2] != "Без значка"),
        "an icon only for a known icon name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned control = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t piece = (control & 7) == 0 ? SIZE_MAX : (control & 7);
  const bool failing = control & 8;
  const std::size_t fail_at = failing ? bytes.size() * ((control >> 4) & 3) / 3 : SIZE_MAX;
  const std::size_t max_line = (control & 0x80) ? 64 : SIZE_MAX;

  const std::vector<std::string_view> want = reference_lines(bytes);

  PieceSource source(bytes, piece, fail_at);
  script::LineReader reader(source, max_line);
  std::size_t n = 0;
  for (;;) {
    const auto status = reader.next();
    if (status != script::LineReader::Status::Line) {
      if (status == script::LineReader::Status::TooLong)
        check(n < want.size() && want[n].size() > max_line, "TooLong only for a long line");
      else if (failing)
        check(status == script::LineReader::Status::Failed, "a failing source ends in Failed");
      else
        check(status == script::LineReader::Status::End && n == want.size(),
              "End after the last line");
      break;
    }
    check(n < want.size(), "no more lines than the file holds");
    check(reader.line() == want[n], "line bytes");
    check(reader.line().size() <= max_line, "a line within the limit");
    const std::string utf8 = script::to_utf8(reader.line());
    check(script::to_cp1251(utf8) == reader.line(), "every byte round-trips through UTF-8");
    check(utf::narrow(utf::widen(utf8)) == utf8, "a line round-trips through UTF-16");
    check(script::unstorable_chars(utf8).empty(), "what a file holds can be stored");
    check_row(utf8);
    ++n;
  }

  // The designer's reader: fifteen lines or nothing.
  PieceSource rows_source(bytes, piece, fail_at);
  script::Rows rows;
  const script::ReadStatus read = script::read_rows(rows_source, rows);
  if (read == script::ReadStatus::Ok) {
    check(want.size() >= script::kRowCount, "Ok only with fifteen lines");
    for (int i = 0; i < script::kRowCount; ++i)
      check(rows[i] == script::to_utf8(want[i]), "rows are the first fifteen lines");
  } else if (!failing) {
    check(read == script::ReadStatus::TooShort && want.size() < script::kRowCount,
          "TooShort only with fewer than fifteen lines");
  }

  // Arbitrary bytes as UTF-8: what the editor would save settles after one round.
  const std::string fitted = script::fit_cp1251(bytes);
  check(script::fit_cp1251(fitted) == fitted, "fit_cp1251 is idempotent");
  check(script::unstorable_chars(bytes).empty() == (fitted == bytes),
        "the characters named unstorable are those the file would change");
  const std::string settled = utf::narrow(utf::widen(bytes));
  check(utf::narrow(utf::widen(settled)) == settled, "UTF-16 round trip settles after one");
  return 0;
}
