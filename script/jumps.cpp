// Reading field 4: what both programs need.

#include "script/jumps.h"

#include "script/cp1251.h"
#include "script/jump_items.h"
#include "utf/utf.h"

namespace script {
namespace {

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

// "<seconds> с" with 1 to max seconds.
std::optional<int> parse_seconds_item(std::string_view s, int max) {
  if (!s.ends_with(items::kSecondsMark)) return std::nullopt;
  return parse_seconds(s.substr(0, s.size() - items::kSecondsMark.size()), max);
}

// An answer item: the answer's name, then a caption, a target or both.
std::optional<items::Item> parse_answer(std::string_view text, Answer answer) {
  items::Item item;
  item.answer = answer;
  std::string_view rest = text.substr(answer_info(answer).name.size());
  if (rest.starts_with(items::kCaptionStart)) {
    rest.remove_prefix(items::kCaptionStart.size());
    const std::size_t close = rest.find(items::kCloseQuote);
    if (close == std::string_view::npos) return std::nullopt;
    item.caption = rest.substr(0, close);
    if (!items::is_caption(item.caption)) return std::nullopt;
    rest.remove_prefix(close + items::kCloseQuote.size());
  }
  item.head = text.substr(0, text.size() - rest.size());
  if (rest.empty()) {
    if (item.caption.empty()) return std::nullopt;  // says nothing
    return item;
  }
  if (rest[0] != items::kLeadsTo) return std::nullopt;
  const auto target = parse_target(rest.substr(1));
  if (!target) return std::nullopt;
  item.target = *target;
  return item;
}

}  // namespace

std::optional<int> parse_seconds(std::string_view digits, int max) {
  const auto seconds = parse_number(digits, max);
  if (!seconds || *seconds == 0) return std::nullopt;
  return seconds;
}

std::string seconds_text(int seconds) {
  // By hand: the player would carry the whole formatted printing for a number.
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + seconds % 10));
    seconds /= 10;
  } while (seconds > 0);
  return digits.append(items::kSecondsMark);
}

bool items::caption_char(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
  if (c == U'«' || c == U'»' || c == U';' || c == U'#') return false;
  return cp1251_byte(c) >= 0;
}

bool items::is_caption(std::string_view text) {
  std::size_t chars = 0;
  while (!text.empty()) {
    char32_t c;
    text.remove_prefix(utf::decode(text, c));
    if (!caption_char(c) || ++chars > kMaxCaptionChars) return false;
  }
  return chars > 0;
}

std::size_t items::item_end(std::string_view field, std::size_t from, std::size_t& close) {
  for (std::size_t i = from; i < field.size(); ++i) {
    // The first byte is compared first: a field can be megabytes long.
    const char c = field[i];
    if (c == kSeparator[0] && field.substr(i).starts_with(kSeparator)) return i;
    if (c != kOpenQuote[0] || !field.substr(i).starts_with(kOpenQuote)) continue;
    const std::size_t after = i + kOpenQuote.size();
    if (close != std::string_view::npos && close < after) close = field.find(kCloseQuote, after);
    // What lies between the quotes belongs to this item; the loop steps past the "»".
    if (close != std::string_view::npos) i = close + kCloseQuote.size() - 1;
  }
  return field.size();
}

std::optional<items::Item> items::parse(std::string_view text) {
  for (const Answer answer : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No})
    if (text.starts_with(answer_info(answer).name)) return parse_answer(text, answer);
  Item item;
  if (text == kCountdownName) {
    item.kind = Item::Kind::Countdown;
    item.head = text;
    return item;
  }
  if (text.starts_with(kPauseName) && text.substr(kPauseName.size()).starts_with(' ')) {
    const auto seconds = parse_seconds_item(text.substr(kPauseName.size() + 1), kMaxPause);
    if (!seconds) return std::nullopt;
    item.kind = Item::Kind::Pause;
    item.seconds = *seconds;
    item.head = text;
    return item;
  }
  const std::size_t arrow = text.find(kLeadsTo);
  item.kind = Item::Kind::Wait;
  item.head = text.substr(0, arrow);
  if (arrow != std::string_view::npos) {
    const auto target = parse_target(text.substr(arrow + 1));
    if (!target) return std::nullopt;
    item.target = *target;
  }
  const auto seconds = parse_seconds_item(item.head, kMaxWait);
  if (!seconds) return std::nullopt;
  item.seconds = *seconds;
  return item;
}

Next parse_next(std::string_view field, int button_set) {
  const std::span<const Answer> answers = answers_of(button_set);
  Next next;
  std::array<bool, kMaxAnswers> taken{};
  bool wait_taken = false, pause_taken = false, countdown = false;
  items::for_each(field, [&](std::string_view text) {
    const auto item = items::parse(text);
    if (!item) return;
    switch (item->kind) {
      case items::Item::Kind::Answer:
        for (std::size_t k = 0; k < answers.size(); ++k)
          if (answers[k] == item->answer && !taken[k]) {
            taken[k] = true;
            next.answer[k] = item->target;
            next.caption[k].assign(item->caption);
          }
        return;
      case items::Item::Kind::Wait:
        if (wait_taken) return;
        wait_taken = true;
        next.wait = item->seconds;
        next.wait_next = item->target;
        return;
      case items::Item::Kind::Countdown:
        countdown = true;
        return;
      case items::Item::Kind::Pause:
        if (pause_taken) return;
        pause_taken = true;
        next.pause = item->seconds;
        return;
    }
  });
  next.countdown = countdown && next.wait > 0;
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
