#pragma once
// A window: loaded on first use, unloaded when it closes. Each window class has
// one shared instance (Single<T>), so the next use after an unload builds it
// afresh and runs its load step again; a hidden window stays loaded.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class CustomControl;
class OptionButton;

// Sizable: the user resizes the window (and may maximize it); its inside
// follows (client_resized).
enum class Border { FixedSingle, FixedDialog, Sizable };
// BesideOwner: the window opens beside its owner on the owner's display, as
// large as it can be there, or, where there is no room beside, over the owner
// where it covers least of keep_clear.
enum class StartPosition { CenterScreen, SystemDefault, BesideOwner };
enum class UnloadReason { Code, CloseBox };

class Form : public Container {
 public:
  explicit Form(std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  Form& owner_form() override { return *this; }
  ScaleMode scale() const override { return scale_; }
  void set_scale(ScaleMode s) { scale_ = s; }

  // Every control of the window, in creation order.
  const std::vector<Control*>& controls() const { return controls_; }

  // Properties of the window; sizes are of the inside, in the window's scale.
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  int client_width() const { return client_width_; }
  int client_height() const { return client_height_; }
  void set_client_size(int width, int height);
  // The least inside a sizable window can be made, in the window's scale.
  Size min_client_size() const { return min_client_; }
  void set_min_client_size(int width, int height) { min_client_ = {width, height}; }
  Border border() const { return border_; }
  bool min_button() const { return min_button_; }
  void set_border(Border b, bool min_button = false) { border_ = b, min_button_ = min_button; }
  bool show_in_taskbar() const { return show_in_taskbar_; }
  void set_show_in_taskbar(bool s) { show_in_taskbar_ = s; }
  StartPosition start_position() const { return start_; }
  void set_start_position(StartPosition p) { start_ = p; }
  // The part of the owner that a window opening beside it covers least of where
  // it must cover some (the main window's list); the whole owner while none.
  const Control* keep_clear() const { return keep_clear_; }
  void set_keep_clear(const Control* part) { keep_clear_ = part; }
  // The window opens where the last window of its name was closed, as large (and
  // maximized if it was), while the program runs; the first one opens at its
  // start position.
  bool keeps_place() const { return keeps_place_; }
  void set_keeps_place(bool k) { keeps_place_ = k; }
  Color back_color() const { return back_; }
  void set_back_color(Color c);
  // The window's icon: the number of an icon among the program's resources, or 0
  // for the program's own, which the program names when it starts.
  int icon() const { return icon_; }
  void set_icon(int resource) { icon_ = resource; }
  // With key preview the window's KeyPress sees keys typed into its controls.
  bool key_preview() const { return key_preview_; }
  void set_key_preview(bool k) { key_preview_ = k; }

  bool loaded() const { return loaded_; }
  bool visible() const { return visible_; }
  bool modal() const { return modal_; }
  Form* owner() const { return owner_; }

  // Creates the window and its controls, then runs Load. Single<T> calls it.
  void load();
  void show(Form* owner = nullptr);
  // Shows the window modally over owner (disabled meanwhile) and returns when it
  // has been hidden or unloaded.
  void show_modal(Form& owner);
  void hide();
  // Runs QueryUnload (which may refuse) and Unload, then destroys the window.
  // Returns false when the unload was refused.
  bool unload(UnloadReason why = UnloadReason::Code);
  // Destroys the window without asking or telling anyone (program end).
  void discard();
  // The backend measures texts anew for this window (it went to a display of
  // another scale): controls that size themselves by their texts do it again,
  // then TextMetricsChanged runs.
  void text_metrics_changed();
  // The backend tells of the inside's new size (the user resized the window):
  // the size is kept, docked boxes follow, then Resize runs.
  void client_resized(int width, int height);

  // Events.
  virtual void Load() {}
  // Return false to keep the window.
  virtual bool QueryUnload(UnloadReason) { return true; }
  virtual void Unload() {}
  // A typed character: for the window itself, or for any of its controls when
  // key preview is on (before the control's own filter).
  virtual void KeyPress(char32_t& /*key*/) {}
  // Texts measure anew and the controls sized by them have followed; a window
  // that lays its controls out by their sizes does it again here.
  virtual void TextMetricsChanged() {}
  // The inside of the window has a new size.
  virtual void Resize() {}

  // Keys. Enter runs the default button and Esc the cancel button, unless the
  // focused control uses the key itself; a shortcut (key and exact shift mask)
  // runs from anywhere in the window.
  CustomControl* default_button() const { return default_; }
  void set_default_button(CustomControl* b) { default_ = b; }
  CustomControl* cancel_button() const { return cancel_; }
  void set_cancel_button(CustomControl* b) { cancel_ = b; }
  // The command may belong to a control (a toolbar button), which then tells
  // accessibility tools of its key.
  void add_shortcut(int code, unsigned shift, std::function<void()> run,
                    const Control* control = nullptr);
  // The key of the first shortcut that belongs to the control ("Ctrl+N", "F5"),
  // empty when none does.
  std::string shortcut_of(const Control& control) const;

  // The focus: the control that has it now (nullptr while it is elsewhere), and
  // the one that had it last, which gets it back when the window is active again.
  Control* focused_control() const { return focus_; }
  Control* active_control() const { return active_control_; }
  // The focus marks are shown: the keyboard is in use in this window.
  bool keyboard_cues() const { return keyboard_cues_; }
  void set_keyboard_cues(bool shown);
  // The controls that Tab visits, in order: by tab index, then creation order;
  // a group of option buttons is entered at its chosen one.
  std::vector<Control*> tab_order() const;
  // Moves the focus to the next control in tab order after `from` (before it,
  // backward), `from` counting where it stands even when Tab cannot reach it.
  // False when no control can take the focus.
  bool focus_next(const Control* from, bool backward);

  // What the backend reports: every key before the focused control sees it
  // (true when the window used it), the focus arriving at or leaving a control,
  // and the window becoming the active one or not. Activation gives the focus
  // back to the control that had it; false when no control took it.
  bool key_down(int code, unsigned shift);
  bool key_up(int code, unsigned shift);
  void focus_entered(Control& c);
  void focus_left(Control& c);
  bool activated();
  void deactivated();

  Peer* peer() const { return peer_.get(); }

 private:
  friend class Control;
  void changed(Prop what) {
    if (peer_) peer_->update(what);
  }
  void tab(bool backward);
  // Arrow keys in a group of option buttons: the next one gets the focus and is chosen.
  void step_option(OptionButton& from, int step);

  struct Shortcut {
    int code;
    unsigned shift;
    std::function<void()> run;
    const Control* control;
  };

  std::string name_;
  std::vector<Control*> controls_;
  ScaleMode scale_ = ScaleMode::Twips;
  std::string caption_;
  int client_width_ = 0;
  int client_height_ = 0;
  Size min_client_;
  Border border_ = Border::FixedSingle;
  bool min_button_ = false;
  bool show_in_taskbar_ = true;
  StartPosition start_ = StartPosition::SystemDefault;
  const Control* keep_clear_ = nullptr;
  bool keeps_place_ = false;
  Color back_ = Color::system(SysColor::ButtonFace);
  int icon_ = 0;
  bool key_preview_ = false;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  Form* owner_ = nullptr;
  CustomControl* default_ = nullptr;
  CustomControl* cancel_ = nullptr;
  std::vector<Shortcut> shortcuts_;
  Control* focus_ = nullptr;
  Control* active_control_ = nullptr;
  bool keyboard_cues_ = false;
  std::unique_ptr<Peer> peer_;
};

// Forms that were unloaded are destroyed only once no event handler runs any
// more, since a handler may well unload its own window.
void retire(std::unique_ptr<Form> form);
// Destroys retired forms; the backends call it whenever an event is fully handled.
void collect_retired();

// Counts the event handlers running; Dispatch marks one for its lifetime.
class Dispatch {
 public:
  Dispatch();
  ~Dispatch();
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
};

// Unloads every loaded single-instance window (program end, test teardown).
void unload_all();

namespace detail {
void register_single(std::function<void()> reset);
}

template <class T>
class Single {
 public:
  // The loaded instance; loads a fresh one when there is none.
  static T& get() {
    if (!instance_ || !instance_->loaded()) {
      if (instance_) retire(std::move(instance_));
      static const bool registered = (detail::register_single(&Single::drop), true);
      (void)registered;
      instance_ = std::make_unique<T>();
      instance_->load();
    }
    return *instance_;
  }
  static bool loaded() { return instance_ && instance_->loaded(); }
  // The instance if loaded, without loading it.
  static T* if_loaded() { return loaded() ? instance_.get() : nullptr; }

 private:
  static void drop() {
    if (instance_ && instance_->loaded()) instance_->discard();
    if (instance_) retire(std::move(instance_));
  }
  static inline std::unique_ptr<T> instance_;
};

}  // namespace ui
