// The display-scale arithmetic of the Win32 backend: exact at 96 dpi, boxes that
// keep touching or keep apart, pointer coordinates that find their model pixel,
// measured texts that fit their scaled boxes, pixel art repeated whole, pictures
// of a sane size; and where a window opens beside its owner.

#include "ui/win32/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

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
  // A wide scheme of fifteen dialogs, at twice 200 %: 13,500 x 5,500 pixels asked.
  const Size wide{3375, 1375};
  const int dpi = picture_dpi(wide, 2 * 192);
  const long long w = scale(wide.width, dpi), h = scale(wide.height, dpi);
  EXPECT_LE(w * h, kMostPicturePixels);
  EXPECT_GT(static_cast<long long>(scale(wide.width, dpi + 1)) * scale(wide.height, dpi + 1),
            kMostPicturePixels)
      << "as large as the limit allows";
  EXPECT_EQ(picture_dpi({624, 642}, 2 * 192), 2 * 192) << "the quiz at its full scale";
  const int tall = picture_dpi({200, 20000}, 192);
  EXPECT_LE(scale(20000, tall), kMostPictureSide);
  EXPECT_GT(scale(20000, tall + 1), kMostPictureSide);
}

// The rule against a reference that tries every place in a small work area.
TEST(Placement, BesideTheOwnerElseOverAsLittleOfItsListAsCanBe) {
  std::mt19937 random(4242);
  const auto pick = [&](int low, int high) {
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
  };
  const auto right = [](Rect r) { return r.left + r.width; };
  const auto bottom = [](Rect r) { return r.top + r.height; };
  const auto covered = [&](Rect a, Rect b) {
    long long n = 0;
    for (int y = std::max(a.top, b.top); y < std::min(bottom(a), bottom(b)); ++y)
      n += std::max(0, std::min(right(a), right(b)) - std::max(a.left, b.left));
    return n;
  };
  for (int round = 0; round < 3000; ++round) {
    const Rect work{pick(-30, 30), pick(-30, 30), pick(10, 60), pick(10, 45)};
    const Rect owner{work.left + pick(-8, work.width), work.top + pick(-8, work.height),
                     pick(4, 40), pick(4, 35)};
    const Rect list{owner.left + pick(0, owner.width / 2), owner.top + pick(0, owner.height / 2),
                    pick(1, owner.width / 2 + 1), pick(1, owner.height / 2 + 1)};
    const Size asked{pick(1, 70), pick(1, 55)};
    const Size smallest{pick(1, asked.width), pick(1, asked.height)};
    const Rect r = place_beside(work, owner, list, asked, smallest);
    SCOPED_TRACE(testing::Message() << "round " << round);
    const Size want{std::min(asked.width, work.width), std::min(asked.height, work.height)};
    const Size least{std::min(smallest.width, want.width), std::min(smallest.height, want.height)};
    ASSERT_TRUE(r.left >= work.left && r.top >= work.top && right(r) <= right(work) &&
                bottom(r) <= bottom(work));
    ASSERT_TRUE(r.width >= least.width && r.height >= least.height && r.width <= want.width &&
                r.height <= want.height);
    const int room[] = {right(work) - std::max(right(owner), work.left),
                        std::min(owner.left, right(work)) - work.left,
                        bottom(work) - std::max(bottom(owner), work.top)};
    const Size held[] = {{std::min(want.width, room[0]), want.height},
                         {std::min(want.width, room[1]), want.height},
                         {want.width, std::min(want.height, room[2])}};
    const auto* whole =
        std::find_if(std::begin(held), std::end(held), [&](const Size& s) { return s == want; });
    long long most = -1;
    for (const Size& s : held)
      if (s.width >= least.width && s.height >= least.height)
        most = std::max(most, static_cast<long long>(s.width) * s.height);
    if (whole != std::end(held)) {
      // Whole, on the first side with room: right, left, below.
      ASSERT_EQ((Size{r.width, r.height}), want);
      const int side = static_cast<int>(whole - std::begin(held));
      ASSERT_EQ(side == 0   ? r.left
                : side == 1 ? right(r)
                            : r.top,
                side == 0   ? std::max(right(owner), work.left)
                : side == 1 ? std::min(owner.left, right(work))
                            : std::max(bottom(owner), work.top));
    } else if (most >= 0) {
      // Made smaller beside the owner, on the side that holds the most of it.
      ASSERT_EQ(covered(r, owner), 0);
      ASSERT_EQ(static_cast<long long>(r.width) * r.height, most);
    } else {
      // Over the owner: nowhere else covers less of the list, then of the owner.
      ASSERT_EQ((Size{r.width, r.height}), least);
      long long fewest = -1, fewest_owner = -1;
      for (int x = work.left; x <= right(work) - least.width; ++x)
        for (int y = work.top; y <= bottom(work) - least.height; ++y) {
          const Rect at{x, y, least.width, least.height};
          const long long c = covered(at, list), o = covered(at, owner);
          if (fewest < 0 || c < fewest || (c == fewest && o < fewest_owner))
            fewest = c, fewest_owner = o;
        }
      ASSERT_EQ(covered(r, list), fewest);
      ASSERT_EQ(covered(r, owner), fewest_owner);
    }
  }
}

}  // namespace
