// The Win32 backend with real windows: what the windows of a form and its controls
// are (classes, styles, pixels, names, texts), and how they behave (keys through
// the text box filter, timers, modal showing, focus, unloading, failing handlers).

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"
#include "ui/custom.h"
#include "ui/diagram.h"
#include "ui/form.h"
#include "ui/win32/gdi.h"
#include "ui/win32/program.h"
#include "ui/win32/scale.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/window.h"

using namespace ui;
using ui::win32::Win32Backend;

namespace {

std::wstring text_of(HWND h) {
  wchar_t buf[512];
  const int n = GetWindowTextW(h, buf, 512);
  return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring class_of(HWND h) {
  wchar_t buf[128];
  const int n = GetClassNameW(h, buf, 128);
  return std::wstring(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring name_of(HWND h) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"Name")));
  if (!atom) return {};
  wchar_t buf[256];
  const UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return std::wstring(buf, n);
}

HWND find_named(HWND parent, const std::wstring& name) {
  struct Search {
    const std::wstring* name;
    HWND found = nullptr;
  } s{&name};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (name_of(w) != *s.name) return TRUE;
        s.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The rectangle of a child in its parent's client pixels.
RECT rect_in_parent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// An ASCII name for failure messages.
std::string ascii(const wchar_t* w) {
  std::string s;
  for (; *w; ++w) s += static_cast<char>(*w);
  return s;
}

LONG_PTR style_of(HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); }

// The tooltip control of a form's window, if it has one.
HWND tooltips_of(HWND form) {
  struct Search {
    HWND owner;
    HWND tips = nullptr;
  } search{form};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (class_of(w) == TOOLTIPS_CLASSW && GetWindow(w, GW_OWNER) == s.owner) s.tips = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.tips;
}
LONG_PTR ex_style_of(HWND h) { return GetWindowLongPtrW(h, GWL_EXSTYLE); }

// A custom control that records what the backend tells it.
class Recorder : public CustomControl {
 public:
  Recorder(Container& parent, std::string name) : CustomControl(parent, std::move(name)) {
    face() = Bitmap(40, 20, 0xFF336699);
    dot = std::make_shared<Bitmap>(4, 4, 0xFFFF0000);
  }
  std::vector<Overlay> overlays() const override { return {{dot, {}, {2, 2}}}; }
  std::string accessible_text() const override { return label; }
  void pointer_move(Point p) override { events.push_back("move " + at(p)); }
  void pointer_press(Point p, MouseButton) override { events.push_back("press " + at(p)); }
  void pointer_release(Point p, MouseButton) override { events.push_back("release " + at(p)); }
  void pointer_double_click(Point p, MouseButton) override { events.push_back("double " + at(p)); }
  void set_label(std::string l) {
    label = std::move(l);
    repaint();
  }
  void activate() override { events.push_back("activate"); }
  using CustomControl::cursor_position;

  std::string label = "Пуск";
  std::vector<std::string> events;
  Picture dot;

 private:
  static std::string at(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
};

// Puts the pointer at (x, y) of a window and reads what `read` sees meanwhile.
// Wine answers GetCursorPos from the display once the pointer was placed 100 ms
// ago, and the display does not always take a move, so it is tried until the
// pointer is seen there just before and just after the reading.
template <class Read>
auto pointer_seen_at(HWND window, int x, int y, Read read) {
  RECT r;
  GetWindowRect(window, &r);
  const POINT at{r.left + x, r.top + y};
  for (int attempt = 1;; ++attempt) {
    SetCursorPos(at.x, at.y);
    POINT before{}, after{};
    GetCursorPos(&before);
    const auto seen = read();
    GetCursorPos(&after);
    const bool there = before.x == at.x && before.y == at.y && after.x == at.x && after.y == at.y;
    if (there || attempt == 50) return seen;
    Sleep(20);
  }
}

// One control of each kind, laid out in twips like the designer's dialogs.
class TestForm : public Form {
 public:
  TestForm() : Form("test_form") {
    set_caption("Создать диалог");
    set_client_size(5535, 5355);
    set_border(Border::FixedDialog);
    set_show_in_taskbar(false);
    set_start_position(StartPosition::CenterScreen);
    title.move(120, 120, 5295, 255);
    title.set_caption("Значок диалога:");
    number.move(120, 400, 495, 255);
    number.set_alignment(Align::Right);
    number.set_transparent(true);
    number.set_caption("14");
    centred.move(700, 400, 1000, 255);
    centred.set_alignment(Align::Center);
    box.move(120, 1680, 5295, 285);
    box.set_text("Диалог");
    text.move(120, 2520, 5295, 1215);
    text.set_multiline(true);
    list.move(120, 3840, 2000, 900);
    list.add_item("story.dlg");
    list.add_item("сказка.dlg");
    for (int i = 0; i < 3; ++i) {
      icon[i].move(120 + 1080 * i, 480, 975, 735);
      icon[i].set_graphical(true);
    }
    icon[0].set_picture(std::make_shared<Bitmap>(32, 32, 0xFFCC0000));
    icon[2].set_caption("(без значка)");
    icon[2].set_value(true);
    buttons.move(2400, 3840, 3000, 615);
    for (int i = 0; i < 2; ++i) {
      set[i].move(i * 1200, 120, 1100, 375);
      set[i].set_graphical(true);
      set[i].set_caption(i ? "Да и Нет" : "ОК");
    }
    set[0].set_value(true);
    rule.set_points(120, 4800, 3000, 4800);
    emblem.move(3600, 4800, 480, 480);
    emblem.set_picture(std::make_shared<Bitmap>(32, 32, 0x00000000));
    scroll.move(5280, 0, 255, 5355);
    probe.move(120, 4800, 600, 300);
    tick.set_interval(0);
    next_label.move(120, 1290, 900, 255);
    next_label.set_caption("ОК:");
    next.move(1080, 1260, 2400, 315);
    for (const char* item : {"дальше", "диалог 3", "конец"}) next.add_item(item);
    next.set_list_index(0);
    next.set_labelled_by(&next_label);
    one_file.move(3600, 1290, 1800, 255);
    one_file.set_caption("Одним файлом");
  }

  void KeyPress(char32_t& key) override { keys.push_back(key); }

  Label title{*this, "Label1"};
  Label number{*this, "str_num", 3};
  Label centred{*this, "centred"};
  TextBox box{*this, "dlg_title"};
  TextBox text{*this, "dlg_text"};
  ListBox list{*this, "filebox"};
  ControlArray<OptionButton> icon{*this, "dlg_icon", 3};
  Frame buttons{*this, "buttons"};
  ControlArray<OptionButton> set{buttons, "dlg_button", 2};
  Line rule{*this, "rule"};
  Image emblem{*this, "emblem"};
  VScrollBar scroll{*this, "VScroll1"};
  Recorder probe{*this, "sd(0)"};
  Timer tick{*this, "operations"};
  Label next_label{*this, "next_label"};
  ComboBox next{*this, "dlg_next", 0};
  CheckBox one_file{*this, "one_file"};
  std::u32string keys;
};

// A window with pixel scale, a minimise button and a docked bar, shown in the taskbar.
class PixelForm : public Form {
 public:
  PixelForm() : Form("main_form") {
    set_scale(ScaleMode::Pixels);
    set_client_size(500, 426);
    set_border(Border::FixedSingle, true);
    bar.set_docking(Docking::Top);
    bar.set_height(20);
    bar.set_back_color(Color::rgb(240, 240, 240));
    status.move(2, 2, 497, 25);
    status.set_transparent(true);
  }
  PictureBox bar{*this, "ToolBar"};
  Label status{bar, "status"};
};

class Win32 : public testing::Test {
 protected:
  void TearDown() override {
    form.discard();
    other.discard();
  }
  HWND window(const Control& c) { return Win32Backend::window_of(c); }
  HWND window(const Form& f) { return Win32Backend::window_of(f); }

  Win32Backend backend;
  TestForm form;
  PixelForm other;
};

TEST_F(Win32, ControlsGetWindowsOfTheirKindWithTheirNamesAndTexts) {
  form.load();
  const HWND f = window(form);
  ASSERT_TRUE(f);
  EXPECT_EQ(class_of(f), L"QuilletForm");
  EXPECT_EQ(name_of(f), L"test_form");
  EXPECT_EQ(text_of(f), L"Создать диалог");

  struct Expect {
    const wchar_t* name;
    const wchar_t* cls;
    const wchar_t* text;
  };
  const Expect expected[] = {
      {L"Label1", L"Static", L"Значок диалога:"},
      {L"str_num(3)", L"Static", L"14"},
      {L"dlg_title", L"Edit", L"Диалог"},
      {L"dlg_text", L"Edit", L""},
      {L"filebox", L"ListBox", L""},
      {L"dlg_icon(2)", L"Button", L"(без значка)"},
      {L"dlg_button(1)", L"Button", L"Да и Нет"},
      {L"buttons", L"QuilletContainer", L""},
      {L"rule", L"QuilletLine", L""},
      {L"emblem", L"QuilletImage", L""},
      {L"VScroll1", L"ScrollBar", L""},
      {L"sd(0)", L"QuilletCustom", L"Пуск"},
      {L"dlg_next(0)", L"ComboBox", L"дальше"},
      {L"one_file", L"Button", L"Одним файлом"},
  };
  for (const Expect& e : expected) {
    const HWND h = find_named(f, e.name);
    ASSERT_TRUE(h) << ascii(e.name);
    EXPECT_EQ(class_of(h), e.cls) << ascii(e.name);
    EXPECT_EQ(text_of(h), e.text) << ascii(e.name);
  }
  // Option buttons of the frame live in the frame's window.
  EXPECT_EQ(GetParent(window(form.set[0])), window(form.buttons));
  EXPECT_EQ(SendMessageW(window(form.list), LB_GETCOUNT, 0, 0), 2);

  // Texts follow the properties.
  form.title.set_caption("Заголовок диалога:");
  form.probe.set_label("Открыть...");
  EXPECT_EQ(text_of(window(form.title)), L"Заголовок диалога:");
  EXPECT_EQ(text_of(window(form.probe)), L"Открыть...");
}

// Paints a window through WM_PRINTCLIENT into 0x00RRGGBB pixels.
std::vector<std::uint32_t> render(HWND h);

// The first and last columns of a window's painting that differ from its ground
// (the colour of the pixel at ground_at); -1, -1 when none does.
std::pair<int, int> ink_columns(HWND h, POINT ground_at) {
  RECT r;
  GetClientRect(h, &r);
  const std::vector<std::uint32_t> px = render(h);
  const std::uint32_t ground = px[static_cast<std::size_t>(ground_at.y * r.right + ground_at.x)];
  int first = -1, last = -1;
  for (int x = 0; x < r.right; ++x)
    for (int y = 0; y < r.bottom; ++y)
      if (px[static_cast<std::size_t>(y * r.right + x)] != ground) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

// The labels as painted: the text where the alignment puts it, also after a
// change; a transparent label paints its text and nothing else. Graphical
// options paint their own face in their own colour; tools read their pictures
// and choices as of radio buttons.
TEST_F(Win32, ControlsPaintWhatTheirPropertiesSay) {
  form.centred.set_caption("ОК");
  form.number.set_colors(Color::rgb(255, 255, 255), Color::rgb(0, 0, 255));
  form.icon[1].set_back_color(Color::rgb(0, 128, 0));
  form.load();
  const auto width = [&](const Control& c) {
    RECT r;
    GetClientRect(window(c), &r);
    return static_cast<int>(r.right);
  };
  const auto [title_first, title_last] =
      ink_columns(window(form.title), {width(form.title) - 1, 0});
  EXPECT_LE(title_first, 2) << "left-aligned text starts at the left";
  EXPECT_LT(title_last, width(form.title) / 2);
  const auto [centred_first, centred_last] = ink_columns(window(form.centred), {0, 0});
  EXPECT_NEAR(centred_first + centred_last, width(form.centred), 3) << "centred text";
  // Painted on nothing (black): only the white digits show, never the blue ground.
  const auto [number_first, number_last] = ink_columns(window(form.number), {0, 0});
  EXPECT_GE(number_last, width(form.number) - 3) << "right-aligned text ends at the right";
  EXPECT_GT(number_first, width(form.number) / 2);
  for (std::uint32_t p : render(window(form.number))) EXPECT_NE(p, 0x0000FFu);
  form.number.set_alignment(Align::Left);
  EXPECT_LE(ink_columns(window(form.number), {width(form.number) - 1, 0}).first, 2);

  const std::vector<std::uint32_t> face = render(window(form.icon[1]));
  EXPECT_GT(std::count(face.begin(), face.end(), 0x008000u), 100) << "not in its own colour";
  EXPECT_TRUE(SendMessageW(window(form.icon[0]), BM_GETIMAGE, IMAGE_ICON, 0));
  EXPECT_FALSE(SendMessageW(window(form.icon[2]), BM_GETIMAGE, IMAGE_ICON, 0));
  EXPECT_EQ(SendMessageW(window(form.icon[2]), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The system makes double clicks only for a class that asks for them.
  EXPECT_TRUE(GetClassLongW(window(form.probe), GCL_STYLE) & CS_DBLCLKS);

  // A text box shows its hint while it is empty, and only then.
  const HWND box = window(form.box);
  form.box.set_text("");
  EXPECT_EQ(ink_columns(box, {0, 0}).first, -1);
  form.box.set_cue_banner("Да");
  EXPECT_GE(ink_columns(box, {0, 0}).first, 0) << "no hint in an empty box";
  form.box.set_text("Ш");
  const std::vector<std::uint32_t> typed = render(box);
  form.box.set_cue_banner("");
  EXPECT_EQ(render(box), typed) << "a hint beside the text";
}

TEST_F(Win32, GeometryIsInPixelsOfTheContainer) {
  form.load();
  RECT client;
  GetClientRect(window(form), &client);
  EXPECT_EQ(client.right, 369);
  EXPECT_EQ(client.bottom, 357);

  const RECT title = rect_in_parent(window(form.title));
  EXPECT_EQ(title.left, 8);
  EXPECT_EQ(title.top, 8);
  EXPECT_EQ(title.right - title.left, 353);
  EXPECT_EQ(title.bottom - title.top, 17);
  const RECT option = rect_in_parent(window(form.set[1]));  // inside the frame
  EXPECT_EQ(option.left, 80);
  EXPECT_EQ(option.top, 8);
  // A horizontal line is one pixel high, whatever its twips say.
  const RECT rule = rect_in_parent(window(form.rule));
  EXPECT_EQ(rule.bottom - rule.top, 1);
  EXPECT_EQ(rule.right - rule.left, 193);

  form.title.move(240, 240, 1500, 300);
  const RECT moved = rect_in_parent(window(form.title));
  EXPECT_EQ(moved.left, 16);
  EXPECT_EQ(moved.right - moved.left, 100);
  EXPECT_EQ(moved.bottom - moved.top, 20);

  // Centred on the work area.
  RECT work, outer;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window(form), &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(Win32, BorderStylesKeepTheClientSize) {
  form.load();
  other.load();
  const HWND dialog = window(form), single = window(other);
  EXPECT_TRUE(ex_style_of(dialog) & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(style_of(dialog) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style_of(single) & WS_MINIMIZEBOX);
  EXPECT_FALSE(style_of(single) & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_FALSE(ex_style_of(single) & WS_EX_DLGMODALFRAME);
  // Outside the taskbar means owned; in it means not.
  EXPECT_TRUE(GetWindow(dialog, GW_OWNER));
  EXPECT_FALSE(GetWindow(single, GW_OWNER));

  RECT client;
  GetClientRect(single, &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 426);
  // The docked bar spans the width at the top.
  const RECT bar = rect_in_parent(window(other.bar));
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.top, 0);
  EXPECT_EQ(bar.right, 500);
  EXPECT_EQ(bar.bottom, 20);
  other.set_client_size(300, 200);
  GetClientRect(single, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(rect_in_parent(window(other.bar)).right, 300);
}

TEST_F(Win32, TheControlCreatedFirstLiesInFront) {
  form.load();
  // Sibling windows run from the top of the stack down.
  HWND first = GetWindow(window(form), GW_CHILD);
  EXPECT_EQ(first, window(form.title));
  EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), window(form.number));
  EXPECT_EQ(GetWindow(window(form.scroll), GW_HWNDNEXT), window(form.probe));
}

TEST_F(Win32, AHiddenLabelGetsItsWindowWhenFirstShown) {
  form.number.set_visible(false);
  form.load();
  EXPECT_FALSE(window(form.number));
  EXPECT_FALSE(find_named(window(form), L"str_num(3)"));
  // What it comes to hold meanwhile is there when it shows, and it takes its
  // place among its siblings.
  form.number.set_caption("15");
  form.number.move(240, 450, 600, 255);
  form.number.set_tooltip("пятнадцать");
  form.number.set_visible(true);
  const HWND number = window(form.number);
  ASSERT_TRUE(number);
  EXPECT_EQ(find_named(window(form), L"str_num(3)"), number);
  EXPECT_EQ(GetWindow(window(form.title), GW_HWNDNEXT), number);
  EXPECT_EQ(GetWindow(number, GW_HWNDNEXT), window(form.centred));
  EXPECT_EQ(text_of(number), L"15");
  EXPECT_TRUE(style_of(number) & WS_VISIBLE);
  const Rect at = form.number.pixel_rect();
  const RECT r = rect_in_parent(number);
  EXPECT_EQ(r.left, at.left);
  EXPECT_EQ(r.top, at.top);
  EXPECT_EQ(r.right - r.left, at.width);
  EXPECT_TRUE(SendMessageW(number, WM_GETFONT, 0, 0));
  EXPECT_EQ(SendMessageW(tooltips_of(window(form)), TTM_GETTOOLCOUNT, 0, 0), 1);
  // Hidden again, it keeps its window.
  form.number.set_visible(false);
  EXPECT_EQ(window(form.number), number);
  EXPECT_FALSE(style_of(number) & WS_VISIBLE);
}

TEST_F(Win32, UnloadDestroysTheWindowsAndTheirNames) {
  form.load();
  other.load();
  const HWND f = window(form), label = window(form.title), status = window(other.status);
  ASSERT_TRUE(GlobalFindAtomW(L"dlg_icon(2)"));
  ASSERT_TRUE(GlobalFindAtomW(L"test_form"));
  form.unload();
  EXPECT_FALSE(IsWindow(f));
  EXPECT_FALSE(IsWindow(label));
  EXPECT_FALSE(GlobalFindAtomW(L"dlg_icon(2)"));
  EXPECT_FALSE(GlobalFindAtomW(L"test_form"));
  EXPECT_FALSE(window(form));
  // The other window and its names are untouched.
  EXPECT_TRUE(IsWindow(status));
  EXPECT_EQ(name_of(status), L"status");
}

TEST_F(Win32, TypedCharactersGoThroughTheFilter) {
  int refusals = 0;
  form.text.on_key_press = [&](char32_t& key) {
    if (key == U';') {
      ++refusals;
      key = 0;
    } else if (key == 13) {
      key = U'#';
    }
  };
  int changes = 0;
  form.text.on_change = [&] { ++changes; };
  form.load();
  const HWND edit = window(form.text);
  for (wchar_t c : std::wstring(L"Да;\rНет")) SendMessageW(edit, WM_CHAR, c, 1);
  EXPECT_EQ(text_of(edit), L"Да#Нет");
  EXPECT_EQ(form.text.text(), "Да#Нет");
  EXPECT_EQ(refusals, 1);
  EXPECT_EQ(changes, 6);

  // The program's own text is no edit of the user's.
  form.text.set_text("Привет");
  EXPECT_EQ(text_of(edit), L"Привет");
  EXPECT_EQ(changes, 7);

  // Without a filter, Enter breaks the line in a multi-line box and does nothing
  // in a single-line one.
  form.text.on_key_press = nullptr;
  SendMessageW(edit, EM_SETSEL, 6, 6);
  SendMessageW(edit, WM_CHAR, 13, 1);
  EXPECT_EQ(form.text.text(), "Привет\r\n");
  SendMessageW(window(form.box), WM_CHAR, 13, 1);
  EXPECT_EQ(form.box.text(), "Диалог");
}

// Answers the next message box of this thread with OK, from a timer.
struct BoxAnswerer {
  static inline std::wstring seen;
  static void CALLBACK answer(HWND, UINT, UINT_PTR id, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          if (class_of(w) != L"#32770" || !IsWindowVisible(w)) return TRUE;
          seen = text_of(GetDlgItem(w, 0xFFFF));
          PostMessageW(w, WM_COMMAND, IDOK, 0);
          return FALSE;
        },
        0);
    if (!seen.empty()) KillTimer(nullptr, id);
  }
};

TEST_F(Win32, AFilterMayAskWhileTheKeyWaits) {
  std::wstring text_during_box;
  form.text.on_key_press = [&](char32_t& key) {
    if (key != U';') return;
    message_box("Недопустиный символ.", mb::Exclamation, "Quillet");
    text_during_box = text_of(window(form.text));
    key = 0;
  };
  form.show();
  BoxAnswerer::seen.clear();
  SetTimer(nullptr, 0, 50, BoxAnswerer::answer);
  for (wchar_t c : std::wstring(L"а;б")) SendMessageW(window(form.text), WM_CHAR, c, 1);
  EXPECT_EQ(BoxAnswerer::seen, L"Недопустиный символ.");
  EXPECT_EQ(text_during_box, L"а");
  EXPECT_EQ(form.text.text(), "аб");
}

TEST_F(Win32, ChoosingAnOptionClearsOnlyItsGroup) {
  int clicks = 0;
  form.icon[1].on_click = [&] { ++clicks; };
  form.load();
  SendMessageW(window(form.icon[1]), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(form.icon[1].value());
  EXPECT_FALSE(form.icon[2].value());
  EXPECT_EQ(SendMessageW(window(form.icon[2]), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(form.set[0].value());  // the frame's group
  form.set[1].set_value(true);
  EXPECT_EQ(SendMessageW(window(form.set[0]), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(window(form.set[1]), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Win32, ListSelectionComesBackAsAClick) {
  std::vector<std::string> picked;
  form.list.on_click = [&] { picked.push_back(form.list.text()); };
  form.load();
  const HWND list = window(form.list);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  SendMessageW(window(form), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(picked, std::vector<std::string>{"сказка.dlg"});
  EXPECT_EQ(text_of(list), L"сказка.dlg");
  form.list.set_list_index(0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  form.list.clear();
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(Win32, WhatTheControlsHoldIsWhatTheFormReads) {
  form.load();
  // A multi-line box tells nothing of a text set from outside; a list nothing
  // of a selection; a graphical option keeps no state of its own.
  SendMessageW(window(form.text), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Снаружи"));
  SendMessageW(window(form.list), LB_SETCURSEL, 1, 0);
  SendMessageW(window(form.icon[0]), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(form.text.text(), "Снаружи");
  EXPECT_EQ(form.list.text(), "сказка.dlg");
  EXPECT_EQ(text_of(window(form.list)), L"сказка.dlg");
  EXPECT_TRUE(form.icon[0].value());
  EXPECT_FALSE(form.icon[2].value());
  EXPECT_EQ(SendMessageW(window(form.icon[0]), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The form's own changes still reach them.
  form.text.set_text("");
  form.list.set_list_index(0);
  EXPECT_EQ(text_of(window(form.text)), L"");
  EXPECT_EQ(SendMessageW(window(form.list), LB_GETCURSEL, 0, 0), 0);
}

// The keys reach a drop-down list and a check box through the form, the
// pointer and other programs through their native controls; either way the
// form reads what the controls hold, and hears of each choice once.
TEST_F(Win32, ADropDownListAndACheckBoxAnswerKeysAndOtherPrograms) {
  std::vector<std::string> chosen;
  form.next.on_change = [&] { chosen.push_back(form.next.text()); };
  int clicks = 0;
  form.one_file.on_click = [&] { ++clicks; };
  form.set_default_button(&form.probe);
  form.set_cancel_button(&form.probe);
  form.show();
  backend.pump(50);
  const HWND combo = window(form.next), box = window(form.one_file);
  const auto post_key = [&](HWND to, UINT vk) {
    PostMessageW(to, WM_KEYDOWN, vk, 1);
    PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
    backend.pump(30);
  };
  const auto shown = [&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0); };
  const auto open = [&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };

  SetFocus(combo);
  post_key(combo, VK_DOWN);
  EXPECT_EQ(shown(), 1);
  post_key(combo, VK_F4);
  EXPECT_TRUE(open());
  EXPECT_TRUE(form.next.dropped_down());
  post_key(combo, VK_DOWN);
  EXPECT_EQ(shown(), 2);
  EXPECT_EQ(chosen.size(), 1u) << "a move in the open list is no choice";
  post_key(combo, VK_RETURN);
  EXPECT_FALSE(open());
  post_key(combo, VK_F4);
  post_key(combo, VK_HOME);
  post_key(combo, VK_ESCAPE);
  EXPECT_FALSE(open());
  EXPECT_EQ(shown(), 2);
  EXPECT_EQ(chosen, (std::vector<std::string>{"диалог 3", "конец"}));
  EXPECT_TRUE(form.probe.events.empty()) << "the window's buttons took the list's keys";

  // Another program: a choice in the closed box counts; opened and closed from
  // outside, the list takes back what was chosen in it.
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(chosen.back(), "дальше");
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(form.next.dropped_down());
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_FALSE(form.next.dropped_down());
  EXPECT_EQ(form.next.list_index(), 0);
  EXPECT_EQ(shown(), 0);
  EXPECT_EQ(chosen.size(), 3u);
  // The window's own choice reaches the box and tells nothing.
  form.next.set_list_index(1);
  EXPECT_EQ(text_of(combo), L"диалог 3");
  EXPECT_EQ(chosen.size(), 3u);

  // The pointer: a press opens the list, Esc closes it while the button is held.
  // Let go, the box hands the pointer to its list, closed by now: the list must
  // not keep it, or the next click anywhere would be its own and put back the
  // item it opened with.
  RECT r{};
  GetClientRect(combo, &r);
  const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(combo, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  backend.pump(30);
  EXPECT_TRUE(open());
  post_key(combo, VK_ESCAPE);
  EXPECT_FALSE(open());
  PostMessageW(combo, WM_LBUTTONUP, 0, middle);
  backend.pump(30);
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
  EXPECT_NE(GetCapture(), parts.hwndList) << "a closed list keeps the pointer";
  EXPECT_EQ(chosen.size(), 3u);

  // Told of an opening that never showed, then of a closing without a choice
  // (as some systems tell whenever the focus leaves): a choice the closed box
  // makes between counts and stays.
  const auto notify = [&](WORD code) {
    SendMessageW(window(form), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(combo));
  };
  notify(CBN_DROPDOWN);
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  notify(CBN_SELENDCANCEL);
  EXPECT_EQ(form.next.list_index(), 2);
  EXPECT_EQ(shown(), 2);
  EXPECT_EQ(chosen, (std::vector<std::string>{"диалог 3", "конец", "дальше", "конец"}));

  // The check box: Space once let go, a click from outside, a check set from outside.
  SetFocus(box);
  PostMessageW(box, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageW(box, WM_KEYDOWN, VK_SPACE, 0x40000001);  // held: the key repeats
  backend.pump(30);
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & (BST_PUSHED | BST_CHECKED), BST_PUSHED);
  PostMessageW(box, WM_KEYUP, VK_SPACE, 0xC0000001);
  backend.pump(30);
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & (BST_PUSHED | BST_CHECKED), BST_CHECKED);
  EXPECT_TRUE(form.one_file.value());
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_FALSE(form.one_file.value());
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(form.one_file.value());
  EXPECT_EQ(clicks, 2);
}

// A handler may close its window from inside a message of one of its controls:
// here a click on a self-drawn control takes the focus from a drop-down list,
// which tells a choice another program made in its list, and that choice's
// handler unloads the form; then a choice made with the pointer in the open
// list does the same. Nothing of the windows' objects runs on after that, and
// the windows wait, hidden, until the list's own code is done with them.
TEST_F(Win32, AWindowClosedFromInsideItsControlsMessagesStopsThere) {
  HWND shown = nullptr, combo = nullptr;
  bool waited = false;
  form.next.on_change = [&] {
    form.unload();
    waited = IsWindow(combo) && !IsWindowVisible(shown);
  };
  form.show();
  backend.pump(50);
  shown = window(form);
  combo = window(form.next);
  const HWND custom = window(form.probe);
  SetFocus(combo);
  backend.pump(30);
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
  SendMessageW(parts.hwndList, LB_SETCURSEL, 2, 0);  // no word of it to the box
  PostMessageW(custom, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  PostMessageW(custom, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  backend.pump(100);
  EXPECT_FALSE(form.loaded());
  EXPECT_TRUE(waited);
  EXPECT_FALSE(IsWindow(combo));
  EXPECT_TRUE(form.probe.events.empty()) << "a control got the pointer after its window was gone";

  form.show();
  backend.pump(50);
  shown = window(form);
  combo = window(form.next);
  waited = false;
  ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  backend.pump(30);
  RECT item{};
  SendMessageW(parts.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  PostMessageW(parts.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(parts.hwndList, WM_LBUTTONUP, 0, at);
  backend.pump(100);
  EXPECT_FALSE(form.loaded());
  EXPECT_TRUE(waited);
  EXPECT_FALSE(IsWindow(combo));
}

TEST_F(Win32, LabelsReportClicksAndDoubleClicks) {
  std::vector<std::string> seen;
  form.title.on_click = [&] { seen.push_back("click"); };
  form.title.on_double_click = [&] { seen.push_back("double"); };
  form.load();
  const HWND label = window(form.title);
  SendMessageW(window(form), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
  SendMessageW(window(form), WM_COMMAND, MAKEWPARAM(0, STN_DBLCLK),
               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(seen, (std::vector<std::string>{"click", "double"}));
}

std::vector<std::uint32_t> render(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bmp = ui::win32::make_dib(screen, r.right, r.bottom, &bits);
  const HGDIOBJ old = SelectObject(dc, bmp);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const auto* px = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> out(px, px + r.right * r.bottom);
  for (auto& p : out) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return out;
}

TEST_F(Win32, TheSelectionBorderLeavesTheTextWhereItIs) {
  form.title.set_colors(Color::rgb(0, 0, 0), Color::rgb(255, 255, 255));
  form.load();
  const HWND label = window(form.title);
  RECT r;
  GetClientRect(label, &r);
  const std::vector<std::uint32_t> plain = render(label);
  form.title.set_border(true);
  RECT bordered_rect;
  GetClientRect(label, &bordered_rect);
  EXPECT_EQ(bordered_rect.right, r.right);
  EXPECT_EQ(bordered_rect.bottom, r.bottom);
  const std::vector<std::uint32_t> bordered = render(label);
  int differing_inside = 0, text_pixels = 0, frame_pixels = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * r.right + x);
      const bool edge = x == 0 || y == 0 || x == r.right - 1 || y == r.bottom - 1;
      if (!edge) {
        differing_inside += plain[i] != bordered[i];
        text_pixels += plain[i] != 0xFFFFFF;
      } else {
        frame_pixels += bordered[i] != 0xFFFFFF;
      }
    }
  EXPECT_GT(text_pixels, 20);
  EXPECT_EQ(differing_inside, 0);
  EXPECT_EQ(frame_pixels, 2 * (r.right + r.bottom) - 4);
}

TEST_F(Win32, KeysReachTheFormFirstAndTheFocusMarkFollowsTheCues) {
  form.set_default_button(&form.probe);
  form.show();
  backend.pump(50);
  const auto post_key = [&](HWND to, UINT vk) {
    PostMessageW(to, WM_KEYDOWN, vk, 1);
    PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
    backend.pump(30);
  };
  post_key(window(form.box), VK_RETURN);
  EXPECT_EQ(form.probe.events, std::vector<std::string>{"activate"});
  SetFocus(window(form.text));
  post_key(window(form.text), VK_RETURN);
  EXPECT_EQ(form.text.text(), "\r\n") << "a multi-line box keeps Enter";
  EXPECT_EQ(form.probe.events.size(), 1u);

  // The focus mark: drawn only while the window shows its keyboard cues.
  const HWND probe = window(form.probe);
  const std::vector<std::uint32_t> plain = render(probe);
  SetFocus(probe);
  EXPECT_EQ(form.focused_control(), &form.probe);
  EXPECT_FALSE(form.keyboard_cues()) << "nothing pressed in this window but Enter";
  EXPECT_EQ(render(probe), plain);
  form.set_keyboard_cues(true);
  const std::vector<std::uint32_t> marked = render(probe);
  RECT r;
  GetClientRect(probe, &r);
  EXPECT_EQ(marked[static_cast<std::size_t>(2 * r.right + 2)], 0u) << "a dot over the picture";
  EXPECT_EQ(marked[static_cast<std::size_t>(2 * r.right + 3)], 0xFF0000u) << "and a gap";
  SetFocus(window(form.box));
  EXPECT_EQ(form.focused_control(), &form.box);
  EXPECT_EQ(render(probe), plain);

  // After a message box the focus is where it was.
  BoxAnswerer::seen.clear();
  SetTimer(nullptr, 0, 50, BoxAnswerer::answer);
  message_box("Проверка", mb::Ok, "Quillet");
  backend.pump(100);
  EXPECT_EQ(GetFocus(), window(form.box));
}

TEST_F(Win32, TheScrollBarNeverKeepsTheFocusOrTheKeys) {
  form.show();
  const HWND scroll = window(form.scroll);
  SetFocus(window(form.box));
  SetFocus(scroll);
  EXPECT_NE(GetFocus(), scroll);
  EXPECT_EQ(GetFocus(), window(form.box));
  // A click on the arrow at the bottom.
  RECT r;
  GetClientRect(scroll, &r);
  PostMessageW(scroll, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, r.bottom - 5));
  PostMessageW(scroll, WM_LBUTTONUP, 0, MAKELPARAM(5, r.bottom - 5));
  backend.pump(100);
  EXPECT_NE(GetFocus(), scroll);
  SendMessageW(scroll, WM_CHAR, 27, 1);
  EXPECT_EQ(form.keys, U"\x1b");
  EXPECT_EQ(GetScrollPos(scroll, SB_CTL), 0);
}

TEST_F(Win32, KeyPreviewShowsTheWindowKeysOfItsControls) {
  form.load();
  SendMessageW(window(form), WM_CHAR, L'q', 1);
  SendMessageW(window(form.list), WM_CHAR, L'x', 1);
  EXPECT_EQ(form.keys, U"q");
  form.set_key_preview(true);
  SendMessageW(window(form.list), WM_CHAR, L'y', 1);
  SendMessageW(window(form.box), WM_CHAR, L'z', 1);
  EXPECT_EQ(form.keys, U"qyz");
  EXPECT_EQ(form.box.text(), "zДиалог");  // the caret stands at the start
}

TEST_F(Win32, TabFollowsTheTabIndex) {
  // Everything but three controls out of the way, in reverse creation order.
  for (Control* c : form.controls()) c->set_tab_stop(false);
  form.box.set_tab_stop(true);
  form.text.set_tab_stop(true);
  form.list.set_tab_stop(true);
  form.list.set_tab_index(0);
  form.text.set_tab_index(1);
  form.box.set_tab_index(2);
  form.show();
  backend.pump(50);
  EXPECT_EQ(GetFocus(), window(form.list));  // the first in tab order on activation
  std::vector<HWND> visited;
  for (int i = 0; i < 4; ++i) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    backend.pump(30);
    visited.push_back(GetFocus());
  }
  EXPECT_EQ(visited, (std::vector<HWND>{window(form.text), window(form.box), window(form.list),
                                        window(form.text)}));
  EXPECT_EQ(form.text.text(), "");  // no tab character went in
  // A hidden control is passed over.
  form.box.set_visible(false);
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
  backend.pump(30);
  EXPECT_EQ(GetFocus(), window(form.list));
}

TEST_F(Win32, TimersTickUntilDisabled) {
  int ticks = 0;
  form.tick.on_tick = [&] { ++ticks; };
  form.load();
  // A loaded machine ticks late, never early: pumped until the ticks came, for
  // at most ten seconds.
  const auto pump_until = [&](int count) {
    const ULONGLONG start = GetTickCount64();
    while (ticks < count && GetTickCount64() - start < 10000) backend.pump(20);
    return GetTickCount64() - start;
  };
  form.tick.set_interval(40);
  const ULONGLONG took = pump_until(5);
  ASSERT_GE(ticks, 5);
  EXPECT_GE(took, 150u) << "five ticks of 40 ms came at once";
  form.tick.set_enabled(false);
  const int stopped = ticks;
  backend.pump(200);
  EXPECT_EQ(ticks, stopped);
  form.tick.set_enabled(true);
  pump_until(stopped + 1);
  EXPECT_GT(ticks, stopped);
}

TEST_F(Win32, AModalWindowReturnsWhenHiddenOrUnloaded) {
  other.show();
  bool owner_was_disabled = false;
  form.tick.set_interval(100);
  form.tick.on_tick = [&] {
    owner_was_disabled = !IsWindowEnabled(window(other));
    form.hide();
  };
  form.show_modal(other);
  EXPECT_TRUE(owner_was_disabled);
  EXPECT_TRUE(form.loaded());
  EXPECT_FALSE(form.visible());
  EXPECT_FALSE(IsWindowVisible(window(form)));
  EXPECT_TRUE(IsWindowEnabled(window(other)));
  EXPECT_EQ(GetWindow(window(form), GW_OWNER), window(other));

  // The close box unloads it.
  form.tick.on_tick = [&] { PostMessageW(window(form), WM_CLOSE, 0, 0); };
  form.show_modal(other);
  EXPECT_FALSE(form.loaded());
  EXPECT_TRUE(IsWindowEnabled(window(other)));
}

TEST_F(Win32, AFailingHandlerLeavesTheProgramRunning) {
  int ticks = 0;
  form.tick.set_interval(30);
  form.tick.on_tick = [&] {
    ++ticks;
    throw std::runtime_error("tick failed");
  };
  form.title.on_click = [] { throw 42; };
  form.load();
  SendMessageW(window(form), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               reinterpret_cast<LPARAM>(window(form.title)));
  // Ticks go on after a failing one, however late a loaded machine brings them.
  for (const ULONGLONG start = GetTickCount64(); ticks < 2 && GetTickCount64() - start < 10000;)
    backend.pump(20);
  EXPECT_GE(ticks, 2);
  EXPECT_TRUE(IsWindow(window(form)));
  form.title.set_caption("дальше");
  EXPECT_EQ(text_of(window(form.title)), L"дальше");
}

TEST_F(Win32, ACustomControlGetsThePointerAndTheFocus) {
  form.show();
  const HWND h = window(form.probe);
  SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  EXPECT_EQ(GetCapture(), h);
  EXPECT_EQ(GetFocus(), h);
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  EXPECT_NE(GetCapture(), h);
  SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  EXPECT_EQ(form.probe.events, (std::vector<std::string>{"move 5,6", "press 5,6", "release 7,8",
                                                         "double 7,8", "release 7,8"}));
  // Where the pointer is, in the control's pixels.
  const Point p = pointer_seen_at(h, 3, 4, [&] { return form.probe.cursor_position(); });
  EXPECT_EQ(p, (Point{3, 4}));

  // The face is blitted and the picture laid over it.
  const std::vector<std::uint32_t> px = render(h);
  RECT r;
  GetClientRect(h, &r);
  EXPECT_EQ(px[0], 0x336699u);
  EXPECT_EQ(px[static_cast<std::size_t>(3 * r.right + 3)], 0xFF0000u);
}

// A tool may keep a control's accessible object after the window has gone.
TEST_F(Win32, AnAccessibleObjectKeptPastItsWindowOnlyAnswersThatItIsGone) {
  // IID_IAccessible (MinGW's oleacc library can shadow uuid's with a wrong GUID).
  const GUID accessible_iid = {
      0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  form.show();
  void* object = nullptr;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(
      window(form.probe), static_cast<DWORD>(OBJID_CLIENT), accessible_iid, &object)));
  auto* a = static_cast<IAccessible*>(object);
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  ASSERT_EQ(a->get_accName(self, &name), S_OK);
  EXPECT_EQ(std::wstring(name), L"Пуск");
  SysFreeString(name);
  form.discard();
  name = nullptr;
  EXPECT_EQ(a->get_accName(self, &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(a->accDoDefaultAction(self), RPC_E_DISCONNECTED);
  a->Release();
  CoUninitialize();
}

TEST_F(Win32, TooltipsAndTheHandFollowTheControls) {
  form.load();
  // The window's tooltip control comes with its first tip.
  EXPECT_FALSE(tooltips_of(window(form)));
  form.title.set_tooltip("Привет#мир; Диалог; Информация; ОК");
  form.box.set_tooltip("заголовок");
  const HWND tips = tooltips_of(window(form));
  ASSERT_TRUE(tips);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
  form.title.set_tooltip("другой");
  wchar_t buf[80] = {};
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = window(form);
  ti.uId = reinterpret_cast<UINT_PTR>(window(form.title));
  ti.lpszText = buf;
  SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(buf), L"другой");
  form.box.set_tooltip("");
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 1);

  // No cursor resource in a test program: the system's hand stands in.
  form.title.set_pointer(MousePointer::Hand);
  EXPECT_TRUE(SendMessageW(window(form.title), WM_SETCURSOR,
                           reinterpret_cast<WPARAM>(window(form.title)),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(Win32, FontsAndTextMeasures) {
  EXPECT_EQ(ui::win32::font_height(8.25, 96), -11);
  EXPECT_EQ(ui::win32::font_height(9.75, 96), -13);
  EXPECT_EQ(ui::win32::font_height(12, 96), -16);
  Font courier{"Courier New", 9.75, false, false, kCyrillicCharset};
  const Size one = backend.measure_text("Ш", courier);
  const Size ten = backend.measure_text("ШШШШШШШШШШ", courier);
  EXPECT_GT(one.width, 4);
  // Fixed pitch, Cyrillic included (also where the face is missing and a like
  // one stands in).
  EXPECT_EQ(backend.measure_text("iiiiiiiiii", courier).width, ten.width);
  EXPECT_GT(backend.measure_text("ШШ", Font{}).width, backend.measure_text("ii", Font{}).width);
  EXPECT_GE(one.height, 13);
  EXPECT_EQ(backend.measure_text("", courier).height, one.height);
  const Font ui_font = backend.interface_font();
  EXPECT_EQ(ui_font.name, "MS Sans Serif");
  EXPECT_EQ(ui_font.size, 8.25);
  EXPECT_EQ(ui_font.charset, 204);

  // An autosized label takes the measured size.
  form.load();
  form.title.set_autosize(true);
  form.title.set_caption("ШШШШШШШШШШ");
  const RECT r = rect_in_parent(window(form.title));
  EXPECT_EQ(r.right - r.left, backend.measure_text("ШШШШШШШШШШ", form.title.font()).width);
}

// The font a window was given, as its height in logical units.
LONG font_height_of(HWND h) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

// The extent of a window's text in the font it was given.
SIZE text_extent_of(HWND h) {
  HDC dc = GetDC(h);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  const std::wstring text = text_of(h);
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return s;
}

// Moved to a display of 200 % (as Windows tells a window that goes to another
// monitor) and back: sizes, fonts, pictures, the pointer and measured texts follow.
TEST_F(Win32, AWindowMovedToADisplayOfAnotherScaleLaysItselfOutAgain) {
  form.title.set_autosize(true);
  form.title.set_caption("Значок диалога:");
  form.show();
  const HWND f = window(form);
  const RECT title96 = rect_in_parent(window(form.title));
  const LONG font96 = font_height_of(window(form.title));
  EXPECT_EQ(font96, ui::win32::font_height(8.25, 96));
  const SIZE text96 = text_extent_of(window(form.next));
  const RECT combo96 = rect_in_parent(window(form.next));
  EXPECT_EQ(combo96.bottom - combo96.top, 21);

  SIZE answered{};
  ASSERT_TRUE(
      SendMessageW(f, ui::win32::kWmGetDpiScaledSize, 192, reinterpret_cast<LPARAM>(&answered)));
  RECT suggested{40, 30, 40 + answered.cx, 30 + answered.cy};
  SendMessageW(f, ui::win32::kWmDpiChanged, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  RECT outer, client;
  GetWindowRect(f, &outer);
  GetClientRect(f, &client);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
  EXPECT_EQ(client.right, 738);
  EXPECT_EQ(client.bottom, 714);

  // Boxes doubled, inside a frame too; the line twice as thick.
  const RECT option = rect_in_parent(window(form.set[1]));
  EXPECT_EQ(option.left, 160);
  EXPECT_EQ(option.top, 16);
  const RECT rule = rect_in_parent(window(form.rule));
  EXPECT_EQ(rule.bottom - rule.top, 2);
  EXPECT_EQ(rule.top, 640);

  // Fonts made for the dpi, and the measured text holds its label.
  EXPECT_EQ(font_height_of(window(form.title)), ui::win32::font_height(8.25, 192));
  const RECT title = rect_in_parent(window(form.title));
  EXPECT_EQ(title.left, 16);
  EXPECT_GE(title.right - title.left, text_extent_of(window(form.title)).cx);
  EXPECT_LE(title.right - title.left, text_extent_of(window(form.title)).cx + 2);
  EXPECT_LE(text_extent_of(window(form.icon[2])).cx,
            rect_in_parent(window(form.icon[2])).right - rect_in_parent(window(form.icon[2])).left);

  // The icon option's 32-pixel picture repeated to 64.
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(
      reinterpret_cast<HICON>(SendMessageW(window(form.icon[0]), BM_GETIMAGE, IMAGE_ICON, 0)),
      &info));
  BITMAP color{};
  GetObjectW(info.hbmColor, sizeof color, &color);
  EXPECT_EQ(color.bmWidth, 64);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  // The self-drawn control: face and picture doubled, the pointer in its own pixels.
  const HWND custom = window(form.probe);
  const std::vector<std::uint32_t> px = render(custom);
  RECT face;
  GetClientRect(custom, &face);
  EXPECT_EQ(face.right, 80);
  const auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y * face.right + x)]; };
  EXPECT_EQ(at(3, 3), 0x336699u);
  EXPECT_EQ(at(4, 4), 0xFF0000u);
  EXPECT_EQ(at(11, 11), 0xFF0000u);
  EXPECT_EQ(at(12, 12), 0x336699u);
  form.probe.events.clear();
  SendMessageW(custom, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(11, 13));
  SendMessageW(custom, WM_LBUTTONUP, 0, MAKELPARAM(11, 13));
  EXPECT_EQ(form.probe.events, (std::vector<std::string>{"press 5,6", "release 5,6"}));
  EXPECT_EQ(pointer_seen_at(custom, 7, 9, [&] { return form.probe.cursor_position(); }),
            (Point{3, 4}));

  // The drop-down list: its closed box as high as the model says, its text and
  // items in the larger font, its open list showing every item.
  const HWND combo = window(form.next);
  const RECT closed = rect_in_parent(combo);
  EXPECT_EQ(closed.bottom - closed.top, 42);
  const SIZE text192 = text_extent_of(combo);
  EXPECT_GE(text192.cy, 2 * text96.cy - 2);
  EXPECT_GE(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), text192.cy);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
  RECT list;
  GetClientRect(parts.hwndList, &list);
  EXPECT_GE(list.bottom, 3 * SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);

  // And back at 96 dpi, all as it was.
  RECT back{40, 30, 40, 30};
  SendMessageW(f, ui::win32::kWmDpiChanged, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
  GetClientRect(f, &client);
  EXPECT_EQ(client.right, 369);
  EXPECT_EQ(client.bottom, 357);
  const RECT title_back = rect_in_parent(window(form.title));
  EXPECT_TRUE(EqualRect(&title_back, &title96));
  EXPECT_EQ(font_height_of(window(form.title)), font96);
  EXPECT_EQ(rect_in_parent(window(form.rule)).bottom - rect_in_parent(window(form.rule)).top, 1);
  const RECT combo_back = rect_in_parent(window(form.next));
  EXPECT_TRUE(EqualRect(&combo_back, &combo96));
  EXPECT_EQ(text_extent_of(window(form.next)).cy, text96.cy);
}

// A sizable window that a diagram fills.
class DrawingForm : public Form {
 public:
  DrawingForm() : Form("drawing_form") {
    set_scale(ScaleMode::Pixels);
    set_border(Border::Sizable);
    set_client_size(200, 100);
    d.set_back_color(Color::rgb(255, 255, 255));
    d.set_drawing({shape::Box{{150, 50, 40, 30}, Color::rgb(10, 200, 30), Color::rgb(0, 0, 0), 0}},
                  {400, 300});
    d.on_press = [this](Point p, MouseButton) { presses.push_back(p); };
  }
  void Resize() override { d.move(0, 0, client_width(), client_height()); }
  Diagram d{*this, "d"};
  std::vector<Point> presses;
};

// The diagram scrolls while it is larger than its window, draws its shapes at the
// window's scale and takes the pointer back into pixels of its drawing; the
// window reports its new size when resized.
TEST_F(Win32, ADiagramScrollsScalesAndFollowsItsSizableWindow) {
  DrawingForm f;
  f.show();
  f.Resize();
  const HWND d = window(f.d);
  const auto pixel = [&](int x, int y) {
    RECT r;
    GetClientRect(d, &r);
    return render(d)[static_cast<std::size_t>(y * r.right + x)];
  };
  EXPECT_TRUE(style_of(window(f)) & WS_THICKFRAME);
  EXPECT_EQ(style_of(d) & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
  // Scrolled right and down by the bars, the box comes into the window.
  SendMessageW(d, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  SendMessageW(d, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  SendMessageW(d, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  const int sx = GetScrollPos(d, SB_HORZ), sy = GetScrollPos(d, SB_VERT);
  EXPECT_EQ(sx, 48);
  EXPECT_EQ(sy, 24);
  EXPECT_EQ(pixel(160 - sx, 60 - sy), 0x0AC81Eu);
  SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(160 - sx, 60 - sy));
  SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(160 - sx, 60 - sy));
  EXPECT_EQ(f.presses, (std::vector<Point>{{160, 60}}));

  // Made larger than the drawing: the window tells the model, the bars go.
  RECT outer;
  GetWindowRect(window(f), &outer);
  RECT client;
  GetClientRect(window(f), &client);
  SetWindowPos(window(f), nullptr, 0, 0, outer.right - outer.left + 450 - client.right,
               outer.bottom - outer.top + 450 - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(f.client_width(), 450);
  EXPECT_EQ(f.client_height(), 450);
  EXPECT_EQ(f.d.rect(), (Rect{0, 0, 450, 450}));
  EXPECT_EQ(style_of(d) & (WS_HSCROLL | WS_VSCROLL), 0);
  EXPECT_EQ(pixel(150, 50), 0x0AC81Eu);
  EXPECT_EQ(pixel(149, 50), 0xFFFFFFu);

  // At 200 %: the box at twice its place, the pointer halved again.
  SIZE answered{};
  SendMessageW(window(f), ui::win32::kWmGetDpiScaledSize, 192, reinterpret_cast<LPARAM>(&answered));
  RECT suggested{0, 0, answered.cx, answered.cy};
  SendMessageW(window(f), ui::win32::kWmDpiChanged, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(pixel(300, 100), 0x0AC81Eu);
  EXPECT_EQ(pixel(379, 159), 0x0AC81Eu);
  EXPECT_EQ(pixel(299, 100), 0xFFFFFFu);
  EXPECT_EQ(pixel(380, 160), 0xFFFFFFu);
  f.presses.clear();
  SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 101));
  SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(301, 101));
  EXPECT_EQ(f.presses, (std::vector<Point>{{150, 50}}));
  // Its picture at twice that scale.
  const Bitmap twice = f.d.picture(2);
  EXPECT_EQ(twice.width, 1600);
  EXPECT_EQ(twice.height, 1200);
  EXPECT_EQ(twice.at(600, 200), 0xFF0AC81Eu);
  EXPECT_EQ(twice.at(599, 200), 0xFFFFFFFFu);
  f.discard();
}

TEST_F(Win32, PicturesBecomeIconsAndCursorsAndBack) {
  Bitmap hand(8, 6, 0);
  for (int x = 2; x < 6; ++x) hand.at(x, 1) = 0xFF000000u;
  hand.at(3, 2) = 0xFFFFFFFFu;
  hand.at(4, 4) = 0xFFCC3300u;
  HICON icon = ui::win32::make_icon(hand);
  HCURSOR cursor = ui::win32::make_cursor(ui::win32::repeat_pixels(hand, 2), {10, 2});
  ASSERT_TRUE(icon);
  ASSERT_TRUE(cursor);
  EXPECT_EQ(ui::win32::icon_pixels(icon, nullptr).pixels, hand.pixels);
  POINT hot{};
  EXPECT_EQ(ui::win32::icon_pixels(cursor, &hot).pixels, ui::win32::repeat_pixels(hand, 2).pixels);
  EXPECT_EQ(hot.x, 10);
  EXPECT_EQ(hot.y, 2);
  DestroyIcon(icon);
  DestroyCursor(cursor);

  // A monochrome cursor, as the link hand is stored: where the AND mask is clear
  // the XOR mask draws white or black; elsewhere it is transparent.
  BYTE and_bits[32 * 4], xor_bits[32 * 4];
  std::fill(std::begin(and_bits), std::end(and_bits), 0xFF);
  std::fill(std::begin(xor_bits), std::end(xor_bits), 0x00);
  and_bits[0] = 0x3F;  // row 0: columns 0 and 1 drawn
  xor_bits[0] = 0x40;  // column 1 white
  HCURSOR mono = CreateCursor(GetModuleHandleW(nullptr), 5, 0, 32, 32, and_bits, xor_bits);
  ASSERT_TRUE(mono);
  const Bitmap shape = ui::win32::icon_pixels(mono, &hot);
  ASSERT_EQ(shape.width, 32);
  ASSERT_EQ(shape.height, 32);
  EXPECT_EQ(shape.at(0, 0), 0xFF000000u);
  EXPECT_EQ(shape.at(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(shape.at(2, 0) >> 24, 0u);
  EXPECT_EQ(shape.at(0, 1) >> 24, 0u);
  EXPECT_EQ(hot.x, 5);
  DestroyCursor(mono);
}

}  // namespace

// A program's whole life: start form shown, loop until it is unloaded, the rest unloaded.
class Starter : public Form {
 public:
  Starter() : Form("starter") {
    set_client_size(3000, 2000);
    close_soon.set_interval(100);
    close_soon.on_tick = [this] {
      seen_visible = IsWindowVisible(Win32Backend::window_of(*this)) != 0;
      unload(UnloadReason::CloseBox);
    };
  }
  Timer close_soon{*this, "close_soon"};
  static inline bool seen_visible = false;
};

class Bystander : public Form {
 public:
  Bystander() : Form("bystander") {}
  void Unload() override { ++unloads; }
  static inline int unloads = 0;
};

TEST(Win32Program, RunsUntilTheStartFormIsUnloaded) {
  const int code = ui::win32::run_program([]() -> Form& {
    Single<Bystander>::get().show();
    return Single<Starter>::get();
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(Starter::seen_visible);
  EXPECT_FALSE(Single<Starter>::loaded());
  EXPECT_FALSE(Single<Bystander>::loaded());
  EXPECT_EQ(Bystander::unloads, 0);  // dropped at the end, not asked
}
