#pragma once
// Structural edits of the sequence: rows inserted, removed or moved as a block.
// Each gives the new rows and where every old row went, and renumbers the targets
// of the rows through that one map, so that each answer and each timeout leads to
// the dialog it led to before. «дальше» (no target) stays «дальше»: the row below,
// wherever that now is. A target whose row was removed leads to the row that took
// its place, as deleting one row always did. A row whose targets stay keeps its
// bytes; in a row whose targets change only their digits change.

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "script/script_file.h"

namespace script {

inline constexpr int kRemoved = -1;
inline constexpr int kPushedOut = kRowCount;  // an empty row an insert pushed past the last
// moves[old position] = the row's new position, kRemoved or kPushedOut.
using Moves = std::array<int, kRowCount>;

struct Edit {
  Rows rows;
  Moves moves;
};

// Every row where it was: the map of an edit that moves nothing.
Moves unmoved();

// The rows from the first up to the first empty one: what the list shows.
int shown_rows(const Rows& rows);
// The empty rows after the last filled one: how many rows an insert can take.
int free_rows(const Rows& rows);

// Where a target of the old numbering leads after an edit: its row's new place;
// for a removed row, the place of the first row after it that stays, else the place
// after the last one before it; for an empty row pushed out, where the run ended
// anyway, "конец".
int moved_target(const Moves& moves, int target);

// The row with each explicit target of field 4 given by to(target): a row, kEnd
// for "конец", or kGoOn to drop the target (an answer without a caption of its own
// then drops its whole item, and a field left empty goes with its separator).
// Items that do not parse, "конец" and every other byte stay as they are; nothing
// changes when no target does.
std::string retarget(std::string_view row, const std::function<int(int)>& to);
// The row's targets renumbered through an edit's moves.
std::string renumber(std::string_view row, const Moves& moves);

// Puts block at position at (the rows there and below move down) and renumbers
// the other rows; the block's own rows are taken as they are, their targets given
// in the new numbering. Nothing when the block does not fit: it needs as many free
// rows (free_rows) as it has, and at + its size may not pass the last row.
std::optional<Edit> insert_rows(const Rows& rows, int at, std::span<const std::string> block);
// Takes count rows from first out (the rows below move up, empty rows come in at
// the end). Removing rows below which, and among which, every row is empty changes
// nothing.
Edit remove_rows(const Rows& rows, int first, int count);
// Moves count rows from first so that the first of them stands at to; the other
// rows keep their order.
Edit move_rows(const Rows& rows, int first, int count, int to);

// The row after row `deleted` was taken out of the sequence: a target after it
// goes down by one, a target at it stays and so leads to the row that takes its
// place.
std::string renumber_after_delete(std::string_view row, int deleted);
// Deletes row index as the main window does: remove_rows of one row.
void delete_row(Rows& rows, int index);

}  // namespace script
