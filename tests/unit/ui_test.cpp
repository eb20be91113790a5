// The form model every window is written in, driven through the headless backend.

#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/headless/headless.h"

using namespace ui;
using ui::headless::Headless;

namespace {

int g_loads = 0;

class child_form : public Form {
 public:
  child_form() : Form("child_form") {}
  Label caption_label{*this, "caption_label"};
  TextBox box{*this, "box"};
  Frame group{*this, "group"};
  OptionButton a{group, "opt", 0}, b{group, "opt", 1};
  OptionButton loose{*this, "loose"};
  Timer slow{*this, "slow"}, fast{*this, "fast"};
  bool refuse_close = false;
  std::vector<std::string> ticks;

  void Load() override {
    ++g_loads;
    slow.set_interval(300);
    fast.set_interval(200);
    slow.on_tick = [this] { ticks.push_back("slow@" + std::to_string(clock->now())); };
    fast.on_tick = [this] { ticks.push_back("fast@" + std::to_string(clock->now())); };
  }
  bool QueryUnload(UnloadReason why) override {
    return !(refuse_close && why == UnloadReason::CloseBox);
  }
  Headless* clock = nullptr;
};

class owner_form : public Form {
 public:
  owner_form() : Form("owner_form") { set_scale(ScaleMode::Pixels); }
  PictureBox bar{*this, "bar"};
  PictureBox strip{*this, "strip"};
  Label tip{strip, "tip"};
  ControlArray<Label> rows{*this, "rows", {0, 2, 1}};
};

struct UiTest : ::testing::Test {
  Headless ui;
  void SetUp() override { g_loads = 0; }
};

}  // namespace

TEST_F(UiTest, SingleInstanceLoadsOnFirstUseAndAfreshAfterUnload) {
  child_form& first = Single<child_form>::get();
  EXPECT_EQ(g_loads, 1);
  first.box.set_text("kept while loaded");
  first.show(nullptr);
  first.hide();
  EXPECT_TRUE(Single<child_form>::loaded());
  EXPECT_EQ(Single<child_form>::get().box.text(), "kept while loaded");
  EXPECT_EQ(g_loads, 1);

  first.unload();
  EXPECT_FALSE(Single<child_form>::loaded());
  EXPECT_EQ(Single<child_form>::get().box.text(), "");
  EXPECT_EQ(g_loads, 2);
  EXPECT_EQ(ui.log(), (std::vector<std::string>{"load child_form", "show child_form",
                                                "hide child_form", "unload child_form",
                                                "load child_form"}));
}

TEST_F(UiTest, CloseBoxCanBeRefusedCodeUnloadAsksToo) {
  child_form& f = Single<child_form>::get();
  f.refuse_close = true;
  ui.close(f);
  EXPECT_TRUE(f.loaded());
  EXPECT_TRUE(f.unload());
  EXPECT_FALSE(Single<child_form>::loaded());
}

TEST_F(UiTest, ModalShowReturnsOnHideOrUnload) {
  owner_form& owner = Single<owner_form>::get();
  owner.show();
  ui.on_modal("child_form", [](Form& f) { f.hide(); });
  Single<child_form>::get().show_modal(owner);
  EXPECT_TRUE(Single<child_form>::loaded());

  ui.on_modal("child_form", [](Form& f) {
    // A handler may unload its own window; the object lives until the handler is done.
    auto& c = static_cast<child_form&>(f);
    c.unload();
    c.box.set_text("still reachable");
  });
  Single<child_form>::get().show_modal(owner);
  EXPECT_FALSE(Single<child_form>::loaded());
}

TEST_F(UiTest, UnscriptedWindowsAndBoxesFailInsteadOfHanging) {
  owner_form& owner = Single<owner_form>::get();
  EXPECT_THROW(Single<child_form>::get().show_modal(owner), std::logic_error);
  ui.on_modal("child_form", [](Form&) {});
  EXPECT_THROW(Single<child_form>::get().show_modal(owner), std::logic_error);  // left open
  EXPECT_THROW(message_box("Вопрос?", mb::YesNoCancel | mb::Question, "Quillet"),
               std::logic_error);
  ui.answer(IdOk);
  EXPECT_THROW(message_box("Да или нет?", mb::YesNo, "Quillet"), std::logic_error);
  ui.answer(IdNo);
  EXPECT_EQ(message_box("Да или нет?", mb::YesNo, "Quillet"), IdNo);
  ASSERT_EQ(ui.boxes().size(), 3u);  // every box shown is logged, answered or not
  EXPECT_EQ(ui.boxes().back().style, mb::YesNo);
}

TEST_F(UiTest, TimersFireInTimeOrderOnTheVirtualClock) {
  child_form& f = Single<child_form>::get();
  f.clock = &ui;
  ui.advance(650);
  EXPECT_EQ(f.ticks, (std::vector<std::string>{"fast@200", "slow@300", "fast@400", "slow@600",
                                              "fast@600"}));
  f.ticks.clear();
  f.fast.set_enabled(false);
  ui.advance(300);
  EXPECT_EQ(f.ticks, (std::vector<std::string>{"slow@900"}));
  f.unload();
  ui.advance(1000);  // an unloaded window's timers are gone
  EXPECT_EQ(f.ticks.size(), 1u);
}

TEST_F(UiTest, KeyFilterDropsOrReplacesTypedCharacters) {
  child_form& f = Single<child_form>::get();
  f.show();
  int changes = 0;
  f.box.set_multiline(true);
  f.box.on_change = [&] { ++changes; };
  f.box.on_key_press = [](char32_t& k) {
    if (k == U';') k = 0;
    if (k == 13) k = U'#';
  };
  ui.type(f.box, U"Привет;\rмир");
  EXPECT_EQ(f.box.text(), "Привет#мир");
  EXPECT_EQ(changes, 10);
  ui.type(f.box, U"\b\b");
  EXPECT_EQ(f.box.text(), "Привет#м");
  ui.paste(f.box, "a;b\r\nc");
  EXPECT_EQ(f.box.text(), "Привет#мa;b\r\nc");
  f.box.set_text("Привет#мa;b\r\nc");  // no change, no event
  EXPECT_EQ(changes, 13);
}

TEST_F(UiTest, OptionButtonsAreGroupedByContainer) {
  child_form& f = Single<child_form>::get();
  f.show();
  f.loose.set_value(true);
  f.a.set_value(true);
  ui.choose(f.b);
  EXPECT_FALSE(f.a.value());
  EXPECT_TRUE(f.b.value());
  EXPECT_TRUE(f.loose.value());
}

TEST_F(UiTest, ArraysDockingAndAutosize) {
  owner_form& o = Single<owner_form>::get();
  o.set_client_size(500, 426);
  o.bar.set_height(20);
  o.bar.set_docking(Docking::Top);
  o.strip.set_height(20);
  o.strip.set_docking(Docking::Bottom);
  EXPECT_EQ(o.bar.rect(), (Rect{0, 0, 500, 20}));
  EXPECT_EQ(o.strip.rect(), (Rect{0, 406, 500, 20}));

  EXPECT_EQ(o.rows[2].automation_name(), "rows(2)");
  EXPECT_EQ(o.rows.size(), 3);
  std::vector<std::string> order;  // creation order, as the form lists them
  for (Control* c : o.controls())
    if (c->name() == "rows") order.push_back(c->automation_name());
  EXPECT_EQ(order, (std::vector<std::string>{"rows(0)", "rows(2)", "rows(1)"}));

  Font bold;
  bold.bold = true;
  o.tip.set_font(bold);
  o.tip.set_autosize(true);
  o.tip.set_caption("abc");
  EXPECT_EQ(o.tip.width(), Headless::text_size("abc", bold).width);
}
