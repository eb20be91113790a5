// The label's peer: a static control that draws its text itself, transparent or
// on its own colour, with the selection border over the edge of its text area.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class LabelWindow : public ControlWindow {
 public:
  // A label hidden at first gets its window when it is first shown: the main
  // window's list has thirty, of which a short project shows few.
  LabelWindow(Win32Backend& b, Label& l) : ControlWindow(b, l) { create_when_shown(); }

  // Links, list items and read-only texts are more than the system's proxy of a
  // static control can tell.
  bool own_accessible() const override {
    const Role r = control_.accessible_role();
    return r == Role::Link || r == Role::ListItem || r == Role::Text;
  }

 protected:
  Label& label() const { return static_cast<Label&>(control_); }

  void create_window() override {
    make(WC_STATICW, SS_NOTIFY | SS_NOPREFIX | align_style(),
         label().transparent() ? WS_EX_TRANSPARENT : 0, widen(label().caption()));
    set_font(label().font());
  }

  DWORD align_style() const {
    switch (label().alignment()) {
      case Align::Right:
        return SS_RIGHT;
      case Align::Center:
        return SS_CENTER;
      case Align::Left:
        break;
    }
    return SS_LEFT;
  }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Caption:
        set_text_if_changed(hwnd(), widen(label().caption()));
        break;
      case Prop::Alignment: {
        const LONG_PTR s = GetWindowLongPtrW(hwnd(), GWL_STYLE);
        SetWindowLongPtrW(hwnd(), GWL_STYLE,
                          (s & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | align_style());
        break;
      }
      case Prop::Colors: {
        const LONG_PTR ex = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
        SetWindowLongPtrW(hwnd(), GWL_EXSTYLE,
                          label().transparent() ? ex | WS_EX_TRANSPARENT
                                                : ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
        break;
      }
      case Prop::Font:
        set_font(label().font());
        break;
      case Prop::Border:
      case Prop::FocusMark:
      case Prop::Enabled:
        break;
      default:
        return;
    }
    repaint();
  }

  void repaint() {
    if (label().transparent())
      redraw_through();
    else
      invalidate();
  }

  void paint(HDC dc) override {
    RECT r;
    GetClientRect(hwnd(), &r);
    const Label& l = label();
    if (l.transparent()) {
      draw(dc, r);
      if (l.shows_focus_mark()) draw_focus_mark(dc, r);
    } else {
      Buffer buffer(dc, r);
      RECT inner{0, 0, r.right - r.left, r.bottom - r.top};
      FillRect(buffer.dc(), &inner, backend_.gdi().brush(l.back_color()));
      draw(buffer.dc(), inner);
      if (l.shows_focus_mark()) draw_focus_mark(buffer.dc(), inner);
    }
  }

  void draw(HDC dc, const RECT& r) {
    const Label& l = label();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, l.enabled() ? to_colorref(l.fore_color()) : GetSysColor(COLOR_GRAYTEXT));
    const HGDIOBJ old = SelectObject(dc, font(l.font()));
    UINT format = DT_NOPREFIX | DT_EXPANDTABS;
    format |= l.alignment() == Align::Right    ? DT_RIGHT
              : l.alignment() == Align::Center ? DT_CENTER
                                               : DT_LEFT;
    // A label that does not size itself wraps its words at its width, and shows
    // only the lines that fit whole (a next line cut in half would peek in).
    if (l.word_wrap() || !l.autosize()) format |= DT_WORDBREAK | DT_EDITCONTROL;
    RECT text = r;
    const std::wstring caption = widen(l.caption());
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    SelectObject(dc, old);
    // The border is drawn over the edge of the text area, so the text stays put
    // when the border comes and goes (a selection mark, say). It is as thick
    // as pixel art is repeated.
    if (l.border()) {
      RECT edge = r;
      for (int i = whole_factor(dpi()); i > 0; --i, InflateRect(&edge, -1, -1))
        FrameRect(dc, &edge, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (LRESULT r; painting(msg, w, r)) return r;
    switch (msg) {
      case WM_SETTEXT:
        // Only keep the text: the static would paint it its own way at once.
        return DefWindowProcW(hwnd(), msg, w, l);
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg == WM_CTLCOLORSTATIC) {
      const HDC dc = reinterpret_cast<HDC>(w);
      SetTextColor(dc, to_colorref(label().fore_color()));
      if (label().transparent()) {
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      } else {
        SetBkColor(dc, to_colorref(label().back_color()));
        result = reinterpret_cast<LRESULT>(backend_.gdi().brush(label().back_color()));
      }
      return true;
    }
    if (msg != WM_COMMAND) return false;
    result = 0;
    const Label& l = label();
    if (HIWORD(w) == STN_CLICKED && l.on_click)
      l.on_click();
    else if (HIWORD(w) == STN_DBLCLK && l.on_double_click)
      l.on_double_click();
    return true;
  }
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, Label& c) {
  return std::make_unique<LabelWindow>(b, c);
}

}  // namespace ui::win32
