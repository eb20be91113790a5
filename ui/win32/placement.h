#pragma once
// Where a window opens beside the window that owns it: pure arithmetic on
// rectangles in the screen's own pixels, free of <windows.h>.

#include "ui/types.h"

namespace ui::win32 {

// A window of `want` (its frame included; as large as it would like to be) that
// may be made as small as `least`, beside `owner` within `work`, the work area of
// the owner's display. It goes where it fits whole: right of the owner, else left
// of it, else below it, level with the owner's top (or left) edge where the work
// area allows. Where no side holds it whole, it takes the side that holds the
// most of it, made smaller, but not below `least`. Where no side holds even
// that, it keeps `least` and stands where it covers the least of `keep_clear`
// (the part of the owner that matters most, such as its list), then the least
// of the owner. `want` and `least` are cut to the work area first.
Rect place_beside(Rect work, Rect owner, Rect keep_clear, Size want, Size least);

// The area two rectangles share.
long long shared_area(Rect a, Rect b);

}  // namespace ui::win32
