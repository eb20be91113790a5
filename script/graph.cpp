#include "script/graph.h"

namespace script {

Graph graph_of(const Rows& rows) {
  Graph g;
  std::array<Fields, kRowCount> fields;
  for (std::size_t i = 0; i < kRowCount; ++i) {
    fields[i] = split_row(rows[i]);
    g.shown[i] = shows_box(fields[i]);
  }
  // The row the player shows first from line `from` on; past the fifteenth line the
  // file, and the run, ends.
  const auto shown_from = [&g](int from) {
    while (from < kRowCount && !g.shown[static_cast<std::size_t>(from)]) ++from;
    return from < kRowCount ? from : kEnd;
  };
  const auto to_of = [&](int row, int written) {
    if (written == kEnd) return kEnd;
    return shown_from(written == kGoOn ? row + 1 : written);
  };

  g.start = shown_from(0);
  for (int row = 0; row < kRowCount; ++row) {
    const std::size_t i = static_cast<std::size_t>(row);
    if (!g.shown[i]) continue;
    const Next next = next_of(fields[i]);
    const std::span<const Answer> answers = answers_of(button_set_of(fields[i]));
    for (std::size_t k = 0; k < answers.size(); ++k)
      g.exits[i].push_back({answers[k], 0, next.answer[k], to_of(row, next.answer[k])});
    if (next.wait > 0)
      g.exits[i].push_back({std::nullopt, next.wait, next.wait_next, to_of(row, next.wait_next)});
  }

  // Forwards from the start: the rows some path shows.
  std::array<bool, kRowCount> reached{};
  std::array<int, kRowCount> pending{};
  int count = 0;
  const auto reach = [&](int row) {
    if (row == kEnd || reached[static_cast<std::size_t>(row)]) return;
    reached[static_cast<std::size_t>(row)] = true;
    pending[static_cast<std::size_t>(count++)] = row;
  };
  reach(g.start);
  while (count > 0)
    for (const Exit& exit : g.exits[static_cast<std::size_t>(pending[--count])]) reach(exit.to);

  // Backwards from the end: a row can end when one of its exits ends or leads to a
  // row that can. Fifteen rows settle within fifteen rounds.
  std::array<bool, kRowCount> can_end{};
  for (bool grew = true; grew;) {
    grew = false;
    for (std::size_t i = 0; i < kRowCount; ++i) {
      if (can_end[i]) continue;
      for (const Exit& exit : g.exits[i])
        if (exit.to == kEnd || can_end[static_cast<std::size_t>(exit.to)]) can_end[i] = true;
      grew = grew || can_end[i];
    }
  }

  for (std::size_t i = 0; i < kRowCount; ++i) {
    g.never_shown[i] = !rows[i].empty() && !reached[i];
    g.trapped[i] = g.shown[i] && !can_end[i];
  }
  g.never_ends = g.start != kEnd && g.trapped[static_cast<std::size_t>(g.start)];
  return g;
}

}  // namespace script
