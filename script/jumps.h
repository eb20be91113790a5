#pragma once
// "What comes next": field 4 of a row, where the answers of its box lead, what its
// buttons say, whether the box closes itself and whether it waits before it shows.
// Both programs read it with this code; the designer also writes it, edits.h
// renumbers its targets when rows move, and graph.h follows where it leads.
//
// The field is absent or empty when every answer goes on to the next line and the
// box is shown at once as the system makes it. Otherwise it is a list of items
// joined by ", " (a ", " inside «...» belongs to its item), each one of
//   <answer>><target>        an answer ("ОК", "Отмена", "Да", "Нет") leads to target;
//   <answer> «<caption>»     the answer's button says caption instead of its own name;
//   <answer> «<caption>»><target>   both;
//   <seconds> с              the box closes itself after that many whole seconds
//                            (1 to 3600) and the next line follows;
//   <seconds> с><target>     the same, and the sequence goes on at target;
//   отсчёт                   the box's title tells the seconds left (with a timeout);
//   пауза <seconds> с        the box is shown that many seconds (1 to 3600) after
//                            the previous one closed, with no window meanwhile.
// A target is a line number as the designer's list shows it, "0" to "14" without a
// leading zero, or "конец". "с" is the Cyrillic letter. A caption is 1 to 30
// characters that a script can hold, none of them "«", "»", ";", "#" or a control
// character. Nothing is trimmed.
//
// Reading never fails. An item that does not parse, an answer the row's buttons cannot
// give, and every item after the first valid one of its kind (the same answer, a
// timeout, a countdown, a pause) are ignored, and so is a countdown without a
// timeout. Example: "Да «Конечно»>3, Нет>конец, 5 с>0, отсчёт, пауза 2 с".

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/button_sets.h"
#include "script/row.h"
#include "script/script_file.h"

namespace script {

// Targets: a line 0 to 14, or one of these.
inline constexpr int kGoOn = -1;  // no item: the next line
inline constexpr int kEnd = -2;   // "конец": the run ends
inline constexpr std::string_view kEndName = "конец";

// Whether a target names a line, 0 to 14; whether a field can hold it: such a line
// or kEnd.
constexpr bool is_row(int target) { return target >= 0 && target < kRowCount; }
constexpr bool is_target(int target) { return target == kEnd || is_row(target); }

inline constexpr int kMaxWait = 3600;   // seconds
inline constexpr int kMaxPause = 3600;  // seconds
inline constexpr std::string_view kCountdownName = "отсчёт";
inline constexpr std::string_view kPauseName = "пауза";
inline constexpr std::size_t kMaxCaptionChars = 30;

// What comes next after one box, and how the box looks before that.
struct Next {
  // Per button of the row's set, in the set's order (dlg_next(0) to dlg_next(2)).
  std::array<int, kMaxAnswers> answer{kGoOn, kGoOn, kGoOn};
  std::array<std::string, kMaxAnswers> caption{};  // per button of the set; "": its own name
  int wait = 0;                                    // seconds before the box closes itself; 0: never
  int wait_next = kGoOn;   // where the sequence goes on then; kGoOn when wait is 0
  bool countdown = false;  // the box shows the time it has left; only with wait
  int pause = 0;           // seconds before the box is shown; 0: none

  friend bool operator==(const Next&, const Next&) = default;
};

// Field 4 of a row whose buttons are button_set, as the player follows it. Always
// within range: answers and captions past the set's buttons stay kGoOn and "",
// every caption is one that caption_problem accepts, wait and pause are 0 or 1 to
// 3600, countdown is false when wait is 0.
Next parse_next(std::string_view field, int button_set);

// Field 4 as the designer writes it: only what differs from the default, answers in
// the order of the set's buttons (each with its caption, its target, or both), then
// the timeout, "отсчёт" and the pause; "" when there is nothing. Choices past the
// set's buttons, targets out of range, captions that caption_problem refuses, a wait
// or pause outside 1 to 3600 and a countdown without a wait are left out.
std::string compose_next(const Next& next, int button_set);

// Whole seconds from 1 to max written in digits without a leading zero, as field 4
// and the editor's boxes hold them; nothing otherwise.
std::optional<int> parse_seconds(std::string_view digits, int max);

// How a number of seconds reads: "5 с", as field 4 writes a timeout and a pause and
// as the scheme and the box's title tell them.
std::string seconds_text(int seconds);

// Why a typed text cannot be a button's caption, or nothing when it can.
struct CaptionProblem {
  enum class Kind {
    Empty,    // no character
    Refused,  // chars: "«", "»", ";", "#", control characters and the characters a
              // script cannot hold (script::unstorable_chars), each once, in order
    TooLong,  // more than kMaxCaptionChars characters
  };
  Kind kind;
  std::vector<std::string> chars;
};
std::optional<CaptionProblem> caption_problem(std::string_view caption);

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

// The row with one way out of its box led elsewhere: the answer's (nothing: the
// timeout's) target becomes target, a row, kEnd or kGoOn. Only field 4 changes,
// composed as compose_row composes it; the row comes back as it was when the box
// has no such way out or it leads there already.
std::string with_target(std::string_view row, std::optional<Answer> answer, int target);

}  // namespace script
