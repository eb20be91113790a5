#include "ui/win32/scale.h"

#include <algorithm>
#include <vector>

namespace ui::win32 {
namespace {

// Division rounding towards minus infinity (coordinates may be negative).
long long floor_div(long long a, long long b) {
  const long long q = a / b;
  return q * b > a ? q - 1 : q;
}

}  // namespace

int scale(int v, int dpi) {
  return static_cast<int>(floor_div(static_cast<long long>(v) * dpi + kBaseDpi / 2, kBaseDpi));
}

Rect scale(Rect r, int dpi) {
  const int left = scale(r.left, dpi), top = scale(r.top, dpi);
  return {left, top, scale(r.left + r.width, dpi) - left, scale(r.top + r.height, dpi) - top};
}

int picture_dpi(Size extent, int dpi) {
  const auto fits = [&](int d) {
    const long long w = scale(extent.width, d), h = scale(extent.height, d);
    return w <= kMostPictureSide && h <= kMostPictureSide && w * h <= kMostPicturePixels;
  };
  // The scaled size grows with the dpi: the highest that fits, by halving.
  int low = 1, high = std::max(dpi, 1);
  while (low < high) {
    const int mid = low + (high - low + 1) / 2;
    if (fits(mid))
      low = mid;
    else
      high = mid - 1;
  }
  return low;
}

int unscale(int p, int dpi) {
  // scale(m) <= p  <=>  m x dpi + 48 < (p + 1) x 96  <=>  m x dpi <= 96 p + 47
  return static_cast<int>(
      floor_div(static_cast<long long>(p) * kBaseDpi + kBaseDpi / 2 - 1, dpi > 0 ? dpi : kBaseDpi));
}

Point unscale(Point p, int dpi) { return {unscale(p.x, dpi), unscale(p.y, dpi)}; }

int model_extent(int screen, int dpi) {
  // A box of m model pixels is at least floor(m x dpi / 96) screen pixels wide
  // wherever it stands, so m = ceil(screen x 96 / dpi) is enough.
  if (screen <= 0 || dpi <= 0) return std::max(screen, 0);
  return static_cast<int>((static_cast<long long>(screen) * kBaseDpi + dpi - 1) / dpi);
}

int whole_factor(int dpi) { return std::max(1, dpi / kBaseDpi); }

Rect picture_place(Point at, Size picture, int dpi) {
  const Rect box = scale(Rect{at.x, at.y, picture.width, picture.height}, dpi);
  const int k = whole_factor(dpi);
  const int w = picture.width * k, h = picture.height * k;
  return {box.left + (box.width - w) / 2, box.top + (box.height - h) / 2, w, h};
}

Bitmap repeat_pixels(const Bitmap& src, int factor) {
  if (factor <= 1) return src;
  Bitmap out(src.width * factor, src.height * factor, 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) out.at(x, y) = src.at(x / factor, y / factor);
  return out;
}

Bitmap centred(const Bitmap& src, int width, int height) {
  if (width == src.width && height == src.height) return src;
  Bitmap out(width, height, 0);
  const int dx = (width - src.width) / 2, dy = (height - src.height) / 2;
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x)
      if (x + dx >= 0 && x + dx < width && y + dy >= 0 && y + dy < height)
        out.at(x + dx, y + dy) = src.at(x, y);
  return out;
}

Bitmap scale_nearest(const Bitmap& src, int dpi, int width, int height) {
  if (width == src.width && height == src.height) return src;
  Bitmap out(width, height, 0);
  if (src.width <= 0 || src.height <= 0) return out;
  std::vector<int> column(static_cast<std::size_t>(std::max(width, 0)));
  for (int x = 0; x < width; ++x)
    column[static_cast<std::size_t>(x)] = std::clamp(unscale(x, dpi), 0, src.width - 1);
  for (int y = 0; y < height; ++y) {
    const int sy = std::clamp(unscale(y, dpi), 0, src.height - 1);
    for (int x = 0; x < width; ++x) out.at(x, y) = src.at(column[static_cast<std::size_t>(x)], sy);
  }
  return out;
}

}  // namespace ui::win32
