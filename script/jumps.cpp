// Reading field 4: what both programs need.

#include "script/jumps.h"

#include "script/jump_items.h"

namespace script {
namespace {

constexpr Answer kOk[] = {Answer::Ok};
constexpr Answer kOkCancel[] = {Answer::Ok, Answer::Cancel};
constexpr Answer kYesNo[] = {Answer::Yes, Answer::No};
constexpr Answer kYesNoCancel[] = {Answer::Yes, Answer::No, Answer::Cancel};

// A decimal number without sign or leading zero, at most max; nothing otherwise.
std::optional<int> parse_number(std::string_view s, int max) {
  if (s.empty() || s.size() > 4 || (s[0] == '0' && s.size() > 1)) return std::nullopt;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

std::optional<int> parse_target(std::string_view s) {
  if (s == kEndName) return kEnd;
  return parse_number(s, kRowCount - 1);
}

}  // namespace

std::optional<items::Item> items::parse(std::string_view text) {
  Item item;
  const std::size_t arrow = text.find(kLeadsTo);
  item.head = text.substr(0, arrow);
  if (arrow != std::string_view::npos) {
    const auto target = parse_target(text.substr(arrow + 1));
    if (!target) return std::nullopt;
    item.target = *target;
  }
  for (int a = 0; a < kAnswerCount; ++a)
    if (item.head == kAnswerNames[static_cast<std::size_t>(a)]) {
      if (arrow == std::string_view::npos) return std::nullopt;
      item.answer = static_cast<Answer>(a);
      return item;
    }
  if (!item.head.ends_with(kSecondsMark)) return std::nullopt;
  const auto seconds =
      parse_number(item.head.substr(0, item.head.size() - kSecondsMark.size()), kMaxWait);
  if (!seconds || *seconds == 0) return std::nullopt;
  item.seconds = *seconds;
  return item;
}

std::span<const Answer> answers_of(int button_set) {
  switch (button_set) {
    case 0:
      return kOk;
    case 1:
      return kOkCancel;
    case 2:
      return kYesNo;
    case 3:
      return kYesNoCancel;
    default:
      return {};
  }
}

Next parse_next(std::string_view field, int button_set) {
  const std::span<const Answer> answers = answers_of(button_set);
  Next next;
  std::array<bool, kMaxAnswers> taken{};
  bool wait_taken = false;
  items::for_each(field, [&](std::string_view text) {
    const auto item = items::parse(text);
    if (!item) return;
    if (!item->answer) {
      if (wait_taken) return;
      wait_taken = true;
      next.wait = item->seconds;
      next.wait_next = item->target;
      return;
    }
    for (std::size_t k = 0; k < answers.size(); ++k)
      if (answers[k] == *item->answer && !taken[k]) {
        taken[k] = true;
        next.answer[k] = item->target;
      }
  });
  return next;
}

int button_set_of(const Fields& fields) {
  if (!fields.has(3)) return 0;
  return match_button_set(fields.field[3]).value_or(0);
}

Next next_of(const Fields& fields) {
  if (!fields.has(4)) return {};
  return parse_next(fields.field[4], button_set_of(fields));
}

}  // namespace script
