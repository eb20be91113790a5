#include "ui/win32/window.h"

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <exception>
#include <iterator>
#include <vector>

#include "ui/form.h"
#include "ui/win32/text.h"

namespace ui::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x51;
// Where a subclassed system control keeps its object, for the lookups of
// reflection; a window of our own classes keeps it in its user data.
constexpr wchar_t kObjectProperty[] = L"Quillet.Window";

// The backend's own window classes, bound to their objects at WM_NCCREATE.
struct OwnClass {
  const wchar_t* name;
  UINT style;
};
constexpr OwnClass kOwnClasses[] = {
    {kFormClass, 0}, {kContainerClass, 0}, {kCustomClass, CS_DBLCLKS}, {kImageClass, 0},
    {kLineClass, 0}, {kParkingClass, 0},   {kDiagramClass, CS_DBLCLKS}};

bool is_own_class(std::wstring_view name) {
  for (const OwnClass& c : kOwnClasses)
    if (name == c.name) return true;
  return false;
}

// The atoms of our classes as registered, to tell their windows by.
ATOM g_own_atoms[std::size(kOwnClasses)] = {};

bool is_own_class_window(HWND h) {
  const auto atom = static_cast<ATOM>(GetClassLongPtrW(h, GCW_ATOM));
  for (ATOM own : g_own_atoms)
    if (own && own == atom) return true;
  return false;
}

// The windows whose messages are being handled, innermost last.
std::vector<HWND> g_handling;
// Windows let go while one of their messages was being handled, waiting to be
// destroyed.
std::vector<HWND> g_waiting;

// Whether destroying the window takes h along: h itself, a window inside it, or
// one whose top-level window it or a window inside it owns, directly or through
// other owned windows.
bool takes_along(HWND window, HWND h) {
  if (h == window || IsChild(window, h)) return true;
  for (HWND top = GetAncestor(h, GA_ROOT); top; top = GetWindow(top, GW_OWNER))
    if (top == window || IsChild(window, top)) return true;
  return false;
}

bool in_use(HWND window) {
  return std::any_of(g_handling.begin(), g_handling.end(),
                     [window](HWND h) { return takes_along(window, h); });
}

// Marks a message of the window as being handled for its lifetime.
class Handling {
 public:
  explicit Handling(HWND h) { g_handling.push_back(h); }
  ~Handling() { g_handling.pop_back(); }
  Handling(const Handling&) = delete;
  Handling& operator=(const Handling&) = delete;
};

}  // namespace

void debug_log(std::wstring_view line) {
  std::wstring text = L"quillet: ";
  text += line;
  text += L"\n";
  OutputDebugStringW(text.c_str());
}

Window::Alive::Alive(Window& w) : window_(&w), next_(w.alive_) { w.alive_ = this; }

Window::Alive::~Alive() {
  if (!window_) return;
  for (Alive** p = &window_->alive_; *p; p = &(*p)->next_)
    if (*p == this) {
      *p = next_;
      break;
    }
}

Window::~Window() {
  for (Alive* a = alive_; a; a = a->next_) a->window_ = nullptr;
  alive_ = nullptr;
  if (HWND h = hwnd_) {
    release();
    destroy_when_free(h);
  }
}

void Window::destroy_when_free(HWND h) {
  if (!IsWindow(h)) return;
  if (!in_use(h)) {
    DestroyWindow(h);
    return;
  }
  // Out of sight and out of the pointer's way at once.
  if (const HWND holder = GetCapture(); holder && takes_along(h, holder)) ReleaseCapture();
  ShowWindow(h, SW_HIDE);
  g_waiting.push_back(h);
}

void Window::destroy_freed() {
  // A window destroyed may run handlers that let go of more.
  for (std::size_t i = 0; i < g_waiting.size();) {
    const HWND h = g_waiting[i];
    if (IsWindow(h) && in_use(h)) {
      ++i;
      continue;
    }
    g_waiting.erase(g_waiting.begin() + static_cast<std::ptrdiff_t>(i));
    if (IsWindow(h)) DestroyWindow(h);
  }
}

void Window::register_classes(HICON form_icon, HICON form_small_icon) {
  static bool done = false;
  if (done) return;
  done = true;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < std::size(kOwnClasses); ++i) {
    const OwnClass& d = kOwnClasses[i];
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = d.style;
    wc.lpfnWndProc = own_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (d.name == kFormClass) {
      wc.hIcon = form_icon;
      wc.hIconSm = form_small_icon;
    }
    wc.lpszClassName = d.name;
    g_own_atoms[i] = RegisterClassExW(&wc);
  }
}

bool Window::create(const CreateArgs& a) {
  register_classes();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const bool ours = is_own_class(a.class_name);
  HWND h = CreateWindowExW(a.ex_style, a.class_name, a.text.c_str(), a.style, a.x, a.y, a.width,
                           a.height, a.parent, nullptr, instance, ours ? this : nullptr);
  if (!h) {
    debug_log(L"cannot create a window of class " + std::wstring(a.class_name));
    return false;
  }
  if (!ours) bind(h, true);
  return true;
}

void Window::bind(HWND h, bool subclassed) {
  hwnd_ = h;
  subclassed_ = subclassed;
  if (subclassed) {
    SetPropW(h, kObjectProperty, this);
    SetWindowSubclass(h, subclass_proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  } else {
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

void Window::release() {
  if (!hwnd_) return;
  drop_name();
  if (subclassed_) {
    RemovePropW(hwnd_, kObjectProperty);
    RemoveWindowSubclass(hwnd_, subclass_proc, kSubclassId);
  } else {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
}

Window* Window::from(HWND h) {
  if (!h) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(h, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  // Read where the window keeps it, without asking the system for a property
  // when it can be helped: each lookup of one is a round through the system.
  if (is_own_class_window(h)) return reinterpret_cast<Window*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  return static_cast<Window*>(GetPropW(h, kObjectProperty));
}

void Window::drop_name() {
  if (!name_atom_) return;
  RemovePropW(hwnd_, kNameProperty);
  GlobalDeleteAtom(name_atom_);
  name_atom_ = 0;
}

void Window::set_automation_name(std::string_view name) {
  if (!hwnd_) return;
  drop_name();
  if (name.empty()) return;
  name_atom_ = GlobalAddAtomW(widen(name).c_str());
  if (name_atom_)
    SetPropW(hwnd_, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(name_atom_)));
}

LRESULT Window::default_proc(UINT msg, WPARAM w, LPARAM l) {
  if (!hwnd_) return 0;
  return subclassed_ ? DefSubclassProc(hwnd_, msg, w, l) : DefWindowProcW(hwnd_, msg, w, l);
}

bool Window::reflect_to_child(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
      child = reinterpret_cast<HWND>(l);
      break;
    case WM_NOTIFY:
      child = reinterpret_cast<const NMHDR*>(l)->hwndFrom;
      break;
    case WM_DRAWITEM:
      child = reinterpret_cast<const DRAWITEMSTRUCT*>(l)->hwndItem;
      break;
    default:
      return false;
  }
  Window* target = from(child);
  return target && target->reflected(msg, w, l, result);
}

LRESULT CALLBACK Window::own_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  Window* self = reinterpret_cast<Window*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    if (self) self->bind(h, false);
  }
  if (!self) return DefWindowProcW(h, msg, w, l);
  return route(self, h, msg, w, l);
}

LRESULT CALLBACK Window::subclass_proc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR,
                                       DWORD_PTR ref) {
  return route(reinterpret_cast<Window*>(ref), h, msg, w, l);
}

LRESULT Window::route(Window* self, HWND h, UINT msg, WPARAM w, LPARAM l) {
  const bool subclassed = self->subclassed_;
  if (msg == WM_NCDESTROY) {
    // The window goes away under its object (with its parent, or at our own
    // DestroyWindow after release, which never gets here).
    self->release();
    return subclassed ? DefSubclassProc(h, msg, w, l) : DefWindowProcW(h, msg, w, l);
  }
  LRESULT result = 0;
  // Forms unloaded by a handler are destroyed only when the outermost handler ends,
  // their windows once none of their messages is being handled.
  ui::Dispatch handler;
  Handling handling(h);
  Alive alive(*self);
  try {
    result = self->on_message(msg, w, l);
  } catch (const std::exception& e) {
    debug_log(L"exception in " + message_name(msg) + L": " + widen(e.what()));
    if (alive) result = 0;
  } catch (...) {
    debug_log(L"unknown exception in " + message_name(msg));
  }
  return result;
}

}  // namespace ui::win32
