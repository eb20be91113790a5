#pragma once
// The display scale of a window: its dots per inch against the 96 of the pixels
// that forms and controls describe themselves in. The Win32 backend takes every
// position, size, font, picture and pointer coordinate through these functions
// where the model meets the screen, and nowhere else. At 96 dpi each of them is
// the identity. Free of <windows.h>.

#include "ui/types.h"

namespace ui::win32 {

inline constexpr int kBaseDpi = 96;

// A coordinate in model pixels on the screen: v x dpi / 96, halves rounded up.
// A box is scaled by its edges, so boxes that touch still touch and boxes apart
// never overlap.
int scale(int v, int dpi);
Rect scale(Rect r, int dpi);
// The model pixel a screen pixel lies in (the largest m whose scale(m) <= p), for
// pointer coordinates coming back into the model.
int unscale(int p, int dpi);
Point unscale(Point p, int dpi);

// A length measured on the screen (a text extent) in model pixels: the least
// whose scaled box holds it wherever the box stands.
int model_extent(int screen, int dpi);

// The factor by which pixel art is repeated: the largest whole one not above the
// scale (1 at 100 to 175 %, 2 at 200 %); also the thickness of lines and frames.
int whole_factor(int dpi);

// Where a picture meant for the model box at `at` of its own size goes on the
// screen: repeated by the whole factor and centred in the scaled box.
Rect picture_place(Point at, Size picture, int dpi);

// A picture of a whole drawing (a copy, a saved file) is never larger than
// this, so that a large drawing at a high scale never asks for hundreds of
// megabytes.
inline constexpr int kMostPictureSide = 8192;
inline constexpr long long kMostPicturePixels = 16LL << 20;
// The dpi a drawing of `extent` model pixels is drawn at for a picture asked for
// at `dpi`: that dpi, or the highest below it at which the picture keeps within
// the limits above (1 at least).
int picture_dpi(Size extent, int dpi);

// Each pixel made factor x factor pixels.
Bitmap repeat_pixels(const Bitmap& src, int factor);
// src in the middle of a transparent width x height (cut where it is larger).
Bitmap centred(const Bitmap& src, int width, int height);
// src, in model pixels, on a screen box of width x height: every screen pixel
// takes the model pixel it lies in (pixel repetition at whole factors).
Bitmap scale_nearest(const Bitmap& src, int dpi, int width, int height);

}  // namespace ui::win32
