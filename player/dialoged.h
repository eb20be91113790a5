#pragma once
// What the player shows for one line of its script.

#include <optional>
#include <string>
#include <string_view>

#include "script/jumps.h"

namespace player {

struct Dialog {
  std::string text;     // field 0, every "#" turned into a lone carriage return
  std::string caption;  // field 1, unchanged
  unsigned style;       // icon value + button value + system-modal flag
  int button_set;       // the buttons shown: field 3's set, or ОК
  script::Next next;    // field 4: where the answers lead, whether the box closes itself
};

// One line (UTF-8) to at most one message box. A line with fewer than two fields,
// an empty line included, shows nothing. Fields past the fifth are ignored.
std::optional<Dialog> Dialoged(std::string_view line);

}  // namespace player
