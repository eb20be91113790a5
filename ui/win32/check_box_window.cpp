// The check box's peer: a check box button that never checks itself. A click
// (or another program's BM_CLICK) reaches the model, which toggles the box, as
// Space and accessibility tools do; BM_SETCHECK from outside is read back.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

class CheckBoxWindow : public ControlWindow {
 public:
  CheckBoxWindow(Win32Backend& b, CheckBox& c) : ControlWindow(b, c) {
    make(WC_BUTTONW, WS_TABSTOP | BS_CHECKBOX, 0, widen(c.caption()));
    refresh_scale();
    refresh(Prop::Value);
  }

  // Its default action is said in the interface's language, not the system's.
  bool own_accessible() const override { return true; }

 protected:
  CheckBox& box() const { return static_cast<CheckBox&>(control_); }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Caption:
        set_text_if_changed(hwnd(), widen(box().caption()));
        break;
      case Prop::Value: {
        const WPARAM check = box().value() ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(hwnd(), BM_GETCHECK, 0, 0)) != check)
          SendMessageW(hwnd(), BM_SETCHECK, check, 0);
        // Held down by Space; the pointer's own press is the button's business.
        if (box().pressed() != pressed_shown_) {
          pressed_shown_ = box().pressed();
          SendMessageW(hwnd(), BM_SETSTATE, pressed_shown_ ? TRUE : FALSE, 0);
        }
        break;
      }
      default:
        break;
    }
  }

  void read_back(Prop what) override {
    if (what == Prop::Value)
      box().value_pulled(SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED);
  }

  void refresh_scale() override { set_font(backend_.interface_font()); }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (HIWORD(w) == BN_CLICKED) box().toggle();
    return true;
  }

 private:
  bool pressed_shown_ = false;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, CheckBox& c) {
  return std::make_unique<CheckBoxWindow>(b, c);
}

}  // namespace ui::win32
