#pragma once
// Nearest-neighbour stretching of pixel blocks, as the button paints its skins:
// every destination pixel takes the source pixel under its centre, so the first
// and last source rows and columns always reach the edges of the destination.

#include "ui/types.h"

namespace controls {

// Copies the rectangle from of src, stretched, into the rectangle to of dst;
// whatever of to lies outside dst is dropped. Copied pixels are made opaque.
void stretch_copy(const ui::Bitmap& src, ui::Rect from, ui::Bitmap& dst, ui::Rect to);

// The whole of src stretched to width x height.
ui::Bitmap stretched(const ui::Bitmap& src, int width, int height);

}  // namespace controls
