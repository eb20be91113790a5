// What the controls tell accessibility tools: names, roles, states and default
// actions, chosen here once for every window.

#include "ui/control.h"
#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/form.h"

namespace ui {

std::string default_action_name(Role role, bool on) {
  switch (role) {
    case Role::PushButton:
      return "Нажать";
    case Role::CheckButton:
      return on ? "Снять" : "Установить";
    case Role::RadioButton:
      return "Выбрать";
    case Role::Link:
      return "Перейти";
    case Role::ListItem:
      return "Двойной щелчок";
    case Role::ComboBox:
      return on ? "Закрыть" : "Открыть";
    case Role::MenuButton:
      return "Открыть";
    default:
      return {};
  }
}

Accessible Control::accessible() const {
  Accessible a;
  a.role = accessible_role();
  describe(a);
  if (label_) a.name = label_->caption();
  if (!accessible_name_.empty()) a.name = accessible_name_;
  if (const auto* list = dynamic_cast<const PictureBox*>(&parent());
      list && list->is_list_item(*this)) {
    a.selectable = true;
    a.selected = list->is_selected(*this);
  }
  const Form& f = form();
  a.is_default = static_cast<const Control*>(f.default_button()) == this;
  a.shortcut = f.shortcut_of(*this);
  return a;
}

void Control::set_accessible_name(std::string name) {
  accessible_name_ = std::move(name);
  changed(Prop::Accessible);
}

void Control::set_labelled_by(const Label* label) {
  label_ = label;
  changed(Prop::Accessible);
}

void Control::caption_changed() {
  for (Control* c : form().controls())
    if (c->label_ == this) c->changed(Prop::Accessible);
}

void Control::set_accessible_role(Role role) {
  role_ = role;
  role_set_ = true;
  changed(Prop::Accessible);
}

bool Control::do_default_action() {
  if (!enabled() || accessible().default_action.empty()) return false;
  act();
  return true;
}

void Label::describe(Accessible& a) const {
  switch (a.role) {
    case Role::Text:
      // A text to read, such as a console: the caption is its value, not its name.
      a.value = caption_;
      a.read_only = true;
      return;
    case Role::ListItem:
      a.name = caption_;
      if (on_double_click || on_click) a.default_action = default_action_name(a.role, false);
      return;
    default:
      a.name = caption_;
      if (on_click) a.default_action = default_action_name(a.role, false);
      return;
  }
}

void Label::act() {
  // A list item's default action is a double click, which comes after a click.
  const bool item = accessible_role() == Role::ListItem;
  if (auto click = on_click) click();
  if (item)
    if (auto twice = on_double_click) twice();
}

void OptionButton::describe(Accessible& a) const {
  a.name = caption_;
  a.checked = value_;
  a.default_action = default_action_name(a.role, a.checked);
}

void ComboBox::describe(Accessible& a) const {
  a.value = text();
  a.expandable = true;
  a.expanded = dropped_down();
  a.default_action = default_action_name(a.role, a.expanded);
}

void CheckBox::describe(Accessible& a) const {
  a.name = caption_;
  a.checked = value();
  a.pressed = pressed_;
  a.default_action = default_action_name(a.role, a.checked);
}

}  // namespace ui
