#pragma once
// The pictures the button draws itself from: the four skins of the array stl1
// (9 x 23 each, by index 0 hover, 1 pressed, 2 resting, 10 resting with border)
// and the 5 x 3 drop-down arrow glyph. They are shared: every button holds the
// same pictures.

#include "ui/types.h"

namespace controls {

// The width of skin 0, which is also the width of the arrow section.
inline constexpr int kSkinWidth = 9;
inline constexpr int kSkinHeight = 23;

// The skin of an index; empty for an index the array has no member for.
ui::Picture skin(int index);
ui::Picture arrow_glyph();

}  // namespace controls
