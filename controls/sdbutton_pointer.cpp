// How SDButton follows the pointer: the hover look and the timer Out that takes
// it back, the pressed look with its one-unit shift, the toggle of Mode 1, and
// the events Click and ArrowClick; and a click made without the pointer, by
// Enter or Space or an accessibility tool.

#include "controls/sdbutton.h"
#include "controls/skins.h"

namespace controls {

void SDButton::pointer_move(ui::Point p) {
  // With the mouse captured, moves arrive from outside too; only those over a
  // part count.
  if (hit(p) == Target::None || hover) return;
  paint(0);
  hover = true;
  if (!Out.enabled()) Out.set_enabled(true);
}

void SDButton::pointer_press(ui::Point p, ui::MouseButton b) {
  const Target target = hit(p);
  if (target == Target::None) return;
  pressed_ = target;
  click_armed_ = target == Target::Face && b == ui::MouseButton::Left;
  if (target == Target::Arrow)
    press_arrow();
  else
    press_face();
}

// The second press of a double click: the release that follows is handled, but
// there is no pressed look, no toggle and no Click.
void SDButton::pointer_double_click(ui::Point p, ui::MouseButton) {
  pressed_ = hit(p);
  click_armed_ = false;
}

void SDButton::pointer_release(ui::Point p, ui::MouseButton b) {
  // The release belongs to the part that got the press, wherever it happens.
  const Target target = pressed_ != Target::None ? pressed_ : hit(p);
  const ui::Rect r = pixel_rect();
  const bool click = target == Target::Face && click_armed_ && b == ui::MouseButton::Left &&
                     p.x >= 0 && p.y >= 0 && p.x < r.width && p.y < r.height;
  pressed_ = Target::None;
  click_armed_ = false;
  if (target != Target::None) release(target, click);
}

void SDButton::press_face() {
  pressed_look_ = true;
  parts_.txt.rect.top += 1;
  parts_.img.rect.top += 1;
  if (mode_value != 3) parts_.down_ico.rect.top += 1;
  if (mode_value == 1) set_Check(!check_value);
  paint(1);
}

void SDButton::press_arrow() {
  if (mode_value != 3) return press_face();
  pressed_look_ = true;
  parts_.down_ico.rect.top += 1;
  parts_.down_img.picture = skin(1);
  repaint();
}

void SDButton::release(Target target, bool click) {
  Relayout();
  paint(0);
  // The events come last: their handlers may well close the window.
  if (target == Target::Arrow) {
    if (auto handler = on_arrow_click) handler();
  } else if (click) {
    if (auto handler = on_click) handler();
  }
}

void SDButton::activate() {
  if (mode_value == 1) set_Check(!check_value);
  end_click();
}

void SDButton::end_click() {
  settle();
  if (auto handler = on_click) handler();
}

void SDButton::settle() {
  Relayout();
  if (hover) paint(0);
}

void SDButton::key_down(int& code, unsigned shift) {
  if (shift != ui::shift::None) return;
  if (code == ui::key::Enter) {
    code = 0;
    activate();
  } else if (code == ui::key::Space) {
    code = 0;
    if (space_down_) return;  // the key repeats while held
    space_down_ = true;
    press_face();
  }
}

void SDButton::key_up(int& code, unsigned) {
  if (code != ui::key::Space || !space_down_) return;
  code = 0;
  space_down_ = false;
  end_click();
}

void SDButton::lost_focus() {
  if (!space_down_) return;
  space_down_ = false;
  settle();
}

void SDButton::Out_Timer() {
  const ui::Point p = to_units(cursor_position());
  // The right and bottom edge lines count as inside.
  const bool outside = p.x < 0 || p.y < 0 || p.x > inner_width() || p.y > inner_height();
  if (!outside) return;
  Relayout();
  Out.set_enabled(false);
  hover = false;
}

}  // namespace controls
