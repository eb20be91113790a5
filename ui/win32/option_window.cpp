// The option button's peer: a radio button, or, graphical, a button face drawn
// here that latches while chosen.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class OptionWindow : public ControlWindow {
 public:
  OptionWindow(Win32Backend& b, OptionButton& o) : ControlWindow(b, o) {
    make(WC_BUTTONW, WS_TABSTOP | style(), 0, widen(o.caption()));
    refresh_scale();
    refresh(Prop::Value);
  }
  ~OptionWindow() override {
    if (icon_) DestroyIcon(icon_);
  }

  // The system's proxy would read a drawn face as a push button.
  bool own_accessible() const override { return option().graphical(); }

 protected:
  OptionButton& option() const { return static_cast<OptionButton&>(control_); }

  // A graphical option is drawn here: a raised button face in its own colour,
  // sunken and latched while chosen. Themed push buttons would ignore the colour.
  DWORD style() const {
    const OptionButton& o = option();
    DWORD s = o.graphical() ? BS_OWNERDRAW : BS_AUTORADIOBUTTON;
    // The first option button of each container starts a group of its own.
    for (const Control* c : o.parent().children())
      if (c->kind() == Kind::OptionButton) {
        if (c == &o) s |= WS_GROUP;
        break;
      }
    return s;
  }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Caption:
        set_text_if_changed(hwnd(), widen(option().caption()));
        break;
      case Prop::Picture: {
        const LONG_PTR keep =
            GetWindowLongPtrW(hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(BS_TYPEMASK | WS_GROUP);
        SetWindowLongPtrW(hwnd(), GWL_STYLE, keep | style());
        HICON old = icon_;
        icon_ = option().picture()
                    ? make_icon(repeat_pixels(*option().picture(), whole_factor(dpi())))
                    : nullptr;
        SendMessageW(hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
        if (old) DestroyIcon(old);
        invalidate(true);
        break;
      }
      case Prop::Value:
        if (option().graphical())
          invalidate();
        else
          SendMessageW(hwnd(), BM_SETCHECK, option().value() ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case Prop::Colors:
        invalidate(true);
        break;
      default:
        break;
    }
  }

  void read_back(Prop what) override {
    if (what == Prop::Value && !option().graphical())
      option().value_pulled(SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED);
  }

  void refresh_scale() override {
    set_font(backend_.interface_font());
    refresh(Prop::Picture);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    // Answered as a radio button would, for tools that read or set the choice.
    if (msg == BM_GETCHECK && option().graphical())
      return option().value() ? BST_CHECKED : BST_UNCHECKED;
    if (msg == BM_SETCHECK && option().graphical()) {
      option().set_value(w == BST_CHECKED);
      return 0;
    }
    if (msg == BM_GETIMAGE && option().graphical()) return reinterpret_cast<LRESULT>(icon_);
    return ControlWindow::on_message(msg, w, l);
  }

  void draw(const DRAWITEMSTRUCT& d) {
    const OptionButton& o = option();
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    const bool chosen = o.value();
    const bool down = chosen || (d.itemState & ODS_SELECTED);
    FillRect(dc, &r, backend_.gdi().brush(o.back_color()));
    if (chosen) {
      // The latched look: the face checkered with the highlight colour.
      static const WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
      HBITMAP bits = CreateBitmap(8, 8, 1, 1, kChecker);
      HBRUSH checker = CreatePatternBrush(bits);
      const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
      const COLORREF back = SetBkColor(dc, to_colorref(o.back_color()));
      FillRect(dc, &r, checker);
      SetTextColor(dc, text);
      SetBkColor(dc, back);
      DeleteObject(checker);
      DeleteObject(bits);
    }
    DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = down ? whole_factor(dpi()) : 0;
    if (icon_ && o.picture()) {
      const int factor = whole_factor(dpi());
      const int w = o.picture()->width * factor, h = o.picture()->height * factor;
      DrawIconEx(dc, (r.left + r.right - w) / 2 + shift, (r.top + r.bottom - h) / 2 + shift, icon_,
                 w, h, 0, nullptr, DI_NORMAL);
    } else {
      RECT t = r;
      OffsetRect(&t, shift, shift);
      const std::wstring caption = widen(o.caption());
      HGDIOBJ old = SelectObject(dc, font(backend_.interface_font()));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &t,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
    }
    if (d.itemState & ODS_FOCUS) {
      RECT f = r;
      InflateRect(&f, -scale(4, dpi()), -scale(4, dpi()));
      DrawFocusRect(dc, &f);
    }
  }

  bool reflected(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
    if (msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC) {
      SetBkColor(reinterpret_cast<HDC>(w), to_colorref(option().back_color()));
      result = reinterpret_cast<LRESULT>(backend_.gdi().brush(option().back_color()));
      return true;
    }
    if (msg == WM_DRAWITEM) {
      draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      result = TRUE;
      return true;
    }
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (HIWORD(w) == BN_CLICKED) option().choose();
    return true;
  }

 private:
  HICON icon_ = nullptr;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, OptionButton& c) {
  return std::make_unique<OptionWindow>(b, c);
}

}  // namespace ui::win32
