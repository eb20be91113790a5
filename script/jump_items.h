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

// Where the item that starts at `from` ends: at the first ", " after it that stands
// outside «...», or at the end of field. A "«" quotes up to the first "»" after it;
// one with no "»" after it quotes nothing. `close` carries the last search for "»"
// from one item to the next: where it found one, or npos when none is left, which
// tells every later "«" too. Start it at 0 (nothing searched yet). So each byte is
// searched once, and a field is read in time linear in its length.
std::size_t item_end(std::string_view field, std::size_t from, std::size_t& close);

// Calls visit(item text) for each item of a field.
template <class Visit>
void for_each(std::string_view field, Visit visit) {
  if (field.empty()) return;
  std::size_t close = 0;
  for (std::size_t from = 0;;) {
    const std::size_t at = item_end(field, from, close);
    visit(field.substr(from, at - from));
    if (at == field.size()) return;
    from = at + kSeparator.size();
  }
}

}  // namespace script::items
