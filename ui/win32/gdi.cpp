#include "ui/win32/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ui/win32/text.h"

namespace ui::win32 {

COLORREF to_colorref(Color c) {
  if (c.is_system()) return GetSysColor(static_cast<int>(c.sys()));
  const std::uint32_t v = c.rgb_value();
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int font_height(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

namespace {

// A 32-bit DIB of rows from the top.
BITMAPINFO top_down_32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The family of a face, so that a system without the face substitutes a like one
// (a fixed-pitch font for Courier New keeps its columns).
BYTE pitch_and_family(const std::string& face) {
  const auto has = [&face](const char* part) { return face.find(part) != std::string::npos; };
  if (has("Courier") || has("Mono") || has("Console") || has("Fixedsys") || has("Consolas"))
    return FIXED_PITCH | FF_MODERN;
  if (has("Times") || (has("Serif") && !has("Sans Serif"))) return VARIABLE_PITCH | FF_ROMAN;
  return VARIABLE_PITCH | FF_SWISS;
}

}  // namespace

GdiCache::~GdiCache() {
  for (auto& [key, f] : fonts_) DeleteObject(f);
  for (auto& [key, b] : brushes_) DeleteObject(b);
}

HFONT GdiCache::font(const Font& f, int dpi) {
  const FontKey key{f.name, f.size, f.bold, f.underline, f.charset, dpi};
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  LOGFONTW lf{};
  lf.lfHeight = font_height(f.size, dpi);
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = f.underline ? TRUE : FALSE;
  lf.lfCharSet = static_cast<BYTE>(f.charset);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_and_family(f.name);
  const std::wstring face = widen(f.name);
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT h = CreateFontIndirectW(&lf);
  if (!h) h = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_[key] = h;
  return h;
}

HBRUSH GdiCache::brush(Color c) { return brush(to_colorref(c)); }

HBRUSH GdiCache::brush(COLORREF c) {
  if (auto it = brushes_.find(c); it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(c);
  brushes_[c] = b;
  return b;
}

HBITMAP make_dib(HDC dc, int width, int height, void** bits) {
  const BITMAPINFO info = top_down_32(std::max(width, 1), std::max(height, 1));
  return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HBITMAP make_picture_dib(const Bitmap& picture, bool premultiplied) {
  void* bits = nullptr;
  HBITMAP bmp = make_dib(nullptr, picture.width, picture.height, &bits);
  if (!bmp || !bits) return bmp;
  auto* out = static_cast<std::uint32_t*>(bits);
  // 0xAARRGGBB is exactly the memory layout of a 32-bit DIB (B, G, R, A).
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    std::uint32_t p = picture.pixels[i];
    if (premultiplied) {
      const std::uint32_t a = p >> 24;
      const auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      p = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
    }
    out[i] = p;
  }
  GdiFlush();
  return bmp;
}

namespace {

HICON make_icon_or_cursor(const Bitmap& picture, bool icon, POINT hot_spot) {
  if (picture.width <= 0 || picture.height <= 0) return nullptr;
  HBITMAP color = make_picture_dib(picture, false);
  // The mask: 1 where the picture is transparent. Rows of a monochrome bitmap are
  // padded to 16 bits.
  const int stride = ((picture.width + 15) / 16) * 2;
  std::vector<std::uint8_t> mask_bits(static_cast<std::size_t>(stride * picture.height), 0);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if ((picture.at(x, y) >> 24) < 128)
        mask_bits[static_cast<std::size_t>(y * stride + x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
  HBITMAP mask = CreateBitmap(picture.width, picture.height, 1, 1, mask_bits.data());
  ICONINFO info{};
  info.fIcon = icon ? TRUE : FALSE;
  info.xHotspot = static_cast<DWORD>(hot_spot.x);
  info.yHotspot = static_cast<DWORD>(hot_spot.y);
  info.hbmColor = color;
  info.hbmMask = mask;
  HICON made = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return made;
}

// The rows of a bitmap as 32-bit pixels, top row first.
std::vector<std::uint32_t> bitmap_rows(HBITMAP bitmap, int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  BITMAPINFO info = top_down_32(width, height);
  // A memory DC serves the conversion; the screen's would ask the window system.
  HDC dc = CreateCompatibleDC(nullptr);
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                DIB_RGB_COLORS) != height)
    pixels.clear();
  DeleteDC(dc);
  return pixels;
}

}  // namespace

HICON make_icon(const Bitmap& picture) { return make_icon_or_cursor(picture, true, {}); }

HCURSOR make_cursor(const Bitmap& picture, POINT hot_spot) {
  return make_icon_or_cursor(picture, false, hot_spot);
}

Bitmap icon_pixels(HICON icon, POINT* hot_spot) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  if (hot_spot) *hot_spot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  const bool monochrome = !info.hbmColor;
  const int width = mask.bmWidth, height = monochrome ? mask.bmHeight / 2 : mask.bmHeight;
  const std::vector<std::uint32_t> and_xor = bitmap_rows(info.hbmMask, width, mask.bmHeight);
  const std::vector<std::uint32_t> color =
      monochrome ? std::vector<std::uint32_t>{} : bitmap_rows(info.hbmColor, width, height);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (and_xor.empty() || (!monochrome && color.empty())) return {};

  Bitmap out(width, height, 0);
  const bool has_alpha =
      std::any_of(color.begin(), color.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * width + x);
      const bool hidden = (and_xor[i] & 0xFFFFFF) != 0;
      if (monochrome) {
        // Under the AND mask's holes the XOR mask draws white or black.
        const bool white = (and_xor[i + static_cast<std::size_t>(height * width)] & 0xFFFFFF) != 0;
        out.at(x, y) = hidden ? 0 : white ? 0xFFFFFFFFu : 0xFF000000u;
      } else {
        out.at(x, y) = has_alpha ? color[i] : hidden ? 0 : color[i] | 0xFF000000u;
      }
    }
  return out;
}

void blend_over(std::uint32_t* dst, int width, int height, const Bitmap& src, int x, int y) {
  for (int sy = 0; sy < src.height; ++sy) {
    const int dy = y + sy;
    if (dy < 0 || dy >= height) continue;
    std::uint32_t* row = dst + static_cast<std::size_t>(dy) * static_cast<std::size_t>(width);
    for (int sx = 0; sx < src.width; ++sx) {
      const int dx = x + sx;
      if (dx < 0 || dx >= width) continue;
      const std::uint32_t s = src.at(sx, sy);
      const std::uint32_t a = s >> 24;
      if (a == 0) continue;
      if (a == 255) {
        row[dx] = s;
        continue;
      }
      const std::uint32_t d = row[dx];
      const auto mix = [a](std::uint32_t sc, std::uint32_t dc) {
        return (sc * a + dc * (255 - a) + 127) / 255;
      };
      row[dx] = 0xFF000000u | mix((s >> 16) & 0xFF, (d >> 16) & 0xFF) << 16 |
                mix((s >> 8) & 0xFF, (d >> 8) & 0xFF) << 8 | mix(s & 0xFF, d & 0xFF);
    }
  }
}

void blend_over(Bitmap& dst, const Bitmap& src, int x, int y) {
  blend_over(dst.pixels.data(), dst.width, dst.height, src, x, y);
}

}  // namespace ui::win32

namespace ui::win32 {

Buffer::Buffer(HDC target, const RECT& r) : target_(target), rect_(r) {
  width_ = std::max<int>(r.right - r.left, 1);
  height_ = std::max<int>(r.bottom - r.top, 1);
  dc_ = CreateCompatibleDC(target);
  bitmap_ = make_dib(target, width_, height_, &bits_);
  old_ = SelectObject(dc_, bitmap_);
}

Buffer::~Buffer() {
  BitBlt(target_, rect_.left, rect_.top, width_, height_, dc_, 0, 0, SRCCOPY);
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Buffer::fill(COLORREF color) {
  if (!bits_) return;
  GdiFlush();
  const std::uint32_t pixel =
      0xFF000000u | GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
  auto* px = static_cast<std::uint32_t*>(bits_);
  std::fill(px, px + static_cast<std::size_t>(width_) * height_, pixel);
}

void Buffer::blend(const Bitmap& picture, int x, int y) {
  if (!bits_) return;
  GdiFlush();
  blend_over(static_cast<std::uint32_t*>(bits_), width_, height_, picture, x, y);
}

}  // namespace ui::win32

namespace ui::win32 {

Canvas::~Canvas() { release(); }

void Canvas::release() {
  if (dc_) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

bool Canvas::ensure(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (bits_ && width == width_ && height == height_) return true;
  release();
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = dc_ ? make_dib(dc_, width, height, &bits_) : nullptr;
  if (!bitmap_ || !bits_) {
    release();
    return false;
  }
  old_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  return true;
}

void Canvas::fill(COLORREF color) {
  if (!bits_) return;
  GdiFlush();
  const std::uint32_t pixel =
      0xFF000000u | GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
  std::fill(bits(), bits() + static_cast<std::size_t>(width_) * height_, pixel);
}

void Canvas::blend(const Bitmap& picture, int x, int y) {
  if (!bits_) return;
  GdiFlush();
  blend_over(bits(), width_, height_, picture, x, y);
}

}  // namespace ui::win32
