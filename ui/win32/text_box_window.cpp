// The text box's peer: an edit control whose typed characters go through the
// box's key filter before the control takes them.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class TextBoxWindow : public ControlWindow {
 public:
  TextBoxWindow(Win32Backend& b, TextBox& t) : ControlWindow(b, t) {
    const DWORD style = WS_TABSTOP | (t.multiline() ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL
                                                    : ES_AUTOHSCROLL);
    make(WC_EDITW, style, WS_EX_CLIENTEDGE, widen(t.text()));
    set_font(t.font());
    // Without either the box stays as the system makes it (32767 characters).
    if (!t.cue_banner().empty()) refresh(Prop::CueBanner);
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
      // Drawn by version 6 of the common controls, which the manifest asks for;
      // shown while the box has the focus too.
      const std::wstring hint = widen(box().cue_banner());
      SendMessageW(hwnd(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
      // Not every version redraws a shown hint by itself.
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

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
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
    if (!setting_) box().text_edited(narrow(window_text(hwnd())));
    return true;
  }

 private:
  bool setting_ = false;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, TextBox& c) {
  return std::make_unique<TextBoxWindow>(b, c);
}

}  // namespace ui::win32
