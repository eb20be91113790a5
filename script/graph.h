#pragma once
// The graph of a project: which of its fifteen rows the player shows, where each
// answer and timeout of a shown box leads, and what can never be shown or never end.
// The main window's notice, the scheme and the tests all read it from here.
//
// The rows are taken as the player plays the file the designer writes for them: a row
// that shows no box (shows_box) is passed over to the next line, and the run ends at
// "конец" and when it goes on past the last line. Every answer of a shown box's
// button set is possible, and so is its timeout.

#include <array>
#include <optional>
#include <vector>

#include "script/jumps.h"
#include "script/row.h"
#include "script/script_file.h"

namespace script {

// One way out of a shown row's box.
struct Exit {
  std::optional<Answer> answer;  // the button; nothing for the timeout
  int wait = 0;                  // the timeout's seconds; 0 for a button
  int written = kGoOn;  // the target as field 4 gives it: a row 0 to 14, kEnd, or kGoOn (no item)
  int to = kEnd;        // the row the player shows next; kEnd when the run ends there

  friend bool operator==(const Exit&, const Exit&) = default;
};

struct Graph {
  std::array<bool, kRowCount> shown{};  // the player shows a box for this row
  int start = kEnd;                     // the first row the player shows; kEnd when none
  // Of each shown row: its set's answers in the order of its buttons, then the
  // timeout when it has one. Empty for a row that is not shown.
  std::array<std::vector<Exit>, kRowCount> exits;
  std::array<bool, kRowCount> never_shown{};  // not empty, and no path from the start shows it
  std::array<bool, kRowCount> trapped{};      // shown, and no path from it reaches an end
  bool never_ends = false;                    // no path from the start reaches an end
};

Graph graph_of(const Rows& rows);

}  // namespace script
