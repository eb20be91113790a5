// The pictures as the programs get them: their sizes, the exact button skins,
// the arrow glyph, the pointing hand, and the icon and cursor files built from
// the same art.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "resources/pictures.h"

namespace {

using resources::Art;

std::uint32_t At(const Art& a, int x, int y) { return a.pixels[y * a.width + x]; }
bool Opaque(std::uint32_t p) { return (p >> 24) == 0xFF; }
bool Transparent(std::uint32_t p) { return (p >> 24) == 0; }

// The grey value of a skin pixel, or -1 when the pixel is not an opaque grey.
int Grey(const Art& a, int x, int y) {
  const std::uint32_t p = At(a, x, y);
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return Opaque(p) && r == g && g == b ? r : -1;
}

struct Sized {
  const char* name;
  const Art& art;
  int width;
  int height;
};

const Sized kAll[] = {
    {"kPictureNew", resources::kPictureNew, 16, 16},
    {"kPictureOpen", resources::kPictureOpen, 16, 16},
    {"kPictureSave", resources::kPictureSave, 16, 16},
    {"kPictureRun", resources::kPictureRun, 16, 16},
    {"kPictureCompile", resources::kPictureCompile, 16, 16},
    {"kPictureAbout", resources::kPictureAbout, 16, 16},
    {"kPictureAdd", resources::kPictureAdd, 16, 16},
    {"kPictureCancel", resources::kPictureCancel, 16, 16},
    {"kPictureScheme", resources::kPictureScheme, 16, 16},
    {"kCardError", resources::kCardError, 16, 16},
    {"kCardWarning", resources::kCardWarning, 16, 16},
    {"kCardInformation", resources::kCardInformation, 16, 16},
    {"kCardQuestion", resources::kCardQuestion, 16, 16},
    {"kIconError", resources::kIconError, 32, 32},
    {"kIconWarning", resources::kIconWarning, 32, 32},
    {"kIconInformation", resources::kIconInformation, 32, 32},
    {"kIconQuestion", resources::kIconQuestion, 32, 32},
    {"kEmblem", resources::kEmblem, 32, 32},
    {"kDesignerIcon16", resources::kDesignerIcon16, 16, 16},
    {"kDesignerIcon32", resources::kDesignerIcon32, 32, 32},
    {"kPlayerIcon16", resources::kPlayerIcon16, 16, 16},
    {"kPlayerIcon32", resources::kPlayerIcon32, 32, 32},
    {"kHandCursor", resources::kHandCursor, 32, 32},
    {"kArrowGlyph", resources::kArrowGlyph, 5, 3},
    {"kSkin0", resources::kSkin0, 9, 23},
    {"kSkin1", resources::kSkin1, 9, 23},
    {"kSkin2", resources::kSkin2, 9, 23},
    {"kSkin10", resources::kSkin10, 9, 23},
};

TEST(Pictures, EachHasItsSizeAndOnlyOpaqueOrClearPixels) {
  for (const auto& s : kAll) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(s.art.width, s.width);
    EXPECT_EQ(s.art.height, s.height);
    ASSERT_NE(s.art.pixels, nullptr);
    int opaque = 0;
    for (int i = 0; i < s.art.width * s.art.height; ++i) {
      const std::uint32_t p = s.art.pixels[i];
      EXPECT_TRUE(Opaque(p) || p == 0) << "pixel " << i;
      opaque += Opaque(p);
    }
    EXPECT_GT(opaque, 0);
  }
}

TEST(Pictures, DialogIconsLeaveTheirCornersToTheFace) {
  for (const Art* a : {&resources::kIconError, &resources::kIconWarning,
                       &resources::kIconInformation, &resources::kIconQuestion}) {
    EXPECT_TRUE(Transparent(At(*a, 0, 0)));
    EXPECT_TRUE(Transparent(At(*a, 31, 0)));
    EXPECT_TRUE(Opaque(At(*a, 16, 16)));
  }
}

// Skins ---------------------------------------------------------------------

const Art* const kSkins[] = {&resources::kSkin0, &resources::kSkin1, &resources::kSkin2,
                             &resources::kSkin10};

TEST(Skins, AreOpaqueGreys) {
  for (const Art* s : kSkins)
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 9; ++x) EXPECT_GE(Grey(*s, x, y), 0) << x << "," << y;
}

TEST(Skins, HoverMatchesItsTellingRows) {
  struct Row {
    int y;
    std::array<int, 5> v;  // columns 0 to 4
  };
  const Row rows[] = {
      {0, {0xF0, 0xD0, 0xB2, 0xA8, 0xA8}},  {1, {0xCF, 0xBB, 0xEF, 0xFB, 0xFB}},
      {4, {0xA8, 0xFA, 0xF0, 0xF0, 0xF0}},  {11, {0xA8, 0xF7, 0xE8, 0xE8, 0xE8}},
      {12, {0xA8, 0xE0, 0xDA, 0xDA, 0xDA}}, {19, {0xA8, 0xF4, 0xEE, 0xEE, 0xEE}},
      {21, {0xCF, 0xBA, 0xEE, 0xF7, 0xF7}}, {22, {0xF0, 0xCE, 0xB0, 0xA8, 0xA8}},
  };
  for (const auto& r : rows)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(Grey(resources::kSkin0, x, r.y), r.v[x]) << x << "," << r.y;
}

TEST(Skins, BorderedRestingMatchesItsTellingRows) {
  struct Row {
    int y;
    std::array<int, 9> v;
  };
  const Row rows[] = {
      {0, {0xE6, 0xB3, 0x8C, 0x85, 0x85, 0x85, 0x8D, 0xB3, 0xE8}},
      {1, {0xB2, 0x99, 0xE1, 0xF0, 0xF0, 0xF0, 0xE1, 0x98, 0xB4}},
      {10, {0x7A, 0xC7, 0xBD, 0xBD, 0xBE, 0xBE, 0xBE, 0xC8, 0x7D}},
      {11, {0x7B, 0xF0, 0xD6, 0xD5, 0xD5, 0xD6, 0xD6, 0xF0, 0x7D}},
      {19, {0x7E, 0xF3, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xFA, 0x7F}},
      {22, {0xE4, 0xB4, 0x8C, 0x81, 0x7F, 0x80, 0x8C, 0xB4, 0xE6}},
  };
  for (const auto& r : rows)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(Grey(resources::kSkin10, x, r.y), r.v[x]) << x << "," << r.y;
}

TEST(Skins, HoverIsMirroredAndPressedIsHoverUpsideDown) {
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(At(resources::kSkin0, x, y), At(resources::kSkin0, 8 - x, y)) << x << "," << y;
      EXPECT_EQ(At(resources::kSkin1, x, y), At(resources::kSkin0, x, 22 - y)) << x << "," << y;
    }
}

TEST(Skins, ToolbarRestingIsFlat) {
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(At(resources::kSkin2, x, y), 0xFFF0F0F0u);
}

// The middle columns are stretched across the face, so they must agree.
TEST(Skins, MiddleColumnsAgree) {
  for (int y = 0; y < 23; ++y) {
    for (const Art* s : {&resources::kSkin0, &resources::kSkin1, &resources::kSkin2}) {
      EXPECT_EQ(Grey(*s, 4, y), Grey(*s, 3, y)) << y;
      EXPECT_EQ(Grey(*s, 5, y), Grey(*s, 3, y)) << y;
    }
    int lo = 255, hi = 0;
    for (int x = 3; x <= 5; ++x) {
      lo = std::min(lo, Grey(resources::kSkin10, x, y));
      hi = std::max(hi, Grey(resources::kSkin10, x, y));
    }
    EXPECT_LE(hi - lo, 2) << y;
  }
}

TEST(Skins, HoverHasItsBorderAndTheStepBelowTheMiddle) {
  const Art& s = resources::kSkin0;
  for (int y = 3; y <= 19; ++y) EXPECT_EQ(Grey(s, 0, y), 0xA8) << y;
  EXPECT_EQ(Grey(s, 4, 2), 0xF5);
  for (int y = 8; y <= 11; ++y) EXPECT_EQ(Grey(s, 4, y), 0xE8) << y;
  for (int y = 3; y <= 11; ++y) EXPECT_LE(Grey(s, 4, y), Grey(s, 4, y - 1)) << y;
  for (int y = 13; y <= 19; ++y) EXPECT_GE(Grey(s, 4, y), Grey(s, 4, y - 1)) << y;
  // Softened corners: the corner pixels lie between the border and the face.
  for (const auto& [x, y] :
       {std::pair{1, 0}, std::pair{2, 0}, std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 22},
        std::pair{2, 22}, std::pair{0, 21}, std::pair{0, 20}}) {
    EXPECT_GT(Grey(s, x, y), 0xA8) << x << "," << y;
    EXPECT_LT(Grey(s, x, y), 0xF0) << x << "," << y;
  }
}

TEST(Skins, BorderedRestingHasItsBorderRampsAndInnerEdge) {
  const Art& s = resources::kSkin10;
  for (int y = 2; y <= 20; ++y)
    for (int x : {0, 8}) {
      EXPECT_GE(Grey(s, x, y), 0x7A) << x << "," << y;
      EXPECT_LE(Grey(s, x, y), 0x8D) << x << "," << y;
    }
  for (int y : {0, 22})
    for (int x = 3; x <= 5; ++x) {
      EXPECT_GE(Grey(s, x, y), 0x7F) << x << "," << y;
      EXPECT_LE(Grey(s, x, y), 0x85) << x << "," << y;
    }
  // The face darkens to row 10, steps back up at row 11 and lightens again.
  const std::pair<int, int> anchors[] = {{1, 0xF0},  {4, 0xDF},  {7, 0xCB},  {10, 0xBD},
                                         {15, 0xD7}, {17, 0xDD}, {19, 0xE8}, {21, 0xFB}};
  for (const auto& [y, v] : anchors) EXPECT_EQ(Grey(s, 3, y), v) << y;
  for (int y = 2; y <= 10; ++y) EXPECT_LT(Grey(s, 3, y), Grey(s, 3, y - 1)) << y;
  EXPECT_GT(Grey(s, 3, 11), Grey(s, 3, 10) + 0x10);
  for (int y = 12; y <= 21; ++y) EXPECT_GE(Grey(s, 3, y), Grey(s, 3, y - 1)) << y;
  // Columns 1 and 7 are a light inner edge below the step.
  for (int y = 11; y <= 18; ++y)
    for (int x : {1, 7}) {
      EXPECT_GE(Grey(s, x, y), 0xF0) << x << "," << y;
      EXPECT_LE(Grey(s, x, y), 0xF3) << x << "," << y;
    }
}

// Glyph and hand --------------------------------------------------------------

TEST(ArrowGlyph, IsABlackDownwardTriangle) {
  const char* const rows[] = {"#####", ".###.", "..#.."};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(At(resources::kArrowGlyph, x, y), rows[y][x] == '#' ? 0xFF000000u : 0u)
          << x << "," << y;
}

TEST(HandCursor, IsBlackAndWhiteWithTheFingertipAtTheHotSpot) {
  const Art& h = resources::kHandCursor;
  for (int i = 0; i < 32 * 32; ++i) {
    const std::uint32_t p = h.pixels[i];
    EXPECT_TRUE(p == 0 || p == 0xFF000000u || p == 0xFFFFFFFFu) << i;
  }
  // (5, 0) is the outline at the top left of the fingertip: nothing to its
  // left on the top row, the finger's outline and white inside below it.
  EXPECT_EQ(At(h, 5, 0), 0xFF000000u);
  for (int x = 0; x < 5; ++x) EXPECT_TRUE(Transparent(At(h, x, 0))) << x;
  EXPECT_EQ(At(h, 4, 1), 0xFF000000u);
  EXPECT_EQ(At(h, 5, 1), 0xFFFFFFFFu);
  EXPECT_TRUE(Transparent(At(h, 3, 1)));
}

// Files built from the art ----------------------------------------------------

std::string ReadBuilt(const std::string& name) {
  std::string path = QUILLET_RESOURCE_BUILD_DIR "/" + name;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // a Linux build run under Wine
#endif
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned U16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

// A 1-bit row-major mask of a DIB (bottom row first, rows padded to 4 bytes).
bool Bit(const std::string& b, std::size_t start, int width, int height, int x, int y) {
  const int stride = (width + 31) / 32 * 4;
  const auto byte = static_cast<unsigned char>(b[start + (height - 1 - y) * stride + x / 8]);
  return byte & (0x80 >> (x % 8));
}

TEST(ResourceFiles, HandCursorIsTheHandWithItsHotSpotAtTheFingertip) {
  const std::string b = ReadBuilt("hand.cur");
  ASSERT_GE(b.size(), 22u + 40 + 8 + 2 * 128);
  EXPECT_EQ(U16(b, 2), 2u);  // a cursor
  EXPECT_EQ(U16(b, 4), 1u);
  EXPECT_EQ(static_cast<unsigned char>(b[6]), 32);
  EXPECT_EQ(U16(b, 10), 5u);
  EXPECT_EQ(U16(b, 12), 0u);
  const std::size_t image = U32(b, 18);
  EXPECT_EQ(U16(b, image + 14), 1u);  // monochrome
  const std::size_t xor_bits = image + 40 + 8, and_bits = xor_bits + 128;
  const Art& h = resources::kHandCursor;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t p = At(h, x, y);
      EXPECT_EQ(Bit(b, and_bits, 32, 32, x, y), Transparent(p)) << x << "," << y;
      EXPECT_EQ(Bit(b, xor_bits, 32, 32, x, y), p == 0xFFFFFFFFu) << x << "," << y;
    }
}

TEST(ResourceFiles, ProgramIconsHoldTheirSixteenAndThirtyTwoPixelPictures) {
  struct Icon {
    const char* file;
    const Art& small;
    const Art& large;
  };
  for (const Icon& icon :
       {Icon{"quillet.ico", resources::kDesignerIcon16, resources::kDesignerIcon32},
        Icon{"run.ico", resources::kPlayerIcon16, resources::kPlayerIcon32}}) {
    SCOPED_TRACE(icon.file);
    const std::string b = ReadBuilt(icon.file);
    ASSERT_GT(b.size(), 6u + 2 * 16);
    EXPECT_EQ(U16(b, 2), 1u);
    ASSERT_EQ(U16(b, 4), 2u);
    for (int i = 0; i < 2; ++i) {
      const Art& a = i == 0 ? icon.small : icon.large;
      const std::size_t entry = 6 + 16 * i;
      EXPECT_EQ(static_cast<unsigned char>(b[entry]), a.width);
      EXPECT_EQ(U16(b, entry + 6), 32u);  // bits per pixel
      const std::size_t image = U32(b, entry + 12);
      ASSERT_LE(image + 40 + a.width * a.height * 4, b.size());
      // 32-bit pixels, bottom row first, little-endian 0xAARRGGBB.
      for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
          EXPECT_EQ(U32(b, image + 40 + ((a.height - 1 - y) * a.width + x) * 4), At(a, x, y))
              << x << "," << y;
    }
  }
}

}  // namespace
