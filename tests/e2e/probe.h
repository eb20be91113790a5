#pragma once
// Drives real Windows programs from a second program, the way an end-to-end test or a
// demo does: start a process, find its windows, read their texts without trusting the
// target to answer, read and answer message boxes, click and type with posted
// messages or with real input, and save screenshots as PNG files.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace probe {

// A started process; closes its handles, and ends it if it is still running, when
// dropped, so a failed test leaves nothing behind.
class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD id) : handle_(process), id_(id) {}
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE handle() const { return handle_; }
  DWORD id() const { return id_; }

  // True when the process ended within timeout_ms; its exit code goes to *code.
  bool wait(DWORD timeout_ms, DWORD* code = nullptr) const;
  bool running() const { return !wait(0); }
  void kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Starts program (a full path) in folder with the given argument string (may be
// empty). Returns an empty Process on failure; GetLastError() tells why.
Process start(const std::wstring& program, const std::wstring& folder,
              const std::wstring& arguments = {});

// A path given in the build's native form: on Wine a POSIX path such as
// /work/build/run.exe becomes Z:\work\build\run.exe; a Windows path is unchanged.
std::wstring windows_path(std::string_view path);

// The folder that screenshots go to (created on first use).
std::wstring screenshot_folder();

// Folder helpers for tests: a new empty folder under the temporary folder, and
// removal of a whole tree.
std::wstring make_temp_folder(std::wstring_view prefix);
void remove_tree(const std::wstring& folder);
// The names in a folder, sorted, without "." and "..".
std::vector<std::wstring> folder_entries(const std::wstring& folder);
bool write_file(const std::wstring& path, std::string_view bytes);
// The whole file, or "" when it cannot be read (shared, so a running writer does
// not stop the reading).
std::string read_file(const std::wstring& path);
bool copy_file(const std::wstring& from, const std::wstring& to);

// Texts of any window, also of another process. A target that does not answer
// within timeout_ms gives an empty text instead of hanging the caller.
std::wstring text(HWND window, UINT timeout_ms = 2000);
std::wstring class_name(HWND window);

// Top-level windows of the process whose class and caption equal the given ones
// (an empty filter matches everything). Only visible ones when visible_only.
struct WindowFilter {
  std::wstring class_name;
  std::wstring caption;
  bool visible_only = true;
};
std::vector<HWND> top_windows(DWORD process_id, const WindowFilter& filter = {});

// Polls until a matching top-level window of the process exists, the process ends,
// or timeout_ms pass. Windows in `skip` do not count (for "the next box").
HWND wait_window(const Process& process, const WindowFilter& filter, DWORD timeout_ms,
                 const std::vector<HWND>& skip = {});

// Waits until the window is destroyed; false after timeout_ms.
bool wait_gone(HWND window, DWORD timeout_ms);

// The child (at any depth) that carries the window property "Name" holding a
// global atom whose text is name, for example "str_str(3)".
HWND find_by_name(HWND parent, std::wstring_view name);
// The control name a window carries, or empty.
std::wstring control_name(HWND window);

// A child (at any depth) with this control id, or nullptr.
HWND find_child(HWND parent, int id);

// Posted input: the target processes it when it gets to it.
void click(HWND window);                   // left button down and up in the middle
void click_at(HWND window, int x, int y);  // client coordinates
void double_click_at(HWND window, int x, int y);
void type(HWND window, std::wstring_view text);  // one WM_CHAR per character
void press_key(HWND window, UINT virtual_key);   // WM_KEYDOWN and WM_KEYUP
void command(HWND dialog, int id);               // WM_COMMAND as if button id were pressed

// Real keyboard input, as the keyboard gives it, for the window that has the
// focus: a key pressed and let go with modifier keys held around it (a mask of
// kShift, kCtrl, kAlt), and text typed as characters.
inline constexpr unsigned kShift = 1, kCtrl = 2, kAlt = 4;
void send_key(UINT virtual_key, unsigned modifiers = 0);
void send_text(std::wstring_view text);
// Real pointer input: the pointer moved to a point of the screen, and a button
// (the left one, or the right one) pressed and let go there, twice for a double
// click.
void send_click(POINT screen, bool twice = false, bool right = false);
// The window that has the keyboard focus in the thread of a window, also of
// another process; nullptr when none has.
HWND focus_of(HWND window);

// Real pointer input, as the mouse gives it (SendInput), at screen pixels. The
// pointer stays where it was put: Wine answers GetCursorPos from the display's
// own pointer once the position has not changed for 100 ms, and that one does
// not always follow input sent from another program, so while this object lives
// a thread of its own keeps placing it there (one pixel to and fro).
class Pointer {
 public:
  Pointer();
  ~Pointer();
  Pointer(const Pointer&) = delete;
  Pointer& operator=(const Pointer&) = delete;

  void move_to(int x, int y);
  void move_to(POINT p) { move_to(p.x, p.y); }
  // The left button pressed or let go where the pointer is.
  void press();
  void release();
  // Moves there, presses and lets go, a short pause between each.
  void click_at(int x, int y);
  void click_at(POINT p) { click_at(p.x, p.y); }
  // A click where the window shows, in the middle of its box: the window that
  // lies there gets it, whichever that is.
  void click(HWND window);
  // Two clicks in quick succession where the pointer is.
  void double_click();
  // Presses at one point, moves in steps to the other and lets go there.
  void drag(POINT from, POINT to);
  // The wheel turned where the pointer is, by `steps` of `delta` each: whole
  // notches by default, smaller steps as a touchpad sends them. Negative turns it
  // towards the user (down a list).
  void wheel(int steps, int delta = WHEEL_DELTA);

 private:
  static constexpr LONG kNone = -1;
  std::atomic<LONG> target_{kNone};
  std::atomic<bool> stop_{false};
  std::thread holder_;
};
// The middle of a window's box on the screen.
POINT middle_of(HWND window);
// The open list of a drop-down list of the process (a visible top-level
// "ComboLBox"), nullptr while none is open.
HWND dropped_list(DWORD process_id);
// The middle of a list's item on the screen, as the list is scrolled now.
POINT item_point(HWND list, int index);

enum class BoxIcon { None, Hand, Question, Exclamation, Asterisk, Unknown };
const char* to_string(BoxIcon icon);

// What a message box shows. Buttons are the standard ids whose button exists and
// is visible, in id order.
struct MessageBoxView {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;
  bool topmost = false;
  BoxIcon icon = BoxIcon::Unknown;
};
MessageBoxView read_message_box(HWND box);
// Presses one of the box's buttons (IDOK, IDCANCEL, IDYES, IDNO...).
void answer(HWND box, int id);

// A picture of the whole screen (window == nullptr) or of the screen area that one
// window covers, frame included, as 8-bit RGB rows from top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};
Image capture(HWND window = nullptr);
// Waits until the window has been painted (its area stops changing) and captures it.
Image capture_settled(HWND window, DWORD timeout_ms = 2000);

// PNG file bytes for an image: stored deflate blocks, no compression library.
std::string encode_png(const Image& image);
bool save_png(const Image& image, const std::wstring& path);
// Captures the window (or the screen) into the screenshot folder under file_name.
// Returns the full path written, or empty on failure.
std::wstring screenshot(HWND window, std::wstring_view file_name);

// What an accessibility tool reads through Active Accessibility: the object of a
// window (AccessibleObjectFromWindow, OBJID_CLIENT) or its child with an id > 0.
// found is false when the window gave no object or the child does not exist.
struct AccessibleView {
  bool found = false;
  std::wstring name;
  long role = 0;
  long state = 0;
  std::wstring default_action;
  std::wstring value;
  std::wstring shortcut;  // the keyboard shortcut
  long child_count = 0;
  RECT location{};  // in screen pixels
};
AccessibleView read_accessible(HWND window, long child = 0);
// A child that is an object of its own (get_accChild): itself (part 0, with its
// child count) or its child `part`.
AccessibleView read_accessible(HWND window, long child, long part);
// accDoDefaultAction; true when the object accepted it.
bool do_default_action(HWND window, long child = 0);
bool do_default_action(HWND window, long child, long part);
// The name of what accHitTest finds at a point of the screen, gone down through
// the objects of their own that it gives.
std::wstring hit_name(HWND window, POINT screen);

// The WinEvents a process raises, recorded while this object lives. They arrive
// while the calling thread handles its messages, as wait_for() does.
class WinEvents {
 public:
  struct Event {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
  };
  explicit WinEvents(DWORD process_id);
  ~WinEvents();
  WinEvents(const WinEvents&) = delete;
  WinEvents& operator=(const WinEvents&) = delete;

  // Waits until an event of this kind about this window (and child id, unless -1)
  // has come, handling messages meanwhile.
  bool wait_for(DWORD event, HWND window, LONG child, DWORD timeout_ms);
  // Handles messages for ms milliseconds, so that events raised by now arrive.
  void settle(DWORD ms);
  const std::vector<Event>& events() const { return events_; }
  void clear() { events_.clear(); }

 private:
  static void CALLBACK record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                              DWORD, DWORD);
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Event> events_;
};

std::string to_utf8(std::wstring_view text);
std::wstring from_utf8(std::string_view text);
// Text in the bytes of the script files' code page (a character it lacks
// becomes "?", which no expected file holds).
std::string cp1251(std::wstring_view text);
// Readable in a test log: UTF-8 with line breaks shown as \r and \n.
std::string visible(std::wstring_view text);

}  // namespace probe
