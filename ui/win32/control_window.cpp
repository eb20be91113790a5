// The base of the windows of controls, the focus mark, and the factory that
// gives each kind of control its peer.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <windowsx.h>

#include <utility>

#include "ui/win32/peers.h"

namespace ui::win32 {

ControlWindow::ControlWindow(Win32Backend& backend, Control& control)
    : backend_(backend), control_(control) {}

ControlWindow::~ControlWindow() {
  if (!tool_added_ || !hwnd()) return;
  FormWindow* form = FormWindow::of(control_.form());
  if (!form || !form->tooltips()) return;
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = GetParent(hwnd());
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd());
  SendMessageW(form->tooltips(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HWND ControlWindow::container_window(const Container& c) {
  if (const auto* form = dynamic_cast<const Form*>(&c)) return Win32Backend::window_of(*form);
  if (const auto* holder = dynamic_cast<const Control*>(&c))
    return Win32Backend::window_of(*holder);
  return nullptr;
}

int ControlWindow::dpi() const { return backend_.dpi_for(control_.form()); }

void ControlWindow::set_font(const Font& f, bool redraw) {
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(f)), redraw ? TRUE : FALSE);
}

bool ControlWindow::make(const wchar_t* class_name, DWORD style, DWORD ex_style,
                         std::wstring text) {
  const Rect r = screen_geometry();
  CreateArgs a;
  a.class_name = class_name;
  a.text = std::move(text);
  // Whatever can take the focus says so, for accessibility tools.
  if (control_.can_focus() && control_.tab_stop()) style |= WS_TABSTOP;
  a.style = style | WS_CHILD | WS_CLIPSIBLINGS | (control_.visible() ? WS_VISIBLE : 0) |
            (control_.enabled() ? 0 : WS_DISABLED);
  a.ex_style = ex_style;
  a.x = r.left;
  a.y = r.top;
  a.width = r.width;
  a.height = r.height;
  a.parent = container_window(control_.parent());
  if (!a.parent || !create(a)) return false;
  // Each control lies behind the ones created before it (the first lies in
  // front): right behind the nearest earlier sibling that has a window. The
  // system puts a new child at the bottom, which is that place unless a later
  // sibling has its window already (this one is made when first shown).
  HWND in_front = HWND_TOP;
  bool later_made = false;
  bool earlier = true;
  for (const Control* sibling : control_.parent().children()) {
    if (sibling == &control_) {
      earlier = false;
      continue;
    }
    const HWND h = Win32Backend::window_of(*sibling);
    if (earlier && h) in_front = h;
    if (!earlier && h) later_made = true;
  }
  if (later_made)
    SetWindowPos(hwnd(), in_front, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  set_automation_name(control_.automation_name());
  set_tooltip();
  accessibility_ = std::make_unique<ControlAccessibility>(*this);
  return true;
}

void ControlWindow::create_when_shown() {
  creation_waits_ = !control_.visible();
  if (!creation_waits_) create_window();
}

void ControlWindow::update(Prop what) {
  if (!hwnd()) {
    if (!creation_waits_ || what != Prop::Visible || !control_.visible()) return;
    creation_waits_ = false;
    create_window();
    // What a reader hears of it now that it shows (a selected item, say).
    if (accessibility_) accessibility_->changed();
    return;
  }
  // Moving the focus may run handlers, and one may close the window.
  Alive alive(*this);
  const bool was_pushing = std::exchange(pushing_, true);
  switch (what) {
    case Prop::Geometry:
      place();
      if (alive) refresh(what);
      break;
    case Prop::Visible:
      ShowWindow(hwnd(), control_.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::Enabled:
      EnableWindow(hwnd(), control_.enabled() ? TRUE : FALSE);
      refresh(what);
      break;
    case Prop::Tooltip:
      set_tooltip();
      break;
    case Prop::Pointer:
      break;
    case Prop::Focus:
      if (GetFocus() != hwnd()) SetFocus(hwnd());
      break;
    default:
      refresh(what);
      break;
  }
  if (!alive) return;
  if (accessibility_) accessibility_->changed();
  pushing_ = was_pushing;
}

void ControlWindow::pull(Prop what) {
  if (!hwnd() || pushing_) return;
  pushing_ = true;
  read_back(what);
  pushing_ = false;
}

void ControlWindow::place() {
  const Rect r = screen_geometry();
  // A window that stands there already is not moved: the model often sets the
  // same box again (a button laid out anew, say), and each move is a round
  // through the window system.
  RECT now{};
  if (GetWindowRect(hwnd(), &now)) {
    MapWindowPoints(nullptr, GetParent(hwnd()), reinterpret_cast<POINT*>(&now), 2);
    if (now.left == r.left && now.top == r.top && now.right - now.left == r.width &&
        now.bottom - now.top == r.height)
      return;
  }
  SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT ControlWindow::to_screen(Point p) const {
  POINT s{scale(p.x, dpi()), scale(p.y, dpi())};
  ClientToScreen(hwnd(), &s);
  return s;
}

void ControlWindow::rescale() {
  if (!hwnd()) return;
  place();
  refresh_scale();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void ControlWindow::set_tooltip() {
  if (!tool_added_ && control_.tooltip().empty()) return;
  FormWindow* form = FormWindow::of(control_.form());
  const HWND tips = form ? form->tooltips() : nullptr;
  if (!tips) return;
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(hwnd());
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd());
  std::wstring text = widen(control_.tooltip());
  if (text.empty()) {
    if (tool_added_) SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    tool_added_ = false;
    return;
  }
  ti.lpszText = text.data();
  if (tool_added_)
    SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  else
    tool_added_ = SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

LRESULT ControlWindow::on_message(UINT msg, WPARAM w, LPARAM l) {
  if (LRESULT r; accessibility_ && accessibility_->handle(msg, w, l, r)) return r;
  switch (msg) {
    case WM_NCPAINT: {
      // Without a frame or scroll bars a window has no non-client area, and
      // nothing to paint there; the system would still get it a device context,
      // once for each control of a window being shown.
      const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
      const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
      if (!(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL)) &&
          !(ex_style &
            (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)))
        return 0;
      break;
    }
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT && control_.pointer() == MousePointer::Hand) {
        SetCursor(backend_.hand_cursor(dpi()));
        return TRUE;
      }
      break;
    case WM_CHAR:
      return preview_char(w, l);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
      if (control_.takes_mouse()) return mouse(msg, w, l);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The control's own answer may tell the model something whose handler
      // closes the window.
      Alive alive(*this);
      const LRESULT r = default_proc(msg, w, l);
      if (!alive) return r;
      if (msg == WM_KILLFOCUS)
        control_.form().focus_left(control_);
      else if (control_.can_focus())
        control_.form().focus_entered(control_);
      return r;
    }
    default:
      break;
  }
  return default_proc(msg, w, l);
}

LRESULT ControlWindow::mouse(UINT msg, WPARAM w, LPARAM l) {
  const Point at = unscale(Point{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, dpi());
  const MouseButton button =
      msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP ? MouseButton::Right : MouseButton::Left;
  Alive alive(*this);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      // The control's own answer first (a label's click), then the press.
      default_proc(msg, w, l);
      if (!alive) return 0;
      unsigned shift = shift::None;
      if (w & MK_SHIFT) shift |= shift::Shift;
      if (w & MK_CONTROL) shift |= shift::Ctrl;
      if (GetKeyState(VK_MENU) < 0) shift |= shift::Alt;
      if (button == MouseButton::Left) {
        held_ = true;
        SetCapture(hwnd());
      }
      if (control_.on_mouse_down) control_.on_mouse_down(at, button, shift);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (held_ && control_.on_mouse_move) control_.on_mouse_move(at);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (button == MouseButton::Left) {
        if (!held_) return 0;
        held_ = false;
        ReleaseCapture();
      }
      if (control_.on_mouse_up) control_.on_mouse_up(at, button);
      return 0;
    case WM_CAPTURECHANGED:
      if (held_ && reinterpret_cast<HWND>(l) != hwnd()) {
        held_ = false;
        if (control_.on_mouse_lost) control_.on_mouse_lost();
      }
      return 0;
    default:
      return default_proc(msg, w, l);
  }
}

LRESULT ControlWindow::preview_char(WPARAM w, LPARAM l) {
  Form& form = control_.form();
  if (!form.key_preview()) return default_proc(WM_CHAR, w, l);
  char32_t key = chars_.feed(static_cast<wchar_t>(w));
  if (!key) return 0;
  Alive alive(*this);
  form.KeyPress(key);
  if (!alive || key == 0) return 0;
  for (wchar_t unit : to_units(key)) default_proc(WM_CHAR, unit, l);
  return 0;
}

bool ControlWindow::painting(UINT msg, WPARAM w, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      paint(dc);
      EndPaint(hwnd(), &ps);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(w));
      result = 0;
      return true;
    default:
      return false;
  }
}

void ControlWindow::invalidate(bool erase) {
  if (IsWindowVisible(hwnd())) InvalidateRect(hwnd(), nullptr, erase ? TRUE : FALSE);
}

void ControlWindow::redraw_through() {
  if (!IsWindowVisible(hwnd())) return;
  const HWND parent = GetParent(hwnd());
  RECT r;
  GetWindowRect(hwnd(), &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void draw_focus_mark(HDC dc, const RECT& r) {
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  // Every other pixel of the edges, in a checkerboard from the top-left corner.
  const auto dot = [&](LONG x, LONG y) {
    if (((x + y - r.left - r.top) & 1) == 0) SetPixelV(dc, x, y, ink);
  };
  for (LONG x = r.left; x < r.right; ++x) dot(x, r.top), dot(x, r.bottom - 1);
  for (LONG y = r.top; y < r.bottom; ++y) dot(r.left, y), dot(r.right - 1, y);
}

std::unique_ptr<Peer> make_control_peer(Win32Backend& b, Control& c) {
  switch (c.kind()) {
    case Kind::Label:
      return make_peer(b, static_cast<Label&>(c));
    case Kind::TextBox:
      return make_peer(b, static_cast<TextBox&>(c));
    case Kind::ListBox:
      return make_peer(b, static_cast<ListBox&>(c));
    case Kind::ComboBox:
      return make_peer(b, static_cast<ComboBox&>(c));
    case Kind::VScrollBar:
      return make_peer(b, static_cast<VScrollBar&>(c));
    case Kind::OptionButton:
      return make_peer(b, static_cast<OptionButton&>(c));
    case Kind::CheckBox:
      return make_peer(b, static_cast<CheckBox&>(c));
    case Kind::PictureBox:
      return make_peer(b, static_cast<PictureBox&>(c));
    case Kind::Frame:
      return make_peer(b, static_cast<Frame&>(c));
    case Kind::Image:
      return make_peer(b, static_cast<Image&>(c));
    case Kind::Line:
      return make_peer(b, static_cast<Line&>(c));
    case Kind::Custom:
      return make_peer(b, static_cast<CustomControl&>(c));
    case Kind::Timer:
      return make_peer(b, static_cast<Timer&>(c));
    case Kind::Diagram:
      return make_peer(b, static_cast<Diagram&>(c));
    case Kind::Form:
      break;
  }
  return nullptr;
}

}  // namespace ui::win32
