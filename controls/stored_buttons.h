#pragma once
// Every SDButton of the designer's windows with its stored properties, as the
// windows create them. Pictures are named by letter, and each window maps the
// letter to its picture: N new, O open, S save, R run, C compile, A about,
// P add, X cancel (also edit), M scheme; 0 for none.

#include <cstdint>
#include <span>
#include <string_view>

#include "controls/properties.h"
#include "controls/sdbutton.h"
#include "ui/types.h"

namespace controls {

struct StoredButton {
  std::string_view window;  // main_form, make_form, ...
  std::string_view name;
  int index;       // in its control array; -1 for a single button
  ui::Rect twips;  // left, top, width, height as placed in the window
  std::string_view caption;
  std::int32_t mode;
  std::int32_t align;
  bool auto_size;
  char picture;
};

std::span<const StoredButton> stored_buttons();
// The button of a window by name and index; nullptr when there is none.
const StoredButton* find_stored_button(std::string_view window, std::string_view name,
                                       int index = -1);

// The stored properties as the window keeps them: the size entries "_extentx"
// and "_extenty" (in 0.01 mm), then the lower-case keys of the values that
// differ from their defaults.
PropertyBag stored_properties(const StoredButton& stored, ui::Picture picture);

// Places the button where it is stored (in its container's scale) and restores
// its properties.
void restore(SDButton& button, const StoredButton& stored, ui::Picture picture);

}  // namespace controls
