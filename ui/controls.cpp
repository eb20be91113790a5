#include "ui/controls.h"

#include <algorithm>
#include <utility>

#include "ui/backend.h"
#include "ui/custom.h"
#include "ui/form.h"

namespace ui {

void Label::set_caption(std::string c) {
  caption_ = std::move(c);
  changed(Prop::Caption);
  caption_changed();
  fit();
}

void Label::set_alignment(Align a) {
  alignment_ = a;
  changed(Prop::Alignment);
}

void Label::set_autosize(bool a) {
  autosize_ = a;
  fit();
}

void Label::set_transparent(bool t) {
  transparent_ = t;
  changed(Prop::Colors);
}

void Label::set_border(bool b) {
  if (b == border_) return;
  border_ = b;
  changed(Prop::Border);
}

void Label::set_word_wrap(bool w) {
  word_wrap_ = w;
  changed(Prop::Caption);
}

void Label::set_font(Font f) {
  font_ = std::move(f);
  changed(Prop::Font);
  fit();
}

void Label::set_colors(Color fore, Color back) {
  fore_ = fore;
  back_ = back;
  changed(Prop::Colors);
}

void Label::key_down(int& code, unsigned shift) {
  if (can_focus() && code == key::Enter && shift == shift::None && on_click) {
    code = 0;
    on_click();
    return;
  }
  Control::key_down(code, shift);
}

void Label::fit() {
  if (!autosize_) return;
  const Size s = backend().measure_text(caption_, font_, this);
  const Container& c = parent();
  move(left(), top(), c.from_pixels(s.width), c.from_pixels(s.height));
}

const std::string& TextBox::text() const {
  pull(Prop::Text);
  return text_;
}

bool TextBox::wants_key(int code, unsigned shift) const {
  return multiline_ && code == key::Enter && (shift & (shift::Ctrl | shift::Alt)) == 0;
}

void TextBox::select_all() {
  all_selected_ = true;
  changed(Prop::Selection);
}

void TextBox::set_text(std::string t) {
  all_selected_ = false;
  if (t == text()) return;
  text_ = std::move(t);
  changed(Prop::Text);
  if (on_change) on_change();
}

void TextBox::set_font(Font f) {
  font_ = std::move(f);
  changed(Prop::Font);
}

void TextBox::set_cue_banner(std::string hint) {
  if (hint == cue_banner_) return;
  cue_banner_ = std::move(hint);
  changed(Prop::CueBanner);
}

void TextBox::set_max_length(int characters) {
  max_length_ = std::max(characters, 0);
  changed(Prop::MaxLength);
}

char32_t TextBox::filter_key(char32_t key) {
  Form& f = form();
  if (f.key_preview()) f.KeyPress(key);
  if (key != 0 && on_key_press) on_key_press(key);
  return key;
}

void TextBox::text_edited(std::string t) {
  all_selected_ = false;
  if (t == text_) return;
  text_ = std::move(t);
  if (on_change) on_change();
}

void ListControl::add_item(std::string item) {
  items_.push_back(std::move(item));
  changed(Prop::Items);
}

void ListControl::clear() {
  items_.clear();
  index_ = -1;
  index_set();
  changed(Prop::Items);
}

int ListControl::list_index() const {
  pull(Prop::Selection);
  return index_;
}

void ListControl::set_list_index(int i) {
  index_ = valid(i);
  index_set();
  changed(Prop::Selection);
}

std::string ListControl::text() const {
  const int i = list_index();
  return i < 0 ? std::string() : items_[static_cast<std::size_t>(i)];
}

void ListControl::set_font(Font f) {
  font_ = std::move(f);
  changed(Prop::Font);
}

bool ComboBox::dropped_down() const {
  pull(Prop::Dropped);
  return open_on_.has_value();
}

void ComboBox::state_pulled(int index, bool open) {
  if (!open)
    open_on_.reset();
  else if (!open_on_)
    open_on_ = index_;
  index_ = valid(index);
}

void ComboBox::index_set() {
  // The window's own choice (or the list emptied) while the list is open: the
  // list stands there, and a closing without a choice comes back to it.
  if (open_on_) open_on_ = index_;
}

void ComboBox::set_dropped_down(bool open) {
  if (open == dropped_down()) return;
  // Closing, the item the open list shows is the choice.
  shown(index_, open);
}

void ComboBox::shown(int index, bool open) {
  index = valid(index);
  const int choice = open_on_.value_or(index_);
  const bool moved = index != index_, turned = open != open_on_.has_value();
  index_ = index;
  if (!open)
    open_on_.reset();
  else if (!open_on_)
    open_on_ = choice;
  if (moved) changed(Prop::Selection);
  if (turned) changed(Prop::Dropped);
  if (open || index_ == choice) return;
  if (on_change) on_change();
}

void ComboBox::list_cancelled() {
  const bool was_open = open_on_.has_value();
  index_ = open_on_.value_or(index_);
  open_on_.reset();
  // The box may show an item the model was not told of: it is set again.
  changed(Prop::Selection);
  if (was_open) changed(Prop::Dropped);
}

void ComboBox::key_down(int& code, unsigned shift) {
  const bool open = dropped_down();
  if ((shift == shift::Alt && (code == key::Up || code == key::Down)) ||
      (shift == shift::None && code == key::F4)) {
    code = 0;
    set_dropped_down(!open);
    return;
  }
  if (shift == shift::None && open && (code == key::Enter || code == key::Escape)) {
    const bool keep = code == key::Enter;
    code = 0;
    if (keep)
      set_dropped_down(false);
    else
      list_cancelled();
    return;
  }
  const int last = static_cast<int>(items().size()) - 1;
  const int at = list_index();
  int to = at;
  bool moves = shift == shift::None;
  switch (moves ? code : 0) {
    case key::Up:
    case key::Left:
      to = std::max(at - 1, 0);
      break;
    case key::Down:
    case key::Right:
      to = std::min(at + 1, last);
      break;
    case key::Home:
      to = 0;
      break;
    case key::End:
      to = last;
      break;
    default:
      moves = false;
      break;
  }
  if (!moves) {
    Control::key_down(code, shift);
    return;
  }
  code = 0;
  if (last < 0 || to == at) return;
  shown(to, open);
}

void OptionButton::set_caption(std::string c) {
  caption_ = std::move(c);
  changed(Prop::Caption);
}

void OptionButton::set_picture(Picture p) {
  picture_ = std::move(p);
  changed(Prop::Picture);
}

bool OptionButton::value() const {
  pull(Prop::Value);
  return value_;
}

void OptionButton::set_value(bool v) {
  if (v) {
    for (Control* c : parent().children())
      if (c != this && c->kind() == Kind::OptionButton) {
        auto* other = static_cast<OptionButton*>(c);
        if (other->value_) {
          other->value_ = false;
          other->changed(Prop::Value);
        }
      }
  }
  value_ = v;
  changed(Prop::Value);
}

void OptionButton::set_back_color(Color c) {
  back_ = c;
  changed(Prop::Colors);
}

void OptionButton::choose() {
  set_value(true);
  if (on_click) on_click();
}

void CheckBox::set_caption(std::string c) {
  caption_ = std::move(c);
  changed(Prop::Caption);
}

bool CheckBox::value() const {
  pull(Prop::Value);
  return value_;
}

void CheckBox::set_value(bool v) {
  value_ = v;
  changed(Prop::Value);
}

void CheckBox::toggle() {
  set_value(!value());
  if (on_click) on_click();
}

void CheckBox::key_down(int& code, unsigned shift) {
  if (code == key::Space && shift == shift::None) {
    code = 0;
    if (pressed_) return;  // the key repeats while held
    pressed_ = true;
    changed(Prop::Value);
    return;
  }
  Control::key_down(code, shift);
}

void CheckBox::key_up(int& code, unsigned /*shift*/) {
  if (code != key::Space || !pressed_) return;
  code = 0;
  pressed_ = false;
  toggle();
}

void CheckBox::lost_focus() {
  if (!pressed_) return;
  pressed_ = false;
  changed(Prop::Value);
}

void PictureBox::set_back_color(Color c) {
  back_ = c;
  changed(Prop::Colors);
}

void PictureBox::set_docking(Docking d) {
  docking_ = d;
  move(left(), top(), width(), height());
}

void PictureBox::set_focus_rect(Rect r) {
  if (r == focus_rect_) return;
  focus_rect_ = r;
  changed(Prop::FocusMark);
}

void PictureBox::set_list_items(std::vector<Control*> items) {
  items_ = std::move(items);
  if (selected_ && !is_list_item(*selected_)) selected_ = nullptr;
  std::erase_if(also_selected_, [this](Control* c) { return !is_list_item(*c); });
}

bool PictureBox::is_list_item(const Control& c) const {
  return std::find(items_.begin(), items_.end(), &c) != items_.end();
}

void PictureBox::select_items(Control* focused, std::vector<Control*> others) {
  if (focused && !is_list_item(*focused)) focused = nullptr;
  std::erase_if(others, [&](Control* c) { return c == focused || !is_list_item(*c); });
  if (focused == selected_ && others == also_selected_) return;
  // What the items that were and are selected tell a reader has changed.
  std::vector<Control*> told = std::move(also_selected_);
  told.push_back(std::exchange(selected_, focused));
  also_selected_ = std::move(others);
  told.push_back(focused);
  told.insert(told.end(), also_selected_.begin(), also_selected_.end());
  for (Control* c : told)
    if (c) tell(*c, Prop::Accessible);
}

bool PictureBox::is_selected(const Control& c) const {
  return &c == selected_ ||
         std::find(also_selected_.begin(), also_selected_.end(), &c) != also_selected_.end();
}

std::vector<Control*> PictureBox::shown_items() const {
  std::vector<Control*> shown;
  for (Control* c : items_)
    if (c->visible()) shown.push_back(c);
  return shown;
}

std::vector<Control*> PictureBox::shown_others() const {
  std::vector<Control*> others;
  for (Control* c : children())
    if (c->visible() && c->accessible_role() != Role::None && !is_list_item(*c))
      others.push_back(c);
  return others;
}

void PictureBox::move(int l, int t, int w, int h) {
  const Form& f = form();
  if (docking_ != Docking::None) {
    l = 0;
    w = f.client_width();
    t = docking_ == Docking::Top ? 0 : f.client_height() - h;
  }
  Control::move(l, t, w, h);
}

void Image::set_picture(Picture p) {
  picture_ = std::move(p);
  changed(Prop::Picture);
}

void Image::set_stretch(bool s) {
  stretch_ = s;
  changed(Prop::Picture);
}

void Line::set_points(int x1, int y1, int x2, int y2) {
  from_ = {x1, y1};
  to_ = {x2, y2};
  move(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
}

void Line::set_color(Color c) {
  color_ = c;
  changed(Prop::Colors);
}

void Timer::set_interval(int ms) {
  interval_ = ms;
  changed(Prop::Timer);
}

void Timer::set_enabled(bool e) {
  enabled_ = e;
  changed(Prop::Timer);
}

Point CustomControl::cursor_position() const { return backend().cursor_position(*this); }

Size CustomControl::measure_text(const std::string& text) const {
  Backend& b = backend();
  return b.measure_text(text, b.interface_font(), this);
}

}  // namespace ui
