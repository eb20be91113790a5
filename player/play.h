#pragma once
// The player's run: one box for each line that shows one, in file order unless an
// answer leads elsewhere, until the script or an answer ends it.

#include <cstdint>
#include <optional>
#include <string_view>

#include "player/dialoged.h"
#include "script/line_reader.h"

namespace player {

// The answer of a box that closed itself (the system's IDTIMEOUT).
inline constexpr int kTimedOut = 32000;

// The line after the box of `line` closed with `answer` (a button id, kTimedOut, or 0
// when no box could be shown); nothing when the run ends there. An answer that has
// no choice, or that the box's buttons cannot give, goes on to the next line.
std::optional<std::uint64_t> next_line(const Dialog& dialog, std::uint64_t line, int answer);

// Where the boxes are shown: message boxes in run.exe, a script of answers in tests.
class Screen {
 public:
  virtual ~Screen() = default;
  // Shows one box and waits. Returns the button id of the answer, kTimedOut when the
  // box closed itself after dialog.next.wait seconds, or 0 when no box could be shown.
  virtual int show(const Dialog& dialog) = 0;
};

// Plays a script from line `from` (the lines before it are passed over, as a target
// ahead passes over lines) and returns the exit code: the last answer, 0 when no
// box was answered. The source is read one line at a time; going back to a
// target seeks to the line start noted when the reading first passed it (targets
// name lines 0 to 14 only), so memory stays flat however long the script is. A read
// or seek failure ends the run.
int play(script::ByteSource& source, Screen& screen, std::uint64_t from = 0);

// The line a run starts at, from the program's arguments: "/from N" (any letter
// case, N a line number as the designer's list shows it) starts at line N; no
// arguments, or any others, at line 0.
std::uint64_t first_line(std::wstring_view arguments);

}  // namespace player
