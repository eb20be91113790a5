#include "player/box_rules.h"

#include <algorithm>

#include "script/jumps.h"

namespace player {

std::uint64_t BoxClock::seconds_left(std::uint64_t now) {
  if (!shown_at_) shown_at_ = now;
  const std::uint64_t stayed = now - *shown_at_;
  return stayed < ms_ ? (ms_ - stayed + 999) / 1000 : 0;
}

std::string countdown_title(std::string_view title, std::uint64_t seconds) {
  std::string out(title);
  if (!out.empty()) out += ' ';
  return out.append("(").append(script::seconds_text(static_cast<int>(seconds))).append(")");
}

std::string button_text(std::string_view caption) {
  std::string out;
  for (const char c : caption) out.append(c == '&' ? 2 : 1, c);
  return out;
}

ButtonRow dress_row(std::span<const ButtonSpan> buttons, std::span<const int> needed,
                    int client_width, std::optional<int> others_left) {
  ButtonRow row;
  const std::size_t n = std::min(buttons.size(), row.buttons.size());
  // The system's gap, as it laid the row out before any button was widened.
  const int gap = n > 1 ? std::max(buttons[1].left - buttons[0].left - buttons[0].width, 4) : 0;
  int width = gap * static_cast<int>(n > 0 ? n - 1 : 0);
  for (std::size_t k = 0; k < n; ++k) {
    row.buttons[k].width = std::max(buttons[k].width, k < needed.size() ? needed[k] : 0);
    width += row.buttons[k].width;
  }
  const int margin = std::max(gap, others_left.value_or(gap));
  row.grow = std::max(0, width + 2 * margin - client_width);
  int x = (client_width + row.grow - width) / 2;
  for (std::size_t k = 0; k < n; ++k) {
    row.buttons[k].left = x;
    x += row.buttons[k].width + gap;
  }
  return row;
}

int grown_left(int left, int width, int grow, int work_left, int work_right) {
  return std::max(work_left, std::min(left - grow / 2, work_right - (width + grow)));
}

}  // namespace player
