// What the designer does with field 4: writes it. Apart from the reading, so that
// the player does not carry it.

#include <algorithm>
#include <unordered_set>

#include "script/jump_items.h"
#include "script/jumps.h"
#include "utf/utf.h"

namespace script {
namespace {

void append_target(std::string& out, int target) {
  out += items::kLeadsTo;
  if (target == kEnd)
    out.append(kEndName);
  else
    out.append(std::to_string(target));
}

}  // namespace

std::string compose_next(const Next& next, int button_set) {
  std::string out;
  const auto item_start = [&out] {
    if (!out.empty()) out.append(items::kSeparator);
  };
  const std::span<const Answer> answers = answers_of(button_set);
  for (std::size_t k = 0; k < answers.size(); ++k) {
    const bool leads = is_target(next.answer[k]);
    const bool says = items::is_caption(next.caption[k]);
    if (!leads && !says) continue;
    item_start();
    out.append(answer_info(answers[k]).name);
    if (says) {
      out.append(items::kCaptionStart).append(next.caption[k]).append(items::kCloseQuote);
    }
    if (leads) append_target(out, next.answer[k]);
  }
  const bool waits = next.wait >= 1 && next.wait <= kMaxWait;
  if (waits) {
    item_start();
    out.append(seconds_text(next.wait));
    if (is_target(next.wait_next)) append_target(out, next.wait_next);
  }
  if (waits && next.countdown) {
    item_start();
    out.append(kCountdownName);
  }
  if (next.pause >= 1 && next.pause <= kMaxPause) {
    item_start();
    out.append(kPauseName).append(" ").append(seconds_text(next.pause));
  }
  return out;
}

std::optional<CaptionProblem> caption_problem(std::string_view caption) {
  if (caption.empty()) return CaptionProblem{CaptionProblem::Kind::Empty, {}};
  std::vector<std::string> refused;
  std::unordered_set<char32_t> seen;  // a paste may be long
  std::size_t chars = 0;
  for (std::string_view rest = caption; !rest.empty(); ++chars) {
    char32_t c;
    rest.remove_prefix(utf::decode(rest, c));
    if (!items::caption_char(c) && seen.insert(c).second) utf::append(refused.emplace_back(), c);
  }
  if (!refused.empty()) return CaptionProblem{CaptionProblem::Kind::Refused, std::move(refused)};
  if (chars > kMaxCaptionChars) return CaptionProblem{CaptionProblem::Kind::TooLong, {}};
  return std::nullopt;
}

std::string compose_row(std::string_view text, std::string_view title, std::string_view icon_name,
                        std::string_view button_set_name, const Next& next,
                        std::string_view old_row) {
  const int button_set = match_button_set(button_set_name).value_or(0);
  const Fields old = split_row(old_row);
  std::string field = compose_next(next, button_set);
  const bool keep_old = old.has(4) && old.field[3] == button_set_name &&
                        compose_next(parse_next(old.field[4], button_set), button_set) == field;
  std::string row = compose_row(text, title, icon_name, button_set_name);
  if (keep_old || old.has(5) || !field.empty())
    row.append(kSeparator).append(keep_old ? old.field[4] : std::string_view(field));
  if (old.has(5)) row.append(kSeparator).append(old.rest);
  return row;
}

std::string with_target(std::string_view row, std::optional<Answer> answer, int target) {
  const Fields fields = split_row(row);
  const Next before = next_of(fields);
  Next next = before;
  if (answer) {
    const std::span<const Answer> answers = answers_of(button_set_of(fields));
    const auto k = static_cast<std::size_t>(std::find(answers.begin(), answers.end(), *answer) -
                                            answers.begin());
    if (k < answers.size()) next.answer[k] = target;
  } else if (next.wait > 0) {
    next.wait_next = target;
  }
  if (next == before || !shows_box(fields)) return std::string(row);
  return compose_row(fields.field[0], fields.field[1], fields.field[2], fields.field[3], next, row);
}

}  // namespace script
