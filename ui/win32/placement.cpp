#include "ui/win32/placement.h"

#include <algorithm>

namespace ui::win32 {
namespace {

int right_of(Rect r) { return r.left + r.width; }
int bottom_of(Rect r) { return r.top + r.height; }

// v moved into [low, high]; low where the range is empty.
int within(int v, int low, int high) { return std::max(low, std::min(v, high)); }

}  // namespace

long long shared_area(Rect a, Rect b) {
  const long long across =
      std::max(0, std::min(right_of(a), right_of(b)) - std::max(a.left, b.left));
  const long long down = std::max(0, std::min(bottom_of(a), bottom_of(b)) - std::max(a.top, b.top));
  return across * down;
}

Rect place_beside(Rect work, Rect owner, Rect keep_clear, Size want, Size least) {
  want = {std::max(0, std::min(want.width, work.width)),
          std::max(0, std::min(want.height, work.height))};
  least = {std::clamp(least.width, 0, want.width), std::clamp(least.height, 0, want.height)};

  // Each side, in the order preferred: the window as large as it wants within
  // the room there.
  const int right_start = std::max(right_of(owner), work.left);
  const int left_end = std::min(owner.left, right_of(work));
  const int below_start = std::max(bottom_of(owner), work.top);
  const Size right_size{std::min(want.width, right_of(work) - right_start), want.height};
  const Size left_size{std::min(want.width, left_end - work.left), want.height};
  const Size below_size{want.width, std::min(want.height, bottom_of(work) - below_start)};
  const int level_y = within(owner.top, work.top, bottom_of(work) - want.height);
  const Rect sides[] = {
      {right_start, level_y, right_size.width, right_size.height},
      {left_end - left_size.width, level_y, left_size.width, left_size.height},
      {within(owner.left, work.left, right_of(work) - want.width), below_start, below_size.width,
       below_size.height},
  };
  for (const Rect& side : sides)
    if (side.width == want.width && side.height == want.height) return side;
  const Rect* best = nullptr;
  for (const Rect& side : sides)
    if (side.width >= least.width && side.height >= least.height &&
        (!best || static_cast<long long>(side.width) * side.height >
                      static_cast<long long>(best->width) * best->height))
      best = &side;
  if (best) return *best;

  // Over the owner. The area covered changes linearly between the places where
  // an edge of the window meets an edge of the part kept clear, so the least is
  // found at one of those or at an edge of the work area; the owner's edges come
  // first, so that among equals the window stands right of the owner, level
  // with it.
  const int w = least.width, h = least.height;
  const int xs[] = {right_of(owner), right_of(keep_clear), keep_clear.left - w, right_of(work) - w,
                    work.left};
  const int ys[] = {owner.top, bottom_of(keep_clear), keep_clear.top - h, work.top,
                    bottom_of(work) - h};
  Rect chosen{};
  long long chosen_clear = -1, chosen_owner = -1;
  for (int x : xs)
    for (int y : ys) {
      const Rect r{within(x, work.left, right_of(work) - w),
                   within(y, work.top, bottom_of(work) - h), w, h};
      const long long clear = shared_area(r, keep_clear), over = shared_area(r, owner);
      if (chosen_clear < 0 || clear < chosen_clear ||
          (clear == chosen_clear && over < chosen_owner)) {
        chosen = r;
        chosen_clear = clear;
        chosen_owner = over;
      }
    }
  return chosen;
}

}  // namespace ui::win32
