// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "ui/win32/win32_backend.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "ui/custom.h"
#include "ui/win32/exported.h"
#include "ui/win32/peers.h"
#include "ui/win32/program.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/scale.h"
#include "ui/win32/start_trace.h"
#include "ui/win32/text.h"

namespace ui::win32 {
namespace {

FormWindow* form_window_of(HWND h) {
  return dynamic_cast<FormWindow*>(Window::from(GetAncestor(h, GA_ROOT)));
}

// The per-monitor scale functions of newer systems, looked up once, so that the
// programs still start where they are missing (every window then has the
// system's dpi).
struct DpiFunctions {
  UINT(WINAPI* dpi_for_window)(HWND) = nullptr;
  UINT(WINAPI* dpi_for_system)() = nullptr;
  BOOL(WINAPI* adjust_window_rect)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  int(WINAPI* system_metrics)(int, UINT) = nullptr;
};

const DpiFunctions& dpi_functions() {
  static const DpiFunctions functions = [] {
    DpiFunctions f;
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    f.dpi_for_window = exported<decltype(f.dpi_for_window)>(user, "GetDpiForWindow");
    f.dpi_for_system = exported<decltype(f.dpi_for_system)>(user, "GetDpiForSystem");
    f.adjust_window_rect =
        exported<decltype(f.adjust_window_rect)>(user, "AdjustWindowRectExForDpi");
    f.system_metrics = exported<decltype(f.system_metrics)>(user, "GetSystemMetricsForDpi");
    return f;
  }();
  return functions;
}

// COM on the program's thread, started when first needed (a screen reader asks,
// the shell opens a link): ole32 is then loaded too, which a program that only
// shows its windows never needs.
struct Com {
  decltype(&CoInitializeEx) initialize = nullptr;
  decltype(&CoUninitialize) uninitialize = nullptr;
  bool started = false;
};
Com g_com;

int system_metric(int index, int dpi) {
  const DpiFunctions& f = dpi_functions();
  return f.system_metrics ? f.system_metrics(index, static_cast<UINT>(dpi))
                          : GetSystemMetrics(index);
}

// The icon of a resource at its size for the dpi, made anew.
HICON make_window_icon(int id, bool small, int dpi) {
  const int size = system_metric(small ? SM_CXSMICON : SM_CXICON, dpi);
  HICON made = nullptr;
  const auto load = [id](int pixels) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR));
  };
  // The icons hold 16 and 32 pixel pictures. Other sizes take the one that a
  // whole factor makes largest within the size, centred.
  int source = 0, factor = 0;
  for (int pixels : {32, 16})
    if (size / pixels * pixels > source * factor) source = pixels, factor = size / pixels;
  if (source == 0 || source == size) {
    made = load(size);
  } else if (HICON picture = load(source)) {
    made = make_icon(centred(repeat_pixels(icon_pixels(picture, nullptr), factor), size, size));
    DestroyIcon(picture);
  }
  return made;
}

}  // namespace

bool use_com() {
  if (g_com.started) return true;
  if (!g_com.initialize) {
    const HMODULE ole = system_library(L"ole32.dll");
    g_com.initialize = exported<decltype(g_com.initialize)>(ole, "CoInitializeEx");
    g_com.uninitialize = exported<decltype(g_com.uninitialize)>(ole, "CoUninitialize");
    if (!g_com.initialize || !g_com.uninitialize) return false;
  }
  g_com.started =
      SUCCEEDED(g_com.initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  return g_com.started;
}

Win32Backend::Win32Backend() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&icc)) {
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
  }
  measure_dc_ = CreateCompatibleDC(nullptr);
  if (const auto for_system = dpi_functions().dpi_for_system) {
    system_dpi_ = static_cast<int>(for_system());
  } else if (HDC screen = GetDC(nullptr)) {
    system_dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (system_dpi_ <= 0) system_dpi_ = kBaseDpi;
  set_backend(this);
}

Win32Backend::~Win32Backend() {
  try {
    unload_all();
  } catch (const std::exception& e) {
    debug_log(L"unloading at the end: " + widen(e.what()));
  }
  set_backend(nullptr);
  if (parking_) DestroyWindow(parking_);
  if (measure_dc_) DeleteDC(measure_dc_);
  for (auto& [key, icon] : icons_)
    if (icon) DestroyIcon(icon);
  for (auto& [dpi, hand] : hands_)
    if (hand && hand != loaded_hand_) DestroyCursor(hand);
}

HWND Win32Backend::parking() {
  if (!parking_)
    parking_ = CreateWindowExW(0, kParkingClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  return parking_;
}

int Win32Backend::dpi_of(HWND window) const {
  const auto for_window = dpi_functions().dpi_for_window;
  const int dpi = window && for_window ? static_cast<int>(for_window(window)) : 0;
  return dpi > 0 ? dpi : system_dpi_;
}

int Win32Backend::dpi_for(const Form& form) const {
  const FormWindow* w = FormWindow::of(form);
  return w && w->hwnd() ? w->dpi() : system_dpi_;
}

int Win32Backend::metric(int index, int dpi) const { return system_metric(index, dpi); }

RECT Win32Backend::frame(RECT client, DWORD style, DWORD ex_style, int dpi) const {
  const auto adjust = dpi_functions().adjust_window_rect;
  if (!adjust || !adjust(&client, style, FALSE, ex_style, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&client, style, FALSE, ex_style);
  return client;
}

HWND Win32Backend::window_of(const Form& form) {
  const FormWindow* w = FormWindow::of(form);
  return w ? w->hwnd() : nullptr;
}

HWND Win32Backend::window_of(const Control& control) {
  const ControlWindow* w = ControlWindow::of(control);
  return w ? w->hwnd() : nullptr;
}

std::unique_ptr<Peer> Win32Backend::create_form_peer(Form& form) {
  return std::make_unique<FormWindow>(*this, form);
}

std::unique_ptr<Peer> Win32Backend::create_peer(Control& control) {
  static constexpr const char* kKindNames[] = {
      "Form",       "Label", "TextBox", "ListBox", "ComboBox",   "OptionButton", "CheckBox",
      "PictureBox", "Frame", "Image",   "Line",    "VScrollBar", "Timer",        "Custom"};
  const TraceSum sum(kKindNames[static_cast<int>(control.kind())]);
  return make_control_peer(*this, control);
}

void Win32Backend::trace(std::string_view phase, const Form* form) {
  if (!tracing()) return;
  if (!form) return trace_mark(phase);
  std::string named = form->name();
  named += ": ";
  named += phase;
  trace_mark(named);
}

void Win32Backend::quit_when_gone(Form& form) { quit_on_ = window_of(form); }

void Win32Backend::form_destroyed(HWND form) {
  if (form && form == quit_on_) {
    quit_on_ = nullptr;
    PostQuitMessage(0);
  }
}

bool Win32Backend::keys(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      keyboard_last_ = true;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      keyboard_last_ = false;
      return false;
    default:
      return false;
  }
  if (msg.wParam == VK_PACKET) return false;  // a character sent as input, no key
  FormWindow* window = form_window_of(msg.hwnd);
  if (!window) return false;
  Form& form = window->form();  // the window goes if a handler unloads the form
  unsigned shift = shift::None;
  if (GetKeyState(VK_SHIFT) < 0) shift |= shift::Shift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= shift::Ctrl;
  if (GetKeyState(VK_MENU) < 0) shift |= shift::Alt;
  const int code = static_cast<int>(msg.wParam);
  // Outside any window procedure, so mark the handlers that may run here.
  Dispatch handler;
  try {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
      return form.key_down(code, shift);
    return form.key_up(code, shift);
  } catch (const std::exception& e) {
    debug_log(L"exception in a key handler: " + widen(e.what()));
  } catch (...) {
    debug_log(L"unknown exception in a key handler");
  }
  return true;
}

bool Win32Backend::keyboard_in_use() const {
  BOOL always = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
  return keyboard_last_ || always;
}

void Win32Backend::handle(MSG& msg) {
  if (!keys(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  Window::destroy_freed();
}

int Win32Backend::run_loop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    handle(msg);
  }
}

void Win32Backend::pump(DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      handle(msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
  }
}

void Win32Backend::run_modal(Form& form) {
  // Holding a handler mark keeps every form unloaded meanwhile (this one too)
  // alive until the modal showing is over and the caller has looked at it.
  Dispatch hold;
  const HWND window = window_of(form);
  if (!window) return;
  Modal modal{window, form.owner() ? window_of(*form.owner()) : nullptr, {}};
  // While a window is modal, every other window of the program waits.
  struct Search {
    Modal* modal;
    HWND parking;
  } search{&modal, parking_};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (h == s.modal->form || h == s.parking || GetWindow(h, GW_OWNER) == s.modal->form)
          return TRUE;
        if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return TRUE;
        EnableWindow(h, FALSE);
        s.modal->disabled.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  modals_.push_back(&modal);
  while (form.loaded() && form.visible()) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    handle(msg);
  }
  end(modal);
  modals_.erase(std::remove(modals_.begin(), modals_.end(), &modal), modals_.end());
  if (modal.owner && IsWindow(modal.owner) && IsWindowVisible(modal.owner)) {
    const HWND active = GetActiveWindow();
    if (!active || active == window || !IsWindowVisible(active)) SetActiveWindow(modal.owner);
  }
}

void Win32Backend::end(Modal& modal) {
  if (modal.ended) return;
  modal.ended = true;
  for (HWND h : modal.disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

void Win32Backend::modal_ending(HWND form) {
  for (Modal* m : modals_)
    if (m->form == form) {
      end(*m);
      // The waiting loop looks again at its form after the next message.
      PostMessageW(parking(), kWmWake, 0, 0);
    }
}

int Win32Backend::message_box(std::string_view text, unsigned style, std::string_view title) {
  const std::wstring t = widen(text), c = widen(title);
  // Over the active window; with none (the program in the background), over the
  // window that would be active.
  HWND owner = GetActiveWindow();
  if (!owner && !modals_.empty()) owner = modals_.back()->form;
  if (!owner && quit_on_ && IsWindowVisible(quit_on_)) owner = quit_on_;
  return MessageBoxW(owner, t.c_str(), c.c_str(), style);
}

Size Win32Backend::measure_text(std::string_view text, const Font& font, const Control* where) {
  const TraceSum sum("measure_text");
  const int dpi = where ? dpi_for(where->form()) : system_dpi_;
  const HGDIOBJ old = SelectObject(measure_dc_, gdi_.font(font, dpi));
  TEXTMETRICW tm{};
  GetTextMetricsW(measure_dc_, &tm);
  SIZE s{0, tm.tmHeight};
  const std::wstring w = widen(text);
  if (!w.empty()) GetTextExtentPoint32W(measure_dc_, w.c_str(), static_cast<int>(w.size()), &s);
  SelectObject(measure_dc_, old);
  return {model_extent(static_cast<int>(s.cx), dpi), model_extent(static_cast<int>(s.cy), dpi)};
}

Font Win32Backend::interface_font() { return Font{}; }

Point Win32Backend::cursor_position(const CustomControl& control) {
  POINT p{};
  GetCursorPos(&p);
  const HWND h = window_of(control);
  if (!h) return {static_cast<int>(p.x), static_cast<int>(p.y)};
  ScreenToClient(h, &p);
  return unscale(Point{static_cast<int>(p.x), static_cast<int>(p.y)}, dpi_for(control.form()));
}

void Win32Backend::shell_open(Form* owner, std::string_view target, std::string_view directory,
                              int show) {
  // The shell is loaded on the first link opened, not at every start.
  static const auto execute =
      exported<decltype(&ShellExecuteW)>(system_library(L"shell32.dll"), "ShellExecuteW");
  if (!execute) return;
  use_com();
  const std::wstring t = widen(target), d = widen(directory);
  execute(owner ? window_of(*owner) : nullptr, nullptr, t.c_str(), nullptr,
          d.empty() ? nullptr : d.c_str(), show);
}

namespace {

// The menu's items into a menu of the system, submenus made alike; each item's
// command is its place in menu_order plus one, counted on from *next.
bool fill_menu(HMENU menu, const std::vector<MenuItem>& items, UINT& next) {
  for (const MenuItem& item : items) {
    const UINT id = next++;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    info.wID = id;
    std::wstring text;
    if (item.text.empty()) {
      info.fType = MFT_SEPARATOR;
    } else {
      text = widen(item.text);
      info.fMask |= MIIM_STRING;
      info.dwTypeData = text.data();
      // One of several: a dot, not a tick.
      info.fType = item.checked ? MFT_RADIOCHECK : MFT_STRING;
      info.fState = (item.enabled ? MFS_ENABLED : MFS_GRAYED) | (item.checked ? MFS_CHECKED : 0);
    }
    if (!item.submenu.empty()) {
      info.hSubMenu = CreatePopupMenu();
      if (!info.hSubMenu) return false;
      info.fMask |= MIIM_SUBMENU;
      if (!fill_menu(info.hSubMenu, item.submenu, next)) {
        DestroyMenu(info.hSubMenu);
        return false;
      }
    }
    if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info)) {
      if (info.hSubMenu) DestroyMenu(info.hSubMenu);
      return false;
    }
  }
  return true;
}

}  // namespace

int Win32Backend::popup_menu(Control& at, Point where, const std::vector<MenuItem>& items) {
  const ControlWindow* w = ControlWindow::of(at);
  if (!w || !w->hwnd() || items.empty()) return -1;
  const HMENU menu = CreatePopupMenu();
  if (!menu) return -1;
  UINT next = 1;
  if (!fill_menu(menu, items, next)) {
    DestroyMenu(menu);
    return -1;
  }
  const POINT p = w->to_screen(where);
  // The menu closes when its window loses the foreground, as only a foreground
  // window's menu does.
  SetForegroundWindow(GetAncestor(w->hwnd(), GA_ROOT));
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN |
                     (GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : 0);
  const int chosen = static_cast<int>(TrackPopupMenuEx(menu, flags, p.x, p.y, w->hwnd(), nullptr));
  PostMessageW(w->hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);  // and its submenus
  return chosen - 1;
}

Bitmap Win32Backend::draw(const Diagram& diagram, int times) {
  return draw_diagram(*this, diagram,
                      picture_dpi(diagram.extent(), dpi_for(diagram.form()) * std::max(times, 1)));
}

const Win32Backend::Place* Win32Backend::kept_place(const std::string& form) const {
  const auto it = places_.find(form);
  return it == places_.end() ? nullptr : &it->second;
}

HCURSOR Win32Backend::hand_cursor(int dpi) {
  if (!loaded_hand_)
    loaded_hand_ = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_HAND));
  // Without one of the program's own (a test program), the system's hand.
  if (!loaded_hand_) return LoadCursorW(nullptr, IDC_HAND);
  const int factor = whole_factor(dpi);
  if (factor == 1) return loaded_hand_;
  HCURSOR& made = hands_[factor];
  if (!made) {
    // The pixel-art hand repeated by the whole factor, hot spot included.
    POINT hot{};
    const Bitmap shape = icon_pixels(loaded_hand_, &hot);
    made = make_cursor(repeat_pixels(shape, factor), {hot.x * factor, hot.y * factor});
    if (!made) made = loaded_hand_;
  }
  return made;
}

void Win32Backend::register_classes() {
  static bool done = false;
  if (std::exchange(done, true)) return;
  // Made for the class, which keeps them as long as the program runs.
  HICON icon = program_icon_ ? make_window_icon(program_icon_, false, system_dpi_) : nullptr;
  HICON small_icon = program_icon_ ? make_window_icon(program_icon_, true, system_dpi_) : nullptr;
  class_icons_ = icon && small_icon;
  Window::register_classes(icon, small_icon);
}

HICON Win32Backend::window_icon(int resource, bool small, int dpi) {
  const int id = resource ? resource : program_icon_;
  if (!id) return nullptr;
  const int size = system_metric(small ? SM_CXSMICON : SM_CXICON, dpi);
  HICON& slot = icons_[{id, small, size}];
  if (!slot) slot = make_window_icon(id, small, dpi);
  return slot;
}

int run_program(const std::function<Form&()>& start, int program_icon) {
  start_trace();
  trace_mark("run_program");
  int code = 0;
  {
    Win32Backend backend;
    backend.set_program_icon(program_icon);
    trace_mark("backend");
    bool running = false;
    try {
      Dispatch handler;
      Form& form = start();
      if (form.loaded() && !form.visible()) form.show();
      trace_mark("shown");
      finish_trace();
      if (form.loaded()) {
        backend.quit_when_gone(form);
        running = true;
      }
    } catch (const std::exception& e) {
      debug_log(L"starting: " + widen(e.what()));
    } catch (...) {
      debug_log(L"starting: unknown exception");
    }
    if (running) code = backend.run_loop();
  }
  if (std::exchange(g_com.started, false)) g_com.uninitialize();
  return code;
}

}  // namespace ui::win32
