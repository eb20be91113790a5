// The list box's peer: a list box control whose window text is the selected entry.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class ListBoxWindow : public ControlWindow {
 public:
  ListBoxWindow(Win32Backend& b, ListBox& l) : ControlWindow(b, l) {
    make(WC_LISTBOXW, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
         WS_EX_CLIENTEDGE, L"");
    set_font(l.font());
    refresh(Prop::Items);
  }

 protected:
  ListBox& list() const { return static_cast<ListBox&>(control_); }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Items:
        SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
        for (const std::string& item : list().items())
          SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
        invalidate(true);
        [[fallthrough]];
      case Prop::Selection:
        if (SendMessageW(hwnd(), LB_GETCURSEL, 0, 0) != list().list_index())
          SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(list().list_index()), 0);
        // The window text is the list's text: its selected entry.
        DefWindowProcW(hwnd(), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(widen(list().text()).c_str()));
        break;
      case Prop::Font:
        set_font(list().font(), true);
        break;
      default:
        break;
    }
  }

  // A selection made from outside (LB_SETCURSEL) sends no notification.
  void read_back(Prop what) override {
    if (what != Prop::Selection) return;
    const int held = static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
    list().selection_pulled(held);
    refresh(Prop::Selection);
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (HIWORD(w) == LBN_SELCHANGE) {
      ListBox& l = list();
      l.set_list_index(static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0)));
      if (l.on_click) l.on_click();
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, ListBox& c) {
  return std::make_unique<ListBoxWindow>(b, c);
}

}  // namespace ui::win32
