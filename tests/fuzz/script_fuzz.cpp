// Fuzz target for everything that reads a script: the line reader, the row splitter,
// the player's Dialoged, the "what comes next" field (read, written, renumbered), the
// player's run with its jumps, the designer's read_rows, the Windows-1251 codec,
// the UTF-8/UTF-16 conversion and the clipboard's blocks of rows. Each run checks
// the results against a plain reference, not only that nothing crashes.
//
// Input: one control byte, then the file bytes. The control byte picks how the source
// hands the bytes out (all at once or in small pieces, so that a CR LF is split
// between two reads), whether the source fails after a number of bytes, and a line
// length limit; it also seeds the answers given to the player's boxes.

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
#include "player/play.h"
#include "script/block.h"
#include "script/cp1251.h"
#include "script/edits.h"
#include "script/jumps.h"
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
  bool seek(std::uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
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

// Digits without a leading zero, in 0 to max; -1 otherwise.
int reference_number(std::string_view s, int max) {
  if (s.empty() || s.size() > 5 || (s.size() > 1 && s[0] == '0')) return -1;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v <= max ? v : -1;
}

constexpr int kNoTarget = -100;

int reference_target(std::string_view s) {
  if (s == "конец") return script::kEnd;
  const int n = reference_number(s, 14);
  return n < 0 ? kNoTarget : n;
}

// The button ids a row's box shows, in the order of its buttons.
std::vector<int> reference_buttons(const std::vector<std::string_view>& fields) {
  const std::string_view set = fields.size() > 3 ? fields[3] : "";
  if (set == "ОК и Отмена") return {1, 2};
  if (set == "Да и Нет") return {6, 7};
  if (set == "Да, Нет и Отмена") return {6, 7, 2};
  return {1};
}

// Field 4's items: split at each ", " that no «...» encloses, pairing every "«" with
// the first "»" after it.
std::vector<std::string_view> reference_items(std::string_view field) {
  std::vector<std::pair<std::size_t, std::size_t>> quoted;
  for (std::size_t open = field.find("«"); open != std::string_view::npos;) {
    const std::size_t close = field.find("»", open + 2);
    if (close == std::string_view::npos) break;
    quoted.emplace_back(open, close + 2);
    open = field.find("«", close + 2);
  }
  std::vector<std::string_view> items;
  std::size_t from = 0;
  auto q = quoted.begin();  // the first quote that ends after `at`: both move forward only
  for (std::size_t at = field.find(", "); at != std::string_view::npos;
       at = field.find(", ", at + 1)) {
    while (q != quoted.end() && q->second <= at) ++q;
    if (q != quoted.end() && at > q->first) continue;
    if (at < from) continue;
    items.push_back(field.substr(from, at - from));
    from = at + 2;
  }
  items.push_back(field.substr(from));
  return items;
}

bool reference_caption(std::string_view s) {
  std::size_t chars = 0;
  while (!s.empty()) {
    char32_t c;
    s.remove_prefix(utf::decode(s, c));
    ++chars;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == U'«' || c == U'»' || c == U';' || c == U'#' ||
        script::cp1251_byte(c) < 0)
      return false;
  }
  return chars >= 1 && chars <= 30;
}

// Field 4 read by the rules: targets and captions by button id (absent: go on, the
// button's own name), the wait and its target, the countdown, the pause; the first
// valid item of each kind counts.
struct ReferenceNext {
  struct Choice {
    int id;
    int target;
    std::string_view caption;
  };
  std::vector<Choice> by_id;
  int wait = 0;
  int wait_next = script::kGoOn;
  bool countdown = false;
  int pause = 0;

  const Choice* of(int id) const {
    for (const Choice& c : by_id)
      if (c.id == id) return &c;
    return nullptr;
  }
  int target_of(int id) const { return of(id) ? of(id)->target : script::kGoOn; }
};

ReferenceNext reference_next(const std::vector<std::string_view>& fields) {
  ReferenceNext next;
  if (fields.size() < 5 || fields[4].empty()) return next;
  const std::vector<int> buttons = reference_buttons(fields);
  bool waited = false, paused = false, counts = false;
  for (std::string_view item : reference_items(fields[4])) {
    if (item == "отсчёт") {
      counts = true;
      continue;
    }
    if (item.starts_with("пауза ")) {
      const std::string_view rest = item.substr(std::string_view("пауза ").size());
      if (paused || rest.size() < 3 || rest.substr(rest.size() - 3) != " с") continue;
      const int seconds = reference_number(rest.substr(0, rest.size() - 3), 3600);
      if (seconds < 1) continue;
      paused = true;
      next.pause = seconds;
      continue;
    }
    const std::string_view names[] = {"ОК", "Отмена", "Да", "Нет"};
    const int ids[] = {1, 2, 6, 7};
    int id = 0;
    std::string_view rest;
    for (int a = 0; a < 4; ++a)
      if (item.starts_with(names[a])) {
        id = ids[a];
        rest = item.substr(names[a].size());
      }
    if (id) {
      std::string_view caption;
      if (rest.starts_with(" «")) {
        const std::size_t close = rest.find("»");
        if (close == std::string_view::npos) continue;
        caption = rest.substr(3, close - 3);
        if (!reference_caption(caption)) continue;
        rest = rest.substr(close + 2);
      }
      int target = script::kGoOn;
      if (rest.empty() && caption.empty()) continue;
      if (!rest.empty()) {
        if (rest[0] != '>') continue;
        target = reference_target(rest.substr(1));
        if (target == kNoTarget) continue;
      }
      if (std::find(buttons.begin(), buttons.end(), id) != buttons.end() && !next.of(id))
        next.by_id.push_back({id, target, caption});
      continue;
    }
    const std::size_t arrow = item.find('>');
    const std::string_view head = item.substr(0, arrow);
    int target = script::kGoOn;
    if (arrow != std::string_view::npos) {
      target = reference_target(item.substr(arrow + 1));
      if (target == kNoTarget) continue;
    }
    if (waited || head.size() < 3 || head.substr(head.size() - 3) != " с") continue;
    const int seconds = reference_number(head.substr(0, head.size() - 3), 3600);
    if (seconds < 1) continue;
    waited = true;
    next.wait = seconds;
    next.wait_next = target;
  }
  next.countdown = counts && waited;
  return next;
}

void check_next(std::string_view row, const std::vector<std::string_view>& want) {
  const script::Fields f = script::split_row(row);
  const script::Next next = script::next_of(f);
  const ReferenceNext ref = reference_next(want);
  const std::vector<int> buttons = reference_buttons(want);
  const auto answers = script::answers_of(script::button_set_of(f));
  check(answers.size() == buttons.size(), "the buttons a row shows");
  for (std::size_t k = 0; k < script::kMaxAnswers; ++k) {
    if (k >= answers.size()) {
      check(next.answer[k] == script::kGoOn, "no choice past the set's buttons");
      continue;
    }
    check(script::kAnswerIds[static_cast<std::size_t>(answers[k])] == buttons[k], "button order");
    check(next.answer[k] == ref.target_of(buttons[k]), "an answer's target");
    const auto* choice = ref.of(buttons[k]);
    check(next.caption[k] == (choice ? choice->caption : ""), "an answer's caption");
    check(next.caption[k].empty() || !script::caption_problem(next.caption[k]),
          "a caption read is one the editor accepts");
  }
  check(next.wait == ref.wait && next.wait_next == ref.wait_next, "the wait and its target");
  check(next.countdown == ref.countdown && next.pause == ref.pause, "the countdown and the pause");

  // Written and read again, the meaning stays; a row confirmed as it was opened
  // keeps its bytes; renumbering touches only numbers in field 4.
  const int set = script::button_set_of(f);
  check(script::parse_next(script::compose_next(next, set), set) == next, "compose then parse");
  if (f.count >= 4)
    check(script::compose_row(f.field[0], f.field[1], f.field[2], f.field[3], next, row) == row,
          "an unchanged row keeps its bytes");
  for (int deleted : {0, 7, 14}) {
    const std::string renumbered = script::renumber_after_delete(row, deleted);
    const script::Fields r = script::split_row(renumbered);
    check(r.count == f.count, "renumbering keeps the fields");
    for (std::size_t i = 0; i < 4 && i < f.count; ++i)
      check(r.field[i] == f.field[i], "renumbering keeps fields 0 to 3");
    if (f.count > 5) check(r.rest == f.rest, "renumbering keeps the fields past 4");
    const script::Next after = script::next_of(r);
    const auto moved = [&](int t) { return t > deleted ? t - 1 : t; };
    for (std::size_t k = 0; k < script::kMaxAnswers; ++k) {
      check(after.answer[k] == moved(next.answer[k]), "an answer's target renumbered");
      check(after.caption[k] == next.caption[k], "renumbering keeps the captions");
    }
    check(after.countdown == next.countdown && after.pause == next.pause,
          "renumbering keeps the countdown and the pause");
    check(after.wait == next.wait && after.wait_next == moved(next.wait_next),
          "the wait's target renumbered");
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
  if (f.count > 5) {
    std::string past;
    for (std::size_t i = 5; i < want.size(); ++i)
      past += (i > 5 ? "; " : "") + std::string(want[i]);
    check(f.rest == past, "what lies past the fifth field stands as it is");
  }

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
  check_next(row, want);
}

// The answers given to the boxes: any id a box could or could not give, a timeout,
// or no box; after a budget only "no box", which never jumps, so every run ends.
class FuzzScreen : public player::Screen {
 public:
  explicit FuzzScreen(unsigned seed) : state_(seed * 2654435761u + 1) {}
  int show(const player::Dialog& dialog) override {
    shown.push_back(dialog.caption + '\n' + dialog.text);
    return answer(shown.size());
  }
  int answer(std::size_t n) {
    if (n > 64) return 0;
    state_ = state_ * 1103515245u + 12345u;
    static const int kAnswers[] = {1, 2, 6, 7, player::kTimedOut, 0, 1, 6};
    return kAnswers[(state_ >> 16) & 7];
  }
  std::vector<std::string> shown;

 private:
  unsigned state_;
};

// The player's run on the lines held in memory, by the rules.
void check_play(std::string_view bytes, std::size_t piece, unsigned seed) {
  PieceSource source(bytes, piece, SIZE_MAX);
  FuzzScreen screen(seed);
  const int code = player::play(source, screen);

  const std::vector<std::string_view> lines = reference_lines(bytes);
  FuzzScreen ref(seed);
  std::vector<std::string> shown;
  int ref_code = 0;
  std::size_t line = 0;
  while (line < lines.size()) {
    const std::string row = script::to_utf8(lines[line]);
    const std::vector<std::string_view> fields = reference_fields(row);
    if (fields.size() < 2) {
      ++line;
      continue;
    }
    std::string text(fields[0]);
    for (char& c : text)
      if (c == '#') c = '\r';
    shown.push_back(std::string(fields[1]) + '\n' + text);
    const int answer = ref.answer(shown.size());
    if (answer) ref_code = answer;
    const ReferenceNext next = reference_next(fields);
    int target = script::kGoOn;
    if (answer == player::kTimedOut && next.wait) target = next.wait_next;
    if (answer != player::kTimedOut) {
      const std::vector<int> buttons = reference_buttons(fields);
      if (std::find(buttons.begin(), buttons.end(), answer) != buttons.end())
        target = next.target_of(answer);
    }
    if (target == script::kEnd) break;
    line = target == script::kGoOn ? line + 1 : static_cast<std::size_t>(target);
  }
  check(screen.shown == shown, "the player shows the boxes the answers lead to");
  check(code == ref_code, "the exit code is the last answer");
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

  if (!failing) check_play(bytes, piece, control);

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

  // The clipboard's own format as another program might leave it: a block read
  // comes back from its own bytes, and it always fits an empty project, each row
  // keeping its text.
  if (const auto block = script::read_block(bytes)) {
    check(script::read_block(script::write_block(*block)) == *block, "a block round-trips");
    const auto pasted = script::paste_block({}, block->ids, block->project, 0, *block);
    check(pasted.has_value(), "a block fits an empty project");
    for (std::size_t k = 0; pasted && k < block->rows.size(); ++k)
      check(script::split_row(pasted->edit.rows[k]).field[0] ==
                script::split_row(block->rows[k]).field[0],
            "a pasted row keeps its text");
  }
  return 0;
}
