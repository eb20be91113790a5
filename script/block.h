#pragma once
// Rows carried apart from their project: what the designer copies, cuts, pastes
// and duplicates. The clipboard holds a block twice: as plain text, one script
// line per row, and in a format of the designer's own that keeps the jumps inside
// the block relative to it and knows the rows outside it by their identities.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/edits.h"
#include "script/history.h"

namespace script {

// The name of the clipboard format of the designer's own.
inline constexpr std::string_view kBlockFormat = "Quillet.Rows";

struct Block {
  std::vector<std::string> rows;  // 1 to 15, as they stood
  int from = 0;                   // where the first stood: a target of the block's rows
                                  // from `from` to from + size - 1 is one of its own
  std::string project;            // the project they came from
  RowIds ids{};                   // the identities of that project's rows then

  bool operator==(const Block&) const = default;
};

// count rows from first of a project's rows.
Block make_block(const Rows& rows, const RowIds& ids, int first, int count, std::string project);

// The block in the designer's own format, and read back from it; nothing for
// bytes that are not a whole block.
std::string write_block(const Block& block);
std::optional<Block> read_block(std::string_view bytes);

struct Pasted {
  Edit edit;
  int lost = 0;  // jumps to rows outside the block that became «дальше»
};
// Puts the block's rows at position at of a project (its rows, their identities
// and its name project): a jump inside the block leads to the pasted copy of its
// row; a jump outside it to the same row, found by its identity, when the block
// comes from this project and the row is still there, else it becomes «дальше».
// Nothing when the rows do not fit (insert_rows).
std::optional<Pasted> paste_block(const Rows& rows, const RowIds& ids, std::string_view project,
                                  int at, const Block& block);

// The rows as plain text: one script line each, CR LF after each.
std::string rows_as_text(std::span<const std::string> rows);

// The rows a plain text gives: each line that is not empty (lines end at CR LF, a
// lone CR or a lone LF). The first line that cannot be a row stops it all: its
// number in the text (from 1) and why.
struct TextRows {
  enum class Problem {
    None,
    TooLong,     // longer than a script line may be (kMaxRowBytes)
    Unstorable,  // chars: characters a script cannot hold
    NoRoom,      // it would be row free + 1, and only free rows are free
  };
  std::vector<std::string> rows;
  Problem problem = Problem::None;
  int line = 0;
  std::string text;  // the line
  std::vector<std::string> chars;
};
TextRows rows_from_text(std::string_view text, int free);

}  // namespace script
