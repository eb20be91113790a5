#pragma once
// A backend without windows, for tests. Properties simply stay in the controls.
// A test scripts what happens while a window is shown modally and how message
// boxes are answered, moves a virtual clock that fires timers in order, moves a
// virtual pointer, and clicks and types through the same handlers the real
// windows use. Anything left unscripted throws at once, so no test can hang.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend.h"
#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/diagram.h"

namespace ui::headless {

struct BoxShown {
  std::string text;
  unsigned style;
  std::string title;
};

struct ShellCall {
  std::string owner;  // name of the owner form, empty without one
  std::string target;
  std::string directory;
  int show;
};

class Headless : public Backend {
 public:
  // Installs itself as the backend for its lifetime; unloads every window at the end.
  Headless();
  ~Headless() override;

  // The next modal showing must be of the named window; act works on it and must
  // leave it hidden or unloaded.
  void on_modal(std::string form_name, std::function<void(Form&)> act);
  // The answer for the next message box (IdOk, IdCancel, IdYes, IdNo).
  void answer(int id);
  // The item to choose in the next popup menu (-1: none), and the path to give
  // the next save or open dialog (nothing: cancelled).
  void answer_menu(int item);
  void answer_save(std::optional<std::string> path);
  void answer_open(std::optional<std::string> path);
  bool scripts_used_up() const {
    return modals_.empty() && answers_.empty() && menu_answers_.empty() && saves_.empty() &&
           opens_.empty();
  }

  const std::vector<BoxShown>& boxes() const { return boxes_; }
  const std::vector<ShellCall>& shell_calls() const { return shell_calls_; }
  // The items of the menus shown (their texts in menu_order, and whole), and the questions of
  // the save and open dialogs.
  const std::vector<std::vector<std::string>>& menus() const { return menus_; }
  const std::vector<std::vector<MenuItem>>& menu_items() const { return menu_items_; }
  const std::vector<FileQuestion>& save_questions() const { return save_questions_; }
  const std::vector<FileQuestion>& open_questions() const { return open_questions_; }

  // The clipboard as the last copy left it; a clipboard that another program
  // holds refuses copies and gives nothing, one short of memory takes the text
  // without the picture. Another program may also put a text there, or data in a
  // format of its own.
  const std::string& clipboard_text() const { return clipboard_text_; }
  const std::optional<Bitmap>& clipboard_picture() const { return clipboard_picture_; }
  const std::string& clipboard_data() const { return clipboard_data_; }
  void set_clipboard_held(bool held) { clipboard_held_ = held; }
  void set_clipboard_refuses_pictures(bool refuses) { clipboard_refuses_pictures_ = refuses; }
  void put_on_clipboard(std::string text, std::string format = {}, std::string data = {});
  // The headless world encodes no PNG: the bytes name the picture's size
  // ("png 640x480"), or the encoding fails with the reason given here.
  void set_png_failure(std::string why) { png_failure_ = std::move(why); }
  // What the windows did, one line each: "load make_form", "show make_form modal",
  // "hide comp_form", "unload file_form", "box Quillet: Сохранить изменения?".
  const std::vector<std::string>& log() const { return log_; }
  void clear_log() { log_.clear(); }

  // The virtual clock, in milliseconds: fires due timers in time order.
  void advance(int ms);
  long long now() const { return now_; }

  // User actions. A click on a label presses and lets go in its middle, with the
  // shift keys given.
  void click(Label& l, unsigned shift = shift::None);
  void double_click(Label& l);
  // The pointer on a label or a picture box (Control::on_mouse_down and so on),
  // at a point in its pixels; the moves while held reach the control pressed.
  void mouse_down(Control& c, Point p, MouseButton b = MouseButton::Left,
                  unsigned shift = shift::None);
  void mouse_move(Control& c, Point p);
  void mouse_up(Control& c, Point p, MouseButton b = MouseButton::Left);
  void right_click(Control& c);
  void choose(OptionButton& o);
  void select(ListBox& l, int index);
  // Opens the drop-down list with the pointer and clicks its item at index.
  void choose(ComboBox& c, int index);
  void click(CheckBox& c);
  // Types characters through the window's key preview and the box's filter; a
  // full box (max_length) takes no more.
  void type(TextBox& t, std::u32string_view keys);
  // Pastes text at the end: no key filter; what a full box has no room for is
  // left out.
  void paste(TextBox& t, std::string_view utf8);
  void press_key(Form& f, char32_t key);
  // A key pressed and let go in a window, by virtual-key code: the window takes
  // it first; what it leaves goes on as Windows would, Enter, Esc and Space as
  // typed characters to the focused text box or to the window.
  void key(Form& f, int code, unsigned shift = shift::None);
  void key_down(Form& f, int code, unsigned shift = shift::None);
  void key_up(Form& f, int code, unsigned shift = shift::None);
  // The active window: the one shown last, until it goes; the owner of a modal
  // window again when that is over.
  Form* active_form() const { return active_; }
  void close(Form& f);  // the close box
  // An accessibility tool's default action; false when the control has none.
  bool default_action(Control& c);

  // The pointer over a custom control, at a point in its pixels; everywhere else
  // it is then outside.
  void move(CustomControl& c, Point p);
  void press(CustomControl& c, Point p, MouseButton b = MouseButton::Left);
  void release(CustomControl& c, Point p, MouseButton b = MouseButton::Left);
  void double_press(CustomControl& c, Point p, MouseButton b = MouseButton::Left);
  // Move into the middle, press and release there.
  void click(CustomControl& c);
  // The pointer on a diagram, at a point of the drawing.
  void move(Diagram& d, Point p);
  void click(Diagram& d, Point p, MouseButton b = MouseButton::Left);
  void double_click(Diagram& d, Point p);
  // The left button pressed and let go on a diagram; a drag presses, moves there
  // in four steps and lets go.
  void press(Diagram& d, Point p);
  void release(Diagram& d, Point p);
  void drag(Diagram& d, Point from, Point to);
  // An accessibility tool's default action on a part of a diagram's item.
  bool default_action(Diagram& d, int item, int part);
  // Puts the pointer somewhere outside every control without a notification.
  void pointer_away();

  // Text metrics of the headless world: fixed per-character widths.
  static Size text_size(std::string_view text, const Font& font);

  // Backend.
  std::unique_ptr<Peer> create_form_peer(Form& form) override;
  std::unique_ptr<Peer> create_peer(Control& control) override;
  void run_modal(Form& form) override;
  int message_box(std::string_view text, unsigned style, std::string_view title) override;
  Size measure_text(std::string_view text, const Font& font,
                    const Control* where = nullptr) override;
  Font interface_font() override;
  Point cursor_position(const CustomControl& control) override;
  void shell_open(Form* owner, std::string_view target, std::string_view directory,
                  int show) override;
  using Backend::popup_menu;
  int popup_menu(Control& at, Point where, const std::vector<MenuItem>& items) override;
  // The background and the boxes' fills, at `times` the pixels of the drawing
  // (less where the picture would pass the size a picture may have).
  Bitmap draw(const Diagram& diagram, int times) override;
  using Backend::copy_to_clipboard;
  Copied copy_to_clipboard(Form& owner, std::string_view text, const Bitmap* picture,
                           std::string* why) override;
  bool copy_to_clipboard(Form& owner, std::string_view text, std::string_view format,
                         std::string_view data) override;
  std::optional<std::string> clipboard_text(Form& owner) override;
  std::optional<std::string> clipboard_data(Form& owner, std::string_view format) override;
  std::optional<std::string> save_file_name(Form& owner, const FileQuestion& q) override;
  std::optional<std::string> open_file_name(Form& owner, const FileQuestion& q) override;
  std::string encode_png(const Bitmap& picture, std::string* why) override;

 private:
  friend class TimerPeer;
  friend class FormPeer;
  struct Scheduled {
    Timer* timer;
    long long due;
    long long order;  // creation order breaks ties
  };

  void schedule(Timer& t);
  void unschedule(Timer& t);
  void activate(Form* f);

  std::deque<std::pair<std::string, std::function<void(Form&)>>> modals_;
  std::deque<int> answers_;
  std::deque<int> menu_answers_;
  std::deque<std::optional<std::string>> saves_, opens_;
  std::vector<std::vector<std::string>> menus_;
  std::vector<std::vector<MenuItem>> menu_items_;
  std::vector<FileQuestion> save_questions_, open_questions_;
  std::string clipboard_text_;
  std::optional<Bitmap> clipboard_picture_;
  std::string clipboard_format_, clipboard_data_;
  bool clipboard_has_text_ = false;
  bool clipboard_held_ = false;
  bool clipboard_refuses_pictures_ = false;
  std::string png_failure_;
  std::vector<BoxShown> boxes_;
  std::vector<ShellCall> shell_calls_;
  std::vector<std::string> log_;
  std::vector<Scheduled> timers_;
  long long now_ = 0;
  long long timer_order_ = 0;
  const CustomControl* pointer_over_ = nullptr;
  const Control* held_ = nullptr;  // the control the left button went down on
  Point pointer_;
  Form* active_ = nullptr;
};

}  // namespace ui::headless
