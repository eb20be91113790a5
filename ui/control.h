#pragma once
// The retained control model. A control keeps its properties; each change is
// pushed to its backend peer (a window, or nothing at all in the headless
// backend). Positions are in the scale of the control's container.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/types.h"

namespace ui {

class Container;
class Form;
class Label;

enum class Kind {
  Form, Label, TextBox, ListBox, ComboBox, OptionButton, CheckBox, PictureBox, Frame, Image,
  Line, VScrollBar, Timer, Custom, Diagram
};

// What changed, so that a peer refreshes only that.
enum class Prop {
  Geometry, Visible, Caption, Text, Font, Colors, Border, Alignment, Tooltip, Pointer,
  Picture, Items, Selection, Value, Face, Timer, Icon, Modal, Accessible, Enabled,
  // A drop-down list opens or closes.
  Dropped,
  // The keys: the control takes the focus, its focus mark comes, goes or moves,
  // the window shows or hides its keyboard cues.
  Focus, FocusMark, Cues,
  // A text box's grey hint while it is empty, and the most it takes.
  CueBanner, MaxLength
};

// What a screen reader is told a control is. None: nothing to tell on its own
// (containers, decorations, texts that are read as part of another control).
enum class Role {
  None, StaticText, Text, PushButton, CheckButton, RadioButton, Link, List, ListItem, ComboBox,
  MenuButton
};

// A control as accessibility tools see it. The backend adds what only it knows:
// position, visibility, availability and the keyboard focus.
struct Accessible {
  Role role = Role::None;
  std::string name;
  std::string value;           // the text of a text control, the chosen item of a drop-down list
  std::string default_action;  // what do_default_action() does, in words; empty: nothing
  bool checked = false;
  bool pressed = false;  // held down by the pointer or a key
  bool selectable = false;
  bool selected = false;
  bool read_only = false;
  bool multi_selectable = false;  // a list of which a range of items can be selected
  bool expandable = false;        // it opens a list: expanded while open, collapsed while not
  bool expanded = false;
  bool is_default = false;  // the button Enter presses
  std::string shortcut;     // the key that runs its command from anywhere: "Ctrl+N"
  bool operator==(const Accessible&) const = default;
};

// The words for a role's default action: "Нажать" for a push button and so on;
// `on`: the check button is checked, the drop-down list is open.
std::string default_action_name(Role role, bool on);

class Peer {
 public:
  virtual ~Peer() = default;
  virtual void update(Prop what) = 0;
  // Brings what the native control holds now (its text, selection or choice,
  // however it got there) into the control, before the control is read.
  virtual void pull(Prop /*what*/) {}
};

class Control {
 public:
  Control(Container& parent, std::string name, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual Kind kind() const = 0;

  const std::string& name() const { return name_; }
  int index() const { return index_; }  // -1 unless a member of a control array
  // The name with the index for array members: "str_str(3)".
  std::string automation_name() const;

  Container& parent() const { return *parent_; }
  Form& form() const;

  int left() const { return rect_.left; }
  int top() const { return rect_.top; }
  int width() const { return rect_.width; }
  int height() const { return rect_.height; }
  Rect rect() const { return rect_; }
  void set_left(int v) { move(v, rect_.top, rect_.width, rect_.height); }
  void set_top(int v) { move(rect_.left, v, rect_.width, rect_.height); }
  void set_width(int v) { move(rect_.left, rect_.top, v, rect_.height); }
  void set_height(int v) { move(rect_.left, rect_.top, rect_.width, v); }
  virtual void move(int left, int top, int width, int height);
  void move(Rect r) { move(r.left, r.top, r.width, r.height); }

  // The rectangle in pixels of the container's inside.
  Rect pixel_rect() const;

  bool visible() const { return visible_; }
  void set_visible(bool v);
  // Whether the user can use it: a disabled control shows so, takes neither the
  // focus nor the pointer, and a reader hears it is unavailable. (A timer's own
  // enabled() tells whether it ticks.)
  bool enabled() const { return enabled_; }
  void set_enabled(bool e);

  int tab_index() const { return tab_index_; }
  void set_tab_index(int i) { tab_index_ = i; }
  bool tab_stop() const { return tab_stop_; }
  void set_tab_stop(bool s) { tab_stop_ = s; }

  const std::string& tooltip() const { return tooltip_; }
  void set_tooltip(std::string t);

  // The keyboard. Text boxes, lists, options and self-drawn controls can always
  // take the focus; picture boxes and labels when set to.
  virtual bool can_focus() const { return can_focus_; }
  void set_can_focus(bool f) { can_focus_ = f; }
  bool has_focus() const;
  void set_focus();
  // This control is c or lies inside it.
  bool inside(const Control& c) const;
  // The focus mark is drawn: the control has the focus and its window shows the
  // keyboard cues (the keyboard is in use there).
  bool shows_focus_mark() const;
  // A key went down or up while the control has the focus, by virtual-key code
  // with the shift mask; a control that uses the key sets code to 0.
  virtual void key_down(int& code, unsigned shift) {
    if (on_key_down) on_key_down(code, shift);
  }
  virtual void key_up(int& /*code*/, unsigned /*shift*/) {}
  // A key the control keeps for itself (Enter in a multi-line text box), so that
  // the window's default button does not take it.
  virtual bool wants_key(int /*code*/, unsigned /*shift*/) const { return false; }
  std::function<void(int& code, unsigned shift)> on_key_down;

  MousePointer pointer() const { return pointer_; }
  void set_pointer(MousePointer p);

  // The pointer on a control that has no pointer handling of its own (a label, a
  // picture box), in the control's pixels: a button pressed, with the shift mask;
  // the moves while the left one is held, wherever the pointer goes (the control
  // keeps it until the button is let go); the button let go. When another window
  // takes the pointer away meanwhile, on_mouse_lost comes instead of the release.
  std::function<void(Point, MouseButton, unsigned shift)> on_mouse_down;
  std::function<void(Point)> on_mouse_move;
  std::function<void(Point, MouseButton)> on_mouse_up;
  std::function<void()> on_mouse_lost;
  bool takes_mouse() const { return on_mouse_down || on_mouse_move || on_mouse_up; }

  // Accessibility. The name is the caption unless the window names the control (a
  // picture-only button, say); the role follows from the kind unless the window
  // gives another (a picture box that holds a list, a label that is a link).
  Accessible accessible() const;
  Role accessible_role() const { return role_set_ ? role_ : default_role(); }
  void set_accessible_name(std::string name);
  void set_accessible_role(Role role);
  // A label that names the control by its caption, as the label beside a
  // drop-down list does; a name the window sets comes first.
  const Label* labelled_by() const { return label_; }
  void set_labelled_by(const Label* label);
  // Does the default action, as an accessibility tool asks; false when there is none.
  bool do_default_action();

  Peer* peer() const { return peer_.get(); }
  void attach(std::unique_ptr<Peer> p) { peer_ = std::move(p); }
  void detach() { peer_.reset(); }

  // The screen measures texts anew (the window went to a display of another
  // scale): a control that sizes itself by its text does it again.
  virtual void text_metrics_changed() {}

 protected:
  friend class Form;
  void changed(Prop what) {
    if (peer_) peer_->update(what);
  }
  // Asks the peer for what the native control holds now.
  void pull(Prop what) const {
    if (peer_) peer_->pull(what);
  }
  // Tells another control's peer of a change that concerns it (a list's
  // selection moved to it or away).
  static void tell(Control& c, Prop what) { c.changed(what); }
  virtual void resized() {}
  virtual Role default_role() const { return Role::None; }
  // Fills in the name, value, state and default action for the role in a.role.
  virtual void describe(Accessible& /*a*/) const {}
  // What the default action does; runs only when describe() named one.
  virtual void act() {}
  virtual void got_focus() {}
  virtual void lost_focus() {}
  // The caption changed: the controls it names have a new accessible name.
  void caption_changed();

 private:
  Container* parent_;
  std::string name_;
  int index_;
  Rect rect_;
  bool visible_ = true;
  bool enabled_ = true;
  int tab_index_ = 0;
  bool tab_stop_ = true;
  bool can_focus_ = false;
  std::string tooltip_;
  MousePointer pointer_ = MousePointer::Default;
  std::string accessible_name_;
  const Label* label_ = nullptr;
  Role role_ = Role::None;
  bool role_set_ = false;
  std::unique_ptr<Peer> peer_;
};

// A control that holds others: a form, a picture box or a frame. Positions inside
// it are in its scale; a frame has no scale of its own and uses its container's.
class Container {
 public:
  virtual ~Container() = default;
  virtual ScaleMode scale() const = 0;
  virtual Form& owner_form() = 0;

  const std::vector<Control*>& children() const { return children_; }
  // Lengths in this container's scale to pixels and back, and a length in
  // twips (as stored layouts give them) in this container's scale.
  int to_pixels(int v) const;
  int from_pixels(int px) const;
  int from_twips(int twips) const;

 private:
  friend class Control;
  std::vector<Control*> children_;  // in creation order, which is front to back
};

// Members of one control array share a name and one handler receiving the index.
// Elements may be created in any index order; that order is their creation order.
template <class T>
class ControlArray {
 public:
  template <class... Args>
  ControlArray(Container& parent, const std::string& name, std::vector<int> creation_order,
               Args&&... args) {
    int top = 0;
    for (int i : creation_order) top = std::max(top, i + 1);
    by_index_.resize(static_cast<std::size_t>(top));
    for (int i : creation_order) {
      items_.push_back(std::make_unique<T>(parent, name, i, args...));
      by_index_[static_cast<std::size_t>(i)] = items_.back().get();
    }
  }
  ControlArray(Container& parent, const std::string& name, int count)
      : ControlArray(parent, name, sequence(count)) {}

  T& operator[](int i) { return *by_index_.at(static_cast<std::size_t>(i)); }
  const T& operator[](int i) const { return *by_index_.at(static_cast<std::size_t>(i)); }
  int size() const { return static_cast<int>(by_index_.size()); }  // upper bound + 1

  // Calls f(element) for each element, in index order.
  template <class F>
  void each(F f) {
    for (T* t : by_index_)
      if (t) f(*t);
  }

 private:
  static std::vector<int> sequence(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(i);
    return v;
  }
  std::vector<std::unique_ptr<T>> items_;  // creation order
  std::vector<T*> by_index_;
};

}  // namespace ui
