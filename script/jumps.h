#pragma once
// "What comes next": field 4 of a row, where the answers of its box lead and whether
// the box closes itself. Both programs read it with this code; the designer also
// writes it and renumbers it when a row is deleted; graph.h follows where it leads.
//
// The field is absent or empty when every answer goes on to the next line. Otherwise
// it is a list of items joined by ", ", each one of
//   <answer>><target>        an answer ("ОК", "Отмена", "Да", "Нет") leads to target;
//   <seconds> с              the box closes itself after that many whole seconds
//                            (1 to 3600) and the next line follows;
//   <seconds> с><target>     the same, and the sequence goes on at target.
// A target is a line number as the designer's list shows it, "0" to "14" without a
// leading zero, or "конец". "с" is the Cyrillic letter. Nothing is trimmed.
//
// Reading never fails. An item that does not parse, an answer the row's buttons cannot
// give, and every answer item after the first valid one for the same answer are
// ignored; so is every timeout item after the first valid one, which keeps one rule
// for repeats. Example: "Да>3, Нет>конец, 5 с>0".

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "script/row.h"
#include "script/script_file.h"

namespace script {

// The answers a box can give, with their names in the field and their message-box
// results (IDOK, IDCANCEL, IDYES, IDNO).
enum class Answer { Ok, Cancel, Yes, No };
inline constexpr int kAnswerCount = 4;
inline constexpr std::array<std::string_view, kAnswerCount> kAnswerNames = {"ОК", "Отмена", "Да",
                                                                            "Нет"};
inline constexpr std::array<int, kAnswerCount> kAnswerIds = {1, 2, 6, 7};

// The most buttons a set has.
inline constexpr int kMaxAnswers = 3;

// The answers of a button set (its position in kButtonSetNames), in the order of its
// buttons: ОК; ОК, Отмена; Да, Нет; Да, Нет, Отмена. A position out of range has
// none.
std::span<const Answer> answers_of(int button_set);

// Targets: a line 0 to 14, or one of these.
inline constexpr int kGoOn = -1;  // no item: the next line
inline constexpr int kEnd = -2;   // "конец": the run ends
inline constexpr std::string_view kEndName = "конец";

inline constexpr int kMaxWait = 3600;  // seconds

// What comes next after one box.
struct Next {
  // Per button of the row's set, in the set's order (dlg_next(0) to dlg_next(2)).
  std::array<int, kMaxAnswers> answer{kGoOn, kGoOn, kGoOn};
  int wait = 0;           // seconds before the box closes itself; 0: never
  int wait_next = kGoOn;  // where the sequence goes on then; kGoOn when wait is 0

  friend bool operator==(const Next&, const Next&) = default;
};

// Field 4 of a row whose buttons are button_set, as the player follows it. Always
// within range: answers past the set's buttons stay kGoOn, wait is 0 or 1 to 3600.
Next parse_next(std::string_view field, int button_set);

// Field 4 as the designer writes it: only the choices that differ from going on,
// answers in the order of the set's buttons, the timeout last; "" when there is none.
// Choices past the set's buttons, targets out of range and a wait outside 1 to 3600
// are left out.
std::string compose_next(const Next& next, int button_set);

// The button set a row's box shows: field 3's, or ОК when it names none or is absent.
int button_set_of(const Fields& fields);

// Field 4 of a split row, read for the row's own buttons; all kGoOn without one.
Next next_of(const Fields& fields);
inline Next next_of(std::string_view row) { return next_of(split_row(row)); }

// The row the dialog editor stores for its values. old_row is the row it was opened
// with ("" for a new one); its fields past 4 are kept as they are, and so are the
// bytes of its field 4 when the button-set name is the same and the field means what
// next means. So confirming without a change gives old_row back, and a row with no
// choice and nothing past field 3 is four fields.
std::string compose_row(std::string_view text, std::string_view title, std::string_view icon_name,
                        std::string_view button_set_name, const Next& next,
                        std::string_view old_row);

// The row after row `deleted` was taken out of the sequence and the rows below it
// moved up by one: in field 4 a target after the deleted row goes down by one; a
// target at it stays, and so points at the row that takes its place. Every other
// byte, items that do not parse included, stays as it is.
std::string renumber_after_delete(std::string_view row, int deleted);

// Deletes row index from the sequence as the main window does (the rows below move up,
// row 14 becomes empty) and renumbers the targets of the rows that stay. Deleting an
// empty row below which every row is empty changes nothing.
void delete_row(Rows& rows, int index);

}  // namespace script
