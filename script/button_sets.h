#pragma once
// The button sets a box can show, in one table that the format, the player and the
// dialog editor all read: each set's name in field 3, its message-box value, and its
// buttons in the order the system shows them, each with the answer's name in field 4
// and the message-box result that the player's exit code tells.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace script {

// The answers a box can give.
enum class Answer { Ok, Cancel, Yes, No };
inline constexpr int kAnswerCount = 4;

struct AnswerInfo {
  std::string_view name;  // in field 4, and the system's name of its button
  int id;                 // the message box's result: IDOK, IDCANCEL, IDYES, IDNO
};
inline constexpr std::array<AnswerInfo, kAnswerCount> kAnswers = {{
    {"ОК", 1},
    {"Отмена", 2},
    {"Да", 6},
    {"Нет", 7},
}};

constexpr const AnswerInfo& answer_info(Answer a) { return kAnswers[static_cast<std::size_t>(a)]; }

// The most buttons a set has.
inline constexpr int kMaxAnswers = 3;

struct ButtonSet {
  std::string_view name;                   // field 3
  unsigned value;                          // MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL
  int count;                               // buttons
  std::array<Answer, kMaxAnswers> answer;  // the first `count`, in the order shown

  constexpr std::span<const Answer> answers() const {
    return std::span<const Answer>(answer.data(), static_cast<std::size_t>(count));
  }
};

inline constexpr int kButtonSetCount = 4;

// In the order of the dialog editor's choices; "ОК" in Cyrillic letters.
inline constexpr std::array<ButtonSet, kButtonSetCount> kButtonSets = {{
    {"ОК", 0, 1, {Answer::Ok}},
    {"ОК и Отмена", 1, 2, {Answer::Ok, Answer::Cancel}},
    {"Да и Нет", 4, 2, {Answer::Yes, Answer::No}},
    {"Да, Нет и Отмена", 3, 3, {Answer::Yes, Answer::No, Answer::Cancel}},
}};

// The answers of a button set (its position in kButtonSets), in the order of its
// buttons; a position out of range has none.
constexpr std::span<const Answer> answers_of(int button_set) {
  if (button_set < 0 || button_set >= kButtonSetCount) return {};
  return kButtonSets[static_cast<std::size_t>(button_set)].answers();
}

// Views of the table under the names the rest of the code knows.
inline constexpr std::array<std::string_view, kButtonSetCount> kButtonSetNames = [] {
  std::array<std::string_view, kButtonSetCount> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kButtonSets[i].name;
  return names;
}();
inline constexpr std::array<unsigned, kButtonSetCount> kButtonSetValues = [] {
  std::array<unsigned, kButtonSetCount> values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = kButtonSets[i].value;
  return values;
}();
inline constexpr std::array<std::string_view, kAnswerCount> kAnswerNames = [] {
  std::array<std::string_view, kAnswerCount> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kAnswers[i].name;
  return names;
}();
inline constexpr std::array<int, kAnswerCount> kAnswerIds = [] {
  std::array<int, kAnswerCount> ids{};
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = kAnswers[i].id;
  return ids;
}();

}  // namespace script
