#include "player/dialoged.h"

#include "script/row.h"

namespace player {

std::optional<Dialog> Dialoged(std::string_view line) {
  const script::Fields f = script::split_row(line);
  if (!script::shows_box(f)) return std::nullopt;
  Dialog d;
  d.text.assign(f.field[0]);
  for (char& c : d.text)
    if (c == '#') c = '\r';
  d.caption.assign(f.field[1]);
  d.style = script::dialog_style(f.has(2) ? std::optional(f.field[2]) : std::nullopt,
                                 f.has(3) ? std::optional(f.field[3]) : std::nullopt);
  d.button_set = script::button_set_of(f);
  d.next = script::next_of(f);
  return d;
}

}  // namespace player
