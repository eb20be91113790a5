#include "script/jumps.h"

#include <optional>

namespace script {
namespace {

constexpr std::string_view kItemSeparator = ", ";
constexpr std::string_view kSecondsMark = " с";
constexpr char kLeadsTo = '>';

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

bool is_target(int target) { return target == kEnd || (target >= 0 && target < kRowCount); }

void append_target(std::string& out, int target) {
  out += kLeadsTo;
  if (target == kEnd)
    out.append(kEndName);
  else
    out.append(std::to_string(target));
}

// One item as written, whatever the row's buttons: an answer and its target, or a
// wait in seconds and its target (kGoOn when it has none).
struct Item {
  std::optional<Answer> answer;
  int seconds = 0;
  int target = kGoOn;
  std::string_view head;  // the item before its target
};

std::optional<Item> parse_item(std::string_view text) {
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

// Calls visit(item text) for each piece of a field split at ", ".
template <class Visit>
void for_each_item(std::string_view field, Visit visit) {
  if (field.empty()) return;
  for (;;) {
    const std::size_t at = field.find(kItemSeparator);
    visit(field.substr(0, at));
    if (at == std::string_view::npos) return;
    field.remove_prefix(at + kItemSeparator.size());
  }
}

}  // namespace

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
  std::array<bool, kMaxAnswers> set{};
  bool wait_set = false;
  for_each_item(field, [&](std::string_view text) {
    const auto item = parse_item(text);
    if (!item) return;
    if (!item->answer) {
      if (wait_set) return;
      wait_set = true;
      next.wait = item->seconds;
      next.wait_next = item->target;
      return;
    }
    for (std::size_t k = 0; k < answers.size(); ++k)
      if (answers[k] == *item->answer && !set[k]) {
        set[k] = true;
        next.answer[k] = item->target;
      }
  });
  return next;
}

std::string compose_next(const Next& next, int button_set) {
  std::string out;
  const auto item_start = [&out] {
    if (!out.empty()) out.append(kItemSeparator);
  };
  const std::span<const Answer> answers = answers_of(button_set);
  for (std::size_t k = 0; k < answers.size(); ++k) {
    if (!is_target(next.answer[k])) continue;
    item_start();
    out.append(kAnswerNames[static_cast<std::size_t>(answers[k])]);
    append_target(out, next.answer[k]);
  }
  if (next.wait >= 1 && next.wait <= kMaxWait) {
    item_start();
    out.append(std::to_string(next.wait)).append(kSecondsMark);
    if (is_target(next.wait_next)) append_target(out, next.wait_next);
  }
  return out;
}

int button_set_of(const Fields& fields) {
  if (!fields.has(3)) return 0;
  return match_button_set(fields.field[3]).value_or(0);
}

Next next_of(const Fields& fields) {
  if (!fields.has(4)) return {};
  return parse_next(fields.field[4], button_set_of(fields));
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

std::string renumber_after_delete(std::string_view row, int deleted) {
  const Fields fields = split_row(row);
  if (!fields.has(4) || deleted < 0) return std::string(row);
  // Field 4 is a view into row: what precedes and follows it stays as it is.
  const std::size_t from = static_cast<std::size_t>(fields.field[4].data() - row.data());
  const std::size_t to = from + fields.field[4].size();
  std::string out(row.substr(0, from));
  bool first = true;
  for_each_item(fields.field[4], [&](std::string_view text) {
    if (!first) out.append(kItemSeparator);
    first = false;
    const auto item = parse_item(text);
    if (item && item->target > deleted) {
      out.append(item->head);
      append_target(out, item->target - 1);
    } else {
      out.append(text);
    }
  });
  out.append(row.substr(to));
  return out;
}

void delete_row(Rows& rows, int index) {
  if (index < 0 || index >= kRowCount) return;
  for (int i = index; i < kRowCount - 1; ++i)
    rows[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(i + 1)];
  rows[kRowCount - 1].clear();
  for (auto& row : rows) row = renumber_after_delete(row, index);
}

Reachability reachability(const Rows& rows) {
  constexpr int kEndNode = kRowCount;  // the run has ended
  std::array<Fields, kRowCount> fields;
  for (int i = 0; i < kRowCount; ++i)
    fields[static_cast<std::size_t>(i)] = split_row(rows[static_cast<std::size_t>(i)]);
  // The line the player shows first from line `from` on, passing over the lines that
  // show nothing; past the fifteenth line the file, and the run, ends.
  const auto shown_from = [&](int from) {
    while (from < kRowCount && !fields[static_cast<std::size_t>(from)].has(1)) ++from;
    return from;
  };

  std::array<bool, kRowCount + 1> reached{};
  std::array<int, kRowCount + 1> pending{};
  int count = 0;
  const auto reach = [&](int node) {
    if (reached[static_cast<std::size_t>(node)]) return;
    reached[static_cast<std::size_t>(node)] = true;
    pending[static_cast<std::size_t>(count++)] = node;
  };
  const auto follow = [&](int line, int target) {
    if (target == kEnd) return reach(kEndNode);
    reach(shown_from(target == kGoOn ? line + 1 : target));
  };

  reach(shown_from(0));
  while (count > 0) {
    const int line = pending[static_cast<std::size_t>(--count)];
    if (line == kEndNode) continue;
    const Fields& f = fields[static_cast<std::size_t>(line)];
    const Next next = next_of(f);
    const std::size_t answers = answers_of(button_set_of(f)).size();
    for (std::size_t k = 0; k < answers; ++k) follow(line, next.answer[k]);
    if (next.wait > 0) follow(line, next.wait_next);
  }

  Reachability result;
  for (int i = 0; i < kRowCount; ++i)
    result.never_shown[static_cast<std::size_t>(i)] =
        !rows[static_cast<std::size_t>(i)].empty() && !reached[static_cast<std::size_t>(i)];
  result.never_ends = !reached[kEndNode];
  return result;
}

}  // namespace script
