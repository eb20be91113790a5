// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/win32/peers.h"
#include "ui/win32/text.h"

namespace ui::win32 {

char32_t CharJoiner::feed(wchar_t unit) {
  if (unit >= 0xD800 && unit < 0xDC00) {
    high_ = unit;
    return 0;
  }
  if (unit >= 0xDC00 && unit < 0xE000) {
    const wchar_t high = high_;
    high_ = 0;
    if (!high) return unit;
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00);
  }
  high_ = 0;
  return unit;
}

std::wstring to_units(char32_t c) {
  if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
  c -= 0x10000;
  return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

namespace {

std::wstring window_text(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

void set_text_if_changed(HWND h, const std::wstring& text) {
  if (window_text(h) != text) SetWindowTextW(h, text.c_str());
}

// A memory canvas of the client area, blitted to the window at the end.
class Buffer {
 public:
  Buffer(HDC target, const RECT& r) : target_(target), rect_(r) {
    width_ = std::max<int>(r.right - r.left, 1);
    height_ = std::max<int>(r.bottom - r.top, 1);
    dc_ = CreateCompatibleDC(target);
    bitmap_ = make_dib(target, width_, height_, &bits_);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Buffer() {
    BitBlt(target_, rect_.left, rect_.top, width_, height_, dc_, 0, 0, SRCCOPY);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  HDC dc() const { return dc_; }
  std::uint32_t* pixels() const { return static_cast<std::uint32_t*>(bits_); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  HDC target_;
  RECT rect_;
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ old_;
};

void blend_into(std::uint32_t* dst, int width, int height, const Bitmap& src, int x, int y) {
  Bitmap view;
  view.width = width;
  view.height = height;
  view.pixels.assign(dst, dst + static_cast<std::size_t>(width) * height);
  blend_over(view, src, x, y);
  std::copy(view.pixels.begin(), view.pixels.end(), dst);
}

class LabelWindow : public ControlWindow {
 public:
  LabelWindow(Win32Backend& b, Label& l) : ControlWindow(b, l) {
    make(WC_STATICW, SS_NOTIFY | SS_NOPREFIX | align_style(),
         l.transparent() ? WS_EX_TRANSPARENT : 0, widen(l.caption()));
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(l.font())), 0);
  }

 protected:
  Label& label() const { return static_cast<Label&>(control_); }

  DWORD align_style() const {
    switch (label().alignment()) {
      case Align::Right:
        return SS_RIGHT;
      case Align::Center:
        return SS_CENTER;
      case Align::Left:
        break;
    }
    return SS_LEFT;
  }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Caption:
        set_text_if_changed(hwnd(), widen(label().caption()));
        break;
      case Prop::Alignment: {
        const LONG_PTR s = GetWindowLongPtrW(hwnd(), GWL_STYLE);
        SetWindowLongPtrW(hwnd(), GWL_STYLE,
                          (s & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | align_style());
        break;
      }
      case Prop::Colors: {
        const LONG_PTR ex = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
        SetWindowLongPtrW(hwnd(), GWL_EXSTYLE,
                          label().transparent() ? ex | WS_EX_TRANSPARENT
                                                : ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
        break;
      }
      case Prop::Font:
        SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(label().font())), 0);
        break;
      case Prop::Border:
      case Prop::FocusMark:
        break;
      default:
        return;
    }
    repaint();
  }

  void repaint() {
    if (label().transparent())
      redraw_through();
    else
      InvalidateRect(hwnd(), nullptr, FALSE);
  }

  void paint(HDC dc) override {
    RECT r;
    GetClientRect(hwnd(), &r);
    const Label& l = label();
    if (l.transparent()) {
      draw(dc, r);
      if (l.shows_focus_mark()) draw_focus_mark(dc, r);
    } else {
      Buffer buffer(dc, r);
      RECT inner{0, 0, r.right - r.left, r.bottom - r.top};
      FillRect(buffer.dc(), &inner, backend_.gdi().brush(l.back_color()));
      draw(buffer.dc(), inner);
      if (l.shows_focus_mark()) draw_focus_mark(buffer.dc(), inner);
    }
  }

  void draw(HDC dc, const RECT& r) {
    const Label& l = label();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, to_colorref(l.fore_color()));
    const HGDIOBJ old = SelectObject(dc, font(l.font()));
    UINT format = DT_NOPREFIX | DT_EXPANDTABS;
    format |= l.alignment() == Align::Right    ? DT_RIGHT
              : l.alignment() == Align::Center ? DT_CENTER
                                               : DT_LEFT;
    // A label that does not size itself wraps its words at its width, and shows
    // only the lines that fit whole (a row label's next line would peek in).
    if (l.word_wrap() || !l.autosize()) format |= DT_WORDBREAK | DT_EDITCONTROL;
    RECT text = r;
    const std::wstring caption = widen(l.caption());
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    SelectObject(dc, old);
    // The border is drawn over the edge of the text area, so the text stays put
    // when the border comes and goes (it marks the selected row). It is as thick
    // as pixel art is repeated.
    if (l.border()) {
      RECT edge = r;
      for (int i = whole_factor(dpi()); i > 0; --i, InflateRect(&edge, -1, -1))
        FrameRect(dc, &edge, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (LRESULT r; painting(msg, w, r)) return r;
    switch (msg) {
      case WM_SETTEXT:
        // Only keep the text: the static would paint it its own way at once.
        return DefWindowProcW(hwnd(), msg, w, l);
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg == WM_CTLCOLORSTATIC) {
      const HDC dc = reinterpret_cast<HDC>(w);
      SetTextColor(dc, to_colorref(label().fore_color()));
      if (label().transparent()) {
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      } else {
        SetBkColor(dc, to_colorref(label().back_color()));
        result = reinterpret_cast<LRESULT>(backend_.gdi().brush(label().back_color()));
      }
      return true;
    }
    if (msg != WM_COMMAND) return false;
    result = 0;
    const Label& l = label();
    if (HIWORD(w) == STN_CLICKED && l.on_click)
      l.on_click();
    else if (HIWORD(w) == STN_DBLCLK && l.on_double_click)
      l.on_double_click();
    return true;
  }
};

class TextBoxWindow : public ControlWindow {
 public:
  TextBoxWindow(Win32Backend& b, TextBox& t) : ControlWindow(b, t) {
    const DWORD style = WS_TABSTOP | (t.multiline() ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL
                                                    : ES_AUTOHSCROLL);
    make(WC_EDITW, style, WS_EX_CLIENTEDGE, widen(t.text()));
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(t.font())), 0);
  }

 protected:
  TextBox& box() const { return static_cast<TextBox&>(control_); }

  void refresh(Prop what) override {
    if (what == Prop::Text) {
      const std::wstring text = widen(box().text());
      if (window_text(hwnd()) == text) return;
      setting_ = true;
      SetWindowTextW(hwnd(), text.c_str());
      setting_ = false;
    } else if (what == Prop::Font) {
      SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(box().font())), TRUE);
    } else if (what == Prop::Selection && box().all_selected()) {
      SendMessageW(hwnd(), EM_SETSEL, 0, -1);
    }
  }

  // A multi-line box tells nothing of a text set from outside (WM_SETTEXT).
  void read_back(Prop what) override {
    if (what == Prop::Text) box().text_pulled(narrow(window_text(hwnd())));
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg != WM_CHAR) return ControlWindow::on_message(msg, w, l);
    const char32_t typed = chars_.feed(static_cast<wchar_t>(w));
    if (!typed) return 0;
    Alive alive(*this);
    const char32_t key = box().filter_key(typed);
    if (!alive || key == 0) return 0;
    if (key == 13 && !box().multiline()) return 0;
    for (wchar_t unit : to_units(key)) default_proc(WM_CHAR, unit, l);
    return 0;
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND || HIWORD(w) != EN_CHANGE) return false;
    result = 0;
    if (!setting_) box().text_edited(narrow(window_text(hwnd())));
    return true;
  }

 private:
  bool setting_ = false;
};

class ListBoxWindow : public ControlWindow {
 public:
  ListBoxWindow(Win32Backend& b, ListBox& l) : ControlWindow(b, l) {
    make(WC_LISTBOXW, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
         WS_EX_CLIENTEDGE, L"");
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(l.font())), 0);
    refresh(Prop::Items);
  }

 protected:
  ListBox& list() const { return static_cast<ListBox&>(control_); }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Items:
        SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
        for (const std::string& item : list().items())
          SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd(), nullptr, TRUE);
        [[fallthrough]];
      case Prop::Selection:
        if (SendMessageW(hwnd(), LB_GETCURSEL, 0, 0) != list().list_index())
          SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(list().list_index()), 0);
        // The window text is the list's text: its selected entry.
        DefWindowProcW(hwnd(), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(widen(list().text()).c_str()));
        break;
      case Prop::Font:
        SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(list().font())), TRUE);
        break;
      default:
        break;
    }
  }

  // A selection made from outside (LB_SETCURSEL) sends no notification.
  void read_back(Prop what) override {
    if (what != Prop::Selection) return;
    const int held = static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
    list().selection_pulled(held);
    refresh(Prop::Selection);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_CHAR) return preview_char(w, l);
    return ControlWindow::on_message(msg, w, l);
  }

  bool reflected(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (HIWORD(w) == LBN_SELCHANGE) {
      ListBox& l = list();
      l.set_list_index(static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0)));
      if (l.on_click) l.on_click();
    }
    return true;
  }
};

class OptionWindow : public ControlWindow {
 public:
  OptionWindow(Win32Backend& b, OptionButton& o) : ControlWindow(b, o) {
    make(WC_BUTTONW, WS_TABSTOP | style(), 0, widen(o.caption()));
    refresh_scale();
    refresh(Prop::Value);
  }
  ~OptionWindow() override {
    if (icon_) DestroyIcon(icon_);
  }

 protected:
  OptionButton& option() const { return static_cast<OptionButton&>(control_); }

  // A graphical option is drawn here: a raised button face in its own colour,
  // sunken and latched while chosen. Themed push buttons would ignore the colour.
  DWORD style() const {
    const OptionButton& o = option();
    DWORD s = o.graphical() ? BS_OWNERDRAW : BS_AUTORADIOBUTTON;
    // The first option button of each container starts a group of its own.
    for (const Control* c : o.parent().children())
      if (c->kind() == Kind::OptionButton) {
        if (c == &o) s |= WS_GROUP;
        break;
      }
    return s;
  }

  void refresh(Prop what) override {
    switch (what) {
      case Prop::Caption:
        set_text_if_changed(hwnd(), widen(option().caption()));
        break;
      case Prop::Picture: {
        const LONG_PTR keep =
            GetWindowLongPtrW(hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(BS_TYPEMASK | WS_GROUP);
        SetWindowLongPtrW(hwnd(), GWL_STYLE, keep | style());
        HICON old = icon_;
        icon_ = option().picture()
                    ? make_icon(repeat_pixels(*option().picture(), whole_factor(dpi())))
                    : nullptr;
        SendMessageW(hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
        if (old) DestroyIcon(old);
        InvalidateRect(hwnd(), nullptr, TRUE);
        break;
      }
      case Prop::Value:
        if (option().graphical())
          InvalidateRect(hwnd(), nullptr, FALSE);
        else
          SendMessageW(hwnd(), BM_SETCHECK, option().value() ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case Prop::Colors:
        InvalidateRect(hwnd(), nullptr, TRUE);
        break;
      default:
        break;
    }
  }

  void read_back(Prop what) override {
    if (what == Prop::Value && !option().graphical())
      option().value_pulled(SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED);
  }

  void refresh_scale() override {
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(backend_.interface_font())), 0);
    refresh(Prop::Picture);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_CHAR) return preview_char(w, l);
    // Answered as a radio button would, for tools that read or set the choice.
    if (msg == BM_GETCHECK && option().graphical())
      return option().value() ? BST_CHECKED : BST_UNCHECKED;
    if (msg == BM_SETCHECK && option().graphical()) {
      option().set_value(w == BST_CHECKED);
      return 0;
    }
    if (msg == BM_GETIMAGE && option().graphical()) return reinterpret_cast<LRESULT>(icon_);
    return ControlWindow::on_message(msg, w, l);
  }

  void draw(const DRAWITEMSTRUCT& d) {
    const OptionButton& o = option();
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    const bool chosen = o.value();
    const bool down = chosen || (d.itemState & ODS_SELECTED);
    FillRect(dc, &r, backend_.gdi().brush(o.back_color()));
    if (chosen) {
      // The latched look: the face checkered with the highlight colour.
      static const WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
      HBITMAP bits = CreateBitmap(8, 8, 1, 1, kChecker);
      HBRUSH checker = CreatePatternBrush(bits);
      const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
      const COLORREF back = SetBkColor(dc, to_colorref(o.back_color()));
      FillRect(dc, &r, checker);
      SetTextColor(dc, text);
      SetBkColor(dc, back);
      DeleteObject(checker);
      DeleteObject(bits);
    }
    DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = down ? whole_factor(dpi()) : 0;
    if (icon_ && o.picture()) {
      const int factor = whole_factor(dpi());
      const int w = o.picture()->width * factor, h = o.picture()->height * factor;
      DrawIconEx(dc, (r.left + r.right - w) / 2 + shift, (r.top + r.bottom - h) / 2 + shift, icon_,
                 w, h, 0, nullptr, DI_NORMAL);
    } else {
      RECT t = r;
      OffsetRect(&t, shift, shift);
      const std::wstring caption = widen(o.caption());
      HGDIOBJ old = SelectObject(dc, font(backend_.interface_font()));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &t,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
    }
    if (d.itemState & ODS_FOCUS) {
      RECT f = r;
      InflateRect(&f, -scale(4, dpi()), -scale(4, dpi()));
      DrawFocusRect(dc, &f);
    }
  }

  bool reflected(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
    if (msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC) {
      SetBkColor(reinterpret_cast<HDC>(w), to_colorref(option().back_color()));
      result = reinterpret_cast<LRESULT>(backend_.gdi().brush(option().back_color()));
      return true;
    }
    if (msg == WM_DRAWITEM) {
      draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      result = TRUE;
      return true;
    }
    if (msg != WM_COMMAND) return false;
    result = 0;
    if (HIWORD(w) == BN_CLICKED) option().choose();
    return true;
  }

 private:
  HICON icon_ = nullptr;
};

// Decoration only: it hands the focus straight back and passes keys to its window.
class ScrollBarWindow : public ControlWindow {
 public:
  ScrollBarWindow(Win32Backend& b, VScrollBar& s) : ControlWindow(b, s) {
    make(WC_SCROLLBARW, SBS_VERT, 0, L"");
    SetScrollRange(hwnd(), SB_CTL, 0, 32767, FALSE);
    SetScrollPos(hwnd(), SB_CTL, 0, TRUE);
  }

 protected:
  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    const HWND form = GetAncestor(hwnd(), GA_ROOT);
    switch (msg) {
      case WM_SETFOCUS: {
        const HWND previous = reinterpret_cast<HWND>(w);
        SetFocus(previous && previous != hwnd() && IsWindow(previous) &&
                         (previous == form || IsChild(form, previous))
                     ? previous
                     : form);
        return 0;
      }
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_SYSCHAR:
        return SendMessageW(form, msg, w, l);
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }
};

class ContainerWindow : public ControlWindow {
 public:
  ContainerWindow(Win32Backend& b, Control& c) : ControlWindow(b, c) {
    make(kContainerClass, WS_CLIPCHILDREN, 0, L"");
  }

 protected:
  Color back() const {
    const Container* c = dynamic_cast<const Container*>(&control_);
    while (c) {
      if (const auto* box = dynamic_cast<const PictureBox*>(c)) return box->back_color();
      if (const auto* f = dynamic_cast<const Form*>(c)) return f->back_color();
      const auto* ctl = dynamic_cast<const Control*>(c);
      c = ctl ? &ctl->parent() : nullptr;
    }
    return Color::system(SysColor::ButtonFace);
  }

  void refresh(Prop what) override {
    if (what == Prop::Colors)
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    else if (what == Prop::FocusMark)
      move_mark();
  }

  // Repaints where the focus mark was and where it goes, transparent children
  // included; nothing while it stays away (the mouse alone never shows it).
  void move_mark() {
    const bool show = control_.shows_focus_mark();
    const RECT at = mark_rect();
    if (!show && !marked_) return;
    if (show && marked_ && EqualRect(&at, &marked_at_)) return;
    const UINT how = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN;
    if (marked_) RedrawWindow(hwnd(), &marked_at_, nullptr, how);
    if (show) RedrawWindow(hwnd(), &at, nullptr, how);
    marked_ = show;
    marked_at_ = at;
  }

  // Around the box's focus rectangle, or around its whole inside.
  RECT mark_rect() const {
    RECT r;
    GetClientRect(hwnd(), &r);
    const auto* box = dynamic_cast<const PictureBox*>(&control_);
    const Rect f = box ? box->focus_rect() : Rect{};
    if (f.width > 0 && f.height > 0) {
      const Rect at = scale(f, dpi());
      return {at.left, at.top, at.left + at.width, at.top + at.height};
    }
    InflateRect(&r, -1, -1);
    return r;
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    LRESULT result = 0;
    if (reflect_to_child(msg, w, l, result)) return result;
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(w), &r, backend_.gdi().brush(back()));
        return 1;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd(), &ps);
        if (control_.shows_focus_mark()) draw_focus_mark(dc, mark_rect());
        EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(w), to_colorref(back()));
        return reinterpret_cast<LRESULT>(backend_.gdi().brush(back()));
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }

 private:
  bool marked_ = false;
  RECT marked_at_{};
};

class ImageWindow : public ControlWindow {
 public:
  ImageWindow(Win32Backend& b, Image& i) : ControlWindow(b, i) {
    make(kImageClass, 0, WS_EX_TRANSPARENT, L"");
    load();
  }
  ~ImageWindow() override {
    if (bitmap_) DeleteObject(bitmap_);
  }

 protected:
  Image& image() const { return static_cast<Image&>(control_); }

  // A stretched picture is stretched to the box; any other is pixel art,
  // repeated by the whole factor of the dpi.
  int factor() const { return image().stretch() ? 1 : whole_factor(dpi()); }

  void load() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = image().picture()
                  ? make_picture_dib(repeat_pixels(*image().picture(), factor()), true)
                  : nullptr;
  }

  void refresh(Prop what) override {
    if (what != Prop::Picture) return;
    load();
    redraw_through();
  }
  void refresh_scale() override { load(); }

  void paint(HDC dc) override {
    if (!bitmap_) return;
    const Bitmap& p = *image().picture();
    RECT r;
    GetClientRect(hwnd(), &r);
    HDC mem = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(mem, bitmap_);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int k = factor();
    const Rect to = image().stretch() ? Rect{0, 0, r.right, r.bottom}
                                      : picture_place({0, 0}, {p.width, p.height}, dpi());
    GdiAlphaBlend(dc, to.left, to.top, to.width, to.height, mem, 0, 0, p.width * k, p.height * k,
                  blend);
    SelectObject(mem, old);
    DeleteDC(mem);
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    if (LRESULT r; painting(msg, w, r)) return r;
    return ControlWindow::on_message(msg, w, l);
  }

 private:
  HBITMAP bitmap_ = nullptr;
};

class LineWindow : public ControlWindow {
 public:
  LineWindow(Win32Backend& b, Line& l) : ControlWindow(b, l) {
    make(kLineClass, 0, WS_EX_TRANSPARENT, L"");
  }

 protected:
  Line& line() const { return static_cast<Line&>(control_); }

  // The endpoints in pixels on the screen, each the corner of a square as thick
  // as the line (the whole factor of the dpi).
  struct Ends {
    Point from, to;
    int thickness;
  };
  Ends ends() const {
    const Container& c = line().parent();
    const int d = dpi();
    const auto at = [&](Point p) {
      return Point{scale(c.to_pixels(p.x), d), scale(c.to_pixels(p.y), d)};
    };
    return {at(line().from()), at(line().to()), whole_factor(d)};
  }

  // The window covers exactly the pixels of the line.
  Rect screen_geometry() const override {
    const Ends e = ends();
    return {std::min(e.from.x, e.to.x), std::min(e.from.y, e.to.y),
            std::abs(e.to.x - e.from.x) + e.thickness, std::abs(e.to.y - e.from.y) + e.thickness};
  }

  void refresh(Prop what) override {
    if (what == Prop::Colors) redraw_through();
  }

  void paint(HDC dc) override {
    const Rect g = screen_geometry();
    const Ends e = ends();
    const int x1 = e.from.x - g.left, y1 = e.from.y - g.top;
    const int x2 = e.to.x - g.left, y2 = e.to.y - g.top;
    const COLORREF color = to_colorref(line().color());
    if (x1 == x2 || y1 == y2) {
      const RECT r{0, 0, g.width, g.height};
      FillRect(dc, &r, backend_.gdi().brush(color));
    } else {
      // A square pen's strokes from corner to corner, both end squares filled.
      const int t = e.thickness;
      HPEN pen = CreatePen(PS_SOLID, 1, color);
      const HGDIOBJ old = SelectObject(dc, pen);
      for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) {
          MoveToEx(dc, x1 + i, y1 + j, nullptr);
          LineTo(dc, x2 + i, y2 + j);
          SetPixel(dc, x2 + i, y2 + j, color);
        }
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    if (LRESULT r; painting(msg, w, r)) return r;
    return ControlWindow::on_message(msg, w, l);
  }
};

class CustomWindow : public ControlWindow {
 public:
  CustomWindow(Win32Backend& b, CustomControl& c) : ControlWindow(b, c) {
    make(kCustomClass, WS_TABSTOP, 0, widen(c.accessible_text()));
  }

 protected:
  CustomControl& custom() const { return static_cast<CustomControl&>(control_); }

  void refresh(Prop) override {
    set_text_if_changed(hwnd(), widen(custom().accessible_text()));
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

  void paint(HDC dc) override {
    RECT r;
    GetClientRect(hwnd(), &r);
    Buffer buffer(dc, r);
    const COLORREF face_color = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t ground = 0xFF000000u | GetRValue(face_color) << 16 |
                                 GetGValue(face_color) << 8 | GetBValue(face_color);
    std::uint32_t* px = buffer.pixels();
    std::fill(px, px + static_cast<std::size_t>(buffer.width()) * buffer.height(), ground);
    // The face and its pieces are scaled whole to the window; pictures on it
    // are pixel art, repeated by the whole factor in their scaled boxes.
    const int d = dpi();
    const Bitmap& face = std::as_const(custom()).face();
    blend_into(px, buffer.width(), buffer.height(),
               scale_nearest(face, d, scale(face.width, d), scale(face.height, d)), 0, 0);
    SetBkMode(buffer.dc(), TRANSPARENT);
    SetTextColor(buffer.dc(), GetSysColor(COLOR_BTNTEXT));
    const HGDIOBJ old = SelectObject(buffer.dc(), font(backend_.interface_font()));
    for (const CustomControl::Overlay& o : custom().overlays()) {
      if (o.picture) {
        const Bitmap& p = *o.picture;
        GdiFlush();
        if (o.with_face) {
          const Rect box = scale(Rect{o.at.x, o.at.y, p.width, p.height}, d);
          blend_into(px, buffer.width(), buffer.height(),
                     scale_nearest(p, d, box.width, box.height), box.left, box.top);
        } else {
          const Rect at = picture_place(o.at, {p.width, p.height}, d);
          blend_into(px, buffer.width(), buffer.height(), repeat_pixels(p, whole_factor(d)),
                     at.left, at.top);
        }
      } else if (!o.text.empty()) {
        const std::wstring text = widen(o.text);
        TextOutW(buffer.dc(), scale(o.at.x, d), scale(o.at.y, d), text.c_str(),
                 static_cast<int>(text.size()));
      }
    }
    GdiFlush();
    SelectObject(buffer.dc(), old);
    if (control_.shows_focus_mark()) {
      RECT inner{0, 0, buffer.width(), buffer.height()};
      InflateRect(&inner, -scale(2, d), -scale(2, d));
      draw_focus_mark(buffer.dc(), inner);
    }
  }

  static MouseButton button_of(UINT msg) {
    switch (msg) {
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
        return MouseButton::Right;
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        return MouseButton::Middle;
      default:
        return MouseButton::Left;
    }
  }

  LRESULT on_message(UINT msg, WPARAM w, LPARAM l) override {
    if (LRESULT r; painting(msg, w, r)) return r;
    const Point at = unscale(Point{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, dpi());
    switch (msg) {
      case WM_MOUSEMOVE:
        custom().pointer_move(at);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        SetCapture(hwnd());
        if (GetFocus() != hwnd() && control_.tab_stop()) SetFocus(hwnd());
        custom().pointer_press(at, button_of(msg));
        return 0;
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        SetCapture(hwnd());
        custom().pointer_double_click(at, button_of(msg));
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        // Let go of the pointer before the handler runs: it may open a modal window.
        if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd())
          ReleaseCapture();
        custom().pointer_release(at, button_of(msg));
        return 0;
      case WM_CHAR:
        return preview_char(w, l);
      default:
        break;
    }
    return ControlWindow::on_message(msg, w, l);
  }
};

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

ControlWindow::ControlWindow(Win32Backend& backend, Control& control)
    : backend_(backend), control_(control) {}

ControlWindow::~ControlWindow() {
  if (!tool_added_ || !hwnd()) return;
  const FormWindow* form = FormWindow::of(control_.form());
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

bool ControlWindow::make(const wchar_t* class_name, DWORD style, DWORD ex_style,
                         std::wstring text) {
  const Rect r = screen_geometry();
  CreateArgs a;
  a.class_name = class_name;
  a.text = std::move(text);
  // Whatever can take the focus says so, for accessibility tools.
  if (control_.can_focus() && control_.tab_stop()) style |= WS_TABSTOP;
  a.style = style | WS_CHILD | WS_CLIPSIBLINGS | (control_.visible() ? WS_VISIBLE : 0);
  a.ex_style = ex_style;
  a.x = r.left;
  a.y = r.top;
  a.width = r.width;
  a.height = r.height;
  a.parent = container_window(control_.parent());
  if (!a.parent || !create(a)) return false;
  // Each control goes behind the ones created before it: the first lies in front.
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  set_automation_name(control_.automation_name());
  set_tooltip();
  accessibility_ = std::make_unique<ControlAccessibility>(*this);
  return true;
}

void ControlWindow::update(Prop what) {
  if (!hwnd()) return;
  const bool was_pushing = std::exchange(pushing_, true);
  switch (what) {
    case Prop::Geometry:
      place();
      refresh(what);
      break;
    case Prop::Visible:
      ShowWindow(hwnd(), control_.visible() ? SW_SHOWNA : SW_HIDE);
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
  SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::rescale() {
  if (!hwnd()) return;
  place();
  refresh_scale();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void ControlWindow::set_tooltip() {
  const FormWindow* form = FormWindow::of(control_.form());
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
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT && control_.pointer() == MousePointer::Hand) {
        SetCursor(backend_.hand_cursor(dpi()));
        return TRUE;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT r = default_proc(msg, w, l);
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

void draw_focus_mark(HDC dc, const RECT& r) {
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  // Every other pixel of the edges, in a checkerboard from the top-left corner.
  const auto dot = [&](LONG x, LONG y) {
    if (((x + y - r.left - r.top) & 1) == 0) SetPixelV(dc, x, y, ink);
  };
  for (LONG x = r.left; x < r.right; ++x) dot(x, r.top), dot(x, r.bottom - 1);
  for (LONG y = r.top; y < r.bottom; ++y) dot(r.left, y), dot(r.right - 1, y);
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

void ControlWindow::redraw_through() {
  const HWND parent = GetParent(hwnd());
  RECT r;
  GetWindowRect(hwnd(), &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::unique_ptr<Peer> make_control_peer(Win32Backend& b, Control& c) {
  switch (c.kind()) {
    case Kind::Label:
      return std::make_unique<LabelWindow>(b, static_cast<Label&>(c));
    case Kind::TextBox:
      return std::make_unique<TextBoxWindow>(b, static_cast<TextBox&>(c));
    case Kind::ListBox:
      return std::make_unique<ListBoxWindow>(b, static_cast<ListBox&>(c));
    case Kind::OptionButton:
      return std::make_unique<OptionWindow>(b, static_cast<OptionButton&>(c));
    case Kind::PictureBox:
    case Kind::Frame:
      return std::make_unique<ContainerWindow>(b, c);
    case Kind::Image:
      return std::make_unique<ImageWindow>(b, static_cast<Image&>(c));
    case Kind::Line:
      return std::make_unique<LineWindow>(b, static_cast<Line&>(c));
    case Kind::VScrollBar:
      return std::make_unique<ScrollBarWindow>(b, static_cast<VScrollBar&>(c));
    case Kind::Timer:
      return std::make_unique<TimerPeer>(b, static_cast<Timer&>(c));
    case Kind::Custom:
      return std::make_unique<CustomWindow>(b, static_cast<CustomControl&>(c));
    case Kind::Form:
      break;
  }
  return nullptr;
}

}  // namespace ui::win32
