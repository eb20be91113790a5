// The drop-down list's peer: a combo box of the drop-down list style. The
// closed box is as high as the control's box at the window's scale, and the
// list opens tall enough for its items. What the box does of itself (a choice
// with the pointer, a letter or the wheel, the list opened or closed with the
// pointer, a choice set by another program's CB_SETCURSEL) is reported to the
// model as what the box shows and whether its list is open, read from the box
// at each notification, so the order the system sends them in does not matter;
// the keys reach it through the model.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <utility>

#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

// The most items the open list shows before it scrolls, as the system's default.
constexpr int kMaxVisibleItems = 30;

class ComboBoxWindow : public ControlWindow {
 public:
  ComboBoxWindow(Win32Backend& b, ComboBox& c) : ControlWindow(b, c) {
    make(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, L"");
    set_font(c.font());
    refresh(Prop::Items);
  }

  // The system's proxy of a combo box is not everywhere a combo box, nor named
  // by the label beside it.
  bool own_accessible() const override { return true; }

 protected:
  ComboBox& box() const { return static_cast<ComboBox&>(control_); }

  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(hwnd(), msg, w, l);
  }
  int shown_index() const { return static_cast<int>(send(CB_GETCURSEL)); }
  bool shown_open() const { return send(CB_GETDROPPEDSTATE) != 0; }

  // A message to the box that is no news to the model.
  LRESULT quietly(UINT msg, WPARAM w = 0, LPARAM l = 0) {
    const bool was = std::exchange(setting_, true);
    const LRESULT r = send(msg, w, l);
    setting_ = was;
    return r;
  }

  // The window is as high as the closed box and the list under it, which the
  // older common controls open in that room.
  Rect screen_geometry() const override {
    Rect r = ControlWindow::screen_geometry();
    if (!hwnd()) return r;
    const int items = std::clamp(static_cast<int>(box().items().size()), 1, kMaxVisibleItems);
    r.height += items * static_cast<int>(send(CB_GETITEMHEIGHT, 0)) + 2 * scale(1, dpi());
    return r;
  }

  // The closed box takes the control's height. What the box adds to the height
  // of its selection field is measured against a height set, since systems
  // count that field's own edges differently.
  void fit() {
    const int field = static_cast<int>(send(CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
    send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    RECT closed;
    GetWindowRect(hwnd(), &closed);
    const int to = scale(geometry(), dpi()).height - (closed.bottom - closed.top - field);
    if (to > 0 && to != field) send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), to);
    const int items = std::clamp(static_cast<int>(box().items().size()), 1, kMaxVisibleItems);
    send(CB_SETMINVISIBLE, static_cast<WPARAM>(items));
    place();
  }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Items:
        send(WM_SETREDRAW, FALSE);
        quietly(CB_RESETCONTENT);
        for (const std::string& item : box().items())
          send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        send(WM_SETREDRAW, TRUE);
        fit();
        InvalidateRect(hwnd(), nullptr, TRUE);
        [[fallthrough]];
      case Prop::Selection:
        if (shown_index() != box().list_index())
          quietly(CB_SETCURSEL, static_cast<WPARAM>(box().list_index()));
        break;
      case Prop::Dropped:
        if (!reporting_ && shown_open() != box().dropped_down()) {
          quietly(CB_SHOWDROPDOWN, box().dropped_down() ? TRUE : FALSE);
          // It closes on the model's item, whatever the box makes of a close.
          refresh(Prop::Selection);
        }
        break;
      case Prop::Font:
        set_font(box().font(), true);
        fit();
        break;
      case Prop::Geometry:
        fit();
        break;
      default:
        break;
    }
  }

  void refresh_scale() override {
    set_font(box().font());
    fit();
  }

  void read_back(Prop what) override {
    if (what == Prop::Selection || what == Prop::Dropped)
      box().state_pulled(shown_index(), shown_open());
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if ((msg == CB_SETCURSEL && !setting_) || msg == WM_LBUTTONUP) {
      Alive alive(*this);
      const LRESULT r = ControlWindow::on_message(msg, w, l);
      if (!alive) return r;
      if (msg == WM_LBUTTONUP)
        let_go();
      else
        tell(shown_open());  // another program's choice counts as one made in the box
      return r;
    }
    return ControlWindow::on_message(msg, w, l);
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (setting_) return true;
    switch (HIWORD(w)) {
      case CBN_DROPDOWN:
        tell(true);  // sent before the box counts its list as open
        break;
      case CBN_CLOSEUP: {
        Alive alive(*this);  // the choice's handler may close the window
        tell(false);
        if (alive) let_go();
        break;
      }
      case CBN_SELENDCANCEL:
        // Some systems send it whenever the focus leaves the box, open or not:
        // only a list still open is closed without a choice.
        if (shown_open())
          report([](ComboBox& c) { c.list_cancelled(); });
        else
          tell(false);
        break;
      case CBN_SELCHANGE:
      case CBN_SELENDOK:
      case CBN_KILLFOCUS:
        tell(shown_open());
        break;
      default:
        break;
    }
    return true;
  }

  // Tells the model what the box shows now, with its list open or not.
  void tell(bool open) {
    const int index = shown_index();
    report([&](ComboBox& c) { c.shown(index, open); });
  }

  // Tells the model what the box did; the box is not told it back.
  template <class F>
  void report(F&& what) {
    Alive alive(*this);
    const bool was = std::exchange(reporting_, true);
    what(box());
    if (alive) reporting_ = was;
  }

  // The box hands the pointer to its list when the button is let go after the
  // press that opened it, even when the list has closed meanwhile (the focus
  // went elsewhere, Esc was pressed): a hidden list that holds the pointer takes
  // the next click anywhere in the window for itself, puts back the item it was
  // opened with and opens again. A closed list holds no pointer.
  void let_go() {
    if (shown_open()) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(hwnd(), &info)) return;
    if (const HWND holder = GetCapture(); holder && holder == info.hwndList) ReleaseCapture();
  }

 private:
  bool setting_ = false;    // a message of ours is on its way to the box
  bool reporting_ = false;  // the box's own doing is on its way to the model
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, ComboBox& c) {
  return std::make_unique<ComboBoxWindow>(b, c);
}

}  // namespace ui::win32
