#include "script/edits.h"

#include <algorithm>
#include <vector>

#include "script/jump_items.h"
#include "script/jumps.h"
#include "script/row.h"

namespace script {
namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The rows in a new order (order[new position] = old position, -1 for an empty
// row), each renumbered through the map that order makes; the rows left out are
// `left`, kRemoved or kPushedOut.
Edit reorder(const Rows& rows, const std::array<int, kRowCount>& order, int left = kRemoved) {
  Edit e;
  e.moves.fill(left);
  for (int i = 0; i < kRowCount; ++i)
    if (order[at(i)] >= 0) e.moves[at(order[at(i)])] = i;
  for (int i = 0; i < kRowCount; ++i)
    if (order[at(i)] >= 0) e.rows[at(i)] = renumber(rows[at(order[at(i)])], e.moves);
  return e;
}

}  // namespace

Moves unmoved() {
  Moves m;
  for (int i = 0; i < kRowCount; ++i) m[at(i)] = i;
  return m;
}

int shown_rows(const Rows& rows) {
  int n = 0;
  while (n < kRowCount && !rows[at(n)].empty()) ++n;
  return n;
}

int free_rows(const Rows& rows) {
  int n = 0;
  while (n < kRowCount && rows[at(kRowCount - 1 - n)].empty()) ++n;
  return n;
}

int moved_target(const Moves& moves, int target) {
  if (target < 0 || target >= kRowCount) return target;
  int to = moves[at(target)];
  for (int i = target + 1; to == kRemoved && i < kRowCount; ++i) to = moves[at(i)];
  for (int i = target - 1; to == kRemoved && i >= 0; --i)
    if (moves[at(i)] != kRemoved) to = moves[at(i)] + 1;
  return to == kRemoved ? 0 : to >= kPushedOut ? kEnd : to;
}

std::string retarget(std::string_view row, const std::function<int(int)>& to) {
  const Fields fields = split_row(row);
  if (!fields.has(4)) return std::string(row);
  std::string field;
  bool touched = false, first = true;
  items::for_each(fields.field[4], [&](std::string_view text) {
    const auto item = items::parse(text);
    std::string out(text);
    if (item && item->target >= 0) {
      const int target = to(item->target);
      if (target != item->target) {
        touched = true;
        out = item->head;
        if (target != kGoOn) {
          out += items::kLeadsTo;
          out += target == kEnd ? std::string(kEndName) : std::to_string(target);
        } else if (item->kind == items::Item::Kind::Answer && item->caption.empty()) {
          return;  // an answer that says and does nothing of its own is no item
        }
      }
    }
    if (!first) field.append(items::kSeparator);
    first = false;
    field += out;
  });
  if (!touched) return std::string(row);
  // Field 4 is a view into row: what precedes and follows it stays as it is.
  const std::size_t from = static_cast<std::size_t>(fields.field[4].data() - row.data());
  std::string out(row.substr(0, from));
  if (field.empty() && !fields.has(5))
    out.resize(out.size() - kSeparator.size());
  else
    out += field;
  out.append(row.substr(from + fields.field[4].size()));
  return out;
}

std::string renumber(std::string_view row, const Moves& moves) {
  return retarget(row, [&moves](int t) { return moved_target(moves, t); });
}

std::optional<Edit> insert_rows(const Rows& rows, int at_row, std::span<const std::string> block) {
  const int n = static_cast<int>(block.size());
  if (at_row < 0 || n > free_rows(rows) || at_row + n > kRowCount) return std::nullopt;
  std::array<int, kRowCount> order;
  for (int i = 0; i < kRowCount; ++i) order[at(i)] = i < at_row ? i : i < at_row + n ? -1 : i - n;
  Edit e = reorder(rows, order, kPushedOut);
  for (int k = 0; k < n; ++k) e.rows[at(at_row + k)] = block[at(k)];
  return e;
}

Edit remove_rows(const Rows& rows, int first, int count) {
  first = std::clamp(first, 0, kRowCount);
  count = std::clamp(count, 0, kRowCount - first);
  // Nothing filled from first on: no row moves, and no target may change.
  if (kRowCount - free_rows(rows) <= first) return {rows, unmoved()};
  std::array<int, kRowCount> order;
  for (int i = 0; i < kRowCount; ++i)
    order[at(i)] = i < first ? i : i + count < kRowCount ? i + count : -1;
  return reorder(rows, order);
}

Edit move_rows(const Rows& rows, int first, int count, int to) {
  first = std::clamp(first, 0, kRowCount);
  count = std::clamp(count, 0, kRowCount - first);
  to = std::clamp(to, 0, kRowCount - count);
  std::vector<int> others;
  for (int i = 0; i < kRowCount; ++i)
    if (i < first || i >= first + count) others.push_back(i);
  std::array<int, kRowCount> order;
  for (int i = 0, k = 0; i < kRowCount; ++i)
    order[at(i)] = i >= to && i < to + count ? first + (i - to) : others[at(k++)];
  return reorder(rows, order);
}

std::string renumber_after_delete(std::string_view row, int deleted) {
  if (deleted < 0) return std::string(row);
  return retarget(row, [deleted](int t) { return t > deleted ? t - 1 : t; });
}

void delete_row(Rows& rows, int index) {
  if (index < 0 || index >= kRowCount) return;
  rows = remove_rows(rows, index, 1).rows;
}

}  // namespace script
