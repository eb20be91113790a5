#pragma once
// The windows behind forms and controls. Each is the peer of one retained object
// and follows its property changes; containers pass their children's
// notifications back to the children's own objects. A form's window has a dpi
// (its display's); it and its controls show the model's 96-dpi pixels at that
// scale, and lay themselves out again when it changes.
//
// Each control kind has its peer in a file of its name (label_window.cpp,
// list_box_window.cpp, ...), which defines its make_peer below; the factory,
// make_control_peer, picks one by the control's kind.

#include <windows.h>

#include <map>
#include <memory>

#include "ui/control.h"
#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/diagram.h"
#include "ui/form.h"
#include "ui/win32/accessible.h"
#include "ui/win32/scale.h"
#include "ui/win32/text.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/window.h"

namespace ui::win32 {

class FormWindow : public Window, public Peer {
 public:
  FormWindow(Win32Backend& backend, Form& form);
  ~FormWindow() override;
  void update(Prop what) override;

  Form& form() const { return form_; }
  // The window's tooltip control, made with its first tip.
  HWND tooltips();
  int dpi() const { return dpi_; }
  static FormWindow* of(const Form& form) { return static_cast<FormWindow*>(form.peer()); }

  // The form's timers tick as WM_TIMER of its window, by id.
  void add_timer(UINT_PTR id, Timer& timer) { timers_[id] = &timer; }
  void remove_timer(UINT_PTR id) { timers_.erase(id); }

 protected:
  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override;

 private:
  DWORD style() const;
  DWORD ex_style() const;
  // The window's size around an inside of the given size (of the form's own by
  // default), in the form's scale, with the frame at that dpi.
  SIZE outer_size(int dpi, Size client) const;
  SIZE outer_size(int dpi) const;
  SIZE outer_size() const { return outer_size(dpi_); }
  // The window went to a display of another dpi: the suggested place, then
  // every geometry, font and picture again.
  void rescale(int dpi, const RECT& suggested);
  // Sets the window's size so that its client area has the scaled size exactly.
  void fit_client();
  // Texts measured at another dpi than the window's are measured again.
  void follow_text_metrics();
  // The top-left corner of a window of size s centred on the main screen's work area.
  static POINT centred(SIZE s);
  void place_centred();
  // Beside the owner on its display (StartPosition::BesideOwner).
  void place_beside();
  // Where the window goes when it first shows: where the last window of its
  // name was closed, or at its start position. The command that shows it.
  int place();
  void show();
  // The system's keyboard cues of the window, and the form's, made one.
  bool system_cues() const;
  void push_cues();

  Win32Backend& backend_;
  Form& form_;
  int dpi_;
  int measured_dpi_;  // the dpi the model's texts were measured at
  HWND tooltips_ = nullptr;
  bool placed_ = false;
  bool shown_once_ = false;
  bool icons_given_ = false;  // icons of its own, not the class's
  std::map<UINT_PTR, Timer*> timers_;
  CharJoiner chars_;
};

// Base of the windows of controls.
class ControlWindow : public Window, public Peer {
 public:
  ControlWindow(Win32Backend& backend, Control& control);
  ~ControlWindow() override;
  void update(Prop what) override;

  Control& control() const { return control_; }
  // The window of a control; nullptr for a control that has none (a timer).
  static ControlWindow* of(const Control& c) { return dynamic_cast<ControlWindow*>(c.peer()); }
  // The window that a control's children live in.
  static HWND container_window(const Container& c);
  void pull(Prop what) override;
  // The window's form went to a display of another dpi.
  void rescale();
  // The window answers WM_GETOBJECT with the project's own IAccessible: it draws
  // itself, or the system's proxy cannot tell what it is. Otherwise the
  // system's answer stands.
  virtual bool own_accessible() const { return false; }
  // Where a box of what the control draws itself (a diagram's item or part, in
  // pixels of the drawing) shows on the screen; empty for none.
  virtual RECT box_on_screen(Rect /*box*/) const { return {}; }
  // A point of the control's model pixels (of a diagram: of its drawing) on the screen.
  virtual POINT to_screen(Point p) const;

 protected:
  // Creates the window as a child of its container, behind its earlier siblings
  // and in front of the later ones.
  bool make(const wchar_t* class_name, DWORD style, DWORD ex_style, std::wstring text);
  // Makes the window (make() and whatever the kind sets up once) from the
  // control's properties as they are now.
  virtual void create_window() {}
  // Creates the window now, or, while the control is hidden, when it is first
  // shown: until then the control holds every property and nothing is pushed.
  // Only for kinds whose window has no children and that nobody asks for their
  // window while hidden.
  void create_when_shown();
  virtual void refresh(Prop) {}
  // Reads what the native control holds into the control (text, selection, choice).
  virtual void read_back(Prop) {}
  // Fonts and pictures made again for a new dpi; by default the font.
  virtual void refresh_scale() { refresh(Prop::Font); }
  // The box in the container's pixels, and on the screen.
  virtual Rect geometry() const { return control_.pixel_rect(); }
  virtual Rect screen_geometry() const { return scale(geometry(), dpi()); }
  int dpi() const;
  HFONT font(const Font& f) const { return backend_.gdi().font(f, dpi()); }
  // Gives the window a font (WM_SETFONT), redrawn at once when asked.
  void set_font(const Font& f, bool redraw = false);
  // Moves the window to its box on the screen.
  void place();
  // Every control hands a typed character to the form first when the form has
  // key preview; a peer with a filter of its own answers WM_CHAR before this.
  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override;
  // Repaints the window, with its background erased when asked; together with
  // what lies beneath it (transparent looks). A window that does not show (its
  // form not yet shown, say) is left alone: it is painted whole when it shows.
  void invalidate(bool erase = false);
  void redraw_through();
  // A window that draws itself does it in paint(); painting() answers the
  // painting messages for it (no background erase, WM_PAINT, WM_PRINTCLIENT).
  virtual void paint(HDC) {}
  bool painting(UINT msg, WPARAM w, LRESULT& result);
  void set_tooltip();

  Win32Backend& backend_;
  Control& control_;
  CharJoiner chars_;

 private:
  LRESULT preview_char(WPARAM w, LPARAM l);
  // The pointer for a control that has no handling of its own (Control::on_mouse_down
  // and so on): the left button held keeps the pointer until it is let go.
  LRESULT mouse(UINT msg, WPARAM w, LPARAM l);

  bool tool_added_ = false;
  bool held_ = false;            // the left button went down on the control and is held
  bool creation_waits_ = false;  // hidden: the window comes when the control is shown
  std::unique_ptr<ControlAccessibility> accessibility_;
  // While a change is pushed to the window or read back from it, the window is
  // not read again.
  bool pushing_ = false;
};

// The focus mark: a dotted rectangle on the inside of r, as the system marks
// the control that has the keyboard focus.
void draw_focus_mark(HDC dc, const RECT& r);

// The peer of each kind of control.
std::unique_ptr<Peer> make_peer(Win32Backend& b, Label& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, TextBox& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, ListBox& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, ComboBox& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, VScrollBar& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, OptionButton& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, CheckBox& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, PictureBox& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, Frame& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, Image& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, Line& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, CustomControl& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, Timer& c);
std::unique_ptr<Peer> make_peer(Win32Backend& b, Diagram& c);

// A diagram drawn whole at dpi, as its window draws it.
Bitmap draw_diagram(Win32Backend& backend, const Diagram& d, int dpi);

// The peer for a control of any kind.
std::unique_ptr<Peer> make_control_peer(Win32Backend& backend, Control& control);

}  // namespace ui::win32
