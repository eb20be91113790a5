// The keyboard in the form model: which control has the focus, the order Tab
// follows, the arrows in a group of option buttons, the default and cancel
// buttons, the shortcuts of a window and its keyboard cues. The backends only
// report keys, focus and activation here.

#include <algorithm>
#include <utility>

#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/form.h"

namespace ui {
namespace {

// Whether the control and every container around it are visible and enabled.
bool reachable(const Control& c) {
  if (!c.visible() || !c.enabled()) return false;
  const auto* holder = dynamic_cast<const Control*>(&c.parent());
  return !holder || reachable(*holder);
}

OptionButton* as_option(Control* c) {
  return c && c->kind() == Kind::OptionButton ? static_cast<OptionButton*>(c) : nullptr;
}

bool is_arrow(int code) { return code >= key::Left && code <= key::Down; }

// Tab order; controls of one tab index keep their creation order (stable sorts).
bool by_tab_index(const Control* a, const Control* b) { return a->tab_index() < b->tab_index(); }

}  // namespace

void Form::add_shortcut(int code, unsigned shift, std::function<void()> run,
                        const Control* control) {
  shortcuts_.push_back({code, shift, std::move(run), control});
}

std::string Form::shortcut_of(const Control& control) const {
  for (const Shortcut& s : shortcuts_) {
    if (s.control != &control) continue;
    std::string name;
    if (s.shift & shift::Ctrl) name += "Ctrl+";
    if (s.shift & shift::Alt) name += "Alt+";
    if (s.shift & shift::Shift) name += "Shift+";
    if ((s.code >= 'A' && s.code <= 'Z') || (s.code >= '0' && s.code <= '9'))
      name += static_cast<char>(s.code);
    else if (s.code >= key::F1 && s.code < key::F1 + 24)
      name += "F" + std::to_string(s.code - key::F1 + 1);
    else if (s.code == key::Insert)
      name += "Insert";
    else if (s.code == key::Delete)
      name += "Delete";
    else if (s.code == key::Enter)
      name += "Enter";
    else
      continue;  // a key without a name of its own is not told
    return name;
  }
  return {};
}

void Form::set_keyboard_cues(bool shown) {
  if (shown == keyboard_cues_) return;
  keyboard_cues_ = shown;
  changed(Prop::Cues);
  if (focus_) focus_->changed(Prop::FocusMark);
}

std::vector<Control*> Form::tab_order() const {
  std::vector<Control*> order;
  for (Control* c : controls_)
    if (c->can_focus() && c->tab_stop() && reachable(*c)) order.push_back(c);
  std::stable_sort(order.begin(), order.end(), by_tab_index);
  // Tab enters a group of option buttons at its chosen one (or at its first one
  // when none is chosen); the arrow keys move within the group.
  std::vector<Control*> visited;
  for (Control* c : order) {
    if (OptionButton* o = as_option(c); o && o != focus_) {
      bool chosen_in_group = false, focus_in_group = false, first = true, first_seen = false;
      for (Control* other : order) {
        OptionButton* mate = as_option(other);
        if (!mate || &mate->parent() != &o->parent()) continue;
        chosen_in_group = chosen_in_group || mate->value();
        focus_in_group = focus_in_group || mate == focus_;
        if (mate == o) first_seen = true;
        if (!first_seen) first = false;
      }
      const bool entry = chosen_in_group ? o->value() : first;
      if (focus_in_group || !entry) continue;
    }
    visited.push_back(c);
  }
  return visited;
}

bool Form::focus_next(const Control* from, bool backward) {
  const std::vector<Control*> order = tab_order();
  if (order.empty()) return false;
  const int n = static_cast<int>(order.size());
  int next = backward ? n - 1 : 0;
  if (from) {
    const auto at = std::find(order.begin(), order.end(), from);
    if (at != order.end()) {
      next = (static_cast<int>(at - order.begin()) + (backward ? n - 1 : 1)) % n;
    } else {
      // Where it would stand among them: by tab index, then creation order.
      const auto rank = [this](const Control* c) {
        return std::pair(c->tab_index(),
                         std::find(controls_.begin(), controls_.end(), c) - controls_.begin());
      };
      for (int i = 0; i < n; ++i) {
        const int k = backward ? n - 1 - i : i;
        if (backward ? rank(order[k]) < rank(from) : rank(from) < rank(order[k])) {
          next = k;
          break;
        }
      }
    }
  }
  order[static_cast<std::size_t>(next)]->set_focus();
  return true;
}

void Form::tab(bool backward) {
  if (!focus_next(focus_, backward)) return;
  // As in every dialog, Tab into a text box selects all of it, so typing replaces it.
  if (focus_ && focus_->kind() == Kind::TextBox) static_cast<TextBox*>(focus_)->select_all();
}

void Form::step_option(OptionButton& from, int step) {
  std::vector<OptionButton*> group;
  for (Control* c : controls_)
    if (OptionButton* o = as_option(c); o && &o->parent() == &from.parent() && reachable(*o))
      group.push_back(o);
  std::stable_sort(group.begin(), group.end(), by_tab_index);
  const auto it = std::find(group.begin(), group.end(), &from);
  if (it == group.end() || group.size() < 2) return;
  const int n = static_cast<int>(group.size());
  OptionButton& target = *group[static_cast<std::size_t>(((it - group.begin()) + step + n) % n)];
  target.set_focus();
  target.choose();
}

bool Form::key_down(int code, unsigned shift) {
  const bool plain = (shift & (shift::Ctrl | shift::Alt)) == 0;
  // Moving about with the keys shows where the focus is.
  if ((plain && (code == key::Tab || is_arrow(code))) || code == key::Alt) set_keyboard_cues(true);
  if (plain && code == key::Tab) {
    tab((shift & shift::Shift) != 0);
    return true;
  }
  if (plain && is_arrow(code))
    if (OptionButton* o = as_option(focus_)) {
      step_option(*o, code == key::Left || code == key::Up ? -1 : 1);
      return true;
    }
  for (const Shortcut& s : shortcuts_)
    if (s.code == code && s.shift == shift) {
      const auto run = s.run;  // the handler may well close the window
      run();
      return true;
    }
  if (Control* c = focus_) {
    int used = code;
    c->key_down(used, shift);
    if (used == 0) return true;
    if (c->wants_key(code, shift)) return false;
  }
  CustomControl* button = nullptr;
  if (shift == shift::None && code == key::Enter) button = default_;
  if (shift == shift::None && code == key::Escape) button = cancel_;
  if (!button || !button->visible()) return false;
  button->activate();
  return true;
}

bool Form::key_up(int code, unsigned shift) {
  if (!focus_) return false;
  int used = code;
  focus_->key_up(used, shift);
  return used == 0;
}

void Form::focus_entered(Control& c) {
  if (focus_ == &c) return;
  if (focus_) focus_left(*focus_);
  focus_ = &c;
  active_control_ = &c;
  c.changed(Prop::FocusMark);
  c.got_focus();
}

void Form::focus_left(Control& c) {
  if (focus_ != &c) return;
  focus_ = nullptr;
  c.changed(Prop::FocusMark);
  c.lost_focus();
}

bool Form::activated() {
  Control* c = active_control_;
  if (c && c->can_focus() && reachable(*c)) {
    c->set_focus();
    return true;
  }
  return focus_next(c, false);
}

void Form::deactivated() {
  if (focus_) focus_left(*focus_);
}

}  // namespace ui
