#pragma once
// A dialog row: text, title, icon name and button-set name joined by "; ".
// Rows are UTF-8; "; " is plain ASCII, so splitting is the same on file bytes.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace script {

inline constexpr std::string_view kSeparator = "; ";

inline constexpr int kIconCount = 5;
inline constexpr int kButtonSetCount = 4;

// The fixed vocabularies, in the order of the dialog editor's choices.
inline constexpr std::array<std::string_view, kIconCount> kIconNames = {
    "Ошибка", "Восклицание", "Информация", "Вопрос", "Без значка"};
inline constexpr std::array<std::string_view, kButtonSetCount> kButtonSetNames = {
    "ОК", "ОК и Отмена", "Да и Нет", "Да, Нет и Отмена"};

// Message-box values of the names, position for position.
inline constexpr std::array<unsigned, kIconCount> kIconValues = {16, 48, 64, 32, 0};
inline constexpr std::array<unsigned, kButtonSetCount> kButtonSetValues = {0, 1, 4, 3};

// Keeps every box above all other windows until it is answered.
inline constexpr unsigned kSystemModal = 4096;

// The pieces of a row split at every "; ": fields 0 to 4 one by one, and whatever
// follows field 4 as it stands in the row (fields 5 on with their separators), so
// that a row can be put together again byte for byte. count tells how many pieces
// the row has in all. An empty row has none.
struct Fields {
  std::array<std::string_view, 5> field{};
  std::string_view rest;  // meaningful when count > 5
  std::size_t count = 0;

  bool has(std::size_t i) const { return i < count; }
};

Fields split_row(std::string_view row);

// Whether the player shows a box for a row: it needs a text and a title. A row with
// fewer fields, an empty one included, shows nothing and is passed over.
inline bool shows_box(const Fields& fields) { return fields.has(1); }

std::string compose_row(std::string_view text, std::string_view title,
                        std::string_view icon_name, std::string_view button_set_name);

// Position of a name in its table, by exact whole-field comparison.
std::optional<int> match_icon(std::string_view field);
std::optional<int> match_button_set(std::string_view field);

// The player's message-box style for the names of fields 2 and 3; a name that
// matches nothing (or is absent) counts as 0.
unsigned dialog_style(std::optional<std::string_view> icon_name,
                      std::optional<std::string_view> button_set_name);

}  // namespace script
