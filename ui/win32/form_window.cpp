// The window of a form, and the peers of its timers, which tick as WM_TIMER of
// that window.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "ui/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"
#include "ui/win32/placement.h"
#include "ui/win32/start_trace.h"

namespace ui::win32 {
namespace {

// The widest a tooltip grows before it wraps, in model pixels.
constexpr int kTipWidth = 640;

// A timer has no window: it ticks as its form's window, under an id of its own.
class TimerPeer : public Peer {
 public:
  TimerPeer(Win32Backend& b, Timer& t) : timer_(t), id_(b.next_timer_id()) {
    form_ = FormWindow::of(t.form());
    if (form_) form_->add_timer(id_, t);
    arm();
  }
  ~TimerPeer() override {
    if (!form_) return;
    if (form_->hwnd()) KillTimer(form_->hwnd(), id_);
    form_->remove_timer(id_);
  }
  void update(Prop what) override {
    if (what == Prop::Timer) arm();
  }

 private:
  void arm() {
    if (!form_ || !form_->hwnd()) return;
    if (timer_.enabled() && timer_.interval() > 0)
      SetTimer(form_->hwnd(), id_, static_cast<UINT>(timer_.interval()), nullptr);
    else
      KillTimer(form_->hwnd(), id_);
  }
  Timer& timer_;
  UINT_PTR id_;
  FormWindow* form_ = nullptr;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, Timer& c) {
  return std::make_unique<TimerPeer>(b, c);
}

FormWindow::FormWindow(Win32Backend& backend, Form& form)
    : backend_(backend),
      form_(form),
      dpi_(backend.system_dpi()),
      measured_dpi_(backend.system_dpi()) {
  backend.register_classes();
  const SIZE outer = outer_size();
  CreateArgs a;
  a.class_name = kFormClass;
  a.text = widen(form.caption());
  a.style = style();
  a.ex_style = ex_style();
  // A centred window opens in its place, rather than being moved there after.
  const POINT at = form.start_position() == StartPosition::CenterScreen
                       ? centred(outer)
                       : POINT{CW_USEDEFAULT, CW_USEDEFAULT};
  a.x = at.x;
  a.y = at.y;
  a.width = outer.cx;
  a.height = outer.cy;
  // A window outside the taskbar is owned: by its owner form once shown, until
  // then by the backend's hidden window.
  a.parent = form.show_in_taskbar() ? nullptr : backend.parking();
  if (!create(a)) return;
  // A window that opens on a display of another scale than the main one takes
  // that display's.
  if (const int dpi = backend_.dpi_of(hwnd()); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE s = outer_size();
    SetWindowPos(hwnd(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    fit_client();
  }
  set_automation_name(form.name());
  update(Prop::Icon);
  if (form.start_position() == StartPosition::CenterScreen) place_centred();
}

HWND FormWindow::tooltips() {
  if (!tooltips_ && hwnd()) {
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (tooltips_) SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, scale(kTipWidth, dpi_));
  }
  return tooltips_;
}

FormWindow::~FormWindow() {
  if (HWND h = hwnd()) {
    Win32Backend::Place kept{};
    kept.placement.length = sizeof kept.placement;
    if (placed_ && form_.keeps_place() && GetWindowPlacement(h, &kept.placement)) {
      kept.maximized = IsZoomed(h) != FALSE;
      backend_.keep_place(form_.name(), kept);
    }
    backend_.modal_ending(h);
    backend_.form_destroyed(h);
  }
  if (tooltips_ && IsWindow(tooltips_)) DestroyWindow(tooltips_);
}

DWORD FormWindow::style() const {
  DWORD s = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (form_.border() == Border::FixedSingle && form_.min_button()) s |= WS_MINIMIZEBOX;
  if (form_.border() == Border::Sizable) s |= WS_THICKFRAME | WS_MAXIMIZEBOX;
  return s;
}

DWORD FormWindow::ex_style() const {
  return form_.border() == Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
}

SIZE FormWindow::outer_size(int dpi, Size client) const {
  const RECT inside{0, 0, scale(form_.to_pixels(client.width), dpi),
                    scale(form_.to_pixels(client.height), dpi)};
  const RECT r = backend_.frame(inside, style(), ex_style(), dpi);
  return {r.right - r.left, r.bottom - r.top};
}

SIZE FormWindow::outer_size(int dpi) const {
  return outer_size(dpi, {form_.client_width(), form_.client_height()});
}

void FormWindow::rescale(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  const SIZE s = outer_size();
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, s.cx, s.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  fit_client();
  for (Control* c : form_.controls())
    if (ControlWindow* w = ControlWindow::of(*c)) w->rescale();
  follow_text_metrics();
  update(Prop::Icon);
  if (tooltips_) SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, scale(kTipWidth, dpi_));
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormWindow::fit_client() {
  // The frame may not yet be drawn at the new dpi (the system changes it when the
  // window has moved), so the client area is measured and the window corrected.
  RECT client, outer;
  GetClientRect(hwnd(), &client);
  GetWindowRect(hwnd(), &outer);
  const int dx = scale(form_.to_pixels(form_.client_width()), dpi_) - client.right;
  const int dy = scale(form_.to_pixels(form_.client_height()), dpi_) - client.bottom;
  if (dx || dy)
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left + dx,
                 outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::follow_text_metrics() {
  if (measured_dpi_ == dpi_) return;
  measured_dpi_ = dpi_;
  form_.text_metrics_changed();
}

POINT FormWindow::centred(SIZE s) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const LONG x = work.left + (work.right - work.left - s.cx) / 2;
  const LONG y = work.top + (work.bottom - work.top - s.cy) / 2;
  return {std::max(x, work.left), std::max(y, work.top)};
}

void FormWindow::place_centred() {
  const SIZE s = outer_size();
  const POINT at = centred(s);
  // A window that stands there already (it opened there) is not moved: each move
  // is a round through the window system.
  RECT now{};
  if (GetWindowRect(hwnd(), &now) && now.left == at.x && now.top == at.y &&
      now.right - now.left == s.cx && now.bottom - now.top == s.cy)
    return;
  SetWindowPos(hwnd(), nullptr, at.x, at.y, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::place_beside() {
  const Form* owner = form_.owner();
  const HWND owner_window = owner ? Win32Backend::window_of(*owner) : nullptr;
  if (!owner_window || IsIconic(owner_window)) return place_centred();
  RECT at{};
  GetWindowRect(owner_window, &at);
  // On the owner's display first, so that the sizes below are at its dpi.
  if (backend_.dpi_of(owner_window) != dpi_) {
    SetWindowPos(hwnd(), nullptr, at.left, at.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (const int dpi = backend_.dpi_of(hwnd()); dpi != dpi_) {
      RECT now{};
      GetWindowRect(hwnd(), &now);
      rescale(dpi, now);
    }
  }
  MONITORINFO display{};
  display.cbSize = sizeof display;
  if (!GetMonitorInfoW(MonitorFromWindow(owner_window, MONITOR_DEFAULTTONEAREST), &display))
    return place_centred();
  RECT clear = at;
  if (const Control* part = form_.keep_clear())
    if (const ControlWindow* w = ControlWindow::of(*part); w && w->hwnd())
      GetWindowRect(w->hwnd(), &clear);
  const auto rect = [](const RECT& r) {
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  const SIZE want = outer_size();
  const Size least_inside = form_.min_client_size();
  const SIZE least = form_.border() == Border::Sizable && least_inside.width > 0
                         ? outer_size(dpi_, least_inside)
                         : want;
  const Rect work = rect(display.rcWork);
  Rect r =
      win32::place_beside(work, rect(at), rect(clear), {want.cx, want.cy}, {least.cx, least.cy});
  // A window made narrower than it wants scrolls across: it gets the room of the
  // scroll bar below, so that it need not scroll down too (and the other way).
  if (r.width < want.cx && r.height == want.cy) {
    r.height = std::min(r.height + backend_.metric(SM_CYHSCROLL, dpi_), work.height);
    r.top = std::min(r.top, work.top + work.height - r.height);
  } else if (r.height < want.cy && r.width == want.cx) {
    r.width = std::min(r.width + backend_.metric(SM_CXVSCROLL, dpi_), work.width);
    r.left = std::min(r.left, work.left + work.width - r.width);
  }
  SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int FormWindow::place() {
  if (form_.keeps_place())
    if (const Win32Backend::Place* kept = backend_.kept_place(form_.name())) {
      WINDOWPLACEMENT p = kept->placement;
      p.showCmd = SW_HIDE;  // shown by the caller, maximized or not
      p.flags = 0;
      SetWindowPlacement(hwnd(), &p);
      return kept->maximized ? SW_SHOWMAXIMIZED : SW_SHOW;
    }
  if (form_.start_position() == StartPosition::CenterScreen) place_centred();
  if (form_.start_position() == StartPosition::BesideOwner) place_beside();
  return SW_SHOW;
}

void FormWindow::update(Prop what) {
  if (!hwnd()) return;
  switch (what) {
    case Prop::Caption:
      SetWindowTextW(hwnd(), widen(form_.caption()).c_str());
      break;
    case Prop::Geometry: {
      if (!placed_ && form_.start_position() == StartPosition::CenterScreen) {
        place_centred();
      } else {
        const SIZE s = outer_size();
        SetWindowPos(hwnd(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    case Prop::Visible:
      if (form_.visible()) {
        show();
      } else {
        backend_.modal_ending(hwnd());
        ShowWindow(hwnd(), SW_HIDE);
      }
      break;
    case Prop::Colors:
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case Prop::Cues:
      push_cues();
      break;
    case Prop::Icon: {
      const int icon = form_.icon();
      // The class's icons stand for a window that shows the program's icons at
      // the system's dpi.
      if (!icons_given_ && backend_.class_icons_fit(icon, dpi_)) break;
      icons_given_ = true;
      SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(backend_.window_icon(icon, false, dpi_)));
      SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(backend_.window_icon(icon, true, dpi_)));
      break;
    }
    default:
      break;
  }
}

void FormWindow::show() {
  if (!form_.show_in_taskbar()) {
    const Form* owner = form_.owner();
    HWND owner_window = owner ? Win32Backend::window_of(*owner) : nullptr;
    SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT,
                      reinterpret_cast<LONG_PTR>(owner_window ? owner_window : backend_.parking()));
  }
  follow_text_metrics();
  int how = SW_SHOW;
  if (!placed_) {
    placed_ = true;
    how = place();
  }
  if (!shown_once_) {
    // A window opened from the keyboard shows where the focus is at once; one
    // opened with the mouse shows it once the keyboard is used in it.
    shown_once_ = true;
    form_.set_keyboard_cues(backend_.keyboard_in_use());
    push_cues();
  }
  if (IsWindowVisible(hwnd())) {
    SetForegroundWindow(hwnd());
    return;
  }
  trace_mark("show: ready");
  Alive alive(*this);  // activated, the window may run a handler that closes it
  ShowWindow(hwnd(), how);
  if (!alive) return;
  trace_mark("show: visible");
  UpdateWindow(hwnd());
  trace_mark("show: painted");
}

bool FormWindow::system_cues() const {
  return !(SendMessageW(hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void FormWindow::push_cues() {
  if (system_cues() == form_.keyboard_cues()) return;
  SendMessageW(hwnd(), WM_CHANGEUISTATE,
               MAKEWPARAM(form_.keyboard_cues() ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
}

LRESULT FormWindow::on_message(UINT msg, WPARAM w, LPARAM l) {
  LRESULT reflected_result = 0;
  if (reflect_to_child(msg, w, l, reflected_result)) return reflected_result;
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(w), &r, backend_.gdi().brush(form_.back_color()));
      return 1;
    }
    case WM_CLOSE:
      form_.unload(UnloadReason::CloseBox);
      return 0;
    case WM_SIZE:
      // The user resized the window: the model learns the inside's new size.
      if (form_.border() == Border::Sizable && w != SIZE_MINIMIZED)
        form_.client_resized(form_.from_pixels(unscale(LOWORD(l), dpi_)),
                             form_.from_pixels(unscale(HIWORD(l), dpi_)));
      return 0;
    case WM_GETMINMAXINFO: {
      const Size least = form_.min_client_size();
      if (form_.border() != Border::Sizable || least.width <= 0) break;
      const SIZE s = outer_size(dpi_, least);
      reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = {s.cx, s.cy};
      return 0;
    }
    case kWmGetDpiScaledSize:
      // The size at the coming dpi, so that the suggested rectangle fits exactly.
      *reinterpret_cast<SIZE*>(l) = outer_size(static_cast<int>(w));
      return TRUE;
    case kWmDpiChanged:
      rescale(LOWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    case WM_TIMER: {
      const auto it = timers_.find(w);
      if (it == timers_.end()) return 0;
      // A copy runs: the handler may set another in its place.
      if (auto tick = it->second->on_tick) tick();
      return 0;
    }
    case WM_CHAR: {
      char32_t key = chars_.feed(static_cast<wchar_t>(w));
      if (key) form_.KeyPress(key);
      return 0;
    }
    case WM_ACTIVATE:
      // The focus goes back to the control that had it, after another window,
      // a modal one or a message box, was in front.
      if (LOWORD(w) != WA_INACTIVE && !HIWORD(w)) {
        Alive alive(*this);  // the focus moving may run a handler that closes the window
        if (!form_.activated() && alive) SetFocus(hwnd());
      }
      return 0;
    case WM_UPDATEUISTATE: {
      const LRESULT r = default_proc(msg, w, l);  // keeps it and tells the controls
      form_.set_keyboard_cues(system_cues());
      return r;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Controls without a colour of their own take the window's.
      SetBkColor(reinterpret_cast<HDC>(w), to_colorref(form_.back_color()));
      return reinterpret_cast<LRESULT>(backend_.gdi().brush(form_.back_color()));
    default:
      break;
  }
  return default_proc(msg, w, l);
}

}  // namespace ui::win32
