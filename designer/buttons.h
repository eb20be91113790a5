#pragma once
// The designer's pictures and stored buttons.

#include <string_view>

#include "controls/sdbutton.h"
#include "resources/art.h"
#include "ui/types.h"

namespace designer {

// The picture of an art resource; each is made once and shared by reference.
ui::Picture picture(const resources::Art& art);

// Places a button of a window as it is stored and restores its properties and
// picture.
void restore_button(controls::SDButton& button, std::string_view window);

}  // namespace designer
