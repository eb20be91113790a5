#pragma once
// GDI objects made from the UI layer's values: fonts for each dpi and brushes
// (cached for the backend's lifetime), colours, and pictures as bitmaps, icons
// and cursors.

#include <windows.h>

#include <map>
#include <tuple>

#include "ui/types.h"

namespace ui::win32 {

COLORREF to_colorref(Color c);

// The font height in logical units for a size in points at the screen's dpi:
// the nearest whole pixel, halves away from zero (8.25 pt -> -11, 9.75 -> -13,
// 12 -> -16 at 96 dpi).
int font_height(double points, int dpi);

class GdiCache {
 public:
  GdiCache() = default;
  ~GdiCache();
  GdiCache(const GdiCache&) = delete;
  GdiCache& operator=(const GdiCache&) = delete;

  // The font at its size in points on a screen of dpi dots per inch.
  HFONT font(const Font& f, int dpi);
  HBRUSH brush(Color c);
  HBRUSH brush(COLORREF c);

 private:
  using FontKey = std::tuple<std::string, double, bool, bool, int, int>;
  std::map<FontKey, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
};

// A 32-bit top-down DIB section holding the picture, premultiplied for GdiAlphaBlend
// when asked. *bits receives the pixels.
HBITMAP make_dib(HDC dc, int width, int height, void** bits);
HBITMAP make_picture_dib(const Bitmap& picture, bool premultiplied);
// An icon with the picture's alpha (transparent where alpha is 0), and a cursor
// likewise with its hot spot.
HICON make_icon(const Bitmap& picture);
HCURSOR make_cursor(const Bitmap& picture, POINT hot_spot);
// What an icon or cursor shows, transparent where it shows nothing (a monochrome
// cursor in black and white); *hot_spot receives its hot spot when asked.
Bitmap icon_pixels(HICON icon, POINT* hot_spot);

// Lays src over dst at (x, y), blending by src's alpha; clipped to dst. dst may
// also be rows of 0xAARRGGBB pixels of a width and height.
void blend_over(Bitmap& dst, const Bitmap& src, int x, int y);
void blend_over(std::uint32_t* dst, int width, int height, const Bitmap& src, int x, int y);

// A memory canvas of a rectangle of the target, blitted there when it goes, so
// that a window is painted in one piece.
class Buffer {
 public:
  Buffer(HDC target, const RECT& r);
  ~Buffer();
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Fills the whole canvas with an opaque colour (0xRRGGBB).
  void fill(COLORREF color);
  // Lays a picture over the canvas at (x, y), blending by its alpha. GDI's own
  // drawing is flushed first.
  void blend(const Bitmap& picture, int x, int y);
  // The canvas's pixels, 0xAARRGGBB rows from the top; GDI's drawing reaches
  // them once flushed.
  std::uint32_t* bits() const { return static_cast<std::uint32_t*>(bits_); }

 private:
  HDC target_;
  RECT rect_;
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ old_;
};

// A memory canvas kept from one painting to the next (a window's back buffer):
// its pixels are made again only when its size changes, as fresh memory costs a
// page fault per page at the first touch.
class Canvas {
 public:
  Canvas() = default;
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  // Of width x height and ready to draw on; false when the system refused.
  bool ensure(int width, int height);
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixels, 0xAARRGGBB rows from the top, GDI's drawing once flushed.
  std::uint32_t* bits() const { return static_cast<std::uint32_t*>(bits_); }
  void fill(COLORREF color);
  void blend(const Bitmap& picture, int x, int y);

 private:
  void release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace ui::win32
