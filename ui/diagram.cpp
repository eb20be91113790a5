#include "ui/diagram.h"

#include <utility>

#include "ui/backend.h"

namespace ui {

void Diagram::set_drawing(std::vector<Shape> shapes, Size extent) {
  if (shapes == shapes_ && extent == extent_) return;
  shapes_ = std::move(shapes);
  extent_ = extent;
  changed(Prop::Face);
}

void Diagram::set_back_color(Color c) {
  back_ = c;
  changed(Prop::Colors);
}

void Diagram::set_font(Font f) {
  font_ = std::move(f);
  changed(Prop::Font);
}

Size Diagram::measure(std::string_view text, bool bold) const {
  Font f = font_;
  f.bold = bold;
  return backend().measure_text(text, f, this);
}

void Diagram::set_items(std::vector<Item> items) {
  if (items == items_) return;
  items_ = std::move(items);
  if (selected_ >= static_cast<int>(items_.size())) selected_ = -1;
  hovered_ = -1;
  changed(Prop::Items);
}

void Diagram::select(int item) {
  if (item < -1 || item >= static_cast<int>(items_.size())) item = -1;
  if (item == selected_) return;
  selected_ = item;
  changed(Prop::Selection);
}

int Diagram::item_at(Point p) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Rect& r = items_[i].box;
    if (p.x >= r.left && p.x < r.left + r.width && p.y >= r.top && p.y < r.top + r.height)
      return static_cast<int>(i);
  }
  return -1;
}

Diagram::Spot Diagram::spot_at(Point p) const {
  const auto holds = [&p](const Rect& r) {
    return p.x >= r.left && p.x < r.left + r.width && p.y >= r.top && p.y < r.top + r.height;
  };
  for (std::size_t i = 0; i < items_.size(); ++i)
    for (std::size_t k = 0; k < items_[i].parts.size(); ++k)
      if (holds(items_[i].parts[k].box)) return {static_cast<int>(i), static_cast<int>(k)};
  return {item_at(p), -1};
}

Bitmap Diagram::picture(int times) const { return backend().draw(*this, times); }

void Diagram::pointer_move(Point p) {
  // No tooltip comes in the way of a drag.
  const int over = held_ ? -1 : item_at(p);
  if (held_ && on_mouse_move) on_mouse_move(p);
  if (over == hovered_) return;
  hovered_ = over;
  set_tooltip(over < 0 ? std::string() : items_[static_cast<std::size_t>(over)].tooltip);
}

void Diagram::pointer_press(Point p, MouseButton b) {
  if (b == MouseButton::Left) held_ = true;
  if (on_press) on_press(p, b);
}

void Diagram::pointer_double_click(Point p, MouseButton b) {
  if (b == MouseButton::Left) held_ = true;
  if (on_double_click) on_double_click(p, b);
}

void Diagram::pointer_release(Point p, MouseButton b) {
  if (b == MouseButton::Right && on_context_menu) return on_context_menu(p);
  if (b != MouseButton::Left || !held_) return;
  held_ = false;
  if (on_mouse_up) on_mouse_up(p, b);
}

void Diagram::pointer_lost() {
  if (!held_) return;
  held_ = false;
  if (on_mouse_lost) on_mouse_lost();
}

void Diagram::key_down(int& code, unsigned shift) {
  const bool menu =
      (code == key::F10 && shift == shift::Shift) || (code == key::Apps && shift == shift::None);
  if (!menu) return Control::key_down(code, shift);
  code = 0;
  if (!on_context_menu) return;
  Point at{};
  if (selected_ >= 0) {
    const Rect& r = items_[static_cast<std::size_t>(selected_)].box;
    at = {r.left + r.width / 2, r.top + r.height / 2};
  }
  on_context_menu(at);
}

bool Diagram::item_action(int item) {
  if (item < 0 || item >= static_cast<int>(items_.size()) || !on_item_action) return false;
  on_item_action(item);
  return true;
}

bool Diagram::part_action(int item, int part) {
  if (item < 0 || item >= static_cast<int>(items_.size()) || part < 0 ||
      part >= static_cast<int>(items_[static_cast<std::size_t>(item)].parts.size()) ||
      !on_part_action)
    return false;
  on_part_action(item, part);
  return true;
}

}  // namespace ui
