#pragma once
// A window bound to its C++ object. Windows of our own classes are bound at
// WM_NCCREATE; system controls (STATIC, EDIT, ...) are subclassed right after they
// are created. Either way every message goes through one routing function that
// catches whatever a handler throws, so no exception crosses a window procedure.
//
// An object may go while a message of its window, or of a window inside it, is
// being handled: a handler unloads the form from inside a click. The object lets
// go of its window at once, so nothing of it runs after, and the window is hidden
// and destroyed only once no message of it is being handled: the code below on
// the stack (a system control's, the common controls' subclassing) finishes with
// everything it holds still there.

#include <windows.h>

#include <string>
#include <string_view>

namespace ui::win32 {

// Messages private to the backend.
inline constexpr UINT kWmWake = WM_APP + 0x51;  // wakes a waiting message loop
// An accessibility tool asked for a control's default action (wParam: child id).
inline constexpr UINT kWmAccessibleAction = WM_APP + 0x52;
// What a control shows has changed: time to tell accessibility tools.
inline constexpr UINT kWmAccessibleChanged = WM_APP + 0x53;
// Messages of the per-monitor scale (Windows 8.1 and 10), which the headers for
// older systems lack: WM_DPICHANGED and WM_GETDPISCALEDSIZE.
inline constexpr UINT kWmDpiChanged = 0x02E0;
inline constexpr UINT kWmGetDpiScaledSize = 0x02E4;

// Classes registered by the backend.
inline constexpr wchar_t kFormClass[] = L"QuilletForm";
inline constexpr wchar_t kContainerClass[] = L"QuilletContainer";
inline constexpr wchar_t kCustomClass[] = L"QuilletCustom";
inline constexpr wchar_t kDiagramClass[] = L"QuilletDiagram";
inline constexpr wchar_t kImageClass[] = L"QuilletImage";
inline constexpr wchar_t kLineClass[] = L"QuilletLine";
inline constexpr wchar_t kParkingClass[] = L"QuilletParking";

// The window property that carries a control's automation name as a global atom.
inline constexpr wchar_t kNameProperty[] = L"Name";

// The name of a window message for debug logs ("WM_CHAR" or "0x1234").
std::wstring message_name(UINT msg);
// Writes a line to the debugger output.
void debug_log(std::wstring_view line);

struct CreateArgs {
  const wchar_t* class_name = nullptr;
  std::wstring text;
  DWORD style = 0;
  DWORD ex_style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;  // parent of a child, owner of a top-level window
};

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The object of a window the backend created, or nullptr.
  static Window* from(HWND hwnd);
  // Registers the backend's own window classes (once); the form class with the
  // icons given, which it keeps for the rest of the program.
  static void register_classes(HICON form_icon = nullptr, HICON form_small_icon = nullptr);

  // A notification its parent received about this window (WM_COMMAND, WM_NOTIFY,
  // WM_CTLCOLOR*, WM_VSCROLL...). Returns true when handled.
  virtual bool reflected(UINT /*msg*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

  // Sets the "Name" property to a global atom holding name (deleted on destroy).
  void set_automation_name(std::string_view name);

  // Destroys a window now, or, while a message of it or of a window inside it or
  // owned by it is being handled, hides it and destroys it once none is.
  static void destroy_when_free(HWND h);
  // Destroys the windows that waited, where none of their messages is still
  // being handled. The message loops call it between messages.
  static void destroy_freed();

 protected:
  // Creates the window: bound at WM_NCCREATE for our classes, subclassed otherwise.
  // Returns false when the system refused.
  bool create(const CreateArgs& args);
  virtual LRESULT on_message(UINT msg, WPARAM w, LPARAM l) { return default_proc(msg, w, l); }
  LRESULT default_proc(UINT msg, WPARAM w, LPARAM l);
  // Passes a parent's notification about a child to the child's object.
  static bool reflect_to_child(UINT msg, WPARAM w, LPARAM l, LRESULT& result);

  // Tells whether the object still exists after a call into outside code (an event
  // handler may unload the window and so destroy this object).
  class Alive {
   public:
    explicit Alive(Window& w);
    ~Alive();
    Alive(const Alive&) = delete;
    Alive& operator=(const Alive&) = delete;
    explicit operator bool() const { return window_ != nullptr; }

   private:
    friend class Window;
    Window* window_;
    Alive* next_;
  };

 private:
  static LRESULT CALLBACK own_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
  static LRESULT CALLBACK subclass_proc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                        DWORD_PTR ref);
  static LRESULT route(Window* self, HWND h, UINT msg, WPARAM w, LPARAM l);
  // The one place where a window and its object are joined.
  void bind(HWND h, bool subclassed);
  // Undoes the binding and the name; the window itself may live on briefly.
  void release();
  // Removes the "Name" property and deletes its atom.
  void drop_name();

  HWND hwnd_ = nullptr;
  bool subclassed_ = false;
  ATOM name_atom_ = 0;
  Alive* alive_ = nullptr;
};

}  // namespace ui::win32
