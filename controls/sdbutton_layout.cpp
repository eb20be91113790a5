// Drawing and placing the parts of SDButton: DrawPal, Relayout, what lies over
// the face, and which part a point falls on.

#include <algorithm>
#include <limits>
#include <memory>

#include "controls/resample.h"
#include "controls/sdbutton.h"
#include "controls/skins.h"

namespace controls {
namespace {

// Fewer pixels than this on a side, and the side counts this many units.
constexpr int kMinInner = 16;
// AutoSize re-enters Relayout through the size change; each run moves the width
// towards its fixed point, and this bounds the runs should it never settle.
constexpr int kMaxAutoSizeRuns = 64;
// Columns of a skin taken for each cap, and where the stretched middle starts.
constexpr int kCap = 6;
constexpr int kMiddleLeft = 3, kMiddleWidth = 3;

// DrawPal works with 16-bit sizes; a larger button is clipped rather than failing.
int to_int16(int v) {
  return std::clamp(v, 0, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
}

int floor_div(long long a, long long b) {
  const long long q = a / b;
  return static_cast<int>(q * b > a ? q - 1 : q);
}

// A coordinate in one scale taken to another of the same origin.
int rescale(int v, int to, int from) {
  return from > 0 && from != to ? floor_div(static_cast<long long>(v) * to, from) : v;
}

bool contains(const SDButton::Part& part, ui::Point p) {
  const ui::Rect& r = part.rect;
  return part.visible && p.x >= r.left && p.x < r.left + r.width && p.y >= r.top &&
         p.y < r.top + r.height;
}

class RunCount {
 public:
  explicit RunCount(int& n) : n_(n) { ++n_; }
  ~RunCount() { --n_; }
  RunCount(const RunCount&) = delete;
  RunCount& operator=(const RunCount&) = delete;

 private:
  int& n_;
};

}  // namespace

int SDButton::inner_width() const { return std::max(pixel_rect().width, kMinInner); }
int SDButton::inner_height() const { return std::max(pixel_rect().height, kMinInner); }

ui::Point SDButton::to_units(ui::Point p) const {
  const ui::Rect r = pixel_rect();
  return {rescale(p.x, inner_width(), r.width), rescale(p.y, inner_height(), r.height)};
}

ui::Point SDButton::to_pixels(ui::Point p) const {
  const ui::Rect r = pixel_rect();
  return {rescale(p.x, r.width, inner_width()), rescale(p.y, r.height, inner_height())};
}

void SDButton::fit_caption() {
  const ui::Size s = measure_text(parts_.txt.text);
  parts_.txt.rect.width = s.width;
  parts_.txt.rect.height = s.height;
}

void SDButton::DrawPal(std::int16_t& skin_index) {
  const int h = to_int16(inner_height()), w = to_int16(inner_width());
  if (mode_value == 1 && check_value) skin_index = 1;
  const ui::Picture p = skin(skin_index);
  if (!p) return;  // stl1 has no such member: the face stays as it was

  ui::Bitmap surface(w, h);
  stretch_copy(*p, {0, 0, kCap, p->height}, surface, {0, 0, kCap, h});
  stretch_copy(*p, {kMiddleLeft, 0, kMiddleWidth, p->height}, surface, {kCap, 0, w, h});
  int right_cap = w - kCap;
  switch (mode_value) {
    case 2:
      parts_.down_ico.visible = true;
      break;
    case 3:
      parts_.down_ico.visible = true;
      parts_.down_img.visible = true;
      parts_.down_img.picture = skin(skin_index == 1 ? 0 : skin_index);
      right_cap = w - kCap - kSkinWidth;
      break;
    default:
      parts_.down_ico.visible = false;
      parts_.down_img.visible = false;
  }
  stretch_copy(*p, {p->width - kCap, 0, kCap, p->height}, surface, {right_cap, 0, kCap, h});

  const ui::Rect r = pixel_rect();
  const int fw = std::max(r.width, 0), fh = std::max(r.height, 0);
  face() = fw == w && fh == h ? std::move(surface) : stretched(surface, fw, fh);
  repaint();
}

void SDButton::Relayout() {
  const int w = inner_width(), h = inner_height();
  pressed_look_ = false;
  paint(2);
  if (mode_value == 4) paint(10);

  Part& img = parts_.img;
  Part& txt = parts_.txt;
  Part& down_ico = parts_.down_ico;
  Part& down_img = parts_.down_img;
  parts_.pal.rect.width = w;
  parts_.pal.rect.height = h;
  // Sizes are whole units here, so centring needs only the truncating halves.
  img.rect.left = 3;
  img.rect.top = h / 2 - img.rect.height / 2;
  fit_caption();
  txt.rect.top = h / 2 - txt.rect.height / 2;
  down_ico.rect.top = h / 2 - down_ico.rect.height / 2;
  down_ico.rect.left = w - 7;
  down_img.rect.left = w - down_img.rect.width;
  down_img.rect.height = h;
  txt.rect.left =
      align_value == 0 ? img.rect.left + img.rect.width + 3 : w / 2 - txt.rect.width / 2;
  repaint();

  if (!auto_size_value || autosize_runs_ >= kMaxAutoSizeRuns) return;
  int width = 22;
  if (!txt.text.empty())
    width = txt.rect.width + txt.rect.left + 5 + (down_ico.visible ? kSkinWidth : 0);
  // The width is set in twips, 15 to the pixel, in the container's scale; the
  // size change runs Relayout again until the width stays.
  RunCount run(autosize_runs_);
  set_width(parent().from_pixels(width));
}

std::vector<ui::CustomControl::Overlay> SDButton::overlays() const {
  std::vector<Overlay> out;
  const Part& img = parts_.img;
  const Part& txt = parts_.txt;
  const Part& down_img = parts_.down_img;
  const Part& down_ico = parts_.down_ico;
  auto at = [&](const Part& part) { return to_pixels({part.rect.left, part.rect.top}); };
  if (img.visible && img.picture) out.push_back({img.picture, {}, at(img)});
  if (txt.visible && !txt.text.empty()) out.push_back({nullptr, txt.text, at(txt)});
  if (down_img.visible && down_img.picture) {
    // The arrow section stretches its skin to its box.
    const ui::Point corner = at(down_img);
    const ui::Point far = to_pixels(
        {down_img.rect.left + down_img.rect.width, down_img.rect.top + down_img.rect.height});
    out.push_back({std::make_shared<const ui::Bitmap>(
                       stretched(*down_img.picture, far.x - corner.x, far.y - corner.y)),
                   {},
                   corner,
                   true});
  }
  if (down_ico.visible && down_ico.picture) out.push_back({down_ico.picture, {}, at(down_ico)});
  return out;
}

SDButton::Target SDButton::hit(ui::Point pixels) const {
  const ui::Point p = to_units(pixels);
  if (contains(parts_.down_ico, p) || contains(parts_.down_img, p)) return Target::Arrow;
  if (contains(parts_.pal, p)) return Target::Face;
  return Target::None;
}

}  // namespace controls
