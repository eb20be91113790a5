// SDButton without windows: stored properties, layout numbers, face pixels and
// the pointer state machine, on a small form of the headless backend.

#include "controls/sdbutton.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/skins.h"
#include "controls/stored_buttons.h"
#include "ui/headless/headless.h"

namespace {

using controls::PropertyBag;
using controls::SDButton;
using ui::Rect;
using Strings = std::vector<std::string>;

struct TestForm : ui::Form {
  TestForm() : ui::Form("test_form") { set_client_size(9000, 3000); }
  SDButton button{*this, "sd_test"};
  ui::PictureBox toolbar{*this, "toolbar"};
  SDButton tool{toolbar, "sd", 0};
};

// Counts the paintings pushed to the screen.
struct FaceCounter : ui::Peer {
  explicit FaceCounter(int& n) : n(n) {}
  void update(ui::Prop what) override { n += what == ui::Prop::Face; }
  int& n;
};

ui::Picture picture16() { return std::make_shared<const ui::Bitmap>(16, 16, 0xFF0000FFu); }
int text_width(const std::string& s) { return ui::headless::Headless::text_size(s, {}).width; }
std::uint32_t skin_at(int k, int x, int y) { return controls::skin(k)->at(x, y) | 0xFF000000u; }
std::uint32_t grey(std::uint32_t v) { return 0xFF000000u | v << 16 | v << 8 | v; }
Strings keys(const PropertyBag& bag) {
  Strings k;
  for (const auto& e : bag.entries()) k.push_back(e.first);
  return k;
}

// At the skins' own height of 23 the face is the skin itself: the left six
// columns, the middle column repeated, the right six columns ending at right_end.
bool face_is_skin(const SDButton& b, int k, int right_end = -1) {
  const ui::Bitmap& f = b.face();
  if (right_end < 0) right_end = f.width;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < right_end; ++x) {
      const int sx = x < 6 ? x : x >= right_end - 6 ? x - (right_end - 9) : 3;
      if (f.height != 23 || f.at(x, y) != skin_at(k, sx, y)) return false;
    }
  return true;
}

// Every face row is a skin row, in order, from the first to the last.
void expect_rows_stretched(const SDButton& b, int k) {
  const ui::Bitmap& f = b.face();
  auto same = [&](int y, int r) {
    for (int x = 0; x < 6; ++x)
      if (f.at(x, y) != skin_at(k, x, r)) return false;
    return true;
  };
  int row = 0;
  for (int y = 0; y < f.height; ++y)
    while (!same(y, row)) ASSERT_LT(++row, 23) << "face row " << y << " is no later skin row";
  EXPECT_TRUE(same(0, 0));
  EXPECT_EQ(row, 22);
}

class SDButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    b.on_property_changed = [this](std::string_view p) { changes.emplace_back(p); };
    b.on_click = [this] { ++clicks; };
    b.on_arrow_click = [this] { ++arrow_clicks; };
  }
  const ui::Bitmap& face() const { return std::as_const(b).face(); }
  void place(int w, int h) { b.move(0, 0, w * 15, h * 15); }  // pixels, on a form in twips
  void show() {
    form.load();
    b.attach(std::make_unique<FaceCounter>(paintings));
    form.show();
  }

  ui::headless::Headless ui;
  TestForm form;
  SDButton& b = form.button;
  Strings changes;
  int clicks = 0, arrow_clicks = 0, paintings = 0;
};

// --- stored properties ---

TEST_F(SDButtonTest, RestoresWithDefaultsAnyKeyCaseAndAnyNumericWidth) {
  EXPECT_EQ(b.Caption(), "Каптярка") << "until properties are restored";
  PropertyBag only_caption;
  only_caption.write("caption", std::string("Создать"));
  b.ReadProperties(only_caption);
  EXPECT_EQ(b.Caption(), "Создать");
  EXPECT_TRUE(b.Mode() == 0 && b.Align() == 0 && !b.AutoSize() && !b.Check() && !b.Picture());

  PropertyBag mixed;
  mixed.write("MODE", std::int16_t{4});
  mixed.write("aLiGn", std::int32_t{1});
  mixed.write("autosize", std::int16_t{-1});
  mixed.write("Check", std::string("True"));
  mixed.write("picture", std::int32_t{7});  // the wrong kind: the default, not a failed load
  b.ReadProperties(mixed);
  EXPECT_TRUE(b.Mode() == 4 && b.Align() == 1 && b.AutoSize() && b.Check() && !b.Picture());
  EXPECT_EQ(b.Caption(), "");
}

TEST_F(SDButtonTest, SavesOnlyNonDefaultsInOrder) {
  PropertyBag bag;
  b.set_Caption("");
  b.WriteProperties(bag);
  EXPECT_TRUE(bag.entries().empty());

  b.set_Check(true);
  b.set_Caption("Отмена");
  b.set_Picture(picture16());
  b.set_Mode(4);
  b.set_AutoSize(true);
  b.set_Align(1);
  b.WriteProperties(bag);
  EXPECT_EQ(keys(bag), (Strings{"Align", "AutoSize", "Mode", "Picture", "Caption", "Check"}));
  b.set_Check(false);
  b.WriteProperties(bag);
  EXPECT_FALSE(bag.contains("check")) << "a reused bag loses what went back to its default";
}

TEST_F(SDButtonTest, StoredInstancesRestoreIntoTheirContainers) {
  const auto* ok = controls::find_stored_button("make_form", "SDButton1");
  ASSERT_NE(ok, nullptr);
  controls::restore(b, *ok, nullptr);
  EXPECT_EQ(b.rect(), (Rect{9225, 3840, 1575, 375}));
  EXPECT_TRUE(b.Caption() == "OK" && b.Mode() == 4 && b.Align() == 1);

  // The toolbar is a picture box, which counts in pixels.
  const auto* create = controls::find_stored_button("main_form", "sd", 0);
  ASSERT_NE(create, nullptr);
  controls::restore(form.tool, *create, picture16());
  EXPECT_EQ(form.tool.rect(), (Rect{0, 1, text_width("Создать") + 27, 18}));
}

// --- layout and drawing ---

TEST_F(SDButtonTest, ToolbarButtonCentresItsPartsOnAFlatFace) {
  b.set_Picture(picture16());
  b.set_Caption("Создать");
  place(69, 18);
  EXPECT_EQ(b.parts().img.rect, (Rect{3, 1, 16, 16}));
  EXPECT_EQ(b.parts().txt.rect.left, 22);
  EXPECT_EQ(b.parts().txt.rect.top, 9 - 13 / 2);
  ASSERT_EQ(face().width * face().height, 69 * 18);
  for (std::uint32_t px : face().pixels) ASSERT_EQ(px, grey(0xF0));
  place(69, 25);
  EXPECT_EQ(b.parts().img.rect.top, 4) << "the odd pixel stays below";
  place(10, 12);
  EXPECT_EQ(b.parts().pal.rect, (Rect{0, 0, 16, 16})) << "a small button counts 16 units";
}

TEST_F(SDButtonTest, SkinsStretchToTheHeightKeepingTheirEdges) {
  b.set_Caption("OK");
  b.set_Align(1);
  b.set_Mode(4);
  place(105, 25);
  EXPECT_EQ(b.parts().txt.rect.left, 105 / 2 - text_width("OK") / 2);
  EXPECT_EQ(b.parts().txt.rect.top, 12 - 13 / 2);
  EXPECT_EQ(face().at(104, 0), grey(0xE8)) << "the right cap at the right edge";
  EXPECT_EQ(face().at(104, 24), grey(0xE6));
  expect_rows_stretched(b, 10);

  place(40, 18);
  std::int16_t hover = 0;
  b.DrawPal(hover);
  expect_rows_stretched(b, 0);
  EXPECT_EQ(face().at(20, 0), grey(0xA8)) << "the top border runs across the middle";
  EXPECT_EQ(face().at(39, 9), grey(0xA8)) << "the right border ends at the edge";
}

TEST_F(SDButtonTest, AutoSizeWidthsFollowOnlyARelayout) {
  b.set_Picture(picture16());
  b.set_Caption("Создать");
  b.set_AutoSize(true);
  place(200, 18);
  EXPECT_EQ(b.width(), (text_width("Создать") + 27) * 15);
  b.set_Caption("Сохранить");
  EXPECT_EQ(b.width(), (text_width("Создать") + 27) * 15) << "a caption waits for Relayout";
  b.set_Mode(0);
  EXPECT_EQ(b.width(), (text_width("Сохранить") + 27) * 15) << "an unchanged Mode lays out";
  EXPECT_EQ(changes, (Strings{"Picture", "Caption", "AutoSize", "Caption", "Mode"}));
  b.set_Mode(3);
  EXPECT_EQ(b.width(), (text_width("Сохранить") + 27 + 9) * 15) << "with the arrow section";
  b.set_Caption("");
  b.set_Mode(3);
  EXPECT_EQ(b.width(), 330) << "empty caption, whatever the picture and mode";

  // A centred caption ends at the width that no longer changes.
  b.set_Caption("Компиляция");
  b.set_Mode(0);
  b.set_Align(1);
  const int settled = b.width() / 15, tw = text_width("Компиляция");
  EXPECT_EQ(settled, tw + (settled / 2 - tw / 2) + 5);

  // Shown again on a window that shows, it lays itself out; so it does when the
  // screen measures texts anew.
  b.set_Align(0);
  show();
  b.set_visible(false);
  b.set_Caption("Открыть");
  EXPECT_EQ(b.width(), (tw + 27) * 15);
  b.set_visible(true);
  EXPECT_EQ(b.width(), (text_width("Открыть") + 27) * 15);
  b.set_Caption("Сохранить");
  form.text_metrics_changed();
  EXPECT_EQ(b.width(), (text_width("Сохранить") + 27) * 15);
}

// --- pointer ---

TEST_F(SDButtonTest, HoverIsDrawnOnceAndUndoneWithin100ms) {
  place(40, 23);
  show();
  ui.advance(100);
  EXPECT_FALSE(b.out_timer().enabled()) << "a new button stops its timer at once";

  ui.move(b, {5, 5});
  EXPECT_TRUE(face_is_skin(b, 0));
  EXPECT_TRUE(b.is_hover() && b.out_timer().enabled());
  const int hovered = paintings;
  ui.move(b, {6, 6});
  EXPECT_EQ(paintings, hovered) << "further moves draw nothing";

  ui.move(b, {40, 23});  // the right and bottom edge lines count as inside
  ui.advance(300);
  EXPECT_TRUE(b.is_hover());
  ui.move(b, {41, 5});
  ui.advance(99);
  EXPECT_TRUE(face_is_skin(b, 0));
  ui.advance(1);
  EXPECT_TRUE(face_is_skin(b, 2));
  EXPECT_FALSE(b.is_hover() || b.out_timer().enabled());
}

TEST_F(SDButtonTest, ClickOnTheCaptionPressesShiftsAndClicks) {
  b.set_Picture(picture16());
  b.set_Caption("Открыть");
  place(80, 23);
  show();
  const Rect txt = b.parts().txt.rect, img = b.parts().img.rect;
  const ui::Point on_caption{txt.left + 1, txt.top + 1};
  const auto heard = [&] {
    const ui::Accessible a = b.accessible();
    return a.name + "; " + a.default_action + (a.pressed ? "; pressed" : "");
  };
  EXPECT_EQ(b.accessible().role, ui::Role::PushButton);
  EXPECT_EQ(heard(), "Открыть; Нажать");
  ui.move(b, on_caption);
  ui.press(b, on_caption);
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_EQ(b.parts().txt.rect.top, txt.top + 1);
  EXPECT_EQ(b.parts().img.rect.top, img.top + 1);
  EXPECT_EQ(heard(), "Открыть; Нажать; pressed");
  ui.release(b, on_caption);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(face_is_skin(b, 0));
  EXPECT_EQ(b.parts().txt.rect, txt);
  EXPECT_EQ(heard(), "Открыть; Нажать");

  ui.press(b, {2, 2}, ui::MouseButton::Right);
  EXPECT_TRUE(face_is_skin(b, 1)) << "every button presses";
  ui.release(b, {2, 2}, ui::MouseButton::Right);
  ui.press(b, {2, 2});
  ui.release(b, {80, 2});
  EXPECT_EQ(clicks, 1) << "only the left button clicks, and only inside";
  EXPECT_EQ(arrow_clicks, 0);
  EXPECT_TRUE(ui.default_action(b));
  EXPECT_EQ(clicks, 2) << "an accessibility tool's default action clicks";
}

TEST_F(SDButtonTest, Mode1ShowsCheckAtTheNextPaintingAndTogglesAtThePress) {
  b.set_Mode(1);
  place(40, 23);
  b.set_Check(true);
  EXPECT_TRUE(face_is_skin(b, 2)) << "writing Check does not paint";
  std::int16_t k = 0;
  b.DrawPal(k);
  EXPECT_EQ(k, 1);
  EXPECT_TRUE(face_is_skin(b, 1));
  b.set_Check(false);
  std::int16_t missing = 5;
  b.DrawPal(missing);
  EXPECT_TRUE(face_is_skin(b, 1)) << "a skin index without a skin paints nothing";

  show();
  bool check_at_click = false;
  b.on_click = [&] { ++clicks, check_at_click = b.Check(); };
  changes.clear();
  ui.click(b);
  EXPECT_TRUE(check_at_click);
  EXPECT_EQ(changes, Strings{"Check"});
  EXPECT_TRUE(face_is_skin(b, 1)) << "checked shows pressed after the release";

  ui.double_press(b, {5, 5});
  EXPECT_TRUE(b.Check());
  ui.release(b, {5, 5});
  EXPECT_EQ(clicks, 1);

  ui.click(b);
  EXPECT_FALSE(b.Check());
  EXPECT_TRUE(face_is_skin(b, 0));

  // Without the pointer (keys, accessibility tools) a click toggles and clicks too.
  // A toggle button is a check button to accessibility tools.
  EXPECT_EQ(b.accessible().role, ui::Role::CheckButton);
  EXPECT_EQ(b.accessible().default_action, "Установить");
  ui.pointer_away();
  EXPECT_TRUE(ui.default_action(b));
  EXPECT_TRUE(check_at_click);
  EXPECT_EQ(clicks, 3);
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_TRUE(b.accessible().checked);
  EXPECT_EQ(b.accessible().default_action, "Снять");
}

TEST_F(SDButtonTest, SpaceHoldsThePressAndClicksOnReleaseEnterClicksAtOnce) {
  b.set_Caption("OK");
  place(80, 23);
  show();
  ASSERT_TRUE(b.has_focus()) << "the first tab stop of a window shown";
  const Rect txt = b.parts().txt.rect;
  ui.key_down(form, ui::key::Space);
  ui.key_down(form, ui::key::Space);  // the key repeats while held
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_EQ(b.parts().txt.rect.top, txt.top + 1);
  EXPECT_EQ(clicks, 0);
  ui.key_up(form, ui::key::Space);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(face_is_skin(b, 2));
  EXPECT_EQ(b.parts().txt.rect, txt);
  ui.key(form, ui::key::Enter);
  EXPECT_EQ(clicks, 2);
  ui.key(form, ui::key::Enter, ui::shift::Ctrl);
  EXPECT_EQ(clicks, 2) << "a key with Ctrl is no click";

  // The focus leaving while Space is held takes the press back, without a click.
  ui.key_down(form, ui::key::Space);
  form.tool.set_focus();
  EXPECT_TRUE(face_is_skin(b, 2));
  EXPECT_EQ(b.parts().txt.rect, txt);
  ui.key_up(form, ui::key::Space);
  EXPECT_EQ(clicks, 2);

  // Mode 1 toggles once, at the press, as with the pointer.
  b.set_Mode(1);
  b.set_focus();
  ui.key_down(form, ui::key::Space);
  EXPECT_TRUE(b.Check());
  ui.key_up(form, ui::key::Space);
  EXPECT_TRUE(b.Check());
  EXPECT_EQ(clicks, 3);
}

TEST_F(SDButtonTest, SplitButtonLayoutArrowPressAndArrowClick) {
  b.set_Caption("Да");
  b.set_Mode(3);
  place(60, 23);
  show();
  EXPECT_TRUE(face_is_skin(b, 2, 60 - 9)) << "the right cap ends before the arrow section";
  EXPECT_EQ(b.parts().down_ico.rect, (Rect{53, 10, 5, 3}));
  const auto overlays = b.overlays();  // back to front: caption, arrow section, glyph
  ASSERT_EQ(overlays.size(), 3u);
  EXPECT_EQ(overlays[0].text, "Да");
  EXPECT_EQ(overlays[1].at, (ui::Point{51, 0}));
  EXPECT_EQ(overlays[1].picture->height, 23);
  EXPECT_EQ(overlays[2].picture, controls::arrow_glyph());

  const Rect txt = b.parts().txt.rect, glyph = b.parts().down_ico.rect;
  ui.move(b, {55, 2});
  ui.press(b, {55, 2});
  EXPECT_EQ(b.parts().down_img.picture, controls::skin(1));
  EXPECT_EQ(b.parts().down_ico.rect.top, glyph.top + 1);
  EXPECT_EQ(b.parts().txt.rect, txt);
  EXPECT_TRUE(face_is_skin(b, 0, 51)) << "the main face stays hot";
  ui.release(b, {200, 200});
  EXPECT_EQ(arrow_clicks, 1) << "also released far outside";

  ui.press(b, {10, 10});
  EXPECT_TRUE(face_is_skin(b, 1, 51));
  EXPECT_EQ(b.parts().down_img.picture, controls::skin(0));
  EXPECT_EQ(b.parts().down_ico.rect, glyph);
  ui.release(b, {10, 10});
  EXPECT_EQ(clicks, 1);

  // In Mode 2 the glyph presses the whole face.
  b.set_Mode(2);
  const Rect glyph2 = b.parts().down_ico.rect;
  ui.press(b, {glyph2.left + 2, glyph2.top});
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_EQ(b.parts().down_ico.rect.top, glyph2.top + 1);
  ui.release(b, {glyph2.left + 2, glyph2.top});
  EXPECT_EQ(arrow_clicks, 2);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SDButtonTest, PressHeldWhileLeavingRestsThenKeepsTheHoverLook) {
  b.set_Caption("Да");
  place(40, 23);
  show();
  const int txt_top = b.parts().txt.rect.top;
  ui.move(b, {5, 5});
  ui.press(b, {5, 5});
  ui.pointer_away();
  ui.advance(100);
  EXPECT_TRUE(face_is_skin(b, 2)) << "resting while the button is still down";
  EXPECT_EQ(b.parts().txt.rect.top, txt_top);
  ui.move(b, {-30, 5});  // captured moves outside do not count
  EXPECT_FALSE(b.is_hover() || b.out_timer().enabled());

  ui.release(b, {-30, 5});
  EXPECT_EQ(clicks, 0);
  ui.advance(1000);
  EXPECT_TRUE(face_is_skin(b, 0)) << "no timer runs to take the hover look back";
}

}  // namespace
