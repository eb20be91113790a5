// The display-scale arithmetic of the Win32 backend: exact at 96 dpi, boxes that
// keep touching or keep apart, pointer coordinates that find their model pixel,
// measured texts that fit their scaled boxes, pixel art repeated whole, pictures
// of a sane size; and where a window opens beside its owner.

#include "ui/win32/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>

#include "ui/win32/placement.h"

using namespace ui;
using namespace ui::win32;

namespace {

constexpr int kDpis[] = {120, 144, 168, 192, 240};

TEST(Scale, AtNinetySixDpiEverythingStaysAsItIs) {
  for (int v = -300; v <= 3000; ++v) {
    ASSERT_EQ(scale(v, 96), v);
    ASSERT_EQ(unscale(v, 96), v);
    ASSERT_EQ(model_extent(v, 96), std::max(v, 0));
  }
  EXPECT_EQ(scale(Rect{3, 1, 16, 16}, 96), (Rect{3, 1, 16, 16}));
  EXPECT_EQ(picture_place({3, 1}, {16, 16}, 96), (Rect{3, 1, 16, 16}));
  Bitmap face(3, 2, 0xFF102030);
  face.at(1, 1) = 0xFFFFFFFF;
  EXPECT_EQ(scale_nearest(face, 96, 3, 2).pixels, face.pixels);
  EXPECT_EQ(whole_factor(96), 1);
}

TEST(Scale, WindowsGrowWithTheScale) {
  // The main window's client area at 125, 150, 175 and 200 %.
  const struct {
    int dpi, width, height;
  } main_window[] = {{120, 625, 533}, {144, 750, 639}, {168, 875, 746}, {192, 1000, 852}};
  for (const auto& m : main_window) {
    EXPECT_EQ(scale(500, m.dpi), m.width) << m.dpi;
    EXPECT_EQ(scale(426, m.dpi), m.height) << m.dpi;
  }
}

TEST(Scale, BoxesThatTouchStillTouchAndBoxesApartStayApart) {
  for (int dpi : kDpis)
    for (int left = -20; left < 200; ++left)
      for (int width = 0; width < 60; ++width) {
        const Rect a = scale(Rect{left, 0, width, 1}, dpi);
        const Rect touching = scale(Rect{left + width, 0, 5, 1}, dpi);
        const Rect apart = scale(Rect{left + width + 1, 0, 5, 1}, dpi);
        ASSERT_EQ(a.left + a.width, touching.left) << dpi << " " << left << " " << width;
        ASSERT_GE(apart.left - (a.left + a.width), 1) << dpi << " " << left << " " << width;
        // Never thinner than the whole factor times the model width.
        ASSERT_GE(a.width, width * whole_factor(dpi));
      }
}

TEST(Scale, APointerCoordinateFindsTheModelPixelItLiesIn) {
  for (int dpi : kDpis) {
    for (int m = -100; m < 600; ++m) ASSERT_EQ(unscale(scale(m, dpi), dpi), m) << dpi;
    for (int p = -150; p < 900; ++p) {
      const int m = unscale(p, dpi);
      ASSERT_LE(scale(m, dpi), p) << dpi << " " << p;
      ASSERT_GT(scale(m + 1, dpi), p) << dpi << " " << p;
    }
  }
  EXPECT_EQ(unscale(Point{21, 13}, 192), (Point{10, 6}));
}

TEST(Scale, AMeasuredTextFitsItsScaledBoxWhereverItStands) {
  for (int dpi : kDpis)
    for (int screen = 0; screen < 400; ++screen) {
      const int m = model_extent(screen, dpi);
      ASSERT_LE(m * dpi, screen * 96 + dpi) << "more than one model pixel to spare";
      for (int left = -10; left < 120; ++left)
        ASSERT_GE(scale(left + m, dpi) - scale(left, dpi), screen)
            << dpi << " " << screen << " at " << left;
    }
}

TEST(Scale, PixelArtIsRepeatedByWholeFactorsAndCentred) {
  EXPECT_EQ(whole_factor(120), 1);
  EXPECT_EQ(whole_factor(144), 1);
  EXPECT_EQ(whole_factor(168), 1);
  EXPECT_EQ(whole_factor(192), 2);
  EXPECT_EQ(whole_factor(288), 3);

  // A toolbar picture at (3, 1): kept at 16 pixels and centred in its 24-pixel
  // box at 150 %, doubled to fill its box at 200 %.
  EXPECT_EQ(picture_place({3, 1}, {16, 16}, 144), (Rect{9, 6, 16, 16}));
  EXPECT_EQ(picture_place({3, 1}, {16, 16}, 192), (Rect{6, 2, 32, 32}));
  for (int dpi : kDpis) {
    const Rect box = scale(Rect{7, 5, 32, 32}, dpi);
    const Rect at = picture_place({7, 5}, {32, 32}, dpi);
    EXPECT_GE(at.left, box.left) << dpi;
    EXPECT_LE(at.left + at.width, box.left + box.width) << dpi;
    EXPECT_LE(std::abs((at.left - box.left) - (box.left + box.width - at.left - at.width)), 1);
  }

  Bitmap art(2, 2, 0);
  art.at(0, 0) = art.at(1, 1) = 0xFF000000;
  art.at(1, 0) = 0xFFFF0000;
  const Bitmap doubled = repeat_pixels(art, 2);
  ASSERT_EQ(doubled.width, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(doubled.at(x, y), art.at(x / 2, y / 2)) << x << "," << y;
  EXPECT_EQ(scale_nearest(art, 192, 4, 4).pixels, doubled.pixels);
}

TEST(Scale, AFaceOnTheScreenShowsEveryModelPixelWhereItsBoxFalls) {
  Bitmap face(23, 9, 0);
  for (int y = 0; y < face.height; ++y)
    for (int x = 0; x < face.width; ++x)
      face.at(x, y) = 0xFF000000u | static_cast<std::uint32_t>(y << 8 | x);
  for (int dpi : kDpis) {
    const Rect box = scale(Rect{0, 0, face.width, face.height}, dpi);
    const Bitmap shown = scale_nearest(face, dpi, box.width, box.height);
    for (int y = 0; y < face.height; ++y)
      for (int x = 0; x < face.width; ++x) {
        const Rect cell = scale(Rect{x, y, 1, 1}, dpi);
        ASSERT_GE(cell.width, 1);
        for (int cy = cell.top; cy < cell.top + cell.height; ++cy)
          for (int cx = cell.left; cx < cell.left + cell.width; ++cx)
            ASSERT_EQ(shown.at(cx, cy), face.at(x, y)) << dpi << ": " << x << "," << y;
      }
  }
}

TEST(Scale, APictureKeepsASaneSize) {
  // A wide scheme of fifteen dialogs, at twice 200 %: 13,500 x 5,500 pixels asked,
  // as many as the limit allows given.
  const auto pixels = [](int dpi) { return 1LL * scale(3375, dpi) * scale(1375, dpi); };
  const int dpi = picture_dpi({3375, 1375}, 2 * 192);
  EXPECT_TRUE(pixels(dpi) <= kMostPicturePixels && pixels(dpi + 1) > kMostPicturePixels) << dpi;
  EXPECT_EQ(picture_dpi({624, 642}, 2 * 192), 2 * 192) << "the quiz at its full scale";
  const int tall = picture_dpi({200, 20000}, 192);
  EXPECT_TRUE(scale(20000, tall) <= kMostPictureSide && scale(20000, tall + 1) > kMostPictureSide);
}

// The rule against a reference that tries every place in small work areas.
TEST(Placement, BesideTheOwnerElseOverAsLittleOfItsListAsCanBe) {
  EXPECT_EQ(shared_area({0, 0, 4, 4}, {2, 3, 5, 5}), 2);
  std::mt19937 random(4242);
  const auto pick = [&](int low, int high) {
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
  };
  const auto right = [](Rect r) { return r.left + r.width; };
  const auto bottom = [](Rect r) { return r.top + r.height; };
  for (int round = 0; round < 3000; ++round) {
    const Rect work{pick(-30, 30), pick(-30, 30), pick(10, 60), pick(10, 45)};
    const Rect owner{work.left + pick(-8, work.width), work.top + pick(-8, work.height),
                     pick(4, 40), pick(4, 35)};
    const Rect list{owner.left + pick(0, owner.width / 2), owner.top + pick(0, owner.height / 2),
                    pick(1, owner.width / 2 + 1), pick(1, owner.height / 2 + 1)};
    const Size asked{pick(1, 70), pick(1, 55)},
        smallest{pick(1, asked.width), pick(1, asked.height)};
    const Rect r = place_beside(work, owner, list, asked, smallest);
    SCOPED_TRACE(round);
    const Size want{std::min(asked.width, work.width), std::min(asked.height, work.height)};
    const Size least{std::min(smallest.width, want.width), std::min(smallest.height, want.height)};
    ASSERT_TRUE(r.left >= work.left && r.top >= work.top && right(r) <= right(work) &&
                bottom(r) <= bottom(work));
    // What each side holds of the window: right, left, below.
    const int start[] = {std::max(right(owner), work.left), std::min(owner.left, right(work)),
                         std::max(bottom(owner), work.top)};
    const int room[] = {right(work) - start[0], start[1] - work.left, bottom(work) - start[2]};
    int whole = -1;
    long long most = -1;
    for (int side = 2; side >= 0; --side) {
      const Size held = side < 2 ? Size{std::min(want.width, room[side]), want.height}
                                 : Size{want.width, std::min(want.height, room[side])};
      if (held == want) whole = side;
      if (held.width >= least.width && held.height >= least.height)
        most = std::max(most, 1LL * held.width * held.height);
    }
    if (whole >= 0) {
      ASSERT_EQ((Size{r.width, r.height}), want);
      ASSERT_EQ(whole == 0 ? r.left : whole == 1 ? right(r) : r.top, start[whole]);
    } else if (most >= 0) {
      ASSERT_EQ(shared_area(r, owner), 0);
      ASSERT_EQ(1LL * r.width * r.height, most);
    } else {
      ASSERT_EQ((Size{r.width, r.height}), least);
      std::pair<long long, long long> fewest{-1, -1};
      for (int x = work.left; x + least.width <= right(work); ++x)
        for (int y = work.top; y + least.height <= bottom(work); ++y) {
          const Rect at{x, y, least.width, least.height};
          const std::pair covered{shared_area(at, list), shared_area(at, owner)};
          if (fewest.first < 0 || covered < fewest) fewest = covered;
        }
      ASSERT_EQ((std::pair{shared_area(r, list), shared_area(r, owner)}), fewest);
    }
  }
}

}  // namespace
