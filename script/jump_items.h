#pragma once
// The items of field 4 one by one, for the reading and the writing of jumps.h. Used
// inside script/ only.

#include <optional>
#include <string_view>

#include "script/jumps.h"

namespace script::items {

inline constexpr std::string_view kSeparator = ", ";
inline constexpr std::string_view kSecondsMark = " с";
inline constexpr char kLeadsTo = '>';
inline constexpr std::string_view kOpenQuote = "«";
inline constexpr std::string_view kCloseQuote = "»";
inline constexpr std::string_view kCaptionStart = " «";

// One item as written, whatever the row's buttons.
struct Item {
  enum class Kind { Answer, Wait, Countdown, Pause };
  Kind kind = Kind::Answer;
  Answer answer = Answer::Ok;  // Answer
  std::string_view caption;    // Answer: "" when it has none
  int seconds = 0;             // Wait, Pause
  int target = kGoOn;          // Answer, Wait: kGoOn when it has none
  std::string_view head;       // the item before ">" and its target
};

// Nothing when the text is not an item.
std::optional<Item> parse(std::string_view text);

// Whether a character may stand in a caption: one a script can hold, and none of
// "«", "»", ";", "#" or a control character.
bool caption_char(char32_t c);
// Whether a text is a caption: 1 to kMaxCaptionChars characters that may stand in one.
bool is_caption(std::string_view text);

// Where the item at the front of field ends: at the first ", " that stands outside
// «...» (a "«" without a "»" after it quotes nothing), or at the end.
std::size_t item_end(std::string_view field);

// Calls visit(item text) for each item of a field.
template <class Visit>
void for_each(std::string_view field, Visit visit) {
  if (field.empty()) return;
  for (;;) {
    const std::size_t at = item_end(field);
    visit(field.substr(0, at));
    if (at == field.size()) return;
    field.remove_prefix(at + kSeparator.size());
  }
}

}  // namespace script::items
