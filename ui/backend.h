#pragma once
// What a backend provides: peers for windows and controls, modal display, message
// boxes, text measurement, the pointer and the shell. The product uses the Win32
// backend; tests use the headless one.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/form.h"

namespace ui {

class CustomControl;
class Diagram;

// An item of a popup menu: its words, "\t" and its key; an empty text is a
// separator line. A disabled item shows greyed and cannot be chosen; a checked
// one is marked as the one chosen of several; an item with a submenu opens it
// and is not chosen itself.
struct MenuItem {
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<MenuItem> submenu;
  MenuItem(std::string t, bool e = true, bool c = false)
      : text(std::move(t)), enabled(e), checked(c) {}
  MenuItem(const char* t, bool e = true, bool c = false) : text(t), enabled(e), checked(c) {}
  MenuItem(std::string t, std::vector<MenuItem> items, bool e = true)
      : text(std::move(t)), enabled(e), submenu(std::move(items)) {}
  bool operator==(const MenuItem&) const = default;
};

// The items of a menu as popup_menu counts them: each item, and right after an
// item with a submenu the items of that submenu, counted the same way.
std::vector<const MenuItem*> menu_order(const std::vector<MenuItem>& menu);
// A text shown as it stands in a menu item: "&" doubled (no letter underlined),
// tabs and line breaks as spaces, at most `chars` characters and then "…".
std::string menu_text(std::string_view text, std::size_t chars = 40);

// What the system's save or open dialog asks: its title, the kind of file in
// words and its extension ("png"), the name it proposes (a path opens it in that
// path's folder), and else the folder it opens in.
struct FileQuestion {
  std::string title;
  std::string kind;
  std::string extension;
  std::string file_name;
  std::string folder;
};

// What a copy put on the clipboard.
enum class Copied { Nothing, TextOnly, All };

class Backend {
 public:
  virtual ~Backend() = default;

  // The window of a form being loaded; its controls get theirs right after, in
  // creation order, each after its container.
  virtual std::unique_ptr<Peer> create_form_peer(Form& form) = 0;
  virtual std::unique_ptr<Peer> create_peer(Control& control) = 0;

  // Returns when the form is hidden or unloaded.
  virtual void run_modal(Form& form) = 0;

  // A message box over the active window; returns the button pressed (IdOk...).
  virtual int message_box(std::string_view text, unsigned style, std::string_view title) = 0;

  // Size in pixels of one line of text in a font, as it comes out in the window
  // of `where` (or of a new window when there is none).
  virtual Size measure_text(std::string_view text, const Font& font,
                            const Control* where = nullptr) = 0;
  // The default interface font that custom controls draw their text in.
  virtual Font interface_font() = 0;

  // Where the pointer is, in pixels of the control.
  virtual Point cursor_position(const CustomControl& control) = 0;

  // Asks the shell to open a file or address with its default action.
  virtual void shell_open(Form* owner, std::string_view target, std::string_view directory,
                          int show) = 0;

  // A menu of commands at a point of a control, in its pixels (of a diagram: of
  // the drawing); the index of the item chosen in menu_order, -1 when none was.
  virtual int popup_menu(Control& at, Point where, const std::vector<MenuItem>& items) = 0;
  int popup_menu(Control& at, Point where, const std::vector<std::string>& items) {
    return popup_menu(at, where, std::vector<MenuItem>(items.begin(), items.end()));
  }
  // The diagram drawn whole as it draws on screen, at `times` its window's scale
  // or less (Diagram::picture); empty when it could not be drawn.
  virtual Bitmap draw(const Diagram& diagram, int times) = 0;
  // Puts a text, and a picture when there is one, on the clipboard. Says what
  // went, and why the rest did not in *why.
  virtual Copied copy_to_clipboard(Form& owner, std::string_view text, const Bitmap* picture,
                                   std::string* why) = 0;
  // Puts a text and, in a format of the program's own named `format`, data on the
  // clipboard at once; false when the clipboard could not be had.
  virtual bool copy_to_clipboard(Form& owner, std::string_view text, std::string_view format,
                                 std::string_view data) = 0;
  // What the clipboard holds as text, and as data in the program's own format;
  // nothing when it holds none (or could not be had).
  virtual std::optional<std::string> clipboard_text(Form& owner) = 0;
  virtual std::optional<std::string> clipboard_data(Form& owner, std::string_view format) = 0;
  // The system's save dialog over the form: the path chosen, nothing when the
  // user cancelled.
  virtual std::optional<std::string> save_file_name(Form& owner, const FileQuestion& q) = 0;
  // The system's open dialog over the form: the path of the existing file chosen,
  // nothing when the user cancelled.
  virtual std::optional<std::string> open_file_name(Form& owner, const FileQuestion& q) = 0;
  // The picture as the bytes of a PNG file, through the system's encoder; empty
  // when it failed, with the reason in *why.
  virtual std::string encode_png(const Bitmap& picture, std::string* why) = 0;
  // Notes that a phase of the program's start has ended (of a form's loading when
  // form is given), for a trace the benchmarks switch on; nothing by default.
  virtual void trace(std::string_view /*phase*/, const Form* /*form*/ = nullptr) {}
};

void set_backend(Backend* backend);
Backend& backend();

// A message box through the backend.
int message_box(std::string_view text, unsigned style, std::string_view title);

}  // namespace ui
