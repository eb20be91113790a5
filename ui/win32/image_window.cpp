// The image's peer: a picture blended over what lies beneath it.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "ui/win32/gdi.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

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

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Backend& b, Image& c) {
  return std::make_unique<ImageWindow>(b, c);
}

}  // namespace ui::win32
