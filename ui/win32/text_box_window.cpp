// The text box's peer: an edit control whose typed characters go through the
// box's key filter before the control takes them.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <utility>

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class TextBoxWindow : public ControlWindow {
 public:
  TextBoxWindow(Win32Backend& b, TextBox& t) : ControlWindow(b, t) {
    const DWORD style = WS_TABSTOP | (t.multiline() ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL
                                                    : ES_AUTOHSCROLL);
    make(WC_EDITW, style, WS_EX_CLIENTEDGE, widen(t.text()));
    was_empty_ = t.text().empty();
    set_font(t.font());
    // Without either the box stays as the system makes it (32767 characters).
    if (t.max_length() > 0) refresh(Prop::MaxLength);
  }

  // Named by the window or a label (which the system's proxy does not know of),
  // the box answers with the model's name.
  bool own_accessible() const override { return !control_.accessible().name.empty(); }

 protected:
  TextBox& box() const { return static_cast<TextBox&>(control_); }

  void refresh(Prop what) override {
    if (what == Prop::Text) {
      const std::wstring text = widen(box().text());
      if (window_text(hwnd()) == text) return;
      setting_ = true;
      SetWindowTextW(hwnd(), text.c_str());
      setting_ = false;
    } else if (what == Prop::Font) {
      set_font(box().font(), true);
    } else if (what == Prop::Selection && box().all_selected()) {
      SendMessageW(hwnd(), EM_SETSEL, 0, -1);
    } else if (what == Prop::CueBanner) {
      InvalidateRect(hwnd(), nullptr, TRUE);
    } else if (what == Prop::MaxLength) {
      // Characters a project can hold are one UTF-16 unit each.
      SendMessageW(hwnd(), EM_SETLIMITTEXT, static_cast<WPARAM>(box().max_length()), 0);
    }
  }

  // A multi-line box tells nothing of a text set from outside (WM_SETTEXT).
  void read_back(Prop what) override {
    if (what == Prop::Text) box().text_pulled(narrow(window_text(hwnd())));
  }

  // The grey hint of an empty box (the cue banner), drawn over what the edit
  // control paints, in its font and where its text would start, while it has
  // the focus too. Drawn here rather than asked of the control: Wine's frees its
  // copy of the hint from another heap than it took it from.
  bool shows_hint() const {
    return !box().cue_banner().empty() && GetWindowTextLengthW(hwnd()) == 0;
  }
  void draw_hint(HDC dc) {
    RECT r{};
    SendMessageW(hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    const std::wstring hint = widen(box().cue_banner());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &r,
              DT_NOPREFIX | DT_END_ELLIPSIS | (box().multiline() ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if ((msg == WM_PAINT || msg == WM_PRINTCLIENT) && shows_hint()) {
      // The control paints into a device context it is given.
      PAINTSTRUCT ps{};
      const HDC dc = msg == WM_PAINT ? BeginPaint(hwnd(), &ps) : reinterpret_cast<HDC>(w);
      const LRESULT r = ControlWindow::on_message(msg, reinterpret_cast<WPARAM>(dc), l);
      draw_hint(dc);
      if (msg == WM_PAINT) EndPaint(hwnd(), &ps);
      return r;
    }
    if (msg != WM_CHAR) return ControlWindow::on_message(msg, w, l);
    const char32_t typed = chars_.feed(static_cast<wchar_t>(w));
    if (!typed) return 0;
    Alive alive(*this);
    const char32_t key = box().filter_key(typed);
    if (!alive || key == 0) return 0;
    if (key == 13 && !box().multiline()) return 0;
    for (wchar_t unit : to_units(key)) default_proc(WM_CHAR, unit, l);
    return 0;
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND || HIWORD(w) != EN_CHANGE) return false;
    result = 0;
    // The hint comes and goes whole, wherever the edit redraws.
    const bool empty = GetWindowTextLengthW(hwnd()) == 0;
    if (std::exchange(was_empty_, empty) != empty && !box().cue_banner().empty())
      InvalidateRect(hwnd(), nullptr, TRUE);
    if (!setting_) box().text_edited(narrow(window_text(hwnd())));
    return true;
  }

 private:
  bool setting_ = false;
  bool was_empty_ = true;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, TextBox& c) {
  return std::make_unique<TextBoxWindow>(b, c);
}

}  // namespace ui::win32
