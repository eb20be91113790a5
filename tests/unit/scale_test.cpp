// The display-scale arithmetic of the Win32 backend: exact at 96 dpi, boxes that
// keep touching or keep apart, pointer coordinates that find their model pixel,
// measured texts that fit their scaled boxes, and pixel art repeated whole.

#include "ui/win32/scale.h"

#include <gtest/gtest.h>

#include <cstdint>

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

}  // namespace
