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
using ui::Point;

struct TestForm : ui::Form {
  TestForm() : ui::Form("test_form") { set_client_size(9000, 3000); }
  SDButton button{*this, "sd_test"};
  ui::PictureBox toolbar{*this, "toolbar"};
  SDButton tool{toolbar, "sd", 0};
};

// Counts the paintings pushed to the screen.
class FaceCounter : public ui::Peer {
 public:
  explicit FaceCounter(int& n) : n_(n) {}
  void update(ui::Prop what) override { n_ += what == ui::Prop::Face; }

 private:
  int& n_;
};

ui::Picture picture16() { return std::make_shared<const ui::Bitmap>(16, 16, 0xFF0000FFu); }

int text_width(const std::string& s) { return ui::headless::Headless::text_size(s, {}).width; }

std::uint32_t skin_at(int k, int x, int y) { return controls::skin(k)->at(x, y) | 0xFF000000u; }
std::uint32_t grey(std::uint32_t v) { return 0xFF000000u | v << 16 | v << 8 | v; }

// At the skins' own height of 23 the face is the skin itself: the left six
// columns, the middle column repeated, and the right six columns ending at
// right_end.
bool face_is_skin(const SDButton& b, int k, int right_end = -1) {
  const ui::Bitmap& f = b.face();
  if (f.height != controls::kSkinHeight) return false;
  if (right_end < 0) right_end = f.width;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < right_end; ++x) {
      const int sx = x < 6 ? x : x >= right_end - 6 ? x - (right_end - 9) : 3;
      if (f.at(x, y) != skin_at(k, sx, y)) return false;
    }
  return true;
}

// Every face row is a skin row, in order, from the first to the last.
void expect_rows_stretched(const SDButton& b, int k) {
  const ui::Bitmap& f = b.face();
  const ui::Bitmap& s = *controls::skin(k);
  int row = 0;
  for (int y = 0; y < f.height; ++y) {
    auto same = [&](int r) {
      for (int x = 0; x < 6; ++x)
        if (f.at(x, y) != (s.at(x, r) | 0xFF000000u)) return false;
      return true;
    };
    while (row < s.height && !same(row)) ++row;
    ASSERT_LT(row, s.height) << "face row " << y << " is no later skin row";
  }
  EXPECT_EQ(row, s.height - 1);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(f.at(x, 0), s.at(x, 0) | 0xFF000000u);
}

class SDButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    b.on_property_changed = [this](std::string_view p) { changes.emplace_back(p); };
    b.on_click = [this] { ++clicks; };
    b.on_arrow_click = [this] { ++arrow_clicks; };
  }
  const ui::Bitmap& face() const { return std::as_const(b).face(); }
  // Sizes in pixels of the button, on a form in twips.
  void place(int w, int h) { b.move(0, 0, w * 15, h * 15); }
  void show() {
    form.load();
    b.attach(std::make_unique<FaceCounter>(paintings));
    form.show();
  }

  ui::headless::Headless ui;
  TestForm form;
  SDButton& b = form.button;
  std::vector<std::string> changes;
  int clicks = 0, arrow_clicks = 0, paintings = 0;
};

// --- stored properties ---

TEST_F(SDButtonTest, WithoutStoredPropertiesKeepsItsInitialState) {
  EXPECT_EQ(b.Caption(), "Каптярка");
  EXPECT_EQ(b.rect(), (ui::Rect{0, 0, 2715, 1185}));
  EXPECT_EQ(b.out_timer().interval(), 100);
  EXPECT_TRUE(b.out_timer().enabled());
  EXPECT_FALSE(b.is_hover());
}

TEST_F(SDButtonTest, RestoresWithDefaultsAnyKeyCaseAndAnyNumericWidth) {
  PropertyBag only_caption;
  only_caption.write("caption", std::string("Создать"));
  b.ReadProperties(only_caption);
  EXPECT_EQ(b.Caption(), "Создать");
  EXPECT_EQ(b.Mode(), 0);
  EXPECT_EQ(b.Align(), 0);
  EXPECT_FALSE(b.AutoSize());
  EXPECT_FALSE(b.Check());
  EXPECT_EQ(b.Picture(), nullptr);

  PropertyBag mixed;
  mixed.write("MODE", std::int16_t{4});
  mixed.write("aLiGn", std::int32_t{1});
  mixed.write("autosize", std::int16_t{-1});
  mixed.write("Check", std::string("True"));
  b.ReadProperties(mixed);
  EXPECT_EQ(b.Mode(), 4);
  EXPECT_EQ(b.Align(), 1);
  EXPECT_TRUE(b.AutoSize());
  EXPECT_TRUE(b.Check());
  EXPECT_EQ(b.Caption(), "") << "a caption that is not stored is empty";

  // Values of the wrong kind take their defaults instead of failing the load.
  PropertyBag wrong;
  wrong.write("mode", picture16());
  wrong.write("align", std::string("abc"));
  wrong.write("picture", std::int32_t{7});
  b.ReadProperties(wrong);
  EXPECT_EQ(b.Mode(), 0);
  EXPECT_EQ(b.Align(), 0);
  EXPECT_EQ(b.Picture(), nullptr);
}

TEST_F(SDButtonTest, SavesNonDefaultsInOrderAndRestoresThem) {
  PropertyBag bag;
  b.set_Caption("");
  b.WriteProperties(bag);
  EXPECT_TRUE(bag.entries().empty());

  const ui::Picture pic = picture16();
  b.set_Check(true);
  b.set_Caption("Отмена");
  b.set_Picture(pic);
  b.set_Mode(4);
  b.set_AutoSize(true);
  b.set_Align(1);
  b.WriteProperties(bag);
  std::vector<std::string> keys;
  for (const auto& e : bag.entries()) keys.push_back(e.first);
  EXPECT_EQ(keys,
            (std::vector<std::string>{"Align", "AutoSize", "Mode", "Picture", "Caption", "Check"}));

  SDButton copy(form, "copy");
  copy.ReadProperties(bag);
  EXPECT_EQ(copy.Picture(), pic) << "pictures are shared, not copied";
  EXPECT_EQ(copy.Caption(), "Отмена");
  EXPECT_TRUE(copy.Check() && copy.AutoSize());
  EXPECT_EQ(copy.Mode(), 4);
  EXPECT_EQ(copy.Align(), 1);

  // Saving into the same bag again drops what went back to its default.
  b.set_Check(false);
  b.WriteProperties(bag);
  EXPECT_FALSE(bag.contains("check"));
}

TEST_F(SDButtonTest, WritersReportAndOnlyModeAndAlignLayOut) {
  b.set_AutoSize(true);
  b.set_Caption("Да");
  b.set_Mode(0);
  const int width = b.width();
  b.set_Caption("Сохранить как");
  EXPECT_EQ(b.width(), width) << "a new caption waits for the next Relayout";
  b.set_Mode(0);
  EXPECT_GT(b.width(), width) << "writing Mode with its own value still lays out";
  EXPECT_EQ(changes, (std::vector<std::string>{"AutoSize", "Caption", "Mode", "Caption", "Mode"}));
}

TEST_F(SDButtonTest, StoredInstancesRestoreIntoTheirContainers) {
  EXPECT_EQ(controls::stored_buttons().size(), 17u);
  const auto* ok = controls::find_stored_button("make_form", "SDButton1");
  ASSERT_NE(ok, nullptr);
  const PropertyBag bag = controls::stored_properties(*ok, nullptr);
  std::vector<std::string> keys;
  for (const auto& e : bag.entries()) keys.push_back(e.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"_extentx", "_extenty", "align", "mode", "caption"}));

  controls::restore(b, *ok, nullptr);
  EXPECT_EQ(b.rect(), (ui::Rect{1200, 4800, 1575, 375}));
  EXPECT_EQ(b.Caption(), "OK");
  EXPECT_EQ(b.Mode(), 4);
  EXPECT_EQ(b.Align(), 1);

  // The toolbar lies in a picture box, which counts in pixels.
  form.toolbar.move(0, 0, 600, 19);
  const auto* create = controls::find_stored_button("main_form", "sd", 0);
  ASSERT_NE(create, nullptr);
  controls::restore(form.tool, *create, picture16());
  EXPECT_EQ(form.tool.rect(), (ui::Rect{0, 1, text_width("Создать") + 27, 18}));
}

// --- layout and drawing ---

TEST_F(SDButtonTest, ToolbarButtonPlacesPictureAndCaptionOnAFlatFace) {
  b.set_Picture(picture16());
  b.set_Caption("Создать");
  place(69, 18);
  EXPECT_EQ(b.parts().img.rect, (ui::Rect{3, 1, 16, 16}));
  EXPECT_EQ(b.parts().txt.rect.left, 22);
  EXPECT_EQ(b.parts().txt.rect.top, 9 - 13 / 2);
  ASSERT_EQ(face().width, 69);
  ASSERT_EQ(face().height, 18);
  for (std::uint32_t px : face().pixels) ASSERT_EQ(px, grey(0xF0));

  // Centring leaves the odd pixel below.
  place(69, 25);
  EXPECT_EQ(b.parts().img.rect.top, 4);
  place(69, 17);
  EXPECT_EQ(b.parts().img.rect.top, 0);
}

TEST_F(SDButtonTest, BorderedButtonStretchesSkin10AndCentresTheCaption) {
  b.set_Caption("OK");
  b.set_Align(1);
  b.set_Mode(4);
  place(105, 25);
  const auto& txt = b.parts().txt.rect;
  EXPECT_EQ(txt.left, 105 / 2 - text_width("OK") / 2);
  EXPECT_EQ(txt.top, 12 - txt.height / 2);
  const ui::Bitmap& f = face();
  EXPECT_EQ(f.at(0, 0), grey(0xE6));
  EXPECT_EQ(f.at(104, 0), grey(0xE8));
  EXPECT_EQ(f.at(0, 24), grey(0xE4));
  EXPECT_EQ(f.at(104, 24), grey(0xE6));
  expect_rows_stretched(b, 10);
}

TEST_F(SDButtonTest, HoverSkinKeepsItsEdgesWhenSquashedTo18) {
  place(40, 18);
  std::int16_t k = 0;
  b.DrawPal(k);
  expect_rows_stretched(b, 0);
  EXPECT_EQ(face().at(20, 0), grey(0xA8)) << "the top border runs across the middle";
  EXPECT_EQ(face().at(39, 9), grey(0xA8)) << "the right border ends at the edge";
}

TEST_F(SDButtonTest, AutoSizeWidths) {
  b.set_Picture(picture16());
  b.set_Caption("Создать");
  b.set_AutoSize(true);
  place(200, 18);
  EXPECT_EQ(b.width(), (text_width("Создать") + 27) * 15);

  b.set_Mode(3);  // the arrow section is added
  EXPECT_EQ(b.width(), (text_width("Создать") + 27 + 9) * 15);

  b.set_Caption("");
  b.set_Mode(3);
  EXPECT_EQ(b.width(), 330) << "empty caption, whatever the picture and mode";

  // A centred caption reaches the width that no longer changes.
  b.set_Caption("Компиляция");
  b.set_Mode(0);
  b.set_Align(1);
  const int settled = b.width() / 15;
  const int tw = text_width("Компиляция");
  EXPECT_EQ(settled, tw + (settled / 2 - tw / 2) + 5);
}

TEST_F(SDButtonTest, SmallButtonCountsSixteenUnits) {
  place(10, 12);
  EXPECT_EQ(b.inner_width(), 16);
  EXPECT_EQ(b.inner_height(), 16);
  EXPECT_EQ(b.parts().pal.rect, (ui::Rect{0, 0, 16, 16}));
  EXPECT_EQ(face().width, 10);
  EXPECT_EQ(face().height, 12);
  place(30, 23);
  EXPECT_EQ(b.inner_width(), 30) << "growing again gives pixels back";
}

TEST_F(SDButtonTest, SplitButtonEndsItsFaceBeforeTheArrowSection) {
  b.set_Caption("Да");
  b.set_Mode(3);
  place(60, 23);
  EXPECT_TRUE(face_is_skin(b, 2, 60 - 9));
  const auto& down_img = b.parts().down_img;
  EXPECT_EQ(down_img.rect, (ui::Rect{51, 0, 9, 23}));
  EXPECT_EQ(down_img.picture, controls::skin(2));
  EXPECT_EQ(b.parts().down_ico.rect, (ui::Rect{53, 10, 5, 3}));

  const auto overlays = b.overlays();  // back to front: caption, arrow section, glyph
  ASSERT_EQ(overlays.size(), 3u);
  EXPECT_EQ(overlays[0].text, "Да");
  EXPECT_EQ(overlays[1].at, (Point{51, 0}));
  EXPECT_EQ(overlays[1].picture->height, 23);
  EXPECT_EQ(overlays[2].picture, controls::arrow_glyph());
}

TEST_F(SDButtonTest, CheckShowsAtTheNextPaintingInMode1) {
  b.set_Mode(1);
  place(40, 23);
  ASSERT_TRUE(face_is_skin(b, 2));
  b.set_Check(true);
  EXPECT_TRUE(face_is_skin(b, 2)) << "writing Check does not paint";
  EXPECT_TRUE(b.Check());
  std::int16_t k = 0;
  b.DrawPal(k);
  EXPECT_EQ(k, 1);
  EXPECT_TRUE(face_is_skin(b, 1));
  b.Relayout();
  EXPECT_TRUE(face_is_skin(b, 1)) << "the resting look is pressed too";

  std::int16_t missing = 5;
  b.set_Mode(0);
  b.DrawPal(missing);
  EXPECT_TRUE(face_is_skin(b, 2)) << "a skin index without a skin paints nothing";
}

// --- pointer ---

TEST_F(SDButtonTest, HoverIsDrawnOnceAndUndoneWithin100ms) {
  place(40, 23);
  show();
  ui.move(b, {5, 5});
  EXPECT_TRUE(face_is_skin(b, 0));
  EXPECT_TRUE(b.is_hover());
  const int after_first = paintings;
  ui.move(b, {6, 6});
  EXPECT_EQ(paintings, after_first) << "further moves draw nothing";

  ui.move(b, {40, 23});  // the right and bottom edge lines count as inside
  ui.advance(300);
  EXPECT_TRUE(b.is_hover());
  EXPECT_TRUE(face_is_skin(b, 0));

  ui.move(b, {41, 5});  // outside: the move itself is not over the button
  EXPECT_TRUE(face_is_skin(b, 0));
  ui.advance(99);
  EXPECT_TRUE(face_is_skin(b, 0));
  ui.advance(1);
  EXPECT_TRUE(face_is_skin(b, 2));
  EXPECT_FALSE(b.is_hover());
  EXPECT_FALSE(b.out_timer().enabled());
}

TEST_F(SDButtonTest, NewButtonStopsItsTimerAtTheFirstTickOutside) {
  place(40, 23);
  show();
  const int shown = paintings;
  ui.advance(100);
  EXPECT_FALSE(b.out_timer().enabled());
  EXPECT_EQ(paintings, shown + 2) << "one Relayout: a painting and the placing of the parts";
  ui.advance(1000);
  EXPECT_EQ(paintings, shown + 2);
}

TEST_F(SDButtonTest, ClickOnTheCaptionPressesShiftsAndClicks) {
  b.set_Picture(picture16());
  b.set_Caption("Открыть");
  place(80, 23);
  show();
  const auto txt = b.parts().txt.rect, img = b.parts().img.rect;
  ui.move(b, {txt.left + 1, txt.top + 1});
  ui.press(b, {txt.left + 1, txt.top + 1});
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_EQ(b.parts().txt.rect.top, txt.top + 1);
  EXPECT_EQ(b.parts().img.rect.top, img.top + 1);
  EXPECT_EQ(clicks, 0);
  ui.release(b, {txt.left + 1, txt.top + 1});
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(face_is_skin(b, 0));
  EXPECT_EQ(b.parts().txt.rect, txt);

  // The right button presses too, but only the left one clicks.
  ui.press(b, {2, 2}, ui::MouseButton::Right);
  EXPECT_TRUE(face_is_skin(b, 1));
  ui.release(b, {2, 2}, ui::MouseButton::Right);
  // A release outside the button is no click.
  ui.press(b, {2, 2});
  ui.release(b, {80, 2});
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(face_is_skin(b, 0));
  EXPECT_EQ(arrow_clicks, 0);
}

TEST_F(SDButtonTest, ToggleFlipsCheckAtThePress) {
  b.set_Mode(1);
  place(40, 23);
  show();
  bool check_at_click = false;
  b.on_click = [&] { check_at_click = b.Check(); };
  changes.clear();
  ui.click(b);
  EXPECT_TRUE(check_at_click);
  EXPECT_EQ(changes, std::vector<std::string>{"Check"});
  EXPECT_TRUE(face_is_skin(b, 1)) << "checked shows pressed after the release";
  ui.click(b);
  EXPECT_FALSE(b.Check());
  EXPECT_TRUE(face_is_skin(b, 0));
}

TEST_F(SDButtonTest, DoubleClickSecondPressNeitherPressesNorClicks) {
  b.set_Mode(1);
  place(40, 23);
  show();
  ui.click(b);
  ASSERT_TRUE(b.Check());
  b.set_Check(false);
  b.Relayout();
  ui.move(b, {5, 5});
  ui.double_press(b, {5, 5});
  EXPECT_FALSE(b.Check());
  EXPECT_TRUE(face_is_skin(b, 2));
  ui.release(b, {5, 5});
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(face_is_skin(b, 0));
}

TEST_F(SDButtonTest, SplitButtonArrowPressesOnlyTheArrowSection) {
  b.set_Caption("Да");
  b.set_Mode(3);
  place(60, 23);
  show();
  const auto txt = b.parts().txt.rect;
  const auto glyph = b.parts().down_ico.rect;
  ui.move(b, {55, 2});
  ui.press(b, {55, 2});
  EXPECT_EQ(b.parts().down_img.picture, controls::skin(1));
  EXPECT_EQ(b.parts().down_ico.rect.top, glyph.top + 1);
  EXPECT_EQ(b.parts().txt.rect, txt);
  EXPECT_TRUE(face_is_skin(b, 0, 51)) << "the main face keeps the hover look";
  ui.release(b, {200, 200});  // far outside
  EXPECT_EQ(arrow_clicks, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(b.parts().down_ico.rect, glyph);

  // A press on the main face leaves the glyph and shows the arrow section hot.
  ui.press(b, {10, 10});
  EXPECT_TRUE(face_is_skin(b, 1, 51));
  EXPECT_EQ(b.parts().down_img.picture, controls::skin(0));
  EXPECT_EQ(b.parts().down_ico.rect, glyph);
  ui.release(b, {10, 10});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(arrow_clicks, 1);
}

TEST_F(SDButtonTest, GlyphOfMode2PressesTheWholeFace) {
  b.set_Mode(2);
  place(60, 23);
  show();
  const auto glyph = b.parts().down_ico.rect;
  ui.move(b, {glyph.left + 2, glyph.top});
  ui.press(b, {glyph.left + 2, glyph.top});
  EXPECT_TRUE(face_is_skin(b, 1));
  EXPECT_EQ(b.parts().down_ico.rect.top, glyph.top + 1);
  ui.release(b, {glyph.left + 2, glyph.top});
  EXPECT_EQ(arrow_clicks, 1);
  EXPECT_EQ(clicks, 0);
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
  EXPECT_FALSE(b.is_hover());
  EXPECT_FALSE(b.out_timer().enabled());

  ui.release(b, {-30, 5});
  EXPECT_EQ(clicks, 0);
  ui.advance(1000);
  EXPECT_TRUE(face_is_skin(b, 0)) << "no timer runs to take the hover look back";
}

}  // namespace
