// The accessibility side of every control's window: WM_GETOBJECT for the
// windows that answer with the project's own object, the default actions a tool
// asks for, and the WinEvents that tell a reader what changed.

#include "ui/win32/accessible.h"

#include "ui/win32/accessible_object.h"
#include "ui/win32/peers.h"

namespace ui::win32 {

ControlAccessibility::ControlAccessibility(ControlWindow& window)
    : window_(window), last_(window.control().accessible()) {}

ControlAccessibility::~ControlAccessibility() { drop_accessible_object(object_); }

bool ControlAccessibility::handle(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  switch (msg) {
    case WM_GETOBJECT:
      if (static_cast<LONG>(l) != OBJID_CLIENT || !window_.own_accessible() ||
          !accessibility_available())
        return false;
      if (!object_) object_ = make_accessible_object(window_);
      result = accessible_object_result(*object_, w);
      return true;
    case kWmAccessibleAction: {
      result = 0;
      // An item a diagram draws, or a part of one (l, from 1).
      if (auto* d = dynamic_cast<Diagram*>(&window_.control()); d && w > 0) {
        if (!usable(window_.hwnd())) return true;
        if (l > 0)
          d->part_action(static_cast<int>(w) - 1, static_cast<int>(l) - 1);
        else
          d->item_action(static_cast<int>(w) - 1);
        return true;
      }
      // Whatever the child id names now, if it can still be used.
      Control* c = object_ ? accessible_target(*object_, static_cast<long>(w)) : nullptr;
      if (c && usable(Win32Backend::window_of(*c))) c->do_default_action();
      return true;
    }
    case kWmAccessibleChanged:
      result = 0;
      announce_pending_ = false;
      announce();
      return true;
    default:
      return false;
  }
}

void ControlAccessibility::changed() {
  // Told once the handler that changed things is done, so that a list redrawn
  // item by item is told as it ends up, not as it passes through.
  if (announce_pending_ || !window_.hwnd()) return;
  announce_pending_ = PostMessageW(window_.hwnd(), kWmAccessibleChanged, 0, 0) != FALSE;
}

void ControlAccessibility::announce() {
  const Control& c = window_.control();
  const Accessible now = c.accessible();
  const HWND h = window_.hwnd();
  const bool on_screen = h && IsWindowVisible(h);
  // Events about a list item are told of the list, with the item's child id.
  const PictureBox* list = list_of(c);
  const auto raise = [&](DWORD event) {
    const long id = list ? child_id_of(c) : CHILDID_SELF;
    if (list && id == CHILDID_SELF) return;
    NotifyWinEvent(event, id == CHILDID_SELF ? h : Win32Backend::window_of(*list), OBJID_CLIENT,
                   id);
  };
  if (on_screen) {
    if (now.name != last_.name) raise(EVENT_OBJECT_NAMECHANGE);
    if (window_.own_accessible()) {
      // A read-only text is news when it grows; taking back a character is not.
      // Any other value (the choice of a drop-down list) whenever it changes.
      if (now.role == Role::Text ? now.value.size() > last_.value.size() : now.value != last_.value)
        raise(EVENT_OBJECT_VALUECHANGE);
      if ((model_state(now) & ~STATE_SYSTEM_SELECTED) !=
          (model_state(last_) & ~STATE_SYSTEM_SELECTED))
        raise(EVENT_OBJECT_STATECHANGE);
    }
  }
  if (const auto* d = dynamic_cast<const Diagram*>(&c)) announce_items(*d, on_screen);
  // An item that is selected and on screen is told when it becomes so: when the
  // selection moves to it or the list shows it again; alone, as the selection, in
  // a range as added to it, and taken out of a range when it leaves it. The item
  // the keys move is told as the focus when it becomes that.
  std::size_t selected = 0;
  if (list)
    for (const Control* item : list->shown_items()) selected += list->is_selected(*item) ? 1 : 0;
  const bool selection_shown = list && now.selected && on_screen;
  const bool focused = selection_shown && list->selected_item() == &c;
  if (selection_shown && !selection_shown_)
    raise(selected == 1 ? EVENT_OBJECT_SELECTION : EVENT_OBJECT_SELECTIONADD);
  // Left out of a range that stays; a selection of one says all by itself.
  if (list && on_screen && !now.selected && selection_shown_ && selected > 1)
    raise(EVENT_OBJECT_SELECTIONREMOVE);
  if (focused && !focused_ && GetFocus() == Win32Backend::window_of(*list))
    raise(EVENT_OBJECT_FOCUS);
  selection_shown_ = selection_shown;
  focused_ = focused;
  last_ = now;
}

void ControlAccessibility::announce_items(const Diagram& d, bool on_screen) {
  const HWND h = window_.hwnd();
  if (on_screen && d.items() != last_items_)
    NotifyWinEvent(EVENT_OBJECT_REORDER, h, OBJID_CLIENT, CHILDID_SELF);
  const int selected = on_screen ? d.selected() : -1;
  if (selected >= 0 && (selected != last_selected_ || d.items() != last_items_)) {
    NotifyWinEvent(EVENT_OBJECT_SELECTION, h, OBJID_CLIENT, selected + 1);
    if (GetFocus() == h) NotifyWinEvent(EVENT_OBJECT_FOCUS, h, OBJID_CLIENT, selected + 1);
  }
  last_items_ = d.items();
  last_selected_ = selected;
}

}  // namespace ui::win32
