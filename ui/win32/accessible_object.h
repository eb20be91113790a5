#pragma once
// The project's own IAccessible for a control's window (accessible_object.cpp),
// and what the events of accessible.cpp share with it.

#include <windows.h>

#include "ui/control.h"
#include "ui/controls.h"

namespace ui::win32 {

class ControlWindow;
class AccessibleObject;

// oleacc, which the objects need, could be loaded (from the system folder, when a
// tool first asks).
bool accessibility_available();
// A new object for the window, with one reference for the caller.
AccessibleObject* make_accessible_object(ControlWindow& window);
// Disconnects the object, so that a tool that still holds it gets errors, not a
// crash, and drops the caller's reference.
void drop_accessible_object(AccessibleObject* object);
// The answer to WM_GETOBJECT with the object.
LRESULT accessible_object_result(AccessibleObject& object, WPARAM w);
// The control that a child id of the object names now; nullptr for none.
Control* accessible_target(AccessibleObject& object, long child);

// A control can be used when it and its window take input (a modal window keeps
// its owner waiting).
bool usable(HWND h);
// The list an item belongs to; nullptr for a control that is no list's item.
const PictureBox* list_of(const Control& item);
// An item's child id in its list (1 to n for the shown items); CHILDID_SELF when
// it is not shown in a list.
long child_id_of(const Control& item);
// The state bits that the form model decides.
long model_state(const Accessible& a);

}  // namespace ui::win32
