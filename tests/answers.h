#pragma once
// Where the answers of a project lead, told by the texts of the dialogs, so that
// tests of the edits can see that each answer keeps its dialog wherever the rows
// now stand.

#include <set>
#include <string>

#include "script/jumps.h"
#include "script/row.h"
#include "script/script_file.h"

namespace answers {

inline std::string text_of(const std::string& row) {
  return std::string(script::split_row(row).field[0]);
}

// Each row's text with where its answers and its timeout lead: "дальше", "конец"
// or the text of the row they lead to.
inline std::set<std::string> by_text(const script::Rows& rows) {
  std::set<std::string> out;
  for (const std::string& row : rows) {
    if (row.empty()) continue;
    const script::Next n = script::next_of(row);
    std::string line = text_of(row);
    for (int t : {n.answer[0], n.answer[1], n.answer[2], n.wait_next})
      line += " > " + (t == script::kGoOn  ? "дальше"
                       : t == script::kEnd ? "конец"
                                           : text_of(rows[static_cast<std::size_t>(t)]));
    out.insert(line);
  }
  return out;
}

}  // namespace answers
