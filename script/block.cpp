#include "script/block.h"

#include <algorithm>
#include <charconv>

#include "script/cp1251.h"
#include "script/jumps.h"
#include "utf/utf.h"

namespace script {
namespace {

constexpr std::string_view kHeader = "Quillet rows 1\n";

// Takes word from the front of in; false when it is not there.
bool take(std::string_view& in, std::string_view word) {
  if (!in.starts_with(word)) return false;
  in.remove_prefix(word.size());
  return true;
}

// A decimal number at the front of in.
template <class T>
bool take_number(std::string_view& in, T& value) {
  const auto [p, ec] = std::from_chars(in.data(), in.data() + in.size(), value);
  if (ec != std::errc() || p == in.data()) return false;
  in.remove_prefix(static_cast<std::size_t>(p - in.data()));
  return true;
}

}  // namespace

Block make_block(const Rows& rows, const RowIds& ids, int first, int count, std::string project) {
  Block b;
  first = std::clamp(first, 0, kRowCount - 1);
  count = std::clamp(count, 0, kRowCount - first);
  b.rows.assign(rows.begin() + first, rows.begin() + first + count);
  b.from = first;
  b.project = std::move(project);
  b.ids = ids;
  return b;
}

std::string write_block(const Block& block) {
  std::string out(kHeader);
  out += "project " + block.project + "\n";
  out += "from " + std::to_string(block.from) + "\n";
  out += "ids";
  for (std::uint32_t id : block.ids) out += " " + std::to_string(id);
  out += "\nrows " + std::to_string(block.rows.size()) + "\n";
  for (const std::string& row : block.rows) out += std::to_string(row.size()) + ":" + row + "\n";
  return out;
}

std::optional<Block> read_block(std::string_view in) {
  Block b;
  if (!take(in, kHeader) || !take(in, "project ")) return std::nullopt;
  const std::size_t end = in.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  b.project = in.substr(0, end);
  in.remove_prefix(end + 1);
  std::size_t count = 0;
  if (!take(in, "from ") || !take_number(in, b.from) || !take(in, "\nids")) return std::nullopt;
  for (std::uint32_t& id : b.ids)
    if (!take(in, " ") || !take_number(in, id)) return std::nullopt;
  if (!take(in, "\nrows ") || !take_number(in, count) || !take(in, "\n")) return std::nullopt;
  if (count < 1 || count > kRowCount || b.from < 0 || b.from + static_cast<int>(count) > kRowCount)
    return std::nullopt;
  for (std::size_t k = 0; k < count; ++k) {
    std::size_t size = 0;
    if (!take_number(in, size) || !take(in, ":") || size >= in.size() || in[size] != '\n' ||
        size > kMaxRowBytes)
      return std::nullopt;
    b.rows.emplace_back(in.substr(0, size));
    in.remove_prefix(size + 1);
  }
  if (!in.empty()) return std::nullopt;
  return b;
}

std::optional<Pasted> paste_block(const Rows& rows, const RowIds& ids, std::string_view project,
                                  int at, const Block& block) {
  const int n = static_cast<int>(block.rows.size());
  std::vector<std::string> room(block.rows.size());
  auto edit = insert_rows(rows, at, room);
  if (!edit) return std::nullopt;
  Pasted p{std::move(*edit), 0};
  const bool here = block.project == project;
  const auto to = [&](int t) {
    if (t >= block.from && t < block.from + n) return at + (t - block.from);
    const std::uint32_t id = block.ids[static_cast<std::size_t>(t)];
    const auto found = std::find(ids.begin(), ids.end(), id);
    if (here && id != 0 && found != ids.end())
      return moved_target(p.edit.moves, static_cast<int>(found - ids.begin()));
    ++p.lost;
    return kGoOn;
  };
  for (int k = 0; k < n; ++k)
    p.edit.rows[static_cast<std::size_t>(at + k)] =
        retarget(block.rows[static_cast<std::size_t>(k)], to);
  return p;
}

std::string rows_as_text(std::span<const std::string> rows) {
  std::string out;
  for (const std::string& row : rows) out += row + "\r\n";
  return out;
}

TextRows rows_from_text(std::string_view text, int free) {
  TextRows r;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\r'), text.find('\n'));
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(text.size(), end));
    if (text.starts_with("\r\n"))
      text.remove_prefix(2);
    else if (!text.empty())
      text.remove_prefix(1);
    ++number;
    if (line.empty()) continue;
    const auto refuse = [&](TextRows::Problem why) {
      r.problem = why;
      r.line = number;
      r.text = line;
      r.rows.clear();
      return r;
    };
    if (line.size() > kMaxRowBytes && utf::length(line) > kMaxRowBytes)
      return refuse(TextRows::Problem::TooLong);
    r.chars = unstorable_chars(line);
    if (!r.chars.empty()) return refuse(TextRows::Problem::Unstorable);
    if (static_cast<int>(r.rows.size()) >= free) return refuse(TextRows::Problem::NoRoom);
    r.rows.emplace_back(line);
  }
  return r;
}

}  // namespace script
