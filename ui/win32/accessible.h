#pragma once
// Screen readers and other accessibility tools. The windows of controls that the
// system's proxies cannot tell apart (self-drawn buttons, owner-drawn options,
// lists of labels, links, read-only texts, drop-down lists and check boxes, which
// some proxies call a plain client) answer WM_GETOBJECT with the project's
// own IAccessible, whose name, role, state and default action come from the form
// model; every control window raises the WinEvents that tell a reader what
// changed. Standard controls keep the system's answers.

#include <windows.h>

#include <vector>

#include "ui/control.h"
#include "ui/diagram.h"

namespace ui::win32 {

class ControlWindow;
class AccessibleObject;

// The accessibility side of one control's window, owned by it.
class ControlAccessibility {
 public:
  explicit ControlAccessibility(ControlWindow& window);
  // Disconnects the object: tools that still hold it get errors, not a crash.
  ~ControlAccessibility();
  ControlAccessibility(const ControlAccessibility&) = delete;
  ControlAccessibility& operator=(const ControlAccessibility&) = delete;

  // WM_GETOBJECT, and the default actions the object posts to its window so that
  // the tool's call returns before a handler opens a modal window. True when handled.
  bool handle(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
  // After a property change: the events for what a reader now hears differently
  // follow once the change is complete.
  void changed();

 private:
  void announce();
  // A diagram's items: the list reordered when they change, the selection and
  // the focus when another one is selected.
  void announce_items(const Diagram& d, bool on_screen);

  ControlWindow& window_;
  AccessibleObject* object_ = nullptr;
  Accessible last_;  // as last announced
  bool selection_shown_ = false;
  bool focused_ = false;  // the selected item the keys move, on screen
  bool announce_pending_ = false;
  std::vector<Diagram::Item> last_items_;
  int last_selected_ = -1;
};

}  // namespace ui::win32
