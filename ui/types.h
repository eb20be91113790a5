#pragma once
// Plain value types shared by the UI layer and its backends.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Whether the pointer, pressed at `from`, has gone far enough to `to` to drag
// rather than click: more than the 4 pixels a click may wander either way.
constexpr bool beyond_click(Point from, Point to) {
  constexpr int kClickWander = 4;
  return to.x - from.x > kClickWander || from.x - to.x > kClickWander ||
         to.y - from.y > kClickWander || from.y - to.y > kClickWander;
}

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// The system colours the windows use, by their Windows index.
enum class SysColor { Window = 5, WindowText = 8, ButtonFace = 15, ButtonText = 18 };

// An RGB triple or a system colour.
class Color {
 public:
  static constexpr Color rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Color(static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b,
                 false);
  }
  static constexpr Color system(SysColor c) { return Color(static_cast<std::uint32_t>(c), true); }

  bool is_system() const { return system_; }
  SysColor sys() const { return static_cast<SysColor>(value_); }
  std::uint32_t rgb_value() const { return value_; }  // 0xRRGGBB when not a system colour
  bool operator==(const Color&) const = default;

 private:
  constexpr Color(std::uint32_t v, bool sys) : value_(v), system_(sys) {}
  std::uint32_t value_;
  bool system_;
};

inline constexpr int kCyrillicCharset = 204;

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
  bool underline = false;
  int charset = kCyrillicCharset;
  bool operator==(const Font&) const = default;
};

// A block of 0xAARRGGBB pixels, row by row from the top. Alpha is 0 or 255 in
// pictures; a face surface is always opaque.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Bitmap() = default;
  Bitmap(int w, int h, std::uint32_t fill = 0xFFFFFFFF)
      : width(w), height(h), pixels(static_cast<std::size_t>(w > 0 && h > 0 ? w * h : 0), fill) {}
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Pictures are shared by reference, as controls assign them to each other.
using Picture = std::shared_ptr<const Bitmap>;

Picture make_picture(int width, int height, const std::uint32_t* argb);

// Twips, the unit of form layouts: 1440 per inch, 15 per pixel on a 96 dpi screen.
inline constexpr int kTwipsPerPixel = 15;
// A length in twips as whole pixels, the nearest, halves away from zero.
constexpr int twips_to_pixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
enum class ScaleMode { Twips, Pixels };

enum class Align { Left, Right, Center };
enum class MouseButton { Left, Right, Middle };
enum class MousePointer { Default, Hand };

// Message-box styles and answers, with the values of the Windows message box.
namespace mb {
inline constexpr unsigned Ok = 0, OkCancel = 1, YesNoCancel = 3, YesNo = 4;
inline constexpr unsigned Critical = 16, Question = 32, Exclamation = 48, Information = 64;
inline constexpr unsigned SystemModal = 4096;
}  // namespace mb
inline constexpr int IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7;

// Keys by their Windows virtual-key codes; a letter is its capital ('N').
namespace key {
inline constexpr int Backspace = 8, Tab = 9, Enter = 13, Alt = 18, Escape = 27, Space = 32;
inline constexpr int End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45;
inline constexpr int Delete = 46, Apps = 93;
inline constexpr int F1 = 112, F4 = 115, F5 = 116, F7 = 118, F8 = 119, F10 = 121;
}  // namespace key
// The modifier keys held with a key, as a mask.
namespace shift {
inline constexpr unsigned None = 0, Shift = 1, Ctrl = 2, Alt = 4;
}  // namespace shift

}  // namespace ui
