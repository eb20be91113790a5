// The peer of diagrams: the shapes drawn with GDI at the window's scale through
// a buffer, scroll bars while the drawing is larger than the window, the pointer
// taken back into pixels of the drawing, a tooltip for the item under it, and
// the selected item's focus mark.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <variant>

#include "ui/diagram.h"
#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

// The room a focus mark takes around the selected item, in model pixels.
constexpr int kMarkGap = 3;
// A wheel notch or an arrow of a scroll bar moves this far, in model pixels.
constexpr int kScrollStep = 24;
// An arrow head: its length along the line and its half width, in model pixels.
constexpr double kHeadLength = 8;
constexpr double kHeadHalfWidth = 4;

// A line's thickness on the screen: whole pixels, never thinner than one.
int line_width(int width, int dpi) { return std::max(1, width * dpi / kBaseDpi); }

POINT at(Point p, int dpi, POINT origin) {
  return {scale(p.x, dpi) - origin.x, scale(p.y, dpi) - origin.y};
}

// Draws into a canvas: GDI for boxes, lines and texts, the pixels themselves
// for pictures.
class Painter {
 public:
  Painter(Canvas& canvas, GdiCache& gdi, const Diagram& d, int dpi, POINT origin)
      : canvas_(canvas), gdi_(gdi), d_(d), dpi_(dpi), origin_(origin) {}

  void operator()(const shape::Box& b) {
    const Rect r = scale(b.at, dpi_);
    const HDC dc = canvas_.dc();
    const HPEN pen =
        b.border_width > 0
            ? CreatePen(PS_INSIDEFRAME, line_width(b.border_width, dpi_), to_colorref(b.border))
            : static_cast<HPEN>(GetStockObject(NULL_PEN));
    const HGDIOBJ old_pen = SelectObject(dc, pen);
    const HGDIOBJ old_brush = SelectObject(dc, gdi_.brush(b.fill));
    const int x = r.left - origin_.x, y = r.top - origin_.y;
    // Without a pen the filled shape ends a pixel short on the right and bottom.
    const int extra = b.border_width > 0 ? 0 : 1;
    if (b.radius > 0) {
      const int round = 2 * scale(b.radius, dpi_);
      RoundRect(dc, x, y, x + r.width + extra, y + r.height + extra, round, round);
    } else {
      Rectangle(dc, x, y, x + r.width + extra, y + r.height + extra);
    }
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    if (b.border_width > 0) DeleteObject(pen);
  }

  void operator()(const shape::Path& p) {
    if (p.points.size() < 2) return;
    const HDC dc = canvas_.dc();
    const COLORREF color = to_colorref(p.color);
    std::vector<POINT> points;
    for (const Point& q : p.points) points.push_back(at(q, dpi_, origin_));
    const int width = line_width(p.width, dpi_);
    // The line stops where the arrow head begins, so that no pixel of it pokes
    // out beside the tip.
    POINT tip = points.back(), back{}, left{}, right{};
    if (p.arrow) {
      const POINT from = points[points.size() - 2];
      const double dx = tip.x - from.x, dy = tip.y - from.y;
      const double length = std::hypot(dx, dy);
      if (length > 0) {
        const double ux = dx / length, uy = dy / length;
        const double head = kHeadLength * dpi_ / kBaseDpi, half = kHeadHalfWidth * dpi_ / kBaseDpi;
        const double bx = tip.x - ux * head, by = tip.y - uy * head;
        back = {std::lround(bx), std::lround(by)};
        left = {std::lround(bx - uy * half), std::lround(by + ux * half)};
        right = {std::lround(bx + uy * half), std::lround(by - ux * half)};
        points.back() = length > head ? back : from;
      }
    }
    LOGBRUSH lb{BS_SOLID, color, 0};
    const DWORD dash[] = {static_cast<DWORD>(std::max(2, scale(5, dpi_))),
                          static_cast<DWORD>(std::max(2, scale(3, dpi_)))};
    const HPEN pen =
        p.dashed ? ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                                static_cast<DWORD>(width), &lb, 2, dash)
                 : ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER,
                                static_cast<DWORD>(width), &lb, 0, nullptr);
    const HGDIOBJ old_pen = SelectObject(dc, pen);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    if (p.arrow && (left.x != right.x || left.y != right.y)) {
      const POINT head[] = {tip, left, right};
      const HPEN edge = CreatePen(PS_SOLID, 1, color);
      const HGDIOBJ old_edge = SelectObject(dc, edge);
      const HGDIOBJ old_brush = SelectObject(dc, gdi_.brush(color));
      Polygon(dc, head, 3);
      SelectObject(dc, old_brush);
      SelectObject(dc, old_edge);
      DeleteObject(edge);
    }
  }

  void operator()(const shape::Text& t) {
    if (t.text.empty()) return;
    const HDC dc = canvas_.dc();
    Font f = d_.font();
    f.bold = t.bold;
    const HGDIOBJ old = SelectObject(dc, gdi_.font(f, dpi_));
    SetTextColor(dc, to_colorref(t.color));
    const std::wstring text = widen(t.text);
    const POINT p = at(t.at, dpi_, origin_);
    const int n = static_cast<int>(text.size());
    const int room = scale(t.at.x + t.clip_width, dpi_) - scale(t.at.x, dpi_);
    SIZE extent{};
    // A text cut to its room already (as measured at this scale) goes out as it is.
    if (t.clip_width > 0 && GetTextExtentPoint32W(dc, text.c_str(), n, &extent) &&
        extent.cx > room) {
      RECT box{p.x, p.y, p.x + room, p.y + extent.cy};
      DrawTextW(dc, text.c_str(), n, &box,
                DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP);
    } else {
      TextOutW(dc, p.x, p.y, text.c_str(), n);
    }
    SelectObject(dc, old);
  }

  void operator()(const shape::Icon& i) {
    if (!i.picture) return;
    const Rect r = picture_place(i.at, {i.picture->width, i.picture->height}, dpi_);
    canvas_.blend(repeat_pixels(*i.picture, whole_factor(dpi_)), r.left - origin_.x,
                  r.top - origin_.y);
  }

 private:
  Canvas& canvas_;
  GdiCache& gdi_;
  const Diagram& d_;
  int dpi_;
  POINT origin_;
};

void paint(Canvas& canvas, GdiCache& gdi, const Diagram& d, int dpi, POINT origin) {
  canvas.fill(to_colorref(d.back_color()));
  SetBkMode(canvas.dc(), TRANSPARENT);
  Painter painter(canvas, gdi, d, dpi, origin);
  for (const Shape& s : d.shapes()) std::visit(painter, s);
  GdiFlush();
}

class DiagramWindow : public ControlWindow {
 public:
  DiagramWindow(Win32Backend& b, Diagram& d) : ControlWindow(b, d) {
    make(kDiagramClass, 0, 0, L"");
    update_scroll_bars();
  }

  bool own_accessible() const override { return true; }

  RECT box_on_screen(Rect box) const override {
    const Rect r = scale(box, dpi());
    POINT corner{r.left - scroll_.x, r.top - scroll_.y};
    ClientToScreen(hwnd(), &corner);
    return {corner.x, corner.y, corner.x + r.width, corner.y + r.height};
  }

  POINT to_screen(Point p) const override {
    POINT s = at(p, dpi(), scroll_);
    ClientToScreen(hwnd(), &s);
    return s;
  }

 protected:
  Diagram& diagram() const { return static_cast<Diagram&>(control_); }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Face:
      case Prop::Geometry:
        update_scroll_bars();
        break;
      case Prop::Selection:
        show_selected();
        break;
      default:
        break;
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

  void refresh_scale() override { update_scroll_bars(); }

  void paint(HDC dc) override {
    RECT r;
    GetClientRect(hwnd(), &r);
    if (!canvas_.ensure(r.right, r.bottom)) return;
    const int d = dpi();
    win32::paint(canvas_, backend_.gdi(), diagram(), d, scroll_);
    if (control_.shows_focus_mark()) draw_mark(d);
    BitBlt(dc, 0, 0, r.right, r.bottom, canvas_.dc(), 0, 0, SRCCOPY);
  }

  void draw_mark(int d) {
    RECT mark{0, 0, canvas_.width(), canvas_.height()};
    if (const int i = diagram().selected(); i >= 0) {
      Rect box = diagram().items()[static_cast<std::size_t>(i)].box;
      box = {box.left - kMarkGap, box.top - kMarkGap, box.width + 2 * kMarkGap,
             box.height + 2 * kMarkGap};
      const Rect s = scale(box, d);
      mark = {s.left - scroll_.x, s.top - scroll_.y, s.left + s.width - scroll_.x,
              s.top + s.height - scroll_.y};
    }
    draw_focus_mark(canvas_.dc(), mark);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (LRESULT r; painting(msg, w, r)) return r;
    switch (msg) {
      case WM_MOUSEMOVE:
        diagram().pointer_move(pointer(l));
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (GetFocus() != hwnd()) SetFocus(hwnd());
        // A drag goes on wherever the pointer goes until the button is let go.
        if (msg == WM_LBUTTONDOWN) SetCapture(hwnd());
        diagram().pointer_press(pointer(l),
                                msg == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right);
        return 0;
      case WM_LBUTTONDBLCLK:
        SetCapture(hwnd());
        diagram().pointer_double_click(pointer(l), MouseButton::Left);
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (msg == WM_LBUTTONUP && GetCapture() == hwnd()) {
          letting_go_ = true;
          ReleaseCapture();
          letting_go_ = false;
        }
        // A context menu waits in a loop of its own: nothing is held meanwhile.
        diagram().pointer_release(pointer(l),
                                  msg == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right);
        return 0;
      case WM_CAPTURECHANGED:
        if (!letting_go_ && reinterpret_cast<HWND>(l) != hwnd()) diagram().pointer_lost();
        return 0;
      case WM_SIZE:
        // A window opened or made smaller than the drawing still shows the selection.
        update_scroll_bars();
        show_selected();
        return 0;
      case WM_HSCROLL:
      case WM_VSCROLL:
        scroll_by_bar(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(w));
        return 0;
      case WM_MOUSEWHEEL:
      case 0x020E: {  // WM_MOUSEHWHEEL
        const bool across = msg != WM_MOUSEWHEEL || (GET_KEYSTATE_WPARAM(w) & MK_SHIFT);
        const int step =
            wheel_step(across ? 0 : 1, GET_WHEEL_DELTA_WPARAM(w) * (msg == WM_MOUSEWHEEL ? -1 : 1));
        scroll_to(across ? scroll_.x + step : scroll_.x, across ? scroll_.y : scroll_.y + step);
        return 0;
      }
      case WM_SETFOCUS: {
        const LRESULT r = ControlWindow::on_message(msg, w, l);
        // A reader hears the selected item, not only the list.
        if (const int i = diagram().selected(); i >= 0)
          NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, i + 1);
        InvalidateRect(hwnd(), nullptr, FALSE);
        return r;
      }
      case WM_KILLFOCUS:
        InvalidateRect(hwnd(), nullptr, FALSE);
        break;
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }

 private:
  Point pointer(LPARAM l) const {
    return unscale(Point{GET_X_LPARAM(l) + scroll_.x, GET_Y_LPARAM(l) + scroll_.y}, dpi());
  }

  // The pixels to scroll for a turn of the wheel, kScrollStep a notch. A touchpad
  // sends a notch in small steps: what does not make a whole pixel waits for the
  // next step in the same direction.
  int wheel_step(int axis, int delta) {
    int& rest = wheel_rest_[axis];
    if ((rest < 0 && delta > 0) || (rest > 0 && delta < 0)) rest = 0;
    rest += delta * scale(kScrollStep, dpi());
    const int pixels = rest / WHEEL_DELTA;
    rest -= pixels * WHEEL_DELTA;
    return pixels;
  }

  SIZE content() const {
    const Size e = diagram().extent();
    return {scale(e.width, dpi()), scale(e.height, dpi())};
  }

  void update_scroll_bars() {
    if (!hwnd() || settling_) return;
    settling_ = true;  // showing a bar resizes the inside, which comes back here
    // The whole window without bars; a bar takes room from the other direction,
    // which may then need its bar too.
    RECT outer;
    GetWindowRect(hwnd(), &outer);
    const SIZE c = content();
    const int full_x = outer.right - outer.left, full_y = outer.bottom - outer.top;
    const int bar_x = backend_.metric(SM_CXVSCROLL, dpi()),
              bar_y = backend_.metric(SM_CYHSCROLL, dpi());
    bool across = c.cx > full_x, down = c.cy > full_y;
    for (int round = 0; round < 2; ++round) {
      across = c.cx > full_x - (down ? bar_x : 0);
      down = c.cy > full_y - (across ? bar_y : 0);
    }
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    si.nMax = across ? c.cx - 1 : 0;
    si.nPage = across ? static_cast<UINT>(full_x - (down ? bar_x : 0)) : 0;
    SetScrollInfo(hwnd(), SB_HORZ, &si, FALSE);
    si.nMax = down ? c.cy - 1 : 0;
    si.nPage = down ? static_cast<UINT>(full_y - (across ? bar_y : 0)) : 0;
    SetScrollInfo(hwnd(), SB_VERT, &si, FALSE);
    ShowScrollBar(hwnd(), SB_HORZ, across);
    ShowScrollBar(hwnd(), SB_VERT, down);
    settling_ = false;
    scroll_to(scroll_.x, scroll_.y);
  }

  // Scrolls so that the drawing's (x, y) is at the top-left corner, within the
  // range the scroll bars allow.
  void scroll_to(int x, int y) {
    RECT r;
    GetClientRect(hwnd(), &r);
    const SIZE c = content();
    x = std::clamp(x, 0, std::max<int>(0, c.cx - r.right));
    y = std::clamp(y, 0, std::max<int>(0, c.cy - r.bottom));
    if (x == scroll_.x && y == scroll_.y) return;
    scroll_ = {x, y};
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, x, 0};
    SetScrollInfo(hwnd(), SB_HORZ, &si, TRUE);
    si.nPos = y;
    SetScrollInfo(hwnd(), SB_VERT, &si, TRUE);
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

  void scroll_by_bar(int bar, WORD request) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd(), bar, &si);
    const int step = scale(kScrollStep, dpi());
    int pos = si.nPos;
    switch (request) {
      case SB_LINEUP:
        pos -= step;
        break;
      case SB_LINEDOWN:
        pos += step;
        break;
      case SB_PAGEUP:
        pos -= static_cast<int>(si.nPage);
        break;
      case SB_PAGEDOWN:
        pos += static_cast<int>(si.nPage);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
      case SB_TOP:
        pos = 0;
        break;
      case SB_BOTTOM:
        pos = si.nMax;
        break;
      default:
        return;
    }
    if (bar == SB_HORZ)
      scroll_to(pos, scroll_.y);
    else
      scroll_to(scroll_.x, pos);
  }

  // Scrolls the selected item, with its focus mark, into view.
  void show_selected() {
    const int i = diagram().selected();
    if (i < 0) return;
    const Rect b = diagram().items()[static_cast<std::size_t>(i)].box;
    const Rect s = scale(Rect{b.left - kMarkGap - 1, b.top - kMarkGap - 1,
                              b.width + 2 * kMarkGap + 2, b.height + 2 * kMarkGap + 2},
                         dpi());
    RECT r;
    GetClientRect(hwnd(), &r);
    int x = scroll_.x, y = scroll_.y;
    if (s.left + s.width > x + r.right) x = s.left + s.width - r.right;
    if (s.left < x) x = s.left;
    if (s.top + s.height > y + r.bottom) y = s.top + s.height - r.bottom;
    if (s.top < y) y = s.top;
    scroll_to(x, y);
  }

  POINT scroll_{0, 0};
  int wheel_rest_[2] = {0, 0};  // across and down, in pixels x WHEEL_DELTA
  bool settling_ = false;
  bool letting_go_ = false;  // the pointer let go with the button: no loss to tell
  Canvas canvas_;            // the back buffer, kept while the window's size stays
};

}  // namespace

Bitmap draw_diagram(Win32Backend& backend, const Diagram& d, int dpi) {
  const Size e = d.extent();
  Canvas canvas;
  if (!canvas.ensure(scale(e.width, dpi), scale(e.height, dpi))) return {};
  paint(canvas, backend.gdi(), d, dpi, POINT{0, 0});
  try {
    Bitmap out(canvas.width(), canvas.height());
    const std::uint32_t* px = canvas.bits();
    for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = px[i] | 0xFF000000u;
    return out;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::unique_ptr<Peer> make_peer(Win32Backend& b, Diagram& c) {
  return std::make_unique<DiagramWindow>(b, c);
}

}  // namespace ui::win32
