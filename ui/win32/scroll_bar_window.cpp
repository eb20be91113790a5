// The scroll bar's peer: decoration only. It hands the focus straight back and
// passes keys to its window.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class ScrollBarWindow : public ControlWindow {
 public:
  ScrollBarWindow(Win32Backend& b, VScrollBar& s) : ControlWindow(b, s) {
    make(WC_SCROLLBARW, SBS_VERT, 0, L"");
    SetScrollRange(hwnd(), SB_CTL, 0, 32767, FALSE);
    SetScrollPos(hwnd(), SB_CTL, 0, TRUE);
  }

 protected:
  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    const HWND form = GetAncestor(hwnd(), GA_ROOT);
    switch (msg) {
      case WM_SETFOCUS: {
        const HWND previous = reinterpret_cast<HWND>(w);
        SetFocus(previous && previous != hwnd() && IsWindow(previous) &&
                         (previous == form || IsChild(form, previous))
                     ? previous
                     : form);
        return 0;
      }
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_SYSCHAR:
        return SendMessageW(form, msg, w, l);
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, VScrollBar& c) {
  return std::make_unique<ScrollBarWindow>(b, c);
}

}  // namespace ui::win32
