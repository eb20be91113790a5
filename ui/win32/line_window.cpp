// The line's peer: a window that covers exactly the pixels of the line.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdlib>

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class LineWindow : public ControlWindow {
 public:
  LineWindow(Win32Backend& b, Line& l) : ControlWindow(b, l) {
    make(kLineClass, 0, WS_EX_TRANSPARENT, L"");
  }

 protected:
  Line& line() const { return static_cast<Line&>(control_); }

  // The endpoints in pixels on the screen, each the corner of a square as thick
  // as the line (the whole factor of the dpi).
  struct Ends {
    Point from, to;
    int thickness;
  };
  Ends ends() const {
    const Container& c = line().parent();
    const int d = dpi();
    const auto at = [&](Point p) {
      return Point{scale(c.to_pixels(p.x), d), scale(c.to_pixels(p.y), d)};
    };
    return {at(line().from()), at(line().to()), whole_factor(d)};
  }

  // The window covers exactly the pixels of the line.
  Rect screen_geometry() const override {
    const Ends e = ends();
    return {std::min(e.from.x, e.to.x), std::min(e.from.y, e.to.y),
            std::abs(e.to.x - e.from.x) + e.thickness, std::abs(e.to.y - e.from.y) + e.thickness};
  }

  void refresh(Prop what) override {
    if (what == Prop::Colors) redraw_through();
  }

  void paint(HDC dc) override {
    const Rect g = screen_geometry();
    const Ends e = ends();
    const int x1 = e.from.x - g.left, y1 = e.from.y - g.top;
    const int x2 = e.to.x - g.left, y2 = e.to.y - g.top;
    const COLORREF color = to_colorref(line().color());
    if (x1 == x2 || y1 == y2) {
      const RECT r{0, 0, g.width, g.height};
      FillRect(dc, &r, backend_.gdi().brush(color));
    } else {
      // A square pen's strokes from corner to corner, both end squares filled.
      const int t = e.thickness;
      HPEN pen = CreatePen(PS_SOLID, 1, color);
      const HGDIOBJ old = SelectObject(dc, pen);
      for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) {
          MoveToEx(dc, x1 + i, y1 + j, nullptr);
          LineTo(dc, x2 + i, y2 + j);
          SetPixel(dc, x2 + i, y2 + j, color);
        }
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    if (LRESULT r; painting(msg, w, r)) return r;
    return ControlWindow::on_message(msg, w, l);
  }
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, Line& c) {
  return std::make_unique<LineWindow>(b, c);
}

}  // namespace ui::win32
