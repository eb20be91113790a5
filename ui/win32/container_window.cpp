// The peer of picture boxes and frames: a window of the backend's own class that
// holds the windows of its controls, in its own colour or its container's.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class ContainerWindow : public ControlWindow {
 public:
  ContainerWindow(Win32Backend& b, Control& c) : ControlWindow(b, c) {
    make(kContainerClass, WS_CLIPCHILDREN, 0, L"");
  }

  // A box that holds a list answers for the list's items.
  bool own_accessible() const override { return control_.accessible_role() == Role::List; }

 protected:
  Color back() const {
    const Container* c = dynamic_cast<const Container*>(&control_);
    while (c) {
      if (const auto* box = dynamic_cast<const PictureBox*>(c)) return box->back_color();
      if (const auto* f = dynamic_cast<const Form*>(c)) return f->back_color();
      const auto* ctl = dynamic_cast<const Control*>(c);
      c = ctl ? &ctl->parent() : nullptr;
    }
    return Color::system(SysColor::ButtonFace);
  }

  void refresh(Prop what) override {
    if (what == Prop::Colors)
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    else if (what == Prop::FocusMark)
      move_mark();
  }

  // Repaints where the focus mark was and where it goes, transparent children
  // included; nothing while it stays away (the mouse alone never shows it).
  void move_mark() {
    const bool show = control_.shows_focus_mark();
    const RECT at = mark_rect();
    if (!show && !marked_) return;
    if (show && marked_ && EqualRect(&at, &marked_at_)) return;
    const UINT how = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN;
    if (marked_) RedrawWindow(hwnd(), &marked_at_, nullptr, how);
    if (show) RedrawWindow(hwnd(), &at, nullptr, how);
    marked_ = show;
    marked_at_ = at;
  }

  // Around the box's focus rectangle, or around its whole inside.
  RECT mark_rect() const {
    RECT r;
    GetClientRect(hwnd(), &r);
    const auto* box = dynamic_cast<const PictureBox*>(&control_);
    const Rect f = box ? box->focus_rect() : Rect{};
    if (f.width > 0 && f.height > 0) {
      const Rect at = scale(f, dpi());
      return {at.left, at.top, at.left + at.width, at.top + at.height};
    }
    InflateRect(&r, -1, -1);
    return r;
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    LRESULT result = 0;
    if (reflect_to_child(msg, w, l, result)) return result;
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(w), &r, backend_.gdi().brush(back()));
        return 1;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd(), &ps);
        if (control_.shows_focus_mark()) draw_focus_mark(dc, mark_rect());
        EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(w), to_colorref(back()));
        return reinterpret_cast<LRESULT>(backend_.gdi().brush(back()));
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }

 private:
  bool marked_ = false;
  RECT marked_at_{};
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, PictureBox& c) {
  return std::make_unique<ContainerWindow>(b, c);
}

std::unique_ptr<Peer> make_peer(Win32Backend& b, Frame& c) {
  return std::make_unique<ContainerWindow>(b, c);
}

}  // namespace ui::win32
