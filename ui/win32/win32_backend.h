#pragma once
// The product backend: one window per form and control, the message loop with
// keyboard navigation, modal showing, timers, message boxes, text measurement,
// the display scale of each window and the shell.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "ui/backend.h"
#include "ui/win32/gdi.h"

namespace ui::win32 {

class FormWindow;

// Starts COM on the program's thread when first needed (screen readers, the
// shell); true when it can be used. run_program ends it.
bool use_com();

class Win32Backend : public Backend {
 public:
  // Installs itself as the backend for its lifetime; unloads every window at the end.
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // The window of a loaded form or control; nullptr when it has none.
  static HWND window_of(const Form& form);
  static HWND window_of(const Control& control);

  // Runs the message loop until WM_QUIT and returns its exit code.
  int run_loop();
  // Handles messages for about ms milliseconds (tests, demos).
  void pump(DWORD ms);
  // Ends the message loop once this form's window is gone.
  void quit_when_gone(Form& form);

  // Backend.
  std::unique_ptr<Peer> create_form_peer(Form& form) override;
  std::unique_ptr<Peer> create_peer(Control& control) override;
  void run_modal(Form& form) override;
  int message_box(std::string_view text, unsigned style, std::string_view title) override;
  // In model pixels: the extent in the window's dpi, taken back to 96 dpi.
  Size measure_text(std::string_view text, const Font& font,
                    const Control* where = nullptr) override;
  Font interface_font() override;
  Point cursor_position(const CustomControl& control) override;
  void shell_open(Form* owner, std::string_view target, std::string_view directory,
                  int show) override;
  using Backend::popup_menu;
  int popup_menu(Control& at, Point where, const std::vector<MenuItem>& items) override;
  Bitmap draw(const Diagram& diagram, int times) override;
  // exchange.cpp: the clipboard, the save and open dialogs (comdlg32, loaded when first
  // asked) and the system's PNG encoder.
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
  void trace(std::string_view phase, const Form* form = nullptr) override;

  // The display scale: the dpi of the main screen (new windows open there), of a
  // window, and of the window a form has (the main screen's while it has none).
  // Newer systems give each monitor its own; older ones have the one system dpi.
  int system_dpi() const { return system_dpi_; }
  int dpi_of(HWND window) const;
  int dpi_for(const Form& form) const;
  // A system metric (GetSystemMetrics) at a dpi, where the system tells it.
  int metric(int index, int dpi) const;
  // The window rectangle around a client rectangle, with the frame at that dpi.
  RECT frame(RECT client, DWORD style, DWORD ex_style, int dpi) const;

  // For the windows of forms and controls.
  GdiCache& gdi() { return gdi_; }
  // The hidden window that owns windows outside the taskbar until they are
  // shown and wakes a waiting loop; made when first needed.
  HWND parking();
  // The link hand and the window icons, at their size for the dpi. An icon is
  // named by its resource number; 0 stands for the program's icon.
  HCURSOR hand_cursor(int dpi);
  HICON window_icon(int resource, bool small, int dpi);
  // Registers the window classes (once), the form class with the program's icons
  // at the system's dpi, so that a window showing those needs no icons of its
  // own: each icon a window is given is converted again for the window system.
  void register_classes();
  // The form class's icons are the ones the window of a form naming resource
  // shows at dpi.
  bool class_icons_fit(int resource, int dpi) const {
    return class_icons_ && (resource == 0 || resource == program_icon_) && dpi == system_dpi_;
  }
  // The icon of the windows that name none of their own; none while 0.
  void set_program_icon(int resource) { program_icon_ = resource; }
  UINT_PTR next_timer_id() { return ++timer_ids_; }
  // A modal form is being hidden or destroyed: gives the other windows back
  // before the system looks for a window to activate.
  void modal_ending(HWND form);
  void form_destroyed(HWND form);
  // The keyboard was used last, not the mouse, or the user wants the keyboard
  // cues always shown: a window opened now shows its focus mark at once.
  bool keyboard_in_use() const;
  // Where the windows of forms that keep their place (Form::keeps_place) were
  // last closed, by the form's name, while the program runs; nullptr for none.
  struct Place {
    WINDOWPLACEMENT placement;
    bool maximized;
  };
  const Place* kept_place(const std::string& form) const;
  void keep_place(const std::string& form, const Place& place) { places_[form] = place; }

 private:
  struct Modal {
    HWND form;
    HWND owner;
    std::vector<HWND> disabled;
    bool ended = false;
  };
  // Gives key messages to their form first; true when the form used the key.
  bool keys(const MSG& msg);
  void handle(MSG& msg);
  void end(Modal& modal);

  GdiCache gdi_;
  HWND parking_ = nullptr;
  HDC measure_dc_ = nullptr;
  int system_dpi_ = 96;
  std::map<int, HCURSOR> hands_;  // by dpi; those made here are destroyed at the end
  HCURSOR loaded_hand_ = nullptr;
  std::vector<Modal*> modals_;
  HWND quit_on_ = nullptr;
  UINT_PTR timer_ids_ = 0;
  bool keyboard_last_ = false;
  std::map<std::string, Place> places_;
  int program_icon_ = 0;
  bool class_icons_ = false;  // this backend gave the form class its icons
  // Icons from the program's resources, by resource number, small and size in pixels.
  std::map<std::tuple<int, bool, int>, HICON> icons_;
};

}  // namespace ui::win32
