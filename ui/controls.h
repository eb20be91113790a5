#pragma once
// The standard controls that windows are made of.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class Label : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Label; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  Align alignment() const { return alignment_; }
  void set_alignment(Align a);
  // An autosized label takes the size of its caption whenever either changes.
  bool autosize() const { return autosize_; }
  void set_autosize(bool a);
  bool transparent() const { return transparent_; }
  void set_transparent(bool t);
  bool border() const { return border_; }  // fixed single border
  void set_border(bool b);
  bool word_wrap() const { return word_wrap_; }
  void set_word_wrap(bool w);
  const Font& font() const { return font_; }
  void set_font(Font f);
  Color fore_color() const { return fore_; }
  Color back_color() const { return back_; }
  void set_colors(Color fore, Color back);

  std::function<void()> on_click;
  std::function<void()> on_double_click;

  // A label that can take the focus (a link) is clicked by Enter.
  void key_down(int& code, unsigned shift) override;
  void text_metrics_changed() override { fit(); }

 protected:
  Role default_role() const override { return Role::StaticText; }
  void describe(Accessible& a) const override;
  void act() override;

 private:
  void fit();
  std::string caption_;
  Align alignment_ = Align::Left;
  bool autosize_ = false;
  bool transparent_ = false;
  bool border_ = false;
  bool word_wrap_ = false;
  Font font_;
  Color fore_ = Color::system(SysColor::ButtonText);
  Color back_ = Color::system(SysColor::ButtonFace);
};

class TextBox : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::TextBox; }
  bool can_focus() const override { return true; }
  // A multi-line box keeps Enter for its line breaks.
  bool wants_key(int code, unsigned shift) const override;

  // What the box holds now, however it got there.
  const std::string& text() const;
  // Replaces the text (as a program or a paste does): no key filter, one change.
  void set_text(std::string t);
  // Selects the whole text, so that what is typed next replaces it.
  void select_all();
  bool all_selected() const { return all_selected_; }
  bool multiline() const { return multiline_; }
  void set_multiline(bool m) { multiline_ = m; }
  const Font& font() const { return font_; }
  void set_font(Font f);
  // The grey hint an empty box shows in its place (a cue banner), also while it
  // has the focus; read by nobody as its text.
  const std::string& cue_banner() const { return cue_banner_; }
  void set_cue_banner(std::string hint);
  // The most characters typing or pasting puts into the box; 0: no limit. A text
  // set by the window (or another program) is not cut.
  int max_length() const { return max_length_; }
  void set_max_length(int characters);

  // A typed character, before the box takes it: set key to 0 to drop it, or to
  // another character to insert that instead. Enter is 13.
  std::function<void(char32_t& key)> on_key_press;
  std::function<void()> on_change;

  // Runs a typed character through the window's key preview and the box's own
  // filter; returns what the box takes (0: nothing). The backends call it for
  // every character key before inserting the result.
  char32_t filter_key(char32_t key);
  // The backend tells of an edit made in the box itself (typing, pasting), or
  // hands over what the box holds when asked (no change event then).
  void text_edited(std::string t);
  void text_pulled(std::string t) { text_ = std::move(t); }

 protected:
  Role default_role() const override { return Role::Text; }
  void describe(Accessible& a) const override { a.value = text_; }

 private:
  std::string text_;
  bool all_selected_ = false;
  bool multiline_ = false;
  Font font_;
  std::string cue_banner_;
  int max_length_ = 0;
};

// A list of texts of which one may be chosen: what list boxes and drop-down
// lists have in common.
class ListControl : public Control {
 public:
  using Control::Control;
  bool can_focus() const override { return true; }

  const std::vector<std::string>& items() const { return items_; }
  void add_item(std::string item);
  void clear();
  // The chosen entry as the control shows it now; -1 when none is.
  int list_index() const;
  // The window's own choice: no event.
  void set_list_index(int i);
  // The backend hands over the choice the control holds (no event).
  void selection_pulled(int i) { index_ = valid(i); }
  // The chosen entry, empty when none is.
  std::string text() const;
  const Font& font() const { return font_; }
  void set_font(Font f);

 protected:
  int valid(int i) const { return i >= 0 && i < static_cast<int>(items_.size()) ? i : -1; }
  // The window set the entry (or cleared the list).
  virtual void index_set() {}
  int index_ = -1;  // the entry shown, as last pulled or set: -1 or an index of items_

 private:
  std::vector<std::string> items_;
  Font font_;
};

class ListBox : public ListControl {
 public:
  using ListControl::ListControl;
  Kind kind() const override { return Kind::ListBox; }

  std::function<void()> on_click;

 protected:
  Role default_role() const override { return Role::List; }
  void describe(Accessible& a) const override { a.value = text(); }
};

// A drop-down list: a box that shows the chosen item and opens a list under it
// to choose another. Nothing can be typed into it. A choice made in the open
// list counts when the list closes on it.
class ComboBox : public ListControl {
 public:
  using ListControl::ListControl;
  Kind kind() const override { return Kind::ComboBox; }
  // Closed, the arrows, Home and End choose the item before or after, the first
  // or the last; open, they move through the list, Enter closes it on the item
  // and Esc closes it on the one it opened with. Alt+Down, Alt+Up and F4 open
  // and close it. The window's default and cancel buttons never see the keys
  // of an open list.
  void key_down(int& code, unsigned shift) override;

  // The list is open, as the box shows it now.
  bool dropped_down() const;
  // Opens the list, or closes it on the item it shows.
  void set_dropped_down(bool open);

  // The user chose another item.
  std::function<void()> on_change;

  // What the backend reports of the control itself, in whatever order the
  // system tells it: the item the box shows now and whether its list is open.
  // Closed, the item it shows is the choice (made with the pointer, a letter,
  // the wheel, by another program), told once; open, it is only where the list
  // stands, and the choice stays what it was.
  void shown(int index, bool open);
  // The open list closes without a choice (a click elsewhere, the focus gone):
  // the box shows the choice again. The backend tells it only of a list that is
  // open as it closes, so a late or repeated word cannot undo a choice.
  void list_cancelled();
  // The backend hands over what the box shows and whether its list is open (no
  // change event).
  void state_pulled(int index, bool open);

 protected:
  Role default_role() const override { return Role::ComboBox; }
  void describe(Accessible& a) const override;
  void act() override { set_dropped_down(!dropped_down()); }
  void index_set() override;

 private:
  // Where the choice stands: closed, it is the item shown; open, the list stands
  // at the item shown and this holds the choice it goes back to when it closes
  // without one. Absent exactly while the list is open, so the two cannot
  // disagree, and reset with the items.
  std::optional<int> open_on_;
};

// Option buttons in one container form a group: choosing one clears the others.
class OptionButton : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::OptionButton; }
  bool can_focus() const override { return true; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  const Picture& picture() const { return picture_; }
  void set_picture(Picture p);
  // Chosen, as the button shows it now.
  bool value() const;
  void set_value(bool v);
  // The backend hands over the state the button holds (no click event).
  void value_pulled(bool v) { value_ = v; }
  bool graphical() const { return graphical_; }
  void set_graphical(bool g) { graphical_ = g; }
  Color back_color() const { return back_; }
  void set_back_color(Color c);

  std::function<void()> on_click;

  // The user chose this option.
  void choose();

 protected:
  Role default_role() const override { return Role::RadioButton; }
  void describe(Accessible& a) const override;
  void act() override { choose(); }

 private:
  std::string caption_;
  Picture picture_;
  bool value_ = false;
  bool graphical_ = false;
  Color back_ = Color::system(SysColor::ButtonFace);
};

// A box with a caption that the user checks and clears.
class CheckBox : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::CheckBox; }
  bool can_focus() const override { return true; }
  // Space checks or clears it when let go; it looks pressed while Space is held.
  void key_down(int& code, unsigned shift) override;
  void key_up(int& code, unsigned shift) override;

  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  // Checked, as the box shows it now.
  bool value() const;
  // The window's own setting: no click event.
  void set_value(bool v);
  // The backend hands over the state the box holds (no click event).
  void value_pulled(bool v) { value_ = v; }
  bool pressed() const { return pressed_; }

  std::function<void()> on_click;

  // The user checked or cleared it.
  void toggle();

 protected:
  Role default_role() const override { return Role::CheckButton; }
  void describe(Accessible& a) const override;
  void act() override { toggle(); }
  void lost_focus() override;

 private:
  std::string caption_;
  bool value_ = false;
  bool pressed_ = false;
};

enum class Docking { None, Top, Bottom };

class PictureBox : public Control, public Container {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::PictureBox; }
  ScaleMode scale() const override { return ScaleMode::Pixels; }
  Form& owner_form() override { return form(); }
  using Control::move;
  void move(int left, int top, int width, int height) override;

  Color back_color() const { return back_; }
  void set_back_color(Color c);
  // A docked box spans the form's inside at its top or bottom edge.
  Docking docking() const { return docking_; }
  void set_docking(Docking d);
  // Where a box that can take the focus draws the focus mark, in its pixels;
  // around its whole inside while empty.
  Rect focus_rect() const { return focus_rect_; }
  void set_focus_rect(Rect r);

  // A box that screen readers meet as a list (Role::List) holds its items among
  // its controls: which they are, in order, which one is selected and has the
  // keys (nullptr for none) and, in a list where a range can be selected, which
  // others are selected with it. An item is read by its own name and role.
  void set_list_items(std::vector<Control*> items);
  bool is_list_item(const Control& c) const;
  const Control* selected_item() const { return selected_; }
  void select_item(Control* item) { select_items(item, {}); }
  void select_items(Control* focused, std::vector<Control*> others);
  bool is_selected(const Control& c) const;
  bool multi_select() const { return multi_select_; }
  void set_multi_select(bool m) { multi_select_ = m; }
  // What a reader meets in the list, in order: the visible items (child ids 1 to
  // n), then the other visible children that have a role of their own.
  std::vector<Control*> shown_items() const;
  std::vector<Control*> shown_others() const;

 protected:
  void describe(Accessible& a) const override {
    a.multi_selectable = multi_select_ && a.role == Role::List;
  }

 private:
  Color back_ = Color::system(SysColor::ButtonFace);
  Docking docking_ = Docking::None;
  Rect focus_rect_;
  std::vector<Control*> items_;
  Control* selected_ = nullptr;
  std::vector<Control*> also_selected_;
  bool multi_select_ = false;
};

// A container without border or caption; positions inside use the scale of the
// container it sits in.
class Frame : public Control, public Container {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Frame; }
  ScaleMode scale() const override { return parent().scale(); }
  Form& owner_form() override { return form(); }
};

class Image : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Image; }
  const Picture& picture() const { return picture_; }
  void set_picture(Picture p);
  bool stretch() const { return stretch_; }
  void set_stretch(bool s);

 private:
  Picture picture_;
  bool stretch_ = false;
};

// A straight line from (x1, y1) to (x2, y2); its rect is the bounding box.
class Line : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Line; }
  void set_points(int x1, int y1, int x2, int y2);
  Point from() const { return from_; }
  Point to() const { return to_; }
  Color color() const { return color_; }
  void set_color(Color c);

 private:
  Point from_, to_;
  Color color_ = Color::system(SysColor::WindowText);
};

// A vertical scroll bar for looks only: it never takes the focus or the keys.
class VScrollBar : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::VScrollBar; }
};

class Timer : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Timer; }
  int interval() const { return interval_; }  // milliseconds
  void set_interval(int ms);
  bool enabled() const { return enabled_; }
  void set_enabled(bool e);

  std::function<void()> on_tick;

 private:
  int interval_ = 0;
  bool enabled_ = true;
};

}  // namespace ui
