#pragma once
// The rules of the player's own box that need no window: the time of a box that
// closes itself and the seconds its title tells, its buttons' texts, and where its
// row of buttons goes once their captions have widened them. timed_box.cpp applies
// them to the system's message box.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "script/button_sets.h"

namespace player {

// The time of a box that closes itself after ms milliseconds, counted from the first
// tick that finds it on the screen.
class BoxClock {
 public:
  explicit BoxClock(std::uint64_t ms) : ms_(ms) {}
  // At a tick that finds the box on the screen, now in milliseconds: the whole
  // seconds it has left, rounded up; 0 once its time is up.
  std::uint64_t seconds_left(std::uint64_t now);

 private:
  std::uint64_t ms_;
  std::optional<std::uint64_t> shown_at_;
};

// The title of a box that counts down: "<title> (N с)", "(N с)" without a title.
std::string countdown_title(std::string_view title, std::uint64_t seconds);

// A caption as its button's text: each "&" doubled, so that it shows as it stands
// and marks no access key.
std::string button_text(std::string_view caption);

// A button of the box's row, in the box's client pixels.
struct ButtonSpan {
  int left = 0;
  int width = 0;
};

struct ButtonRow {
  int grow = 0;  // how much wider the box must become
  std::array<ButtonSpan, script::kMaxAnswers> buttons{};
};

// The row once captions are on its buttons. buttons: the row as the system laid it
// out, left to right (at most three); needed: the width each one's caption needs (0
// for a button that keeps its own name); others_left: where the box's icon or text
// begins, if it has them. Each button keeps at least its width, the gap between them
// stays the system's (4 at least), the box grows where the row with a margin on each
// side (others_left, at least the gap) does not fit, and the row is centred.
ButtonRow dress_row(std::span<const ButtonSpan> buttons, std::span<const int> needed,
                    int client_width, std::optional<int> others_left);

// Where the left edge of a box of that width goes when it grows by grow: half the
// growth on each side, kept within the work area from work_left to work_right.
int grown_left(int left, int width, int grow, int work_left, int work_right);

}  // namespace player
