#include "controls/resample.h"

#include <algorithm>
#include <cstdint>

namespace controls {
namespace {

// The source offset under the centre of destination pixel i of n, for a source
// span of m pixels.
int source_of(int i, int n, int m) {
  return static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * m /
                          (2 * static_cast<std::int64_t>(n)));
}

}  // namespace

void stretch_copy(const ui::Bitmap& src, ui::Rect from, ui::Bitmap& dst, ui::Rect to) {
  if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0) return;
  const int x0 = std::max(to.left, 0), x1 = std::min(to.left + to.width, dst.width);
  const int y0 = std::max(to.top, 0), y1 = std::min(to.top + to.height, dst.height);
  for (int y = y0; y < y1; ++y) {
    const int sy = from.top + source_of(y - to.top, to.height, from.height);
    for (int x = x0; x < x1; ++x) {
      const int sx = from.left + source_of(x - to.left, to.width, from.width);
      dst.at(x, y) = src.at(sx, sy) | 0xFF000000u;
    }
  }
}

ui::Bitmap stretched(const ui::Bitmap& src, int width, int height) {
  ui::Bitmap out(width, height);
  stretch_copy(src, {0, 0, src.width, src.height}, out, {0, 0, width, height});
  return out;
}

}  // namespace controls
