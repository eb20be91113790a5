// The gallery as a user meets it: started as a program of its own, its controls
// found by their names, the real pointer moved over them and the real button
// pressed. Checks what the screen shows (colours of labels, pictures on option
// buttons, the resting, hover and pressed faces of SDButton) and what the window
// reports (Click and ArrowClick lines in its label `events`). Saves the looks
// under build/screenshots/.

#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "probe.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

struct Rgb {
  int r, g, b;
};

Rgb pixel(const probe::Image& image, int x, int y) {
  const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

bool close_to(Rgb a, Rgb b, int tolerance = 8) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

int count(const probe::Image& image, const std::function<bool(Rgb)>& test) {
  int n = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) n += test(pixel(image, x, y));
  return n;
}

int differing(const probe::Image& a, const probe::Image& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + 1;
  int n = 0;
  for (std::size_t i = 0; i < a.rgb.size(); i += 3)
    n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
  return n;
}

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done()) {
    if (GetTickCount64() >= until) return false;
    Sleep(20);
  }
  return true;
}

class Gallery : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = probe::make_temp_folder(L"quillet-gallery");
    process_ = probe::start(probe::windows_path(QUILLET_GALLERY_EXE), folder_);
    ASSERT_TRUE(process_) << "cannot start " << QUILLET_GALLERY_EXE;
    window_ = probe::wait_window(process_, {L"", L"Галерея элементов"}, kStartTimeoutMs);
    ASSERT_TRUE(window_) << "the gallery did not open";
    SetForegroundWindow(window_);
    probe::capture_settled(window_, 3000);
  }

  void TearDown() override {
    if (window_ && IsWindow(window_)) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
      process_.wait(10000);
    }
    process_ = {};
    probe::remove_tree(folder_);
  }

  HWND named(const wchar_t* name) {
    const HWND h = probe::find_by_name(window_, name);
    EXPECT_TRUE(h) << probe::to_utf8(name);
    return h;
  }

  RECT screen_rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
  }

  // The look of a control once it has stopped changing.
  probe::Image look(HWND h) { return probe::capture_settled(h, 1500); }

  std::wstring events() { return probe::text(named(L"events")); }

  // Moves the pointer somewhere harmless in the window (over the plain label).
  void pointer_away() {
    const RECT r = screen_rect(named(L"plain"));
    pointer_to(r.left + 2, r.bottom - 2);
  }

  // Under Wine the target sometimes learns of a pointer moved from another
  // process only at the next move, so the move is repeated until done() holds.
  bool pointer_until(int x, int y, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      pointer_to(x + attempt % 2, y);
      if (wait_for(done, 750)) return true;
    }
    return false;
  }
  bool away_until(const std::function<bool()>& done) {
    const RECT r = screen_rect(named(L"plain"));
    return pointer_until(r.left + 2, r.bottom - 2, done);
  }

  void pointer_to(int x, int y) { pointer_.move_to(x, y); }

  std::wstring folder_;
  probe::Process process_;
  HWND window_ = nullptr;
  probe::Pointer pointer_;
};

TEST_F(Gallery, LabelsListsAndOptionsLookAsTheyShould) {
  probe::screenshot(window_, L"gallery.png");

  // The console label: silver text on black.
  const probe::Image cmd = look(named(L"cmd"));
  EXPECT_TRUE(close_to(pixel(cmd, cmd.width - 3, cmd.height - 3), {0, 0, 0}));
  EXPECT_GT(count(cmd, [](Rgb p) { return close_to(p, {192, 192, 192}, 40); }), 40);

  // A transparent label shows the box behind it, with dark text on it.
  const probe::Image see = look(named(L"see_through"));
  EXPECT_TRUE(close_to(pixel(see, see.width - 2, see.height - 2), {200, 220, 255}));
  EXPECT_GT(count(see, [](Rgb p) { return p.r + p.g + p.b < 200; }), 30);
  EXPECT_EQ(count(see, [](Rgb p) { return close_to(p, {240, 240, 240}, 4); }), 0);

  // The selection frame of a row: a dark line all round (the system's window
  // frame colour), the window colour inside.
  const probe::Image row = look(named(L"str_str(14)"));
  const auto dark = [](Rgb p) { return p.r + p.g + p.b < 3 * 170; };
  EXPECT_TRUE(dark(pixel(row, 0, row.height / 2)))
      << testing::PrintToString(pixel(row, 0, row.height / 2));
  EXPECT_TRUE(dark(pixel(row, row.width - 1, row.height / 2)));
  EXPECT_TRUE(dark(pixel(row, row.width / 2, 0)));
  EXPECT_TRUE(dark(pixel(row, row.width / 2, row.height - 1)));
  EXPECT_TRUE(close_to(pixel(row, row.width - 3, row.height - 3), {255, 255, 255}));

  // The link: blue text over the window's colour.
  const probe::Image mail = look(named(L"mail"));
  EXPECT_GT(count(mail, [](Rgb p) { return p.b > 200 && p.r < 60 && p.g < 60; }), 30);

  // Option buttons with pictures show them: the red of the error sign, the
  // yellow of the warning.
  const probe::Image error = look(named(L"dlg_icon(0)"));
  EXPECT_GT(count(error, [](Rgb p) { return p.r > 180 && p.g < 80 && p.b < 80; }), 100);
  const probe::Image warning = look(named(L"dlg_icon(1)"));
  EXPECT_GT(count(warning, [](Rgb p) { return p.r > 200 && p.g > 160 && p.b < 80; }), 100);
  EXPECT_EQ(probe::text(named(L"dlg_icon(4)")), L"(без значка)");
  EXPECT_EQ(SendMessageW(named(L"dlg_icon(4)"), BM_GETCHECK, 0, 0), BST_CHECKED);

  // The toolbar buttons carry their captions as window texts.
  EXPECT_EQ(probe::text(named(L"sd(0)")), L"Создать");
  EXPECT_EQ(probe::text(named(L"sd(3)")), L"Сохранить...");
  // The list's window text is its selected entry.
  EXPECT_EQ(probe::text(named(L"filebox")), L"сказка.dlg");
}

TEST_F(Gallery, ButtonFacesFollowThePointerAndClicksAreReported) {
  for (const wchar_t* name : {L"sd(0)", L"sd(2)", L"sd(6)", L"sd(8)", L"sd(7)"}) {
    SCOPED_TRACE(probe::to_utf8(name));
    const HWND h = named(name);
    ASSERT_TRUE(h);
    const std::wstring file = std::wstring(L"gallery_") + name;
    pointer_away();
    Sleep(300);
    const RECT r = screen_rect(h);
    const probe::Image rest = look(h);

    EXPECT_TRUE(pointer_until((r.left + r.right) / 2, (r.top + r.bottom) / 2, [&] {
      return differing(look(h), rest) > 10;
    })) << "no hover look";
    const probe::Image hover = look(h);
    probe::screenshot(h, file + L"_hover.png");

    pointer_.press();
    EXPECT_TRUE(wait_for([&] { return differing(look(h), hover) > 10; }, 3000))
        << "no pressed look";
    probe::screenshot(h, file + L"_pressed.png");
    pointer_.release();
    EXPECT_TRUE(wait_for(
        [&] { return events().find(L"Click " + std::wstring(name)) != std::wstring::npos; }, 3000))
        << probe::to_utf8(events());

    // Once the pointer has left, the hover timer takes the look back to rest.
    EXPECT_TRUE(away_until([&] { return differing(look(h), rest) == 0; }))
        << "the hover look stayed";
    probe::screenshot(h, file + L"_rest.png");
  }

  // The transparent label got a shorter caption with each click: the box behind
  // it shows again where the longer one was.
  const probe::Image see = look(named(L"see_through"));
  EXPECT_EQ(probe::text(named(L"see_through")), L"5 соб.");
  int stale = 0;
  for (int y = 0; y < see.height; ++y)
    for (int x = see.width / 2; x < see.width; ++x)
      stale += !close_to(pixel(see, x, y), {200, 220, 255});
  EXPECT_EQ(stale, 0);
}

TEST_F(Gallery, TheArrowOfASplitButtonIsAClickOfItsOwn) {
  const HWND split = named(L"sd(5)");
  ASSERT_TRUE(split);
  pointer_away();
  Sleep(300);
  const probe::Image rest = look(split);
  const RECT r = screen_rect(split);
  ASSERT_TRUE(pointer_until(r.right - 4, (r.top + r.bottom) / 2,
                            [&] { return differing(look(split), rest) > 10; }));
  pointer_.press();
  Sleep(100);
  pointer_.release();
  EXPECT_TRUE(
      wait_for([&] { return events().find(L"ArrowClick sd(5)") != std::wstring::npos; }, 3000))
      << probe::to_utf8(events());
  EXPECT_EQ(events(), L"ArrowClick sd(5)");  // and no Click
}

TEST_F(Gallery, AToggleButtonStaysDownAndOptionsAreChosenByClicks) {
  const HWND toggle = named(L"sd(3)");
  ASSERT_TRUE(toggle);
  pointer_away();
  Sleep(300);
  const probe::Image rest = look(toggle);
  const RECT r = screen_rect(toggle);
  ASSERT_TRUE(pointer_until((r.left + r.right) / 2, (r.top + r.bottom) / 2,
                            [&] { return differing(look(toggle), rest) > 10; }));
  // To a screen reader it is a check button, pressed while held, checked after.
  EXPECT_EQ(probe::read_accessible(toggle).role, ROLE_SYSTEM_CHECKBUTTON);
  pointer_.press();
  EXPECT_TRUE(wait_for(
      [&] { return (probe::read_accessible(toggle).state & STATE_SYSTEM_PRESSED) != 0; }, 2000))
      << "held down, it is not pressed";
  pointer_.release();
  EXPECT_TRUE(away_until([&] { return events().find(L"Click sd(3)") != std::wstring::npos; }));
  Sleep(500);
  EXPECT_GT(differing(look(toggle), rest), 10) << "the toggle did not stay down";
  probe::screenshot(toggle, L"gallery_sd(3)_checked.png");
  const probe::AccessibleView heard = probe::read_accessible(toggle);
  EXPECT_EQ(heard.state & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED), STATE_SYSTEM_CHECKED);
  EXPECT_EQ(probe::to_utf8(heard.default_action), "Снять");

  // A real click chooses an option of the window's group; the frame's group keeps
  // its own choice.
  const HWND warning = named(L"dlg_icon(1)");
  const RECT o = screen_rect(warning);
  bool chosen = false;
  for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
    pointer_to((o.left + o.right) / 2 + attempt, (o.top + o.bottom) / 2);
    Sleep(200);
    pointer_.press();
    Sleep(50);
    pointer_.release();
    chosen =
        wait_for([&] { return SendMessageW(warning, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 1000);
  }
  EXPECT_TRUE(chosen);
  EXPECT_EQ(SendMessageW(named(L"dlg_icon(4)"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(named(L"dlg_button(0)"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_NE(events().find(L"Choose dlg_icon(1)"), std::wstring::npos);
  pointer_away();
  probe::screenshot(window_, L"gallery_chosen.png");
}

TEST_F(Gallery, DropDownListsAndTheCheckBoxByKeysByOtherProgramsAndToScreenReaders) {
  const HWND next = named(L"dlg_next(0)"), other = named(L"dlg_next(1)"), box = named(L"one_file");
  ASSERT_TRUE(next && other && box);
  probe::WinEvents heard(process_.id());
  const auto chosen = [](HWND h) { return static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0)); };
  const auto open = [](HWND h) { return SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0; };
  const auto told = [&](const wchar_t* line) {
    return wait_for([&] { return events().find(line) != std::wstring::npos; }, 3000);
  };

  // A reader hears a collapsed combo box named by its label, its choice the value.
  probe::AccessibleView seen = probe::read_accessible(next);
  EXPECT_EQ(seen.role, ROLE_SYSTEM_COMBOBOX);
  EXPECT_EQ(probe::to_utf8(seen.name), "ОК:");
  EXPECT_EQ(probe::to_utf8(seen.value), "дальше");
  EXPECT_EQ(seen.state & (STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSABLE),
            STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(probe::to_utf8(seen.default_action), "Открыть");

  // The keyboard, backwards from the first control: the check box comes last.
  for (int i = 0; i < 20 && probe::focus_of(window_) != next; ++i) {
    probe::send_key(VK_TAB, probe::kShift);
    Sleep(100);
  }
  ASSERT_EQ(probe::focus_of(window_), next);
  probe::send_key(VK_DOWN);
  EXPECT_TRUE(told(L"Change dlg_next(0): диалог 1")) << probe::to_utf8(events());
  EXPECT_EQ(chosen(next), 1);
  EXPECT_FALSE(open(next));

  // Open, the list shows every item; its keys are no choice until Enter, and
  // Esc takes them back; the window's OK and Cancel never see Enter or Esc.
  probe::send_key(VK_DOWN, probe::kAlt);
  ASSERT_TRUE(wait_for([&] { return open(next); }, 3000));
  EXPECT_TRUE(
      wait_for([&] { return probe::read_accessible(next).state & STATE_SYSTEM_EXPANDED; }, 2000));
  const std::vector<HWND> lists = probe::top_windows(process_.id(), {L"ComboLBox", L""});
  ASSERT_EQ(lists.size(), 1u);
  RECT list{};
  GetClientRect(lists[0], &list);
  EXPECT_GE(list.bottom, 17 * SendMessageW(lists[0], LB_GETITEMHEIGHT, 0, 0));
  probe::screenshot(nullptr, L"gallery_dropped.png");  // the list reaches past the window
  probe::send_key(VK_DOWN);
  probe::send_key(VK_DOWN);
  EXPECT_TRUE(wait_for([&] { return chosen(next) == 3; }, 3000));
  probe::send_key(VK_ESCAPE);
  EXPECT_TRUE(wait_for([&] { return !open(next); }, 3000));
  EXPECT_EQ(chosen(next), 1);
  probe::send_key(VK_F4);
  ASSERT_TRUE(wait_for([&] { return open(next); }, 3000));
  probe::send_key(VK_END);
  probe::send_key(VK_RETURN);
  EXPECT_TRUE(told(L"Change dlg_next(0): конец")) << probe::to_utf8(events());
  EXPECT_FALSE(open(next));
  EXPECT_EQ(events().find(L"Click sd("), std::wstring::npos) << probe::to_utf8(events());
  EXPECT_EQ(events().find(L"диалог 3"), std::wstring::npos) << "the open list's keys are no choice";
  probe::send_key(VK_RETURN);
  EXPECT_TRUE(told(L"Click sd(6)")) << "closed, Enter is the window's again";

  // Another program's choice is a choice, told to readers as a new value.
  heard.clear();
  SendMessageW(other, CB_SETCURSEL, 2, 0);
  EXPECT_TRUE(told(L"Change dlg_next(1): диалог 2")) << probe::to_utf8(events());
  EXPECT_EQ(probe::text(other), L"диалог 2");
  EXPECT_TRUE(heard.wait_for(EVENT_OBJECT_VALUECHANGE, other, CHILDID_SELF, 3000));
  EXPECT_EQ(probe::to_utf8(probe::read_accessible(other).value), "диалог 2");

  // The check box: Space, another program's click, and its check set from
  // outside, each as a reader hears it.
  seen = probe::read_accessible(box);
  EXPECT_EQ(seen.role, ROLE_SYSTEM_CHECKBUTTON);
  EXPECT_EQ(probe::to_utf8(seen.name), "Одним файлом");
  EXPECT_EQ(seen.state & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(probe::to_utf8(seen.default_action), "Установить");
  EXPECT_EQ(probe::text(box), L"Одним файлом");
  probe::send_key(VK_TAB);
  probe::send_key(VK_TAB);
  ASSERT_TRUE(wait_for([&] { return probe::focus_of(window_) == box; }, 3000));
  heard.clear();
  probe::send_key(VK_SPACE);
  EXPECT_TRUE(told(L"Check one_file")) << probe::to_utf8(events());
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(heard.wait_for(EVENT_OBJECT_STATECHANGE, box, CHILDID_SELF, 3000));
  seen = probe::read_accessible(box);
  EXPECT_TRUE(seen.state & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(probe::to_utf8(seen.default_action), "Снять");
  probe::screenshot(window_, L"gallery_checked.png");
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(told(L"Clear one_file")) << probe::to_utf8(events());
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(probe::read_accessible(box).state & STATE_SYSTEM_CHECKED);
}

// The real pointer on the native controls: a list entry, the text box, the
// check box and the drop-down lists with a click on an item, a drag to one and
// the wheel; and a list closed while the button is held keeps no hold of the
// pointer.
TEST_F(Gallery, TheRealPointerWorksEveryNativeControl) {
  const HWND next = named(L"dlg_next(0)"), files = named(L"filebox"), title = named(L"dlg_title"),
             box = named(L"one_file");
  ASSERT_TRUE(next && files && title && box);
  const auto chosen = [](HWND h) { return static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0)); };
  const auto open = [](HWND h) { return SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0; };
  const auto told = [&](const std::wstring& line) {
    return wait_for([&] { return events().find(line) != std::wstring::npos; }, 3000);
  };
  const auto count_of = [&](const std::wstring& line) {
    const std::wstring all = events();
    int n = 0;
    for (std::size_t at = all.find(line); at != std::wstring::npos; at = all.find(line, at + 1))
      ++n;
    return n;
  };

  pointer_.click_at(probe::item_point(files, 2));
  EXPECT_TRUE(told(L"Select filebox: main.dlg")) << probe::to_utf8(events());
  pointer_.click(title);
  EXPECT_TRUE(wait_for([&] { return probe::focus_of(window_) == title; }, 3000));
  probe::send_text(L"!");
  EXPECT_TRUE(wait_for([&] { return probe::text(title).find(L'!') != std::wstring::npos; }, 3000));
  pointer_.click(box);
  EXPECT_TRUE(told(L"Check one_file")) << probe::to_utf8(events());
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);

  // A click opens the list, a click on an item chooses it, told once.
  pointer_.click(next);
  ASSERT_TRUE(wait_for([&] { return open(next); }, 3000)) << "a click did not open the list";
  HWND list = probe::dropped_list(process_.id());
  ASSERT_TRUE(list);
  pointer_.click_at(probe::item_point(list, 3));
  EXPECT_TRUE(told(L"Change dlg_next(0): диалог 3")) << probe::to_utf8(events());
  EXPECT_FALSE(open(next));
  // Pressed on the box and let go over an item, the pointer chooses that item.
  const POINT at = probe::middle_of(next);
  pointer_.move_to(at);
  Sleep(100);
  pointer_.press();
  ASSERT_TRUE(
      wait_for([&] { return (list = probe::dropped_list(process_.id())) != nullptr; }, 3000));
  const POINT item = probe::item_point(list, 5);
  for (int step = 1; step <= 4; ++step) {
    Sleep(60);
    pointer_.move_to(at.x + (item.x - at.x) * step / 4, at.y + (item.y - at.y) * step / 4);
  }
  Sleep(100);
  pointer_.release();
  EXPECT_TRUE(told(L"Change dlg_next(0): диалог 5")) << probe::to_utf8(events());
  EXPECT_TRUE(wait_for([&] { return !open(next); }, 3000));
  // The wheel over the closed box, where the system turns it into a choice: what
  // the box shows is the choice readers hear, told once.
  pointer_.move_to(at);
  Sleep(100);
  pointer_.wheel(-1);
  Sleep(300);
  const int wheeled = chosen(next);
  if (wheeled != 5) {
    EXPECT_EQ(count_of(L"Change dlg_next(0): диалог " + std::to_wstring(wheeled)), 1)
        << probe::to_utf8(events());
  }
  EXPECT_EQ(probe::read_accessible(next).value, probe::text(next));

  // Pressed to open, closed by Esc before the button is let go: the next click
  // goes where it is aimed, and nothing was chosen.
  const std::wstring before = events();
  pointer_.press();
  ASSERT_TRUE(wait_for([&] { return open(next); }, 3000));
  probe::send_key(VK_ESCAPE);
  ASSERT_TRUE(wait_for([&] { return !open(next); }, 3000));
  pointer_.release();
  pointer_.click(title);
  EXPECT_TRUE(wait_for([&] { return probe::focus_of(window_) == title; }, 3000))
      << "the click went to the closed list";
  Sleep(300);
  EXPECT_FALSE(open(next));
  EXPECT_EQ(chosen(next), wheeled);
  EXPECT_EQ(events(), before);
  probe::screenshot(window_, L"gallery_pointer.png");
}

}  // namespace
