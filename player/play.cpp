#include "player/play.h"

#include <array>

#include "script/cp1251.h"

namespace player {

std::optional<std::uint64_t> next_line(const Dialog& dialog, std::uint64_t line, int answer) {
  int target = script::kGoOn;
  if (answer == kTimedOut) {
    if (dialog.next.wait > 0) target = dialog.next.wait_next;
  } else {
    const auto answers = script::answers_of(dialog.button_set);
    for (std::size_t k = 0; k < answers.size(); ++k)
      if (script::kAnswerIds[static_cast<std::size_t>(answers[k])] == answer)
        target = dialog.next.answer[k];
  }
  if (target == script::kEnd) return std::nullopt;
  if (target == script::kGoOn) return line + 1;
  return static_cast<std::uint64_t>(target);
}

std::uint64_t first_line(std::wstring_view arguments) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  const auto skip_blanks = [&] {
    while (!arguments.empty() && blank(arguments.front())) arguments.remove_prefix(1);
  };
  skip_blanks();
  constexpr std::wstring_view kFrom = L"/from";
  if (arguments.size() <= kFrom.size() || !blank(arguments[kFrom.size()])) return 0;
  for (std::size_t i = 0; i < kFrom.size(); ++i)
    if ((arguments[i] | 0x20) != kFrom[i]) return 0;
  arguments.remove_prefix(kFrom.size());
  skip_blanks();
  std::uint64_t line = 0;
  std::size_t digits = 0;
  for (; digits < arguments.size() && arguments[digits] >= L'0' && arguments[digits] <= L'9';
       ++digits) {
    if (digits == 9) return 0;  // no script has that many lines to pass over
    line = line * 10 + static_cast<std::uint64_t>(arguments[digits] - L'0');
  }
  arguments.remove_prefix(digits);
  skip_blanks();
  return digits > 0 && arguments.empty() ? line : 0;
}

int play(script::ByteSource& source, Screen& screen, std::uint64_t from) {
  using Status = script::LineReader::Status;
  script::LineReader reader(source);
  std::array<std::uint64_t, script::kRowCount> starts{};  // of the lines a target can name
  std::uint64_t known = 0;                                // starts[0] to starts[known - 1]
  std::uint64_t line = 0;                                 // the line read next
  // Reads line `line`, first noting where it starts.
  const auto read = [&] {
    if (line == known && known < starts.size()) starts[known++] = reader.offset();
    return reader.next() == Status::Line;
  };

  int exit_code = 0;
  for (; line < from; ++line)
    if (!read()) return exit_code;
  for (;;) {
    if (!read()) return exit_code;
    const auto dialog = Dialoged(script::to_utf8(reader.line()));
    if (!dialog) {
      ++line;
      continue;
    }
    const int answer = screen.show(*dialog);
    if (answer) exit_code = answer;
    const auto to = next_line(*dialog, line, answer);
    if (!to) return exit_code;
    if (*to <= line) {
      if (!reader.seek(starts[*to])) return exit_code;
      line = *to;
      continue;
    }
    // Forwards: the lines in between are read and passed over.
    for (++line; line < *to; ++line)
      if (!read()) return exit_code;
  }
}

}  // namespace player
