#include "ui/control.h"

#include <algorithm>

#include "ui/custom.h"
#include "ui/form.h"

namespace ui {

Picture make_picture(int width, int height, const std::uint32_t* argb) {
  auto b = std::make_shared<Bitmap>(width, height);
  std::copy_n(argb, b->pixels.size(), b->pixels.begin());
  return b;
}

Control::Control(Container& parent, std::string name, int index)
    : parent_(&parent), name_(std::move(name)), index_(index) {
  parent.children_.push_back(this);
  parent.owner_form().controls_.push_back(this);
}

Control::~Control() = default;

Form& Control::form() const { return parent_->owner_form(); }

std::string Control::automation_name() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::move(int left, int top, int width, int height) {
  const bool sized = width != rect_.width || height != rect_.height;
  rect_ = {left, top, width, height};
  changed(Prop::Geometry);
  if (sized) resized();
}

Rect Control::pixel_rect() const {
  const Container& c = *parent_;
  return {c.to_pixels(rect_.left), c.to_pixels(rect_.top), c.to_pixels(rect_.width),
          c.to_pixels(rect_.height)};
}

void Control::set_visible(bool v) {
  if (v == visible_) return;
  Form& f = form();
  const bool had_focus = !v && f.focused_control() && f.focused_control()->inside(*this);
  visible_ = v;
  changed(Prop::Visible);
  // The focus does not stay on what went out of sight.
  if (had_focus) f.focus_next(this, false);
  // A self-drawn control shown again on a window that is showing is shown
  // anew, as it is when its window is shown.
  if (v && kind() == Kind::Custom && form().visible()) static_cast<CustomControl*>(this)->shown();
}

void Control::set_enabled(bool e) {
  if (e == enabled_) return;
  Form& f = form();
  const bool had_focus = !e && f.focused_control() && f.focused_control()->inside(*this);
  enabled_ = e;
  changed(Prop::Enabled);
  if (had_focus) f.focus_next(this, false);
}

bool Control::inside(const Control& c) const {
  for (const Control* at = this; at; at = dynamic_cast<const Control*>(&at->parent()))
    if (at == &c) return true;
  return false;
}

bool Control::has_focus() const { return form().focused_control() == this; }

void Control::set_focus() {
  changed(Prop::Focus);
  form().focus_entered(*this);
}

bool Control::shows_focus_mark() const { return has_focus() && form().keyboard_cues(); }

void Control::set_tooltip(std::string t) {
  tooltip_ = std::move(t);
  changed(Prop::Tooltip);
}

void Control::set_pointer(MousePointer p) {
  pointer_ = p;
  changed(Prop::Pointer);
}

int Container::to_pixels(int v) const {
  return scale() == ScaleMode::Pixels ? v : twips_to_pixels(v);
}

int Container::from_pixels(int px) const {
  return scale() == ScaleMode::Pixels ? px : px * kTwipsPerPixel;
}

int Container::from_twips(int twips) const {
  return scale() == ScaleMode::Twips ? twips : twips_to_pixels(twips);
}

}  // namespace ui
