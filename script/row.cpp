#include "script/row.h"

namespace script {

Fields split_row(std::string_view row) {
  Fields f;
  if (row.empty()) return f;
  for (;;) {
    if (f.count == f.field.size()) f.rest = row;
    const std::size_t at = row.find(kSeparator);
    const std::string_view piece = row.substr(0, at);
    if (f.count < f.field.size()) f.field[f.count] = piece;
    ++f.count;
    if (at == std::string_view::npos) return f;
    row.remove_prefix(at + kSeparator.size());
  }
}

std::string compose_row(std::string_view text, std::string_view title,
                        std::string_view icon_name, std::string_view button_set_name) {
  std::string row;
  row.reserve(text.size() + title.size() + icon_name.size() + button_set_name.size() + 6);
  row.append(text).append(kSeparator).append(title);
  row.append(kSeparator).append(icon_name).append(kSeparator).append(button_set_name);
  return row;
}

namespace {
template <std::size_t N>
std::optional<int> match(const std::array<std::string_view, N>& names, std::string_view field) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == field) return static_cast<int>(i);
  return std::nullopt;
}
}  // namespace

std::optional<int> match_icon(std::string_view field) { return match(kIconNames, field); }
std::optional<int> match_button_set(std::string_view field) {
  return match(kButtonSetNames, field);
}

unsigned dialog_style(std::optional<std::string_view> icon_name,
                      std::optional<std::string_view> button_set_name) {
  unsigned style = kSystemModal;
  if (icon_name)
    if (auto i = match_icon(*icon_name)) style += kIconValues[*i];
  if (button_set_name)
    if (auto b = match_button_set(*button_set_name)) style += kButtonSetValues[*b];
  return style;
}

}  // namespace script
