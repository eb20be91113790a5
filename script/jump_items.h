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

// One item as written, whatever the row's buttons: an answer and its target, or a
// wait in seconds and its target (kGoOn when it has none).
struct Item {
  std::optional<Answer> answer;
  int seconds = 0;
  int target = kGoOn;
  std::string_view head;  // the item before ">" and its target
};

// Nothing when the text is not an item.
std::optional<Item> parse(std::string_view text);

// Calls visit(item text) for each piece of a field split at ", ".
template <class Visit>
void for_each(std::string_view field, Visit visit) {
  if (field.empty()) return;
  for (;;) {
    const std::size_t at = field.find(kSeparator);
    visit(field.substr(0, at));
    if (at == std::string_view::npos) return;
    field.remove_prefix(at + kSeparator.size());
  }
}

}  // namespace script::items
