// The form model every window is written in, driven through the headless backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/diagram.h"
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

// A self-drawn button that counts the clicks made without the pointer.
class Push : public CustomControl {
 public:
  using CustomControl::CustomControl;
  void activate() override { ++clicks; }
  int clicks = 0;
};

// Tab order apart from creation order, a group of options, default and cancel
// buttons, a shortcut, and a picture box that takes the keys.
class keys_form : public Form {
 public:
  keys_form() : Form("keys_form") {
    notes.set_multiline(true);
    list.set_can_focus(true);
    skipped.set_tab_stop(false);
    list.set_tab_index(0);
    name.set_tab_index(1);
    notes.set_tab_index(2);
    for (int i = 0; i < 3; ++i) opt[i].set_tab_index(3 + i);
    ok.set_tab_index(6);
    cancel.set_tab_index(7);
    set_default_button(&ok);
    set_cancel_button(&cancel);
    add_shortcut(key::Enter, shift::Ctrl, [this] { ++shortcuts; });
  }
  Push cancel{*this, "cancel"};
  Push ok{*this, "ok"};
  Label title{*this, "title"};
  TextBox name{*this, "name"};
  TextBox notes{*this, "notes"};
  Frame group{*this, "group"};
  ControlArray<OptionButton> opt{group, "opt", 3};
  Push skipped{*this, "skipped"};
  PictureBox list{*this, "list"};
  int shortcuts = 0;
};

// Drop-down lists labelled by the answers they follow, in a frame with a group of
// options, over default and cancel buttons; and a check box.
class choices_form : public Form {
 public:
  choices_form() : Form("choices_form") {
    next.each([](ComboBox& c) {
      for (const char* item : {"дальше", "диалог 3", "конец"}) c.add_item(item);
      c.set_list_index(0);
    });
    next[0].set_labelled_by(&answer);
    one_file.set_caption("Одним файлом");
    set_default_button(&ok);
    set_cancel_button(&cancel);
  }
  Push ok{*this, "ok"};
  Push cancel{*this, "cancel"};
  Frame group{*this, "group"};
  ControlArray<OptionButton> opt{group, "opt", 2};
  Label answer{group, "answer"};
  ControlArray<ComboBox> next{group, "dlg_next", 2};
  CheckBox one_file{*this, "one_file"};
};

std::string focused(const Form& f) {
  return f.focused_control() ? f.focused_control()->automation_name() : "(none)";
}

class drawing_form : public Form {
 public:
  drawing_form() : Form("drawing_form") { set_scale(ScaleMode::Pixels); }
  Diagram d{*this, "d"};
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
  EXPECT_EQ(ui.log(),
            (std::vector<std::string>{"load child_form", "show child_form", "hide child_form",
                                      "unload child_form", "load child_form"}));
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
  EXPECT_THROW(message_box("Вопрос?", mb::YesNoCancel | mb::Question, "Quillet"), std::logic_error);
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
  EXPECT_EQ(f.ticks,
            (std::vector<std::string>{"fast@200", "slow@300", "fast@400", "slow@600", "fast@600"}));
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

TEST_F(UiTest, TabFollowsTheTabIndexAndEntersAGroupAtItsChoice) {
  keys_form& f = Single<keys_form>::get();
  f.opt[1].set_value(true);
  f.show();
  EXPECT_EQ(ui.active_form(), &f);
  EXPECT_FALSE(f.keyboard_cues()) << "no focus mark before the keyboard is used";
  std::vector<std::string> visited{focused(f)};
  for (int i = 0; i < 6; ++i) {
    ui.key(f, key::Tab);
    visited.push_back(focused(f));
  }
  EXPECT_EQ(visited,
            (std::vector<std::string>{"list", "name", "notes", "opt(1)", "ok", "cancel", "list"}));
  EXPECT_TRUE(f.keyboard_cues());
  EXPECT_TRUE(f.list.shows_focus_mark());
  ui.key(f, key::Tab, shift::Shift);
  EXPECT_EQ(focused(f), "cancel");

  // The arrows move the choice round the group.
  f.opt[1].set_focus();
  ui.key(f, key::Right);
  ui.key(f, key::Down);
  EXPECT_EQ(focused(f), "opt(0)");
  EXPECT_TRUE(f.opt[0].value());
  EXPECT_FALSE(f.opt[1].value());
  EXPECT_FALSE(f.opt[2].value());
  ui.key(f, key::Up);
  EXPECT_EQ(focused(f), "opt(2)");

  // Tab into a text box selects its text: what is typed replaces it.
  f.name.set_text("old");
  f.list.set_focus();
  ui.key(f, key::Tab);
  ui.type(f.name, U"new");
  EXPECT_EQ(f.name.text(), "new");

  // A control going out of sight hands the focus on.
  f.ok.set_focus();
  f.ok.set_visible(false);
  EXPECT_EQ(focused(f), "cancel");
}

TEST_F(UiTest, EnterAndEscRunTheDefaultAndCancelButtonsUnlessTheControlKeepsTheKey) {
  keys_form& f = Single<keys_form>::get();
  f.show();
  f.name.set_focus();
  ui.key(f, key::Enter);
  ui.key(f, key::Escape);
  ui.key(f, key::Enter, shift::Shift);
  EXPECT_EQ(f.ok.clicks, 1);
  EXPECT_EQ(f.cancel.clicks, 1);
  EXPECT_EQ(f.name.text(), "") << "Enter and Esc are no characters of a one-line box";

  f.notes.set_focus();
  ui.key(f, key::Enter);
  EXPECT_EQ(f.notes.text(), "\r\n");
  ui.key(f, key::Enter, shift::Ctrl);
  EXPECT_EQ(f.shortcuts, 1);
  EXPECT_EQ(f.ok.clicks, 1);

  int list_keys = 0;
  f.list.on_key_down = [&](int& code, unsigned) {
    if (code == key::Enter) code = 0, ++list_keys;
  };
  f.list.set_focus();
  ui.key(f, key::Enter);
  EXPECT_EQ(list_keys, 1);
  ui.key(f, key::Escape);
  EXPECT_EQ(f.cancel.clicks, 2);

  f.ok.set_visible(false);
  f.name.set_focus();
  ui.key(f, key::Enter);
  EXPECT_EQ(f.ok.clicks, 1) << "a hidden default button does nothing";
}

TEST_F(UiTest, TheFocusComesBackWhenAModalWindowCloses) {
  keys_form& f = Single<keys_form>::get();
  f.show();
  f.notes.set_focus();
  ui.on_modal("child_form", [&](Form& c) {
    EXPECT_EQ(ui.active_form(), &c);
    EXPECT_FALSE(f.notes.has_focus());
    static_cast<child_form&>(c).box.set_focus();
    c.unload();
  });
  Single<child_form>::get().show_modal(f);
  EXPECT_EQ(focused(f), "notes");

  // Where that control went out of sight meanwhile, the next one takes it.
  ui.on_modal("child_form", [&](Form& c) {
    f.notes.set_visible(false);
    c.unload();
  });
  Single<child_form>::get().show_modal(f);
  EXPECT_EQ(focused(f), "opt(0)");
}

TEST_F(UiTest, ADropDownListTakesItsKeysAndTellsEachChoiceOnce) {
  choices_form& f = Single<choices_form>::get();
  f.answer.set_caption("ОК:");
  f.opt[0].set_value(true);
  f.show();
  ComboBox& next = f.next[0];
  std::vector<std::string> chosen;
  next.on_change = [&] { chosen.push_back(next.text()); };
  next.set_focus();

  // Closed, the keys choose at once; the option group keeps its arrows to itself.
  for (int code : {key::Down, key::End, key::Down, key::Home, key::Right, key::Up}) ui.key(f, code);
  EXPECT_EQ(chosen,
            (std::vector<std::string>{"диалог 3", "конец", "дальше", "диалог 3", "дальше"}));
  EXPECT_EQ(focused(f), "dlg_next(0)");
  EXPECT_TRUE(f.opt[0].value());

  // Open, the keys move through the list; Esc closes it as it was, Enter on the
  // item, and neither reaches the window's buttons.
  chosen.clear();
  ui.key(f, key::Down, shift::Alt);
  EXPECT_TRUE(next.dropped_down());
  EXPECT_TRUE(next.accessible().expanded);
  ui.key(f, key::Down);
  ui.key(f, key::Down);
  EXPECT_EQ(next.text(), "конец");
  ui.key(f, key::Escape);
  EXPECT_FALSE(next.dropped_down());
  EXPECT_EQ(next.text(), "дальше");
  ui.key(f, key::F4);
  ui.key(f, key::End);
  ui.key(f, key::Enter);
  EXPECT_FALSE(next.dropped_down());
  EXPECT_EQ(chosen, std::vector<std::string>{"конец"});
  EXPECT_EQ(f.ok.clicks + f.cancel.clicks, 0);
  // Closed, Enter and Esc are the window's again.
  ui.key(f, key::Enter);
  ui.key(f, key::Escape);
  EXPECT_EQ(f.ok.clicks, 1);
  EXPECT_EQ(f.cancel.clicks, 1);

  // The pointer: the other list of the array; the window's own choice tells nothing.
  int others = 0;
  f.next[1].on_change = [&] { ++others; };
  ui.choose(f.next[1], 2);
  ui.choose(f.next[1], 2);
  f.next[1].set_list_index(1);
  EXPECT_EQ(others, 1);
  EXPECT_EQ(f.next[1].text(), "диалог 3");

  // A reader hears a combo box named by its label, its choice as the value.
  Accessible heard = next.accessible();
  EXPECT_EQ(heard.role, Role::ComboBox);
  EXPECT_EQ(heard.name, "ОК:");
  EXPECT_EQ(heard.value, "конец");
  EXPECT_TRUE(heard.expandable && !heard.expanded);
  f.answer.set_caption("Да:");
  EXPECT_EQ(next.accessible().name, "Да:");
  EXPECT_TRUE(ui.default_action(next));
  EXPECT_TRUE(next.dropped_down());
  EXPECT_EQ(next.accessible().default_action, "Закрыть");
}

// What a backend reports of a drop-down list, in the orders systems send it: the
// item shown and whether the list is open, read at each notification.
TEST_F(UiTest, ADropDownListTellsAChoiceOnceWhateverOrderTheBoxReportsIn) {
  choices_form& f = Single<choices_form>::get();
  f.show();
  ComboBox& next = f.next[0];
  std::vector<std::string> chosen;
  next.on_change = [&] { chosen.push_back(next.text()); };
  const auto choice = [&](std::initializer_list<std::pair<int, bool>> reports) {
    chosen.clear();
    for (auto [index, open] : reports) next.shown(index, open);
    return chosen;
  };
  using Told = std::vector<std::string>;
  // Opened, an item hovered, closed on it, then the change (as Wine sends them);
  // the change before the closing; no opening at all; every word twice.
  EXPECT_EQ(choice({{0, true}, {1, true}, {2, true}, {2, false}, {2, false}}), Told{"конец"});
  EXPECT_EQ(choice({{2, true}, {1, true}, {1, false}}), Told{"диалог 3"});
  EXPECT_EQ(choice({{0, false}, {0, false}}), Told{"дальше"});
  EXPECT_EQ(choice({{2, true}, {2, true}, {2, false}, {2, false}}), Told{"конец"});
  // Opened and closed on the same item, or on nothing new: no choice.
  EXPECT_EQ(choice({{2, true}, {0, true}, {2, false}}), Told{});

  // Closed without a choice, the box shows the choice again, whatever the open
  // list showed; the closing that follows tells nothing.
  next.shown(2, true);
  next.shown(0, true);
  next.list_cancelled();
  EXPECT_EQ(next.text(), "конец");
  EXPECT_FALSE(next.dropped_down());
  EXPECT_EQ(choice({{2, false}}), Told{});

  // A list opened again by the system on an older item keeps the choice when
  // it is cancelled; a pulled closed box is the choice without an event.
  next.shown(0, true);
  next.list_cancelled();
  EXPECT_EQ(next.text(), "конец");
  next.state_pulled(1, false);
  next.shown(0, true);
  next.list_cancelled();
  EXPECT_EQ(next.text(), "диалог 3");
  EXPECT_TRUE(chosen.empty());
}

// Whatever the backend reports, in any order and with any index, and however the
// window refills or sets the list meanwhile, open or not: the box shows one of
// its items, is open as last told, tells each new choice once, and a list closed
// without a choice shows the choice again.
TEST_F(UiTest, ADropDownListKeepsOneConsistentStateWhateverHappens) {
  choices_form& f = Single<choices_form>::get();
  f.show();
  ComboBox& box = f.next[0];
  int told = 0, expected = 0, fillings = 0;
  box.on_change = [&] { ++told; };
  std::string choice = box.text();  // the reference, unique in each filling
  bool open = false;
  std::mt19937 random(25);
  const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  for (int step = 0; step < 5000; ++step) {
    const int size = static_cast<int>(box.items().size()), at = pick(size + 3) - 2;
    const std::string item = at >= 0 && at < size ? box.items()[static_cast<std::size_t>(at)] : "";
    const int what = pick(4);
    if (what == 0) {
      open = pick(2) == 1;
      box.shown(at, open);
      if (!open) expected += std::exchange(choice, item) != item;
    } else if (what == 1) {
      box.list_cancelled();
      open = false;
    } else if (what == 2) {
      box.clear();
      ++fillings;
      for (int i = pick(4); i > 0; --i) box.add_item(std::to_string(fillings * 10 + i));
      choice.clear();
    } else {
      box.set_list_index(at);
      choice = item;
    }
    ASSERT_LT(box.list_index(), static_cast<int>(box.items().size())) << "step " << step;
    ASSERT_EQ(box.dropped_down(), open) << "step " << step;
    if (!open) {
      ASSERT_EQ(box.text(), choice) << "step " << step;
    }
    ASSERT_EQ(told, expected) << "step " << step;
  }
}

TEST_F(UiTest, ACheckBoxTogglesWhenSpaceIsLetGoOrItIsClicked) {
  choices_form& f = Single<choices_form>::get();
  f.show();
  CheckBox& box = f.one_file;
  int clicks = 0;
  box.on_click = [&] { ++clicks; };
  const std::vector<Control*> order = f.tab_order();
  EXPECT_NE(std::find(order.begin(), order.end(), &box), order.end());
  EXPECT_NE(std::find(order.begin(), order.end(), &f.next[1]), order.end());

  box.set_focus();
  ui.key_down(f, key::Space);
  ui.key_down(f, key::Space);  // held: the key repeats
  EXPECT_TRUE(box.pressed());
  EXPECT_TRUE(box.accessible().pressed);
  EXPECT_FALSE(box.value());
  ui.key_up(f, key::Space);
  EXPECT_TRUE(box.value());
  EXPECT_FALSE(box.pressed());
  ui.click(box);
  EXPECT_FALSE(box.value());
  EXPECT_EQ(clicks, 2);

  // A press the focus leaves is no toggle; the window's own setting tells nothing.
  ui.key_down(f, key::Space);
  ui.key(f, key::Tab);
  ui.key_up(f, key::Space);
  EXPECT_FALSE(box.pressed() || box.value());
  box.set_value(true);
  EXPECT_EQ(clicks, 2);

  Accessible heard = box.accessible();
  EXPECT_EQ(heard.role, Role::CheckButton);
  EXPECT_EQ(heard.name, "Одним файлом");
  EXPECT_TRUE(heard.checked);
  EXPECT_EQ(heard.default_action, "Снять");
  EXPECT_TRUE(ui.default_action(box));
  EXPECT_FALSE(box.value());
  EXPECT_EQ(box.accessible().default_action, "Установить");
  EXPECT_EQ(clicks, 3);
}

// A diagram's items: found under the pointer (their tooltip with them), one
// selected at most, the menu asked for at the selected one; their parts found
// before them, even out of their box, and opened by a reader; a drag followed
// while the button is held; drawn whole at a multiple of its pixels.
TEST_F(UiTest, ADiagramKnowsItsItemsAndDrawsWhole) {
  drawing_form f;
  f.load();
  f.show();
  Diagram& d = f.d;
  d.move(0, 0, 100, 80);
  d.set_drawing({shape::Box{{10, 10, 20, 10}, Color::rgb(1, 2, 3)}}, {50, 40});
  d.set_items({{{10, 10, 20, 10}, "Один", "первый", {{{12, 18, 6, 6}, "выход"}}},
               {{40, 20, 5, 5}, "Два", "", {}}});
  EXPECT_EQ(d.accessible().role, Role::List);
  EXPECT_EQ(d.item_at({10, 10}), 0);
  EXPECT_EQ(d.item_at({30, 10}), -1) << "the right edge is outside";
  EXPECT_EQ(d.item_at({44, 24}), 1);
  EXPECT_EQ(d.spot_at({12, 18}), (Diagram::Spot{0, 0}));
  EXPECT_EQ(d.spot_at({17, 23}), (Diagram::Spot{0, 0})) << "below the item";
  EXPECT_EQ(d.spot_at({18, 12}), (Diagram::Spot{0, -1}));
  EXPECT_EQ(d.spot_at({0, 0}), (Diagram::Spot{-1, -1}));
  std::vector<std::string> seen;
  d.on_mouse_move = [&](Point p) { seen.push_back(std::to_string(p.x)); };
  d.on_mouse_up = [&](Point p, MouseButton) { seen.push_back("up " + std::to_string(p.x)); };
  d.on_mouse_lost = [&] { seen.push_back("lost"); };
  d.on_part_action = [&](int item, int part) {
    seen.push_back("part " + std::to_string(item) + std::to_string(part));
  };
  ui.move(d, {1, 1});  // no button held
  ui.drag(d, {12, 18}, {52, 18});
  ui.press(d, {12, 18});
  d.pointer_lost();
  ui.release(d, {12, 18});  // lost already: no release comes
  EXPECT_TRUE(ui.default_action(d, 0, 0));
  EXPECT_FALSE(ui.default_action(d, 1, 0)) << "the second item has no parts";
  EXPECT_EQ(seen,
            (std::vector<std::string>{"22", "32", "42", "52", "52", "up 52", "lost", "part 00"}));
  ui.move(d, {15, 15});
  EXPECT_EQ(d.tooltip(), "первый");
  ui.move(d, {0, 0});
  EXPECT_EQ(d.tooltip(), "");
  d.select(5);
  EXPECT_EQ(d.selected(), -1);
  d.select(1);
  std::vector<Point> menus;
  d.on_context_menu = [&](Point p) { menus.push_back(p); };
  ui.key(f, key::Apps);
  ui.click(d, {3, 4}, MouseButton::Right);
  EXPECT_EQ(menus, (std::vector<Point>{{42, 22}, {3, 4}}));
  d.set_items({{{10, 10, 20, 10}, "Один", "", {}}});
  EXPECT_EQ(d.selected(), -1) << "the selected item is gone";
  const Bitmap twice = d.picture(2);
  ASSERT_EQ(twice.width, 100);
  ASSERT_EQ(twice.height, 80);
  EXPECT_EQ(twice.at(20, 20), 0xFF010203u);
  EXPECT_EQ(twice.at(59, 39), 0xFF010203u);
  EXPECT_EQ(twice.at(60, 40), 0xFFFFFFFFu);
}
