// The peer of self-drawn controls: the control's face and overlays painted
// through a buffer, and the raw pointer passed back in model pixels.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class CustomWindow : public ControlWindow {
 public:
  CustomWindow(Win32Backend& b, CustomControl& c) : ControlWindow(b, c) {
    make(kCustomClass, WS_TABSTOP, 0, widen(c.accessible_text()));
  }

  bool own_accessible() const override { return true; }

 protected:
  CustomControl& custom() const { return static_cast<CustomControl&>(control_); }

  void refresh(Prop) override {
    set_text_if_changed(hwnd(), widen(custom().accessible_text()));
    invalidate();
  }

  void paint(HDC dc) override {
    RECT r;
    GetClientRect(hwnd(), &r);
    Buffer buffer(dc, r);
    buffer.fill(GetSysColor(COLOR_BTNFACE));
    // The face and its pieces are scaled whole to the window; pictures on it
    // are pixel art, repeated by the whole factor in their scaled boxes.
    const int d = dpi();
    const Bitmap& face = std::as_const(custom()).face();
    buffer.blend(scale_nearest(face, d, scale(face.width, d), scale(face.height, d)), 0, 0);
    SetBkMode(buffer.dc(), TRANSPARENT);
    SetTextColor(buffer.dc(), GetSysColor(COLOR_BTNTEXT));
    const HGDIOBJ old = SelectObject(buffer.dc(), font(backend_.interface_font()));
    for (const CustomControl::Overlay& o : custom().overlays()) {
      if (o.picture) {
        const Bitmap& p = *o.picture;
        if (o.with_face) {
          const Rect box = scale(Rect{o.at.x, o.at.y, p.width, p.height}, d);
          buffer.blend(scale_nearest(p, d, box.width, box.height), box.left, box.top);
        } else {
          const Rect at = picture_place(o.at, {p.width, p.height}, d);
          buffer.blend(repeat_pixels(p, whole_factor(d)), at.left, at.top);
        }
      } else if (!o.text.empty()) {
        const std::wstring text = widen(o.text);
        TextOutW(buffer.dc(), scale(o.at.x, d), scale(o.at.y, d), text.c_str(),
                 static_cast<int>(text.size()));
      }
    }
    GdiFlush();
    SelectObject(buffer.dc(), old);
    if (control_.shows_focus_mark()) {
      RECT inner{0, 0, buffer.width(), buffer.height()};
      InflateRect(&inner, -scale(2, d), -scale(2, d));
      draw_focus_mark(buffer.dc(), inner);
    }
  }

  static MouseButton button_of(UINT msg) {
    switch (msg) {
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
        return MouseButton::Right;
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        return MouseButton::Middle;
      default:
        return MouseButton::Left;
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (LRESULT r; painting(msg, w, r)) return r;
    const Point at = unscale(Point{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, dpi());
    switch (msg) {
      case WM_MOUSEMOVE:
        custom().pointer_move(at);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        SetCapture(hwnd());
        // The focus leaving another control may run a handler that closes the window.
        Alive alive(*this);
        if (GetFocus() != hwnd() && control_.tab_stop()) SetFocus(hwnd());
        if (alive) custom().pointer_press(at, button_of(msg));
        return 0;
      }
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        SetCapture(hwnd());
        custom().pointer_double_click(at, button_of(msg));
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        // Let go of the pointer before the handler runs: it may open a modal window.
        if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd())
          ReleaseCapture();
        custom().pointer_release(at, button_of(msg));
        return 0;
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, CustomControl& c) {
  return std::make_unique<CustomWindow>(b, c);
}

}  // namespace ui::win32
