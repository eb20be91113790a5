// quillet.exe as a user meets it: copied into a program folder of its own, started
// from another folder, and driven through its windows with posted mouse and key
// messages and with the real pointer and keys. Controls are found by the name each
// window carries; texts, check states and positions are read from the windows, files
// from the disk. Along the way the windows are saved as screenshots under
// build/screenshots/.

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "../answers.h"
#include "probe.h"

namespace {

using probe::cp1251;
using probe::read_file;
using probe::visible;

using probe::BoxIcon;

constexpr DWORD kWindowTimeoutMs = 10000;
constexpr DWORD kBuildTimeoutMs = 15000;
constexpr wchar_t kFormClass[] = L"QuilletForm";
constexpr wchar_t kBoxClass[] = L"#32770";

// ---- files

bool file_exists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A project file as the designer writes it: fifteen lines, CR LF after each.
std::string script_file(const std::vector<std::wstring>& rows) {
  std::wstring text;
  for (int i = 0; i < 15; ++i)
    text += (i < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(i)] : L"") +
            std::wstring(L"\r\n");
  return cp1251(text);
}

// ---- readable failures

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

#define EXPECT_TEXT(got, want) EXPECT_EQ(visible(got), visible(want))

std::string describe(const std::vector<int>& buttons) {
  std::string out;
  for (int id : buttons) {
    static const char* const names[] = {"?",   "OK", "Cancel", "Abort", "Retry", "Ignore",
                                        "Yes", "No", "Close",  "Help",  "Try",   "Continue"};
    out += (out.empty() ? "" : " ");
    out += id >= 0 && id <= 11 ? names[id] : "?";
  }
  return out;
}

// ---- windows

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    Sleep(10);
  }
}

// A form of the process by its name ("make_form"): forms of one caption differ by
// name ("comp_form" and "compile_form" are both "Компиляция").
std::vector<HWND> forms(DWORD process_id, std::wstring_view name, bool visible_only = true) {
  std::vector<HWND> found;
  for (HWND w : probe::top_windows(process_id, {kFormClass, L"", visible_only}))
    if (probe::control_name(w) == name) found.push_back(w);
  return found;
}

HWND wait_form(const probe::Process& process, std::wstring_view name,
               DWORD timeout_ms = kWindowTimeoutMs) {
  HWND found = nullptr;
  wait_until(
      [&] {
        const auto all = forms(process.id(), name);
        found = all.empty() ? nullptr : all.front();
        return found || !process.running();
      },
      timeout_ms);
  return found;
}

bool wait_text(HWND window, std::wstring_view want, DWORD timeout_ms = kWindowTimeoutMs) {
  return wait_until([&] { return probe::text(window) == want; }, timeout_ms);
}

bool is_visible(HWND w) { return w && IsWindowVisible(w); }

LRESULT send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

bool checked(HWND option) { return send(option, BM_GETCHECK) == BST_CHECKED; }

SIZE client_size(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The window's rectangle in its parent's client coordinates.
RECT place_in_parent(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Replaces the whole text of an edit box through the keyboard path: select all,
// then one WM_CHAR per character, so key filters run.
void retype(HWND edit, std::wstring_view text) {
  PostMessageW(edit, EM_SETSEL, 0, -1);
  probe::type(edit, text);
}

std::vector<std::wstring> list_items(HWND list) {
  std::vector<std::wstring> items;
  const LRESULT n = send(list, LB_GETCOUNT);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT length = send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i));
    std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT got =
        send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    items.push_back(item);
  }
  return items;
}

std::vector<std::wstring> split_lines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(L"\r\n", start);
    lines.emplace_back(text.substr(start, at == std::wstring_view::npos ? at : at - start));
    if (at == std::wstring_view::npos) return lines;
    start = at + 2;
  }
}

// The full image path of a process, as the system reports it.
std::wstring image_of(HANDLE process) {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, buf, &n)) return {};
  return std::wstring(buf, n);
}

// A visible message box of a process this test did not start itself, found by the
// program file of its process. The process handle comes along so that its end can
// be awaited.
struct ForeignBox {
  HWND box = nullptr;
  probe::Process process;
};

ForeignBox wait_box_of_program(const std::wstring& program, DWORD timeout_ms) {
  ForeignBox found;
  wait_until(
      [&] {
        std::vector<HWND> boxes;
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
              if (IsWindowVisible(w) && probe::class_name(w) == kBoxClass)
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&boxes));
        for (HWND w : boxes) {
          DWORD id = 0;
          GetWindowThreadProcessId(w, &id);
          const HANDLE h = OpenProcess(
              PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
          if (!h) continue;
          if (CompareStringOrdinal(image_of(h).c_str(), -1, program.c_str(), -1, TRUE) ==
              CSTR_EQUAL) {
            found.box = w;
            found.process = probe::Process(h, id);
            return true;
          }
          CloseHandle(h);
        }
        return false;
      },
      timeout_ms);
  return found;
}

struct Box {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;
  BoxIcon icon;
};

void expect_box(HWND box, const Box& want) {
  ASSERT_TRUE(box);
  const probe::MessageBoxView got = probe::read_message_box(box);
  EXPECT_TEXT(got.caption, want.caption);
  EXPECT_TEXT(got.text, want.text);
  EXPECT_EQ(describe(got.buttons), describe(want.buttons)) << "visible buttons";
  EXPECT_STREQ(probe::to_string(got.icon), probe::to_string(want.icon));
}

void shoot(HWND window, std::wstring_view file_name) {
  EXPECT_FALSE(probe::screenshot(window, file_name).empty())
      << "cannot save " << probe::to_utf8(file_name);
}

// ---- the display scale

// The dpi of the screen: CTest runs this program in Wine prefixes of 144 and
// 192 dpi as well, and says which in QUILLET_DPI.
int expected_dpi() {
  const char* dpi = std::getenv("QUILLET_DPI");
  return dpi && std::atoi(dpi) > 0 ? std::atoi(dpi) : 96;
}

// A length of the windows' 96-dpi layout on a screen of dpi: scaled by dpi / 96
// with halves rounded up.
int scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

std::string describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") - (" +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Every control that shows lies inside the window or container that holds it.
// The status strip's tip is taller than its strip, as laid out at 96 dpi too: its
// one line stands at the top.
void expect_controls_inside(HWND form) {
  std::vector<HWND> all;
  EnumChildWindows(
      form,
      [](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  int seen = 0;
  for (HWND w : all) {
    const std::wstring name = probe::control_name(w);
    if (name.empty() || !IsWindowVisible(w) || name == L"status") continue;
    ++seen;
    const RECT r = place_in_parent(w);
    RECT holder{};
    GetClientRect(GetParent(w), &holder);
    const std::string where = probe::to_utf8(name) + " at " + describe(r) + " in " +
                              std::to_string(holder.right) + " x " + std::to_string(holder.bottom);
    EXPECT_GE(r.left, 0) << where;
    EXPECT_GE(r.top, 0) << where;
    EXPECT_LE(r.right, holder.right) << where;
    EXPECT_LE(r.bottom, holder.bottom) << where;
  }
  EXPECT_GT(seen, 0) << "no controls found";
}

// A click where the control shows on the screen: the window that lies at the
// middle of its box gets it, so a control covered by another one, or outside its
// window, is not reached.
void click_where_shown(HWND control) {
  ASSERT_TRUE(control);
  RECT r{};
  GetWindowRect(control, &r);
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  const HWND hit = WindowFromPoint(at);
  ASSERT_EQ(hit, control) << probe::to_utf8(probe::control_name(control)) << " is covered by "
                          << probe::to_utf8(probe::control_name(hit));
  ScreenToClient(hit, &at);
  probe::click_at(hit, at.x, at.y);
}

// ---- the fixture: a program folder with quillet.exe, a working folder elsewhere

class Designer : public testing::Test {
 protected:
  void SetUp() override {
    program_folder_ = probe::make_temp_folder(L"quillet-designer");
    working_folder_ = probe::make_temp_folder(L"quillet-elsewhere");
    ASSERT_FALSE(program_folder_.empty());
    ASSERT_FALSE(working_folder_.empty());
    quillet_exe_ = program_folder_ + L"\\quillet.exe";
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_EXE), quillet_exe_))
        << "cannot copy " << QUILLET_EXE;
  }

  void TearDown() override {
    process_ = {};
    probe::remove_tree(program_folder_);
    probe::remove_tree(working_folder_);
  }

  std::wstring in_program(std::wstring_view name) const {
    return program_folder_ + L"\\" + std::wstring(name);
  }

  void add_player() {
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_RUN_EXE), in_program(L"run.exe")));
  }

  void start() {
    process_ = probe::start(quillet_exe_, working_folder_);
    ASSERT_TRUE(process_) << "CreateProcess failed: " << GetLastError();
    main_ = wait_form(process_, L"main_form");
    ASSERT_TRUE(main_) << "no main window";
  }

  HWND control(HWND form, std::wstring_view name) {
    HWND w = probe::find_by_name(form, name);
    EXPECT_TRUE(w) << "no control " << probe::to_utf8(name);
    return w;
  }

  // A form must be gone: destroyed, or at least hidden.
  void expect_form_closed(std::wstring_view name) {
    EXPECT_TRUE(wait_until([&] { return forms(process_.id(), name).empty(); }, kWindowTimeoutMs))
        << probe::to_utf8(name) << " is still shown";
  }

  HWND wait_box() { return probe::wait_window(process_, {kBoxClass, L"", true}, kWindowTimeoutMs); }

  bool no_box_now() { return probe::top_windows(process_.id(), {kBoxClass, L"", true}).empty(); }

  // Adds a dialog through sd_new and the editor. The text is typed key by key, Enter
  // included; the title replaces the default one.
  void add_dialog(std::wstring_view text, std::wstring_view title, int icon, int buttons,
                  const wchar_t* screenshot = nullptr) {
    HWND sd_new = control(main_, L"sd_new");
    ASSERT_TRUE(is_visible(sd_new));
    probe::click(sd_new);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "sd_new opened no editor";
    EXPECT_TEXT(probe::text(editor), L"Создать диалог");
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the editor is not modal";
    EXPECT_EQ(GetWindow(editor, GW_OWNER), main_) << "the editor is not owned by the main window";
    HWND dlg_text = control(editor, L"dlg_text");
    HWND dlg_title = control(editor, L"dlg_title");
    ASSERT_TRUE(dlg_text);
    ASSERT_TRUE(dlg_title);
    EXPECT_TEXT(probe::text(dlg_title), L"Диалог");
    EXPECT_TRUE(checked(control(editor, L"dlg_icon(4)"))) << "a new dialog starts without icon";
    EXPECT_TRUE(checked(control(editor, L"dlg_button(0)"))) << "a new dialog starts with OK";
    retype(dlg_title, title);
    probe::type(dlg_text, text);
    const std::wstring shown_text = [&] {
      std::wstring s(text);
      std::replace(s.begin(), s.end(), L'\r', L'#');
      return s;
    }();
    EXPECT_TRUE(wait_text(dlg_text, shown_text)) << visible(probe::text(dlg_text));
    probe::click(control(editor, L"dlg_icon(" + std::to_wstring(icon) + L")"));
    probe::click(control(editor, L"dlg_button(" + std::to_wstring(buttons) + L")"));
    EXPECT_TRUE(wait_until(
        [&] {
          return checked(
                     probe::find_by_name(editor, L"dlg_icon(" + std::to_wstring(icon) + L")")) &&
                 checked(
                     probe::find_by_name(editor, L"dlg_button(" + std::to_wstring(buttons) + L")"));
        },
        kWindowTimeoutMs))
        << "clicking the options did not choose them";
    for (int i = 0; i < 5; ++i) {
      if (i == icon) continue;
      EXPECT_FALSE(checked(control(editor, L"dlg_icon(" + std::to_wstring(i) + L")")))
          << "icon option " << i << " stays chosen beside " << icon;
    }
    for (int i = 0; i < 4; ++i) {
      if (i == buttons) continue;
      EXPECT_FALSE(checked(control(editor, L"dlg_button(" + std::to_wstring(i) + L")")))
          << "button-set option " << i << " stays chosen beside " << buttons;
    }
    if (screenshot) shoot(editor, screenshot);
    probe::click(control(editor, L"SDButton1"));
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs)) << "OK did not close the editor";
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(main_) != FALSE; }, kWindowTimeoutMs))
        << "the main window stays disabled after the editor";
  }

  void expect_row(int i, std::wstring_view text) {
    SCOPED_TRACE("row " + std::to_string(i));
    // A row gets its windows when it is first shown.
    HWND num = nullptr, str = nullptr;
    wait_until(
        [&] {
          num = probe::find_by_name(main_, L"str_num(" + std::to_wstring(i) + L")");
          str = probe::find_by_name(main_, L"str_str(" + std::to_wstring(i) + L")");
          return num && str;
        },
        kWindowTimeoutMs);
    ASSERT_TRUE(num && str) << "no windows for the row";
    EXPECT_TRUE(wait_text(str, text)) << visible(probe::text(str));
    EXPECT_TEXT(probe::text(num), std::to_wstring(i));
    EXPECT_TRUE(is_visible(num));
    EXPECT_TRUE(is_visible(str));
  }

  // Rows from `first` on are hidden, and sd_new stands at row `first`.
  void expect_list_ends_at(int first) {
    SCOPED_TRACE("list ends at row " + std::to_string(first));
    EXPECT_TRUE(wait_until(
        [&] {
          return !is_visible(
              probe::find_by_name(main_, L"str_str(" + std::to_wstring(first) + L")"));
        },
        kWindowTimeoutMs));
    // A row never shown yet has no window at all.
    for (int i = first; i < 15; ++i) {
      EXPECT_FALSE(is_visible(probe::find_by_name(main_, L"str_str(" + std::to_wstring(i) + L")")))
          << i;
      EXPECT_FALSE(is_visible(probe::find_by_name(main_, L"str_num(" + std::to_wstring(i) + L")")))
          << i;
    }
    HWND sd_new = control(main_, L"sd_new");
    EXPECT_TRUE(is_visible(sd_new));
    EXPECT_EQ(place_in_parent(sd_new).top, scaled(8 + 24 * first, expected_dpi()))
        << "sd_new is not at the first empty row";
  }

  // The file name's box of the system's open or save dialog.
  static HWND file_name_box(HWND dialog) {
    HWND name = GetDlgItem(dialog, 0x47c);           // cmb13
    return name ? name : GetDlgItem(dialog, 0x480);  // edt1, in the older dialog
  }

  // Opens the first project of the program folder through the open window.
  void open_first(const std::wstring& name) {
    probe::click(control(main_, L"sd(1)"));
    HWND open = wait_form(process_, L"file_form");
    ASSERT_TRUE(open);
    send(control(open, L"filebox"), LB_SETCURSEL, 0);
    probe::click(control(open, L"sd_open"));
    ASSERT_TRUE(probe::wait_gone(open, kWindowTimeoutMs));
    ASSERT_TRUE(wait_text(main_, L"Quillet - [" + name + L"]")) << visible(probe::text(main_));
  }

  // Saves an untitled project through the save-as window.
  void save_as(std::wstring_view name, const wchar_t* screenshot = nullptr) {
    probe::click(control(main_, L"sd(2)"));
    HWND save = wait_form(process_, L"save_form");
    ASSERT_TRUE(save) << "Save on an untitled project opened no save-as window";
    EXPECT_TEXT(probe::text(save), L"Сохранить файл как...");
    EXPECT_EQ(client_size(save).cx, 347);
    EXPECT_EQ(client_size(save).cy, 77);
    HWND info = control(save, L"info");
    EXPECT_TEXT(probe::text(info), L"Нажмите Сохранить для записи.");
    probe::type(control(save, L"Text1"), name);
    EXPECT_TRUE(wait_text(control(save, L"Text1"), name));
    EXPECT_TRUE(wait_text(info, L"Нажмите сохранить для записи.")) << visible(probe::text(info));
    if (screenshot) shoot(save, screenshot);
    probe::click(control(save, L"sd_save"));
    ASSERT_TRUE(probe::wait_gone(save, kWindowTimeoutMs)) << "sd_save did not close the window";
  }

  // The keyboard focus must come to this control of the designer.
  bool wait_focus(HWND control) {
    return control &&
           wait_until([&] { return probe::focus_of(control) == control; }, kWindowTimeoutMs);
  }
  std::wstring focused_name() { return probe::control_name(probe::focus_of(main_)); }
  // The keys are in the main window, the foreground one.
  bool wait_keys_in_main() {
    SetForegroundWindow(main_);
    return wait_until(
        [&] {
          const HWND f = probe::focus_of(main_);
          return GetForegroundWindow() == main_ && f && (f == main_ || IsChild(main_, f));
        },
        kWindowTimeoutMs);
  }
  // The project saved under another name by the keys: Ctrl+Shift+S and the
  // save-as window, the name typed over the one it proposes.
  void save_copy_as(const std::wstring& name) {
    ASSERT_TRUE(wait_keys_in_main()) << "the keys are at " << probe::to_utf8(focused_name());
    probe::send_key('S', probe::kCtrl | probe::kShift);
    HWND save = wait_form(process_, L"save_form");
    ASSERT_TRUE(save) << "Ctrl+Shift+S opened no save-as window";
    HWND name_box = control(save, L"Text1");
    ASSERT_TRUE(wait_focus(name_box));
    probe::send_text(name);
    EXPECT_TRUE(wait_text(name_box, name));
    probe::send_key(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(save, kWindowTimeoutMs));
    ASSERT_TRUE(wait_text(main_, L"Quillet - [" + name + L".dlg]"));
    // Keys sent while the closing window still holds the focus would be lost.
    ASSERT_TRUE(wait_keys_in_main()) << "the keys are at " << probe::to_utf8(focused_name());
  }

  std::wstring program_folder_;
  std::wstring working_folder_;
  std::wstring quillet_exe_;
  probe::Process process_;
  HWND main_ = nullptr;
};

// One project from an empty start to the closing prompt: the main window and its
// toolbar, two dialogs made in the editor with its key filter, saving, clearing,
// opening, editing a row, and the unsaved-changes question on closing.
TEST_F(Designer, MakesSavesOpensAndEditsAProject) {
  ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/welcome.dlg"),
                               in_program(L"welcome.dlg")));
  ASSERT_NO_FATAL_FAILURE(start());

  {
    SCOPED_TRACE("main window at start");
    EXPECT_TEXT(probe::text(main_), L"Tervan Quillet - [Новый диалог]");
    EXPECT_EQ(client_size(main_).cx, 500);
    EXPECT_EQ(client_size(main_).cy, 426);
    const LONG_PTR style = GetWindowLongPtrW(main_, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the main window can be resized";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "the main window has a maximize box";
    EXPECT_TRUE(style & WS_MINIMIZEBOX) << "the main window has no minimize box";
    // Left to right as laid out: New, Open, Save, Run, Build, then About alone at
    // the right end; each one pixel after the previous.
    // The scheme's button after Компиляция...: its caption where the bar has room.
    const struct {
      int index;
      const wchar_t* caption;
    } toolbar[] = {{0, L"Создать"},   {1, L"Открыть..."},    {2, L"Сохранить..."},
                   {5, L"Запуск..."}, {3, L"Компиляция..."}, {-1, nullptr},
                   {4, L""}};
    int next_left = 1;
    for (const auto& b : toolbar) {
      const std::wstring name =
          b.index < 0 ? std::wstring(L"sd_scheme") : L"sd(" + std::to_wstring(b.index) + L")";
      SCOPED_TRACE(probe::to_utf8(name));
      HWND w = control(main_, name);
      ASSERT_TRUE(w);
      if (b.caption) {
        EXPECT_TEXT(probe::text(w), b.caption);
      }
      EXPECT_TRUE(is_visible(w));
      const RECT r = place_in_parent(w);
      EXPECT_EQ(r.top, 1);
      EXPECT_EQ(r.bottom - r.top, 18);
      if (b.index == 4) {
        EXPECT_EQ(r.right, client_size(GetParent(w)).cx - 1) << "About is not at the right end";
        EXPECT_GT(r.left, next_left);
      } else {
        EXPECT_EQ(r.left, next_left);
      }
      next_left = r.right + 1;
    }
    EXPECT_TEXT(probe::text(control(main_, L"Label1")),
                L"Щелкните эту кнопку, чтобы начать файл >");
    EXPECT_FALSE(probe::text(control(main_, L"status")).empty()) << "no tip in the status strip";
    expect_list_ends_at(0);
    shoot(main_, L"designer_main_empty.png");
  }

  const std::wstring row0 =
      L"Привет#мир; Приветствие; Информация; Да, Нет и Отмена; Отмена «Позже», 5 с, отсчёт";
  const std::wstring row1 = L"Второй; Проверка; Восклицание; ОК и Отмена";
  {
    SCOPED_TRACE("first dialog, with the key filter of the message text");
    HWND sd_new = control(main_, L"sd_new");
    probe::click(sd_new);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor);
    EXPECT_EQ(client_size(editor).cx, 856);
    EXPECT_EQ(client_size(editor).cy, 293);
    HWND dlg_text = control(editor, L"dlg_text");
    // Enter becomes "#"; ";" and "#" typed are refused with a box, and editing goes on.
    probe::type(dlg_text, L"Привет\rмир");
    ASSERT_TRUE(wait_text(dlg_text, L"Привет#мир")) << visible(probe::text(dlg_text));
    for (const wchar_t* refused : {L";", L"#"}) {
      SCOPED_TRACE(probe::to_utf8(refused));
      probe::type(dlg_text, refused);
      HWND box = wait_box();
      ASSERT_NO_FATAL_FAILURE(
          expect_box(box, {L"Quillet", L"Недопустиный символ.", {IDOK}, BoxIcon::Exclamation}));
      probe::answer(box, IDOK);
      ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
      EXPECT_TEXT(probe::text(dlg_text), L"Привет#мир");
    }
    // What comes next has a line per button of the chosen set, relabelled at once.
    const auto lines = [&] {
      std::wstring shown;
      for (int k = 0; k < 3; ++k) {
        HWND label = control(editor, L"answer(" + std::to_wstring(k) + L")");
        HWND list = control(editor, L"dlg_next(" + std::to_wstring(k) + L")");
        EXPECT_EQ(is_visible(label), is_visible(list)) << k;
        if (is_visible(list)) shown += probe::text(label) + L" " + probe::text(list) + L"; ";
      }
      return shown;
    };
    EXPECT_TEXT(lines(), L"Кнопка «ОК»: дальше; ");
    // The title has no key filter: its ";" goes at confirm.
    retype(control(editor, L"dlg_title"), L"Привет;ствие");
    EXPECT_TRUE(wait_text(control(editor, L"dlg_title"), L"Привет;ствие"));
    probe::click(control(editor, L"dlg_icon(2)"));
    probe::click(control(editor, L"dlg_button(3)"));
    EXPECT_TRUE(wait_until(
        [&] {
          return checked(probe::find_by_name(editor, L"dlg_icon(2)")) &&
                 checked(probe::find_by_name(editor, L"dlg_button(3)"));
        },
        kWindowTimeoutMs));
    EXPECT_FALSE(checked(control(editor, L"dlg_icon(4)")));
    EXPECT_FALSE(checked(control(editor, L"dlg_button(0)")));
    EXPECT_TEXT(lines(), L"Кнопка «Да»: дальше; Кнопка «Нет»: дальше; Кнопка «Отмена»: дальше; ");
    // Отмена's caption, and a box that closes itself with a countdown, by the pointer.
    HWND caption = control(editor, L"dlg_caption(2)");
    probe::click(caption);
    probe::type(caption, L"Позже");
    EXPECT_TRUE(wait_text(caption, L"Позже")) << visible(probe::text(caption));
    probe::click(control(editor, L"dlg_countdown"));
    EXPECT_TRUE(wait_until([&] { return checked(probe::find_by_name(editor, L"dlg_countdown")); },
                           kWindowTimeoutMs));
    probe::click(control(editor, L"dlg_wait"));
    probe::type(control(editor, L"dlg_wait"), L"5");
    EXPECT_TRUE(wait_text(control(editor, L"dlg_wait"), L"5"));
    shoot(editor, L"designer_editor.png");
    probe::click(control(editor, L"SDButton1"));
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs)) << "OK did not close the editor";
    expect_row(0, row0);
    expect_list_ends_at(1);
  }
  {
    SCOPED_TRACE("second dialog");
    ASSERT_NO_FATAL_FAILURE(add_dialog(L"Второй", L"Проверка", 1, 1));
    expect_row(0, row0);
    expect_row(1, row1);
    expect_list_ends_at(2);
    EXPECT_TEXT(probe::text(main_), L"Tervan Quillet - [Новый диалог]");
    shoot(main_, L"designer_main_rows.png");
  }

  {
    SCOPED_TRACE("names that are no file of the program folder");
    probe::click(control(main_, L"sd(2)"));
    HWND save = wait_form(process_, L"save_form");
    ASSERT_TRUE(save);
    HWND name = control(save, L"Text1");
    // One of each kind: devices (in any case, with an extension, a trailing dot or
    // space), paths, a stream's colon, the other characters no file name holds, a
    // control character (put in as another program would).
    const struct {
      const wchar_t* name;
      const wchar_t* why;  // a part of the refusal
    } refused[] = {
        {L"con", L"имя CON Windows оставляет за устройством"},
        {L"NUL.txt", L"имя NUL Windows оставляет за устройством"},
        {L"aux.", L"имя AUX Windows оставляет за устройством"},
        {L"Com1", L"имя COM1 Windows оставляет за устройством"},
        {L"lpt9 ", L"имя LPT9 Windows оставляет за устройством"},
        {L"prn", L"имя PRN Windows оставляет за устройством"},
        {L"..\\вне", L"символ «\\». Проект всегда сохраняется в папке программы"},
        {L"a\\b", L"символ «\\». Проект всегда сохраняется в папке программы"},
        {L"/abs", L"символ «/». Проект всегда сохраняется в папке программы"},
        {L"x:y", L"не допускает в имени файла символ «:»."},
        {L"*", L"не допускает в имени файла символ «*»."},
        {L"?\"<>|", L"символы «?», «\"», «<», «>» и «|»."},
        {L"tab\there", L"управляющий символ с кодом 9."},
    };
    for (const auto& r : refused) {
      SCOPED_TRACE(probe::to_utf8(r.name));
      if (std::wstring_view(r.name).find(L'\t') == std::wstring_view::npos)
        retype(name, r.name);
      else
        send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.name));
      ASSERT_TRUE(wait_text(name, r.name)) << visible(probe::text(name));
      if (std::wstring_view(r.name) == L"*") {  // welcome.dlg matches
        EXPECT_TRUE(wait_text(control(save, L"info"), L"Существует. Заменить?"));
      }
      probe::click(control(save, L"sd_save"));
      HWND box = wait_box();
      ASSERT_TRUE(box) << "the name was not refused";
      const probe::MessageBoxView got = probe::read_message_box(box);
      EXPECT_TEXT(got.caption, L"Quillet");
      EXPECT_STREQ(probe::to_string(got.icon), probe::to_string(BoxIcon::Exclamation));
      EXPECT_EQ(got.text.find(L"Имя «" + std::wstring(r.name) + L"» нельзя дать проекту: "), 0u)
          << visible(got.text);
      EXPECT_NE(got.text.find(r.why), std::wstring::npos) << visible(got.text);
      if (&r == refused) shoot(box, L"designer_name_refused.png");
      probe::answer(box, IDOK);
      ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
      EXPECT_TRUE(is_visible(save)) << "the save-as window closed";
      EXPECT_TEXT(probe::text(name), r.name);
    }
    probe::click(control(save, L"sd_close"));
    ASSERT_TRUE(probe::wait_gone(save, kWindowTimeoutMs));
    EXPECT_EQ(probe::folder_entries(program_folder_),
              (std::vector<std::wstring>{L"quillet.exe", L"welcome.dlg"}))
        << "a refused name wrote a file";
    const std::wstring above = program_folder_.substr(0, program_folder_.find_last_of(L'\\'));
    EXPECT_FALSE(file_exists(above + L"\\вне.dlg")) << "saved above the program folder";
  }

  const std::string saved = script_file({row0, row1});
  {
    SCOPED_TRACE("save as story");
    ASSERT_NO_FATAL_FAILURE(save_as(L"story", L"designer_save_as.png"));
    EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
    EXPECT_EQ(hex(read_file(in_program(L"story.dlg"))), hex(saved));
    EXPECT_FALSE(file_exists(working_folder_ + L"\\story.dlg")) << "saved into the working folder";
  }
  {
    SCOPED_TRACE("New right after saving clears at once");
    probe::click(control(main_, L"sd(0)"));
    EXPECT_TRUE(wait_text(main_, L"Quillet - [Новый диалог]")) << visible(probe::text(main_));
    EXPECT_TRUE(no_box_now()) << "New asked although nothing was changed";
    expect_list_ends_at(0);
    EXPECT_FALSE(is_visible(control(main_, L"sd_edit")));
  }
  {
    SCOPED_TRACE("open story.dlg");
    probe::click(control(main_, L"sd(1)"));
    HWND open = wait_form(process_, L"file_form");
    ASSERT_TRUE(open) << "Open showed no window";
    EXPECT_TEXT(probe::text(open), L"Открыть");
    EXPECT_EQ(client_size(open).cx, 424);
    EXPECT_EQ(client_size(open).cy, 246);
    HWND filebox = control(open, L"filebox");
    std::vector<std::wstring> items = list_items(filebox);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::wstring>{L"story.dlg", L"welcome.dlg"}));
    shoot(open, L"designer_open.png");
    {
      SCOPED_TRACE("nothing chosen: sd_open does nothing");
      probe::click(control(open, L"sd_open"));
      Sleep(300);  // a wrong reaction would close the window or show a box by now
      EXPECT_TRUE(is_visible(open));
      EXPECT_TRUE(no_box_now());
    }
    const auto unsorted = list_items(filebox);
    const auto at = std::find(unsorted.begin(), unsorted.end(), L"story.dlg");
    ASSERT_NE(at, unsorted.end());
    const int item_height = static_cast<int>(send(filebox, LB_GETITEMHEIGHT));
    ASSERT_GT(item_height, 0);
    probe::click_at(filebox, 10,
                    static_cast<int>(at - unsorted.begin()) * item_height + item_height / 2);
    EXPECT_TRUE(wait_until([&] { return send(filebox, LB_GETCURSEL) == at - unsorted.begin(); },
                           kWindowTimeoutMs));
    probe::click(control(open, L"sd_open"));
    ASSERT_TRUE(probe::wait_gone(open, kWindowTimeoutMs)) << "sd_open did not close the window";
    EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
    expect_row(0, row0);
    expect_row(1, row1);
    expect_list_ends_at(2);
  }

  const std::wstring edited = L"Изменён; Проверка; Вопрос; ОК и Отмена";
  {
    SCOPED_TRACE("edit row 1 by a double click");
    probe::double_click_at(control(main_, L"str_str(1)"), 20, 8);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "the double click opened no editor";
    EXPECT_TEXT(probe::text(editor), L"Изменить диалог");
    EXPECT_TEXT(probe::text(control(editor, L"dlg_text")), L"Второй");
    EXPECT_TEXT(probe::text(control(editor, L"dlg_title")), L"Проверка");
    EXPECT_TRUE(checked(control(editor, L"dlg_icon(1)")));
    EXPECT_FALSE(checked(control(editor, L"dlg_icon(4)")));
    EXPECT_TRUE(checked(control(editor, L"dlg_button(1)")));
    EXPECT_FALSE(checked(control(editor, L"dlg_button(0)")));
    {
      SCOPED_TRACE("characters a project cannot hold");
      const std::wstring typed = L"Привет 世界 \U0001F600 é ß ™ € №";
      retype(control(editor, L"dlg_text"), typed);
      ASSERT_TRUE(wait_text(control(editor, L"dlg_text"), typed));
      probe::click(control(editor, L"SDButton1"));
      HWND box = wait_box();
      ASSERT_NO_FATAL_FAILURE(expect_box(
          box, {L"Quillet",
                L"В проекте нельзя сохранить символы «世» (U+4E16), «界» (U+754C), "
                L"«\U0001F600» (U+1F600), «é» (U+00E9), «ß» (U+00DF).\r\n\r\n"
                L"Проект хранит текст в кодировке Windows-1251 (кириллица), а в ней их нет. "
                L"Замените или удалите их и нажмите OK ещё раз.",
                {IDOK},
                BoxIcon::Exclamation}));
      shoot(box, L"designer_unstorable.png");
      probe::answer(box, IDOK);
      ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
      EXPECT_TRUE(is_visible(editor)) << "the editor closed";
      EXPECT_TEXT(probe::text(control(editor, L"dlg_text")), typed);
      expect_row(1, row1);
    }
    retype(control(editor, L"dlg_text"), L"Изменён");
    EXPECT_TRUE(wait_text(control(editor, L"dlg_text"), L"Изменён"));
    probe::click(control(editor, L"dlg_icon(3)"));
    EXPECT_TRUE(wait_until([&] { return checked(probe::find_by_name(editor, L"dlg_icon(3)")); },
                           kWindowTimeoutMs));
    probe::click(control(editor, L"SDButton1"));
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
    expect_row(0, row0);
    expect_row(1, edited);
    expect_list_ends_at(2);
  }
  {
    SCOPED_TRACE("closing with unsaved changes");
    PostMessageW(main_, WM_CLOSE, 0, 0);
    HWND box = wait_box();
    ASSERT_NO_FATAL_FAILURE(expect_box(
        box, {L"Quillet", L"Сохранить изменения?", {IDCANCEL, IDYES, IDNO}, BoxIcon::Question}));
    probe::answer(box, IDCANCEL);
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
    EXPECT_FALSE(process_.wait(300)) << "Cancel ended the designer";
    EXPECT_TRUE(is_visible(main_));
    expect_row(1, edited);

    PostMessageW(main_, WM_CLOSE, 0, 0);
    box = wait_box();
    ASSERT_NO_FATAL_FAILURE(expect_box(
        box, {L"Quillet", L"Сохранить изменения?", {IDCANCEL, IDYES, IDNO}, BoxIcon::Question}));
    probe::answer(box, IDNO);
    DWORD code = 0;
    EXPECT_TRUE(process_.wait(kWindowTimeoutMs, &code)) << "No did not end the designer";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(hex(read_file(in_program(L"story.dlg"))), hex(saved)) << "No wrote the changes";
  }
}

// Every window at the screen's scale (96, 144 and 192 dpi): its size scaled from
// its 96-dpi layout, its controls inside it, the toolbar buttons side by side,
// each of them clicked where it shows and opening what it should.
TEST_F(Designer, EveryWindowAtTheScreensScale) {
  const int dpi = expected_dpi();
  {
    HDC screen = GetDC(nullptr);
    const int shown = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(shown, dpi) << "the screen is not at the dpi to test";
  }
  const std::wstring at_dpi = L"_" + std::to_wstring(dpi) + L".png";
  const auto expect_window = [&](HWND form, int width, int height) {
    ASSERT_TRUE(form);
    EXPECT_EQ(client_size(form).cx, scaled(width, dpi));
    EXPECT_EQ(client_size(form).cy, scaled(height, dpi));
    expect_controls_inside(form);
  };
  // A button clicked where it shows opens a form, which comes at its scaled size.
  const auto opens = [&](HWND from, const wchar_t* button, const wchar_t* form, int width,
                         int height) {
    click_where_shown(control(from, button));
    HWND opened = wait_form(process_, form);
    expect_window(opened, width, height);
    return opened;
  };
  const auto close_with = [&](HWND form, const wchar_t* button) {
    click_where_shown(control(form, button));
    EXPECT_TRUE(probe::wait_gone(form, kWindowTimeoutMs)) << probe::to_utf8(button);
  };
  ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/welcome.dlg"),
                               in_program(L"welcome.dlg")));
  ASSERT_NO_FATAL_FAILURE(start());
  {
    SCOPED_TRACE("main window");
    expect_window(main_, 500, 426);
    RECT previous{};
    for (const wchar_t* name :
         {L"sd(0)", L"sd(1)", L"sd(2)", L"sd(5)", L"sd(3)", L"sd_scheme", L"sd(4)"}) {
      const RECT r = place_in_parent(control(main_, name));
      const std::string i = probe::to_utf8(name);
      EXPECT_EQ(r.top, scaled(1, dpi)) << i;
      EXPECT_EQ(r.bottom, scaled(19, dpi)) << i;
      EXPECT_LT(previous.right, r.left) << i << " does not stand apart from the one before";
      previous = r;
    }
  }
  {
    SCOPED_TRACE("the editor");
    HWND editor = opens(main_, L"sd_new", L"make_form", 856, 293);
    // Whole on the work area of a 1920 x 1080 screen at 200 % (and so of a 1366 x 768
    // one at 125 %): 960 x 492 at 96 dpi, below a taskbar of 48.
    RECT outer{};
    GetWindowRect(editor, &outer);
    EXPECT_LE(outer.right - outer.left, scaled(960, dpi));
    EXPECT_LE(outer.bottom - outer.top, scaled(492, dpi));
    shoot(editor, L"designer_editor" + at_dpi);
    close_with(editor, L"sd_cancel");
  }
  {
    SCOPED_TRACE("Open, and the list of rows");
    HWND open = opens(main_, L"sd(1)", L"file_form", 424, 246);
    shoot(open, L"designer_open" + at_dpi);
    HWND filebox = control(open, L"filebox");
    const int item_height = static_cast<int>(send(filebox, LB_GETITEMHEIGHT));
    EXPECT_GE(item_height, scaled(14, dpi)) << "the list's font is not at the screen's scale";
    probe::click_at(filebox, scaled(10, dpi), item_height / 2);
    EXPECT_TRUE(wait_until([&] { return send(filebox, LB_GETCURSEL) == 0; }, kWindowTimeoutMs));
    close_with(open, L"sd_open");
    EXPECT_TRUE(wait_text(main_, L"Quillet - [welcome.dlg]")) << visible(probe::text(main_));
    EXPECT_TRUE(wait_until([&] { return is_visible(probe::find_by_name(main_, L"str_str(4)")); },
                           kWindowTimeoutMs));
    expect_controls_inside(main_);
    shoot(main_, L"designer_main" + at_dpi);
  }
  {
    SCOPED_TRACE("New");
    click_where_shown(control(main_, L"sd(0)"));
    EXPECT_TRUE(wait_text(main_, L"Quillet - [Новый диалог]")) << visible(probe::text(main_));
  }
  {
    SCOPED_TRACE("Save");
    HWND save = opens(main_, L"sd(2)", L"save_form", 347, 77);
    shoot(save, L"designer_save_as" + at_dpi);
    close_with(save, L"sd_close");
  }
  {
    SCOPED_TRACE("Run on an untitled project saves first");
    close_with(opens(main_, L"sd(5)", L"save_form", 347, 77), L"sd_close");
    HWND box = wait_box();
    ASSERT_NO_FATAL_FAILURE(
        expect_box(box, {L"Quillet", L"Невозможно открыть файл!", {IDOK}, BoxIcon::Hand}));
    probe::answer(box, IDOK);
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
  }
  {
    SCOPED_TRACE("Build: saving, the prompt and the console");
    close_with(opens(main_, L"sd(3)", L"save_form", 347, 77), L"sd_close");
    HWND prompt = wait_form(process_, L"comp_form");
    expect_window(prompt, 324, 153);
    // With one file ticked, the choice of its icon shows usable.
    probe::click(control(prompt, L"one_file"));
    EXPECT_TRUE(
        wait_until([&] { return checked(control(prompt, L"one_file")); }, kWindowTimeoutMs));
    shoot(prompt, L"designer_build_prompt" + at_dpi);
    HWND console = opens(prompt, L"comp", L"compile_form", 577, 353);
    HWND cmd = control(console, L"cmd");
    EXPECT_TRUE(
        wait_until([&] { return probe::text(cmd).find(L"Press Any Key") != std::wstring::npos; },
                   kBuildTimeoutMs))
        << visible(probe::text(cmd));
    shoot(console, L"designer_console" + at_dpi);
    PostMessageW(console, WM_CHAR, L'x', 1);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs));
  }
  {
    SCOPED_TRACE("About");
    HWND about = opens(main_, L"sd(4)", L"about_form", 379, 298);
    shoot(about, L"designer_about" + at_dpi);
    close_with(about, L"SDButton1");
  }
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(process_.wait(kWindowTimeoutMs)) << "the designer did not end";
}

// A saved project previewed with the player and built into a program of its own:
// the player's box, the preview copy, the build prompt and console with the whole
// transcript, the built files, a second build in a new console while the first one
// is still open, and the built program started elsewhere. Then the about window,
// and a closing that asks nothing.
TEST_F(Designer, PreviewsAndBuildsAProject) {
  ASSERT_NO_FATAL_FAILURE(add_player());
  // A preview copy left by an earlier run goes at the next start.
  ASSERT_TRUE(probe::write_file(in_program(L"main.dlg"), script_file({L"Старый; Старый"})));
  ASSERT_NO_FATAL_FAILURE(start());
  EXPECT_TRUE(wait_until([&] { return !file_exists(in_program(L"main.dlg")); }, kWindowTimeoutMs))
      << "the leftover main.dlg is still there";

  ASSERT_NO_FATAL_FAILURE(add_dialog(L"Сборка\rготова", L"Итог", 2, 1));
  const std::wstring row = L"Сборка#готова; Итог; Информация; ОК и Отмена";
  expect_row(0, row);
  ASSERT_NO_FATAL_FAILURE(save_as(L"story"));
  ASSERT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
  const std::string saved = script_file({row});
  EXPECT_EQ(hex(read_file(in_program(L"story.dlg"))), hex(saved));

  const Box player_box{L"Итог", L"Сборка\rготова", {IDOK, IDCANCEL}, BoxIcon::Asterisk};
  {
    SCOPED_TRACE("Run previews the project with the player");
    probe::click(control(main_, L"sd(5)"));
    ForeignBox shown = wait_box_of_program(in_program(L"run.exe"), kWindowTimeoutMs);
    ASSERT_TRUE(shown.box) << "no box of run.exe";
    ASSERT_NO_FATAL_FAILURE(expect_box(shown.box, player_box));
    EXPECT_TRUE(probe::read_message_box(shown.box).topmost);
    probe::answer(shown.box, IDCANCEL);
    EXPECT_TRUE(shown.process.wait(kWindowTimeoutMs)) << "the player did not end";
    EXPECT_EQ(hex(read_file(in_program(L"main.dlg"))), hex(saved)) << "main.dlg is no copy";
    EXPECT_TRUE(no_box_now()) << "Run showed a box of its own";
  }

  const std::wstring build_folder = in_program(L"story.dlg_compile");
  {
    SCOPED_TRACE("Build: the prompt");
    probe::click(control(main_, L"sd(3)"));
    HWND prompt = wait_form(process_, L"comp_form");
    ASSERT_TRUE(prompt) << "Build showed no prompt";
    EXPECT_TEXT(probe::text(prompt), L"Компиляция");
    EXPECT_EQ(client_size(prompt).cx, 324);
    EXPECT_EQ(client_size(prompt).cy, 153);
    EXPECT_TEXT(probe::text(control(prompt, L"cmp")), build_folder);
    EXPECT_TEXT(probe::text(control(prompt, L"one_file")), L"Одним файлом");
    EXPECT_FALSE(checked(control(prompt, L"one_file")));
    EXPECT_TEXT(probe::text(control(prompt, L"comp")), L"Компиляция");
    EXPECT_TEXT(probe::text(control(prompt, L"cls")), L"Отмена");
    shoot(prompt, L"designer_build_prompt.png");
    probe::click(control(prompt, L"comp"));
    EXPECT_TRUE(wait_until([&] { return !is_visible(prompt); }, kWindowTimeoutMs))
        << "comp did not hide the prompt";
  }
  {
    SCOPED_TRACE("Build: the console");
    HWND console = wait_form(process_, L"compile_form");
    ASSERT_TRUE(console) << "no build console";
    EXPECT_TEXT(probe::text(console), L"Компиляция");
    EXPECT_EQ(client_size(console).cx, 577);
    EXPECT_EQ(client_size(console).cy, 353);
    EXPECT_EQ(GetWindow(console, GW_OWNER), nullptr) << "the console has an owner";
    EXPECT_TRUE(IsWindowEnabled(main_)) << "the console keeps the main window waiting";
    HWND cmd = control(console, L"cmd");
    ASSERT_TRUE(cmd);
    ASSERT_TRUE(
        wait_until([&] { return probe::text(cmd).find(L"Preparations...") != std::wstring::npos; },
                   kBuildTimeoutMs))
        << visible(probe::text(cmd));
    // A key during the build is ignored.
    PostMessageW(console, WM_CHAR, L' ', 1);
    shoot(console, L"designer_console_building.png");
    ASSERT_TRUE(wait_until(
        [&] {
          return probe::text(cmd).find(L"Press Any Key To Continue...") != std::wstring::npos;
        },
        kBuildTimeoutMs))
        << visible(probe::text(cmd));
    EXPECT_TRUE(is_visible(console)) << "a key during the build closed the console";

    std::wstring transcript = probe::text(cmd);
    if (!transcript.empty() && transcript.back() == L'_') transcript.pop_back();
    const std::vector<std::wstring> lines = split_lines(transcript);
    const std::vector<std::wstring> want = {
        L"Tervan Quillet Console v.1.0",
        L"",  // the notice line: its wording is free, it must only be there
        L"",
        program_folder_ + L"\\Quillet.exe /compile %1",
        L"Preparations...",
        L"Started building story.dlg...",
        L"Writing a Data-file... OK",
        L"Compiling an EXE-file... OK",
        L"Building Finished.",
        L"",
        L"EXE-Path: " + build_folder + L"\\exe.exe",
        L"Press Any Key To Continue...",
    };
    EXPECT_EQ(lines.size(), want.size()) << visible(transcript);
    for (std::size_t i = 0; i < std::min(lines.size(), want.size()); ++i) {
      SCOPED_TRACE("line " + std::to_string(i + 1));
      if (i == 1)
        EXPECT_FALSE(lines[i].empty()) << "no notice line under the banner";
      else
        EXPECT_TEXT(lines[i], want[i]);
    }
    shoot(console, L"designer_console_done.png");

    EXPECT_TRUE(forms(process_.id(), L"comp_form", false).empty())
        << "the prompt is still loaded after the build";
    EXPECT_EQ(hex(read_file(build_folder + L"\\main.dlg")), hex(saved));
    const std::string player = read_file(in_program(L"run.exe"));
    EXPECT_FALSE(player.empty());
    EXPECT_TRUE(read_file(build_folder + L"\\exe.exe") == player)
        << "exe.exe is no copy of run.exe";

    SCOPED_TRACE("a second build while the finished console is open");
    probe::click(control(main_, L"sd(3)"));
    HWND prompt = wait_form(process_, L"comp_form");
    ASSERT_TRUE(prompt) << "Build showed no prompt";
    const std::wstring out8 = in_program(L"out8");
    send(control(prompt, L"cmp"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(out8.c_str()));
    probe::click(control(prompt, L"comp"));
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs)) << "the finished console stayed";
    console = wait_form(process_, L"compile_form");
    ASSERT_TRUE(console) << "no new console";
    cmd = control(console, L"cmd");
    EXPECT_TRUE(wait_until(
        [&] { return probe::text(cmd).find(L"EXE-Path: " + out8) != std::wstring::npos; },
        kBuildTimeoutMs))
        << visible(probe::text(cmd));
    EXPECT_TRUE(read_file(out8 + L"\\exe.exe") == player) << "nothing built into out8";

    PostMessageW(console, WM_CHAR, L'x', 1);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs)) << "a key did not close the console";
    EXPECT_TRUE(is_visible(main_));
  }
  {
    SCOPED_TRACE("the built program, started from elsewhere");
    probe::Process built = probe::start(build_folder + L"\\exe.exe", working_folder_);
    ASSERT_TRUE(built) << "cannot start exe.exe: " << GetLastError();
    HWND box = probe::wait_window(built, {kBoxClass, L"", true}, kWindowTimeoutMs);
    ASSERT_NO_FATAL_FAILURE(expect_box(box, player_box));
    probe::answer(box, IDOK);
    EXPECT_TRUE(built.wait(kWindowTimeoutMs)) << "the built program did not end";
  }
  {
    SCOPED_TRACE("About");
    probe::click(control(main_, L"sd(4)"));
    HWND about = wait_form(process_, L"about_form");
    ASSERT_TRUE(about) << "About showed no window";
    EXPECT_TEXT(probe::text(about), L"О программе");
    EXPECT_EQ(client_size(about).cx, 379);
    EXPECT_EQ(client_size(about).cy, 298);
    EXPECT_TEXT(probe::text(control(about, L"title")), L"Tervan Quillet v. 1.0.5");
    EXPECT_TEXT(probe::text(control(about, L"SDButton1")), L"Закрыть");
    shoot(about, L"designer_about.png");
    probe::click(control(about, L"SDButton1"));
    EXPECT_TRUE(probe::wait_gone(about, kWindowTimeoutMs)) << "Закрыть did not close the window";
  }
  {
    SCOPED_TRACE("closing after saving asks nothing");
    PostMessageW(main_, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(process_.wait(kWindowTimeoutMs, &code)) << "the designer did not end";
    EXPECT_EQ(code, 0u);
  }
}

// "Одним файлом" in the build prompt, by real key presses: the one program named
// after the project, alone in its folder and named by the transcript's path line,
// plays its script from elsewhere. The next prompt comes with the box off; while
// the program runs, the next one-file build stops and leaves it whole with
// nothing beside it.
TEST_F(Designer, BuildsOneFileByKeys) {
  ASSERT_NO_FATAL_FAILURE(add_player());
  const std::wstring row = L"Один файл; Викторина; Вопрос; Да и Нет";
  ASSERT_TRUE(probe::write_file(in_program(L"викторина.dlg"), script_file({row})));
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(open_first(L"викторина.dlg"));
  const auto press = [](UINT key) { probe::send_key(key); };
  const std::wstring build_folder = in_program(L"викторина.dlg_compile");
  const std::wstring program = build_folder + L"\\викторина.exe";
  // F7, the box ticked by Tab and Space, Tab to Компиляция and Enter; the console
  // once the build has stopped, and its transcript without the cursor.
  const auto build_one_file = [&](const wchar_t* screenshot) -> std::vector<std::wstring> {
    SetForegroundWindow(main_);
    EXPECT_TRUE(wait_until([&] { return GetForegroundWindow() == main_; }, kWindowTimeoutMs));
    press(VK_F7);
    HWND prompt = wait_form(process_, L"comp_form");
    EXPECT_TRUE(prompt) << "F7 showed no build prompt";
    if (!prompt) return {};
    HWND box = control(prompt, L"one_file");
    EXPECT_TRUE(wait_focus(control(prompt, L"cmp")));
    EXPECT_FALSE(checked(box)) << "the prompt came with its box ticked";
    press(VK_TAB);
    EXPECT_TRUE(wait_focus(box));
    HWND icons = control(prompt, L"comp_icon");
    EXPECT_FALSE(IsWindowEnabled(icons)) << "the icon is there to choose without one file";
    EXPECT_TRUE(probe::read_accessible(icons).state & STATE_SYSTEM_UNAVAILABLE);
    press(VK_SPACE);
    EXPECT_TRUE(wait_until([&] { return checked(box); }, kWindowTimeoutMs)) << "Space did not tick";
    // Tab to the icon, now usable; Home and four times Down choose «Вопрос».
    press(VK_TAB);
    EXPECT_TRUE(wait_focus(icons));
    press(VK_HOME);
    for (int i = 0; i < 4; ++i) press(VK_DOWN);
    EXPECT_TRUE(wait_until([&] { return probe::read_accessible(icons).value == L"Вопрос"; },
                           kWindowTimeoutMs));
    EXPECT_TEXT(probe::read_accessible(icons).name, L"Значок программы:");
    if (screenshot) {
      shoot(prompt, screenshot);
      probe::send_key(VK_DOWN, probe::kAlt);
      EXPECT_TRUE(wait_until([&] { return probe::dropped_list(process_.id()) != nullptr; },
                             kWindowTimeoutMs));
      shoot(nullptr, L"designer_build_prompt_icons.png");  // the list lies past the window
      probe::send_key(VK_UP, probe::kAlt);
      EXPECT_TRUE(wait_until([&] { return probe::dropped_list(process_.id()) == nullptr; },
                             kWindowTimeoutMs));
    }
    press(VK_TAB);
    EXPECT_TRUE(wait_focus(control(prompt, L"comp")));
    press(VK_RETURN);
    HWND console = wait_form(process_, L"compile_form");
    EXPECT_TRUE(console) << "Enter did not build";
    if (!console) return {};
    HWND cmd = control(console, L"cmd");
    EXPECT_TRUE(
        wait_until([&] { return probe::text(cmd).find(L"Press Any Key To") != std::wstring::npos; },
                   kBuildTimeoutMs))
        << visible(probe::text(cmd));
    std::wstring transcript = probe::text(cmd);
    if (!transcript.empty() && transcript.back() == L'_') transcript.pop_back();
    press(VK_SPACE);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs)) << "a key did not close the console";
    const std::vector<std::wstring> lines = split_lines(transcript);
    return lines.size() > 6 ? std::vector<std::wstring>(lines.begin() + 6, lines.end()) : lines;
  };
  {
    SCOPED_TRACE("the one program");
    EXPECT_EQ(
        build_one_file(L"designer_build_prompt_one_file.png"),
        (std::vector<std::wstring>{L"Writing a Data-file... OK", L"Compiling an EXE-file... OK",
                                   L"Building Finished.", L"", L"EXE-Path: " + program,
                                   L"Press Any Key To Continue..."}));
    EXPECT_EQ(probe::folder_entries(build_folder), std::vector<std::wstring>{L"викторина.exe"});
  }
  {
    SCOPED_TRACE("the program started from elsewhere, running through the next build");
    const std::string built = read_file(program);
    probe::Process running = probe::start(program, working_folder_);
    ASSERT_TRUE(running) << "cannot start the program: " << GetLastError();
    HWND box = probe::wait_window(running, {kBoxClass, L"", true}, kWindowTimeoutMs);
    ASSERT_NO_FATAL_FAILURE(
        expect_box(box, {L"Викторина", L"Один файл", {IDYES, IDNO}, BoxIcon::Question}));
    EXPECT_EQ(build_one_file(nullptr),
              (std::vector<std::wstring>{
                  L"Writing a Data-file... FAILED", L"WARNING: Path is already exits.",
                  L"Compiling an EXE-file... ERROR", L"", L"Error while building.",
                  L"Press Any Key To Countinue..."}));
    EXPECT_TRUE(read_file(program) == built) << "the running program was changed";
    EXPECT_EQ(probe::folder_entries(build_folder), std::vector<std::wstring>{L"викторина.exe"});
    probe::answer(box, IDYES);
    DWORD code = 0;
    EXPECT_TRUE(running.wait(kWindowTimeoutMs, &code)) << "the program did not end";
    EXPECT_EQ(code, static_cast<DWORD>(IDYES));
  }
  {
    SCOPED_TRACE("an icon from a file, through the system's open dialog");
    const std::wstring icon = working_folder_ + L"\\своё.ico";
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_ICON_FILE), icon));
    SetForegroundWindow(main_);
    press(VK_F7);
    HWND prompt = wait_form(process_, L"comp_form");
    ASSERT_TRUE(prompt);
    HWND icons = control(prompt, L"comp_icon");
    probe::click(control(prompt, L"one_file"));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(icons) != FALSE; }, kWindowTimeoutMs));
    // Another program's choice of «Из файла...» counts as the user's.
    PostMessageW(icons, CB_SETCURSEL, 5, 0);
    HWND dialog =
        probe::wait_window(process_, {kBoxClass, L"Значок программы", true}, kWindowTimeoutMs);
    ASSERT_TRUE(dialog) << "no open dialog";
    HWND name = file_name_box(dialog);
    ASSERT_TRUE(name);
    send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(icon.c_str()));
    probe::command(dialog, IDOK);
    EXPECT_TRUE(wait_until([&] { return probe::read_accessible(icons).value == L"своё.ico"; },
                           kWindowTimeoutMs))
        << probe::to_utf8(probe::read_accessible(icons).value);
    probe::click(control(prompt, L"comp"));
    HWND console = wait_form(process_, L"compile_form");
    ASSERT_TRUE(console);
    EXPECT_TRUE(wait_until(
        [&] {
          return probe::text(control(console, L"cmd")).find(L"Press Any Key To Continue") !=
                 std::wstring::npos;
        },
        kBuildTimeoutMs));
    const HMODULE built = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC group = built ? FindResourceW(built, MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;
    EXPECT_EQ(group ? SizeofResource(built, group) : 0, 6u + 14 * 2) << "not the file's two images";
    if (built) FreeLibrary(built);
    PostMessageW(console, WM_CHAR, L'x', 1);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs));
  }
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(process_.wait(kWindowTimeoutMs)) << "the designer did not end";
}

// What a screen reader is told of one control (found by its name in the form), or
// of the item `child` of a list. Role 0: whatever the system's proxy says (Wine's
// calls a list box "client"). The focus bits are not in `state`: a control
// says it is focusable when its window is a tab stop, and focused when it has the
// keyboard focus (an item: while selected).
struct Heard {
  const wchar_t* control;
  long child;
  const wchar_t* name;
  long role;
  long state;
  const wchar_t* action;
};

constexpr long kPush = ROLE_SYSTEM_PUSHBUTTON, kRadio = ROLE_SYSTEM_RADIOBUTTON,
               kText = ROLE_SYSTEM_TEXT, kLink = ROLE_SYSTEM_LINK, kList = ROLE_SYSTEM_LIST,
               kItem = ROLE_SYSTEM_LISTITEM, kCheck = ROLE_SYSTEM_CHECKBUTTON,
               kCombo = ROLE_SYSTEM_COMBOBOX;
constexpr long kChecked = STATE_SYSTEM_CHECKED, kDefault = STATE_SYSTEM_DEFAULT;
constexpr long kRow = STATE_SYSTEM_SELECTABLE, kSelectedRow = kRow | STATE_SYSTEM_SELECTED;
constexpr long kFocusBits = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE;

std::string describe_state(long state) {
  static const std::pair<long, const char*> bits[] = {
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_SELECTED, "selected"},
      {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_PRESSED, "pressed"},
      {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_READONLY, "read-only"},
      {STATE_SYSTEM_INVISIBLE, "invisible"},     {STATE_SYSTEM_FOCUSABLE, "focusable"},
      {STATE_SYSTEM_SELECTABLE, "selectable"},   {STATE_SYSTEM_LINKED, "linked"},
      {STATE_SYSTEM_DEFAULT, "default"}};
  std::string out;
  for (auto [bit, name] : bits)
    if (state & bit) out += (out.empty() ? "" : " ") + std::string(name);
  return out;
}

class ScreenReader : public Designer {
 protected:
  void expect_heard(HWND form, const std::vector<Heard>& table) {
    const DWORD thread = GetWindowThreadProcessId(form, nullptr);
    const auto focus = [thread] {
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      GetGUIThreadInfo(thread, &gui);
      return gui.hwndFocus;
    };
    // A window just shown puts the focus into itself first.
    wait_until([&] { return focus() == form || IsChild(form, focus()); }, kWindowTimeoutMs);
    for (const Heard& h : table) {
      SCOPED_TRACE(probe::to_utf8(h.control) + " " + std::to_string(h.child));
      HWND w = control(form, h.control);
      HWND focused_window = nullptr;
      probe::AccessibleView v;
      do {
        focused_window = focus();
        v = probe::read_accessible(w, h.child);
      } while (focus() != focused_window);
      ASSERT_TRUE(v.found) << "no accessible object";
      EXPECT_TEXT(v.name, h.name);
      if (h.role) {
        EXPECT_EQ(v.role, h.role);
      }
      const bool tab_stop = (GetWindowLongPtrW(w, GWL_STYLE) & WS_TABSTOP) != 0;
      const bool focused =
          focused_window == w && (h.child == 0 || (h.state & STATE_SYSTEM_SELECTED));
      const long want =
          h.state | (tab_stop ? STATE_SYSTEM_FOCUSABLE : 0) | (focused ? STATE_SYSTEM_FOCUSED : 0);
      EXPECT_EQ(describe_state(v.state), describe_state(want));
      EXPECT_TEXT(v.default_action, h.action);
    }
  }

  // Asks for the default action and waits for the window it opens.
  HWND act_and_wait(HWND form, const wchar_t* name, const wchar_t* opens, long child = 0) {
    EXPECT_TRUE(probe::do_default_action(control(form, name), child)) << probe::to_utf8(name);
    HWND w = wait_form(process_, opens);
    EXPECT_TRUE(w) << probe::to_utf8(name) << " did not open " << probe::to_utf8(opens);
    return w;
  }

  void act_and_close(HWND form, const wchar_t* name) {
    EXPECT_TRUE(probe::do_default_action(control(form, name))) << probe::to_utf8(name);
    EXPECT_TRUE(wait_until([&] { return !is_visible(form); }, kWindowTimeoutMs))
        << probe::to_utf8(name) << " did not close its window";
  }
};

// Every window as a screen reader meets it, through Active Accessibility from this
// second program: the name, role, state and default action of each control a user
// acts on, and the events that tell of changes. The project is made, edited, saved
// and built with default actions alone.
TEST_F(ScreenReader, HearsAndWorksEveryWindow) {
  ASSERT_NO_FATAL_FAILURE(add_player());
  ASSERT_NO_FATAL_FAILURE(start());
  probe::WinEvents events(process_.id());
  const std::vector<Heard> toolbar = {
      {L"sd(0)", 0, L"Создать", kPush, 0, L"Нажать"},
      {L"sd(1)", 0, L"Открыть...", kPush, 0, L"Нажать"},
      {L"sd(2)", 0, L"Сохранить...", kPush, 0, L"Нажать"},
      {L"sd(5)", 0, L"Запуск...", kPush, 0, L"Нажать"},
      {L"sd(3)", 0, L"Компиляция...", kPush, 0, L"Нажать"},
      {L"sd_scheme", 0, L"Схема...", kPush, 0, L"Нажать"},
      {L"sd(4)", 0, L"О программе", kPush, 0, L"Нажать"},
      {L"sd_new", 0, L"Добавить диалог", kPush, 0, L"Нажать"},
      {L"sd_edit", 0, L"Удалить диалог", kPush, 0, L"Нажать"},
      {L"TextBox", 0, L"Диалоги", kList, 0, L""},
  };
  HWND list = control(main_, L"TextBox");
  {
    SCOPED_TRACE("main window, empty list");
    expect_heard(main_, toolbar);
    // The empty list still leads to its hint and its two buttons.
    EXPECT_EQ(probe::read_accessible(list).child_count, 3);
    EXPECT_TEXT(probe::read_accessible(control(main_, L"sd(0)")).shortcut, L"Ctrl+N");
    EXPECT_TEXT(probe::read_accessible(control(main_, L"sd_new")).shortcut, L"Insert");
    EXPECT_TEXT(probe::read_accessible(control(main_, L"sd_scheme")).shortcut, L"F8");
  }
  const std::wstring row0 = L"Привет#мир; Диалог; Информация; ОК";
  {
    SCOPED_TRACE("a dialog added");
    HWND editor = act_and_wait(main_, L"sd_new", L"make_form");
    ASSERT_TRUE(editor);
    expect_heard(editor, {
                             {L"dlg_icon(0)", 0, L"Ошибка", kRadio, 0, L"Выбрать"},
                             {L"dlg_icon(1)", 0, L"Восклицание", kRadio, 0, L"Выбрать"},
                             {L"dlg_icon(2)", 0, L"Информация", kRadio, 0, L"Выбрать"},
                             {L"dlg_icon(3)", 0, L"Вопрос", kRadio, 0, L"Выбрать"},
                             {L"dlg_icon(4)", 0, L"Без значка", kRadio, kChecked, L"Выбрать"},
                             {L"dlg_title", 0, L"Заголовок диалога:", kText, 0, L""},
                             {L"dlg_text", 0, L"Текст сообщения:", kText, 0, L""},
                             {L"dlg_button(0)", 0, L"ОК", kRadio, kChecked, L"Выбрать"},
                             {L"dlg_button(1)", 0, L"ОК и Отмена", kRadio, 0, L"Выбрать"},
                             {L"dlg_button(2)", 0, L"Да и Нет", kRadio, 0, L"Выбрать"},
                             {L"dlg_button(3)", 0, L"Да, Нет и Отмена", kRadio, 0, L"Выбрать"},
                             {L"dlg_next(0)", 0, L"Кнопка «ОК»:", kCombo, 0, L"Открыть"},
                             {L"dlg_caption(0)", 0, L"Надпись на кнопке «ОК»", kText, 0, L""},
                             {L"dlg_wait", 0, L"Закрыть само через", kText, 0, L""},
                             {L"dlg_wait_next", 0, L"с, затем", kCombo, 0, L"Открыть"},
                             {L"dlg_countdown", 0, L"показывать отсчёт", kCheck, 0, L"Установить"},
                             {L"dlg_pause", 0, L"Показать через", kText, 0, L""},
                             {L"SDButton1", 0, L"OK", kPush, kDefault, L"Нажать"},
                             {L"sd_cancel", 0, L"Отмена", kPush, 0, L"Нажать"},
                         });
    ASSERT_TRUE(probe::do_default_action(control(editor, L"dlg_icon(2)")));
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_STATECHANGE, control(editor, L"dlg_icon(2)"),
                                CHILDID_SELF, kWindowTimeoutMs));
    expect_heard(editor, {{L"dlg_icon(2)", 0, L"Информация", kRadio, kChecked, L"Выбрать"},
                          {L"dlg_icon(4)", 0, L"Без значка", kRadio, 0, L"Выбрать"}});
    probe::type(control(editor, L"dlg_text"), L"Привет\rмир");
    ASSERT_TRUE(wait_text(control(editor, L"dlg_text"), L"Привет#мир"));
    act_and_close(editor, L"SDButton1");
    expect_row(0, row0);
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_SELECTION, list, 1, kWindowTimeoutMs))
        << "no selection event for the new row";
  }
  {
    SCOPED_TRACE("a second dialog, and the first one opened from its row");
    HWND editor = act_and_wait(main_, L"sd_new", L"make_form");
    ASSERT_TRUE(editor);
    act_and_close(editor, L"SDButton1");
    expect_row(1, L"; Диалог; Без значка; ОК");
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_SELECTION, list, 2, kWindowTimeoutMs));
    expect_heard(main_, {{L"TextBox", 1, (L"0: " + row0).c_str(), kItem, kRow, L"Двойной щелчок"},
                         {L"TextBox", 2, L"1: ; Диалог; Без значка; ОК", kItem, kSelectedRow,
                          L"Двойной щелчок"}});
    EXPECT_EQ(probe::read_accessible(list).child_count, 5) << "two rows, the hint, two buttons";
    // Where a reader's highlight goes: on the screen where the row and the button are.
    for (auto [child, shown] :
         {std::pair{2L, control(main_, L"str_str(1)")}, {0L, control(main_, L"sd_edit")}}) {
      RECT want{};
      GetWindowRect(shown, &want);
      const RECT got = probe::read_accessible(child ? list : shown, child).location;
      EXPECT_TRUE(EqualRect(&got, &want))
          << "child " << child << " at " << got.left << "," << got.top << " instead of "
          << want.left << "," << want.top;
    }

    events.clear();
    editor = act_and_wait(main_, L"TextBox", L"make_form", 1);
    ASSERT_TRUE(editor);
    EXPECT_TEXT(probe::text(editor), L"Изменить диалог");
    EXPECT_TEXT(probe::text(control(editor, L"dlg_text")), L"Привет#мир");
    expect_heard(editor, {{L"dlg_icon(2)", 0, L"Информация", kRadio, kChecked, L"Выбрать"}});
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_SELECTION, list, 1, kWindowTimeoutMs))
        << "opening a row selects it";
    // OK leads back to this dialog: the second one can never be shown, and nothing
    // ends. The status strip says so, and a reader hears it change.
    HWND next = control(editor, L"dlg_next(0)");
    send(next, CB_SETCURSEL, 1);
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_VALUECHANGE, next, CHILDID_SELF, kWindowTimeoutMs));
    EXPECT_TEXT(probe::read_accessible(next).value, L"диалог 0");
    act_and_close(editor, L"SDButton1");
    expect_row(0, row0 + L"; ОК>0");
    HWND status = control(main_, L"status");
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_NAMECHANGE, status, CHILDID_SELF, kWindowTimeoutMs))
        << "the notice came silently";
    // What was done and a wording of the notice that fits beside it at this
    // screen's font, or the notice alone.
    const std::wstring notice = probe::text(status);
    EXPECT_TRUE((notice.starts_with(L"Выполнено: изменение диалога 0. Программа") ||
                 notice.starts_with(L"Программа")) &&
                notice.ends_with(L"; диалог 1 не будет показан."))
        << visible(notice);
    EXPECT_TEXT(probe::read_accessible(status).name, notice);
    EXPECT_TRUE(no_box_now());
    shoot(main_, L"designer_main_notice.png");
  }
  {
    SCOPED_TRACE("save as");
    HWND save = act_and_wait(main_, L"sd(2)", L"save_form");
    ASSERT_TRUE(save);
    expect_heard(save, {{L"Text1", 0, L"Введите имя файла:", kText, 0, L""},
                        {L"sd_save", 0, L"Сохранить", kPush, kDefault, L"Нажать"},
                        {L"sd_close", 0, L"Отмена", kPush, 0, L"Нажать"}});
    probe::type(control(save, L"Text1"), L"story");
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_NAMECHANGE, control(save, L"info"), CHILDID_SELF,
                                kWindowTimeoutMs))
        << "the notice changed silently";
    EXPECT_TEXT(probe::read_accessible(control(save, L"info")).name,
                L"Нажмите сохранить для записи.");
    act_and_close(save, L"sd_save");
    EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
  }
  {
    SCOPED_TRACE("open");
    HWND open = act_and_wait(main_, L"sd(1)", L"file_form");
    ASSERT_TRUE(open);
    expect_heard(open, {{L"filebox", 0, L"", 0, 0, L""},
                        {L"sd_open", 0, L"Открыть", kPush, kDefault, L"Нажать"},
                        {L"sd_cancel", 0, L"Отмена", kPush, 0, L"Нажать"}});
    act_and_close(open, L"sd_cancel");
  }
  {
    SCOPED_TRACE("build prompt and console");
    HWND prompt = act_and_wait(main_, L"sd(3)", L"comp_form");
    ASSERT_TRUE(prompt);
    expect_heard(prompt, {{L"cmp", 0, L"Введите путь компиляции:", kText, 0, L""},
                          {L"one_file", 0, L"Одним файлом", kCheck, 0, L"Установить"},
                          {L"comp_icon", 0, L"Значок программы:", kCombo, STATE_SYSTEM_UNAVAILABLE,
                           L"Открыть"},
                          {L"comp", 0, L"Компиляция", kPush, kDefault, L"Нажать"},
                          {L"cls", 0, L"Отмена", kPush, 0, L"Нажать"}});
    HWND console = act_and_wait(prompt, L"comp", L"compile_form");
    ASSERT_TRUE(console);
    HWND cmd = control(console, L"cmd");
    expect_heard(console, {{L"cmd", 0, L"Консоль", kText, STATE_SYSTEM_READONLY, L""}});
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_VALUECHANGE, cmd, CHILDID_SELF, kBuildTimeoutMs))
        << "the console grew silently";
    EXPECT_TRUE(wait_until(
        [&] {
          return probe::read_accessible(cmd).value.find(L"Building Finished.\r\n\r\nEXE-Path: ") !=
                 std::wstring::npos;
        },
        kBuildTimeoutMs))
        << visible(probe::read_accessible(cmd).value);
    PostMessageW(console, WM_CHAR, L'x', 1);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs));
  }
  {
    SCOPED_TRACE("about");
    HWND about = act_and_wait(main_, L"sd(4)", L"about_form");
    ASSERT_TRUE(about);
    const std::wstring site = probe::text(control(about, L"site"));
    const std::wstring mail = probe::text(control(about, L"mail"));
    EXPECT_NE(site.find(L"."), std::wstring::npos);
    EXPECT_NE(mail.find(L"@"), std::wstring::npos);
    expect_heard(about, {{L"SDButton1", 0, L"Закрыть", kPush, kDefault, L"Нажать"},
                         {L"site", 0, site.c_str(), kLink, STATE_SYSTEM_LINKED, L"Перейти"},
                         {L"mail", 0, mail.c_str(), kLink, STATE_SYSTEM_LINKED, L"Перейти"}});
    act_and_close(about, L"SDButton1");
  }
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(process_.wait(kWindowTimeoutMs)) << "closing after saving asked something";
}

// The whole road with the keyboard alone, as real key presses (no pointer, no
// posted messages): a project made in the editor, the list, saved, cleared,
// opened, built into a program that runs, and the about window. The focus comes
// back to its control after every window and message box.
TEST_F(Designer, TheWholeRoadByKeys) {
  ASSERT_NO_FATAL_FAILURE(add_player());
  ASSERT_NO_FATAL_FAILURE(start());
  SetForegroundWindow(main_);
  ASSERT_TRUE(wait_focus(control(main_, L"sd(0)"))) << "focus: " << probe::to_utf8(focused_name());
  const auto press = [](UINT key, unsigned modifiers = 0) { probe::send_key(key, modifiers); };
  const auto tab_to = [&](HWND target, int tabs) {
    for (int i = 0; i < tabs; ++i) press(VK_TAB);
    return wait_focus(target);
  };

  const std::wstring row =
      L"Сборка#готова; Итог; Вопрос; Да, Нет и Отмена; Да «Конечно»>конец, Нет «Нет уж»>0, "
      L"15 с>конец, отсчёт, пауза 2 с";
  {
    SCOPED_TRACE("Insert: a dialog made in the editor by keys");
    press(VK_INSERT);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "Insert opened no editor";
    ASSERT_TRUE(wait_focus(control(editor, L"sd_cancel")));
    press(VK_TAB);
    press(VK_TAB);
    press(VK_LEFT);  // from the chosen icon to the question mark
    HWND title = control(editor, L"dlg_title");
    ASSERT_TRUE(tab_to(title, 1));
    probe::send_text(L"Итог");  // Tab selected the old title: this replaces it
    EXPECT_TRUE(wait_text(title, L"Итог")) << visible(probe::text(title));
    HWND text = control(editor, L"dlg_text");
    ASSERT_TRUE(tab_to(text, 1));
    probe::send_text(L"Сборка;");
    HWND box = wait_box();
    ASSERT_NO_FATAL_FAILURE(
        expect_box(box, {L"Quillet", L"Недопустиный символ.", {IDOK}, BoxIcon::Exclamation}));
    press(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
    EXPECT_TRUE(wait_focus(text)) << "the focus did not come back after the box";
    press(VK_RETURN);
    probe::send_text(L"готова");
    EXPECT_TRUE(wait_text(text, L"Сборка#готова")) << visible(probe::text(text));
    ASSERT_TRUE(tab_to(control(editor, L"dlg_button(0)"), 1));
    for (int i = 0; i < 3; ++i) press(VK_RIGHT);
    EXPECT_TRUE(wait_until([&] { return checked(probe::find_by_name(editor, L"dlg_button(3)")); },
                           kWindowTimeoutMs));
    EXPECT_TRUE(checked(control(editor, L"dlg_icon(3)")));
    shoot(editor, L"keys_editor.png");

    // What comes next: Да, captioned "Конечно", ends, "Нет уж" asks again, Отмена
    // goes on; after 15 s, counted down in the title, the box closes itself and the
    // program ends. The box shows 2 s after the program starts.
    HWND yes = control(editor, L"dlg_next(0)");
    ASSERT_TRUE(tab_to(yes, 1));
    press(VK_END);
    EXPECT_TRUE(wait_text(yes, L"конец")) << visible(probe::text(yes));
    HWND yes_caption = control(editor, L"dlg_caption(0)");
    ASSERT_TRUE(tab_to(yes_caption, 1));
    probe::send_text(L"Кон«");
    box = wait_box();
    ASSERT_NO_FATAL_FAILURE(
        expect_box(box, {L"Quillet", L"Недопустиный символ.", {IDOK}, BoxIcon::Exclamation}));
    press(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
    EXPECT_TRUE(wait_focus(yes_caption)) << "the focus did not come back after the box";
    probe::send_text(L"ечно");
    EXPECT_TRUE(wait_text(yes_caption, L"Конечно")) << visible(probe::text(yes_caption));
    HWND no = control(editor, L"dlg_next(1)");
    ASSERT_TRUE(tab_to(no, 1));
    press(VK_DOWN, probe::kAlt);
    EXPECT_TRUE(wait_until([&] { return send(no, CB_GETDROPPEDSTATE) != 0; }, kWindowTimeoutMs))
        << "Alt+Down did not open the list";
    press(VK_DOWN);
    press(VK_RETURN);  // closes the list on its item; the editor stays
    EXPECT_TRUE(wait_until([&] { return send(no, CB_GETDROPPEDSTATE) == 0; }, kWindowTimeoutMs));
    EXPECT_TRUE(wait_text(no, L"диалог 0")) << visible(probe::text(no));
    EXPECT_TRUE(is_visible(editor)) << "Enter in the open list confirmed the editor";
    HWND no_caption = control(editor, L"dlg_caption(1)");
    ASSERT_TRUE(tab_to(no_caption, 1));
    probe::send_text(L"Нет уж");
    EXPECT_TRUE(wait_text(no_caption, L"Нет уж")) << visible(probe::text(no_caption));
    HWND wait = control(editor, L"dlg_wait");
    ASSERT_TRUE(tab_to(wait, 3));
    probe::send_text(L"1x");
    box = wait_box();
    ASSERT_NO_FATAL_FAILURE(
        expect_box(box, {L"Quillet", L"Недопустиный символ.", {IDOK}, BoxIcon::Exclamation}));
    press(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
    EXPECT_TRUE(wait_focus(wait)) << "the focus did not come back after the box";
    probe::send_text(L"5");
    EXPECT_TRUE(wait_text(wait, L"15")) << visible(probe::text(wait));
    HWND then = control(editor, L"dlg_wait_next");
    ASSERT_TRUE(tab_to(then, 1));
    press(VK_END);
    EXPECT_TRUE(wait_text(then, L"конец")) << visible(probe::text(then));
    HWND countdown = control(editor, L"dlg_countdown");
    ASSERT_TRUE(tab_to(countdown, 1));
    press(VK_SPACE);
    EXPECT_TRUE(wait_until([&] { return checked(countdown); }, kWindowTimeoutMs));
    HWND pause = control(editor, L"dlg_pause");
    ASSERT_TRUE(tab_to(pause, 1));
    probe::send_text(L"2");
    EXPECT_TRUE(wait_text(pause, L"2")) << visible(probe::text(pause));
    shoot(editor, L"designer_editor_next.png");
    press(VK_RETURN, probe::kCtrl);
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs)) << "Ctrl+Enter did not confirm";
    expect_row(0, row);
    EXPECT_TRUE(wait_focus(control(main_, L"sd(0)")))
        << "focus: " << probe::to_utf8(focused_name());
  }
  {
    SCOPED_TRACE("the list: one tab stop after the toolbar");
    press(VK_INSERT);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor);
    ASSERT_TRUE(wait_focus(control(editor, L"sd_cancel")));
    ASSERT_TRUE(tab_to(control(editor, L"dlg_title"), 3));
    probe::send_text(L"Лишний");
    EXPECT_TRUE(wait_text(control(editor, L"dlg_title"), L"Лишний"));
    press(VK_RETURN);  // Enter in the title box is OK
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
    expect_row(1, L"; Лишний; Без значка; ОК");

    HWND list = control(main_, L"TextBox");
    ASSERT_TRUE(tab_to(list, 7)) << "focus: " << probe::to_utf8(focused_name());
    press(VK_UP);
    HWND first = control(main_, L"str_str(0)");
    EXPECT_TRUE(wait_until(
        [&] {
          return place_in_parent(control(main_, L"sd_edit")).top == place_in_parent(first).top;
        },
        kWindowTimeoutMs))
        << "Up did not select row 0";
    shoot(main_, L"keys_main_list.png");
    press(VK_RETURN);
    editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "Enter opened no editor";
    EXPECT_TEXT(probe::text(editor), L"Изменить диалог");
    EXPECT_TEXT(probe::text(control(editor, L"dlg_text")), L"Сборка#готова");
    for (auto [name, shown] : {std::pair{L"dlg_next(0)", L"конец"},
                               {L"dlg_caption(0)", L"Конечно"},
                               {L"dlg_next(1)", L"диалог 0"},
                               {L"dlg_caption(1)", L"Нет уж"},
                               {L"dlg_next(2)", L"дальше"},
                               {L"dlg_caption(2)", L""},
                               {L"dlg_wait", L"15"},
                               {L"dlg_wait_next", L"конец"},
                               {L"dlg_pause", L"2"}})
      EXPECT_TEXT(probe::text(control(editor, name)), shown) << probe::to_utf8(name);
    EXPECT_TRUE(checked(control(editor, L"dlg_countdown")));
    press(VK_ESCAPE);
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs)) << "Esc did not close the editor";
    EXPECT_TRUE(wait_focus(list)) << "the focus did not come back to the list";
    press(VK_END);
    press(VK_DELETE);
    EXPECT_TRUE(wait_until([&] { return !is_visible(probe::find_by_name(main_, L"str_num(1)")); },
                           kWindowTimeoutMs))
        << "Delete did not delete row 1";
    expect_list_ends_at(1);
    expect_row(0, row);
  }
  const std::string saved = script_file({row});
  {
    SCOPED_TRACE("Ctrl+S: the save-as window, Enter saves");
    press('S', probe::kCtrl);
    HWND save = wait_form(process_, L"save_form");
    ASSERT_TRUE(save) << "Ctrl+S showed no save-as window";
    ASSERT_TRUE(wait_focus(control(save, L"Text1")));
    probe::send_text(L"story");
    EXPECT_TRUE(wait_text(control(save, L"Text1"), L"story"));
    press(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(save, kWindowTimeoutMs)) << "Enter did not save";
    EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
    EXPECT_EQ(hex(read_file(in_program(L"story.dlg"))), hex(saved));
  }
  {
    SCOPED_TRACE("Ctrl+N clears, Ctrl+O opens by the arrows and Enter");
    press('N', probe::kCtrl);
    EXPECT_TRUE(wait_text(main_, L"Quillet - [Новый диалог]")) << visible(probe::text(main_));
    expect_list_ends_at(0);
    press('O', probe::kCtrl);
    HWND open = wait_form(process_, L"file_form");
    ASSERT_TRUE(open) << "Ctrl+O showed no open window";
    ASSERT_TRUE(wait_focus(control(open, L"sd_open")));
    HWND filebox = control(open, L"filebox");
    ASSERT_TRUE(tab_to(filebox, 1));
    press(VK_DOWN);
    EXPECT_TRUE(wait_until([&] { return send(filebox, LB_GETCURSEL) == 0; }, kWindowTimeoutMs));
    press(VK_RETURN);
    ASSERT_TRUE(probe::wait_gone(open, kWindowTimeoutMs)) << "Enter in the list did not open";
    EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
    expect_row(0, row);
  }
  const std::wstring build_folder = in_program(L"story.dlg_compile");
  {
    SCOPED_TRACE("F7: Enter in the path box builds; a key closes the console");
    press(VK_F7);
    HWND prompt = wait_form(process_, L"comp_form");
    ASSERT_TRUE(prompt) << "F7 showed no build prompt";
    HWND cmp = control(prompt, L"cmp");
    ASSERT_TRUE(wait_focus(cmp));
    EXPECT_TEXT(probe::text(cmp), build_folder);
    press(VK_RETURN);
    HWND console = wait_form(process_, L"compile_form");
    ASSERT_TRUE(console) << "Enter did not build";
    HWND cmd = control(console, L"cmd");
    ASSERT_TRUE(wait_until(
        [&] {
          return probe::text(cmd).find(L"Press Any Key To Continue...") != std::wstring::npos;
        },
        kBuildTimeoutMs))
        << visible(probe::text(cmd));
    EXPECT_EQ(hex(read_file(build_folder + L"\\main.dlg")), hex(saved));
    EXPECT_TRUE(read_file(build_folder + L"\\exe.exe") == read_file(in_program(L"run.exe")));
    press(VK_SPACE);
    EXPECT_TRUE(probe::wait_gone(console, kWindowTimeoutMs)) << "a key did not close the console";
  }
  {
    SCOPED_TRACE("the built program, its box answered by Enter");
    probe::Process built = probe::start(build_folder + L"\\exe.exe", working_folder_);
    ASSERT_TRUE(built);
    HWND box = probe::wait_window(built, {kBoxClass, L"", true}, kWindowTimeoutMs);
    ASSERT_TRUE(box);
    // The title tells the seconds left after the row's own title.
    const probe::MessageBoxView shown = probe::read_message_box(box);
    EXPECT_EQ(shown.caption.rfind(L"Итог", 0), 0u) << visible(shown.caption);
    EXPECT_TEXT(shown.text, L"Сборка\rготова");
    EXPECT_EQ(describe(shown.buttons), describe(std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_STREQ(probe::to_string(shown.icon), probe::to_string(BoxIcon::Question));
    SetForegroundWindow(box);
    ASSERT_TRUE(wait_until([&] { return probe::focus_of(box) != nullptr; }, kWindowTimeoutMs));
    press(VK_RETURN);
    DWORD code = 0;
    EXPECT_TRUE(built.wait(kWindowTimeoutMs, &code)) << "Enter did not answer the box";
    EXPECT_EQ(code, static_cast<DWORD>(IDYES)) << "Да leads to the end";
  }
  {
    SCOPED_TRACE("F1: the about window, its links by Tab, Esc closes");
    SetForegroundWindow(main_);
    ASSERT_TRUE(wait_focus(control(main_, L"TextBox")))
        << "focus: " << probe::to_utf8(focused_name());
    press(VK_F1);
    HWND about = wait_form(process_, L"about_form");
    ASSERT_TRUE(about) << "F1 showed no about window";
    ASSERT_TRUE(wait_focus(control(about, L"SDButton1")));
    ASSERT_TRUE(tab_to(control(about, L"mail"), 1));
    ASSERT_TRUE(tab_to(control(about, L"site"), 1));
    shoot(about, L"keys_about.png");
    press(VK_ESCAPE);
    ASSERT_TRUE(probe::wait_gone(about, kWindowTimeoutMs)) << "Esc did not close the about window";
    EXPECT_TRUE(wait_focus(control(main_, L"TextBox")));
  }
  {
    SCOPED_TRACE("Alt+F4 ends the designer, nothing to ask");
    press(VK_F4, probe::kAlt);
    DWORD code = 0;
    EXPECT_TRUE(process_.wait(kWindowTimeoutMs, &code)) << "Alt+F4 did not end the designer";
    EXPECT_EQ(code, 0u);
  }
}

// What other programs put into the controls (dictation and automation tools)
// is what the windows read: the message text set by WM_SETTEXT is stored at OK,
// the open list's selection made by LB_SETCURSEL is what Открыть opens.
TEST_F(Designer, TheWindowsReadWhatTheirControlsHold) {
  ASSERT_TRUE(
      probe::write_file(in_program(L"story.dlg"), script_file({L"Из файла; Проект; Ошибка; ОК"})));
  ASSERT_TRUE(probe::write_file(in_program(L"other.dlg"), script_file({L"Другой; Проект"})));
  ASSERT_NO_FATAL_FAILURE(start());
  probe::click(control(main_, L"sd_new"));
  HWND editor = wait_form(process_, L"make_form");
  ASSERT_TRUE(editor);
  HWND text = control(editor, L"dlg_text");
  send(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Снаружи"));
  probe::click(control(editor, L"SDButton1"));
  ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
  expect_row(0, L"Снаружи; Диалог; Без значка; ОК");

  probe::click(control(main_, L"sd(1)"));
  HWND open = wait_form(process_, L"file_form");
  ASSERT_TRUE(open);
  HWND filebox = control(open, L"filebox");
  const auto items = list_items(filebox);
  const auto at = std::find(items.begin(), items.end(), L"story.dlg");
  ASSERT_NE(at, items.end());
  send(filebox, LB_SETCURSEL, static_cast<WPARAM>(at - items.begin()));
  probe::click(control(open, L"sd_open"));
  HWND box = wait_box();  // the new row is not saved yet
  ASSERT_NO_FATAL_FAILURE(expect_box(
      box, {L"Quillet", L"Сохранить изменения?", {IDCANCEL, IDYES, IDNO}, BoxIcon::Question}));
  probe::answer(box, IDNO);
  ASSERT_TRUE(probe::wait_gone(open, kWindowTimeoutMs));
  EXPECT_TRUE(wait_text(main_, L"Quillet - [story.dlg]")) << visible(probe::text(main_));
  expect_row(0, L"Из файла; Проект; Ошибка; ОК");
  expect_list_ends_at(1);
}

// The scheme of the quiz example at the screen's scale: opened from the toolbar,
// the whole scheme shown at once, its cards clicked and double-clicked with the
// real pointer and walked with real keys, read by a screen reader, copied and
// saved as a picture; it follows a delete in the main window.
TEST_F(Designer, TheSchemeAtTheScreensScale) {
  const int dpi = expected_dpi();
  ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/quiz.dlg"),
                               in_program(L"quiz.dlg")));
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(open_first(L"quiz.dlg"));
  click_where_shown(control(main_, L"sd_scheme"));
  HWND window = wait_form(process_, L"scheme_form");
  ASSERT_TRUE(window) << "Схема... opened no scheme";
  HWND scheme = control(window, L"scheme");
  ASSERT_TRUE(scheme);
  {
    SCOPED_TRACE("the window");
    EXPECT_TEXT(probe::text(window), L"Схема - [quiz.dlg]");
    EXPECT_EQ(GetWindow(window, GW_OWNER), main_);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_THICKFRAME) << "not resizable";
    RECT work{}, r{}, m{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &r);
    GetWindowRect(main_, &m);
    EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right &&
                r.bottom <= work.bottom)
        << describe(r) << " is not within " << describe(work);
    // Beside the main window, not over it: right of it and level with it, as
    // every screen of these tests has room there for at least the least scheme.
    EXPECT_EQ(r.left, m.right) << describe(r) << " is not right of " << describe(m);
    EXPECT_EQ(r.top, std::min(m.top, work.bottom - (r.bottom - r.top))) << describe(r);
    // As large as the quiz, or as the room there allows: then it scrolls across
    // only, with the room for the scroll bar given.
    const LONG_PTR bars = GetWindowLongPtrW(scheme, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL);
    EXPECT_TRUE(bars == 0 || (bars == WS_HSCROLL && r.right == work.right))
        << describe(r) << (bars & WS_VSCROLL ? " scrolls down" : " scrolls across");
    EXPECT_EQ(probe::focus_of(window), scheme) << "the scheme has not the keys";
    // The selected card, the start's, shows whole, however narrow the window.
    const probe::AccessibleView start = probe::read_accessible(scheme, 1);
    RECT inside{};
    GetWindowRect(scheme, &inside);
    EXPECT_TRUE(start.state & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(start.location.left >= inside.left && start.location.right <= inside.right)
        << describe(start.location) << " is not within " << describe(inside);
    SetCursorPos(work.right - 1, work.bottom - 1);  // no tooltip in the picture
    Sleep(300);
    shoot(nullptr, L"designer_scheme_beside_" + std::to_wstring(work.right - work.left) + L"x" +
                       std::to_wstring(work.bottom - work.top) + L"_" + std::to_wstring(dpi) +
                       L".png");
  }
  const probe::AccessibleView list = probe::read_accessible(scheme);
  EXPECT_EQ(list.role, ROLE_SYSTEM_LIST);
  EXPECT_TEXT(list.name, L"Схема");
  ASSERT_EQ(list.child_count, 12) << "a card for each dialog of the quiz";
  // The cards as a reader meets them, in layout order; the row is in the name.
  std::vector<std::wstring> names;
  std::vector<long> card_of_row(15, 0);
  for (long k = 1; k <= list.child_count; ++k) {
    const probe::AccessibleView card = probe::read_accessible(scheme, k);
    EXPECT_EQ(card.role, ROLE_SYSTEM_LISTITEM) << k;
    EXPECT_EQ(card.default_action, L"Двойной щелчок") << k;
    ASSERT_EQ(card.name.rfind(L"Диалог ", 0), 0u) << probe::to_utf8(card.name);
    card_of_row.at(static_cast<std::size_t>(std::stoi(card.name.substr(7)))) = k;
    names.push_back(card.name);
  }
  EXPECT_EQ(names.front().rfind(L"Диалог 0: Викторина. Да → дальше, Нет → диалог 11.", 0), 0u)
      << probe::to_utf8(names.front());
  HWND rows = control(main_, L"TextBox");
  const auto selected = [&](HWND w, long child) {
    return (probe::read_accessible(w, child).state & STATE_SYSTEM_SELECTED) != 0;
  };
  const auto card_selected = [&](int row) {
    return wait_until([&] { return selected(scheme, card_of_row[static_cast<std::size_t>(row)]); },
                      kWindowTimeoutMs);
  };
  const auto centre = [&](int row) {
    const RECT at =
        probe::read_accessible(scheme, card_of_row[static_cast<std::size_t>(row)]).location;
    return POINT{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
  };
  // The quiz is wider than the room beside the main window: the user makes the
  // window smaller still, then as large as the scheme, at the top left corner.
  RECT left_at{};
  {
    SCOPED_TRACE("the wheel a small step at a time, as a touchpad turns it");
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, work.left, work.top, scaled(330, dpi), scaled(280, dpi),
                 SWP_NOZORDER);
    ASSERT_TRUE(wait_until([&] { return GetWindowLongPtrW(scheme, GWL_STYLE) & WS_VSCROLL; },
                           kWindowTimeoutMs))
        << "the smaller scheme does not scroll";
    SetForegroundWindow(window);
    ASSERT_TRUE(wait_focus(scheme));
    const auto first_card = [&] { return probe::read_accessible(scheme, 1).location; };
    send(scheme, WM_HSCROLL, SB_TOP);
    send(scheme, WM_VSCROLL, SB_TOP);
    const RECT before = first_card();
    {
      probe::Pointer pointer;
      pointer.move_to(probe::middle_of(scheme));
      pointer.wheel(-3, WHEEL_DELTA / 3);
      pointer.move_to(work.right - 1, work.bottom - 1);  // no tooltip in the pictures
    }
    // Three thirds of a notch scroll as far as a notch: 24 pixels of the scheme.
    EXPECT_TRUE(wait_until([&] { return first_card().top == before.top - scaled(24, dpi); },
                           kWindowTimeoutMs))
        << "moved " << before.top - first_card().top;
    // The whole scheme: the window as large as the scheme's inside shown plus
    // what it scrolls.
    send(scheme, WM_HSCROLL, SB_BOTTOM);
    send(scheme, WM_VSCROLL, SB_BOTTOM);
    const RECT end = first_card();
    const SIZE inside = client_size(scheme);
    RECT outer{}, shown{};
    GetWindowRect(window, &outer);
    GetWindowRect(scheme, &shown);
    const int width = outer.right - outer.left - (shown.right - shown.left) + inside.cx +
                      (before.left - end.left);
    const int height =
        outer.bottom - outer.top - (shown.bottom - shown.top) + inside.cy + (before.top - end.top);
    left_at = {work.left, work.top, work.left + width, work.top + height};
    SetWindowPos(window, nullptr, left_at.left, left_at.top, width, height, SWP_NOZORDER);
    EXPECT_TRUE(wait_until(
        [&] { return !(GetWindowLongPtrW(scheme, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)); },
        kWindowTimeoutMs))
        << "not the whole scheme in " << width << " x " << height;
  }
  shoot(window, L"designer_scheme_" + std::to_wstring(dpi) + L".png");
  {
    SCOPED_TRACE("the pointer");
    probe::send_click(centre(3));
    EXPECT_TRUE(card_selected(3)) << "a click selects no card";
    EXPECT_TRUE(wait_until([&] { return selected(rows, 4); }, kWindowTimeoutMs))
        << "the main window's row is not selected with the card";
    probe::send_click(centre(5), true);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "a double click opens no editor";
    EXPECT_TEXT(probe::text(editor), L"Изменить диалог");
    EXPECT_TEXT(probe::text(control(editor, L"dlg_title")), L"Верно");
    click_where_shown(control(editor, L"sd_cancel"));
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
    EXPECT_TRUE(wait_until([&] { return GetForegroundWindow() == window; }, kWindowTimeoutMs))
        << "the scheme is not in front again after the editor";
  }
  {
    SCOPED_TRACE("the keys");
    // F8 in the main window brings the open scheme forward.
    SetForegroundWindow(main_);
    ASSERT_TRUE(wait_until([&] { return GetForegroundWindow() == main_; }, kWindowTimeoutMs));
    probe::send_key(VK_F8);
    ASSERT_TRUE(wait_until([&] { return GetForegroundWindow() == window; }, kWindowTimeoutMs));
    ASSERT_TRUE(wait_focus(scheme));
    probe::WinEvents events(process_.id());
    probe::send_key(VK_HOME);
    EXPECT_TRUE(card_selected(0));
    // A reader hears the card the keys moved to.
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_SELECTION, scheme, card_of_row[0], kWindowTimeoutMs));
    EXPECT_TRUE(events.wait_for(EVENT_OBJECT_FOCUS, scheme, card_of_row[0], kWindowTimeoutMs));
    probe::send_key('L');  // where a Russian keyboard has Д: Да goes on to the next dialog
    EXPECT_TRUE(card_selected(1));
    probe::send_text(L"д");  // the letter itself: dialog 1's Да leads to dialog 3
    EXPECT_TRUE(card_selected(3));
    probe::send_key(VK_BACK);
    EXPECT_TRUE(card_selected(1));
    probe::send_key(VK_BACK);
    EXPECT_TRUE(card_selected(0));
    EXPECT_TRUE(wait_until([&] { return selected(rows, 1); }, kWindowTimeoutMs));
    probe::send_key(VK_DOWN);
    EXPECT_TRUE(wait_until([&] { return !selected(scheme, card_of_row[0]); }, kWindowTimeoutMs));
    shoot(window, L"designer_scheme_keys_" + std::to_wstring(dpi) + L".png");
    // The context menu by its key, closed again by Esc.
    probe::send_key(VK_F10, probe::kShift);
    EXPECT_TRUE(wait_until(
        [&] {
          return !probe::top_windows(process_.id(), {L"#32768", L"", true}).empty();
        },
        kWindowTimeoutMs))
        << "Shift+F10 shows no menu";
    probe::send_key(VK_ESCAPE);
    EXPECT_TRUE(wait_until(
        [&] {
          return probe::top_windows(process_.id(), {L"#32768", L"", true}).empty();
        },
        kWindowTimeoutMs));
    EXPECT_TRUE(is_visible(window)) << "Esc closed the scheme, not the menu";
    probe::send_key(VK_RETURN);
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor) << "Enter opens no editor";
    probe::send_key(VK_ESCAPE);
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
    ASSERT_TRUE(wait_focus(scheme));
  }
  {
    SCOPED_TRACE("a reader's default action on a card");
    EXPECT_TRUE(probe::do_default_action(scheme, card_of_row[2]));
    HWND editor = wait_form(process_, L"make_form");
    ASSERT_TRUE(editor);
    EXPECT_TEXT(probe::text(control(editor, L"dlg_title")), L"Мимо");
    click_where_shown(control(editor, L"sd_cancel"));
    ASSERT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs));
    ASSERT_TRUE(wait_focus(scheme));
  }
  {
    SCOPED_TRACE("copy");
    probe::send_key('C', probe::kCtrl);
    std::wstring text;
    BITMAPINFOHEADER picture{};
    EXPECT_TRUE(wait_until(
        [&] {
          if (!OpenClipboard(nullptr)) return false;
          if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
            if (const auto* t = static_cast<const wchar_t*>(GlobalLock(h))) {
              text = t;
              GlobalUnlock(h);
            }
          if (HANDLE h = GetClipboardData(CF_DIB))
            if (const auto* b = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h))) {
              picture = *b;
              GlobalUnlock(h);
            }
          CloseClipboard();
          return !text.empty() && picture.biWidth > 0;
        },
        kWindowTimeoutMs));
    std::wstring want;
    for (const std::wstring& n : names) want += n + L"\r\n";
    EXPECT_TEXT(text, want) << "the copy is not what the reader hears";
    // Drawn at twice the screen's scale.
    const SIZE shown = client_size(scheme);
    EXPECT_NEAR(picture.biWidth, 2 * shown.cx, 2);
    EXPECT_NEAR(std::abs(picture.biHeight), 2 * shown.cy, 2);
  }
  {
    SCOPED_TRACE("the picture saved");
    probe::send_key('S', probe::kCtrl);
    HWND dialog =
        probe::wait_window(process_, {kBoxClass, L"Сохранить картинку", true}, kWindowTimeoutMs);
    ASSERT_TRUE(dialog) << "no save dialog";
    HWND name = file_name_box(dialog);
    ASSERT_TRUE(name);
    EXPECT_TEXT(probe::text(name), L"quiz.png");
    const std::wstring png = working_folder_ + L"\\схема.png";
    send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(png.c_str()));
    probe::command(dialog, IDOK);
    ASSERT_TRUE(wait_until([&] { return file_exists(png); }, kWindowTimeoutMs));
    std::string bytes;
    wait_until([&] { return (bytes = read_file(png)).size() > 24; }, kWindowTimeoutMs);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    const auto be32 = [&](std::size_t at) {
      return static_cast<long>(static_cast<unsigned char>(bytes[at])) << 24 |
             static_cast<long>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
             static_cast<long>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
             static_cast<unsigned char>(bytes[at + 3]);
    };
    const SIZE shown = client_size(scheme);
    EXPECT_NEAR(be32(16), 2 * shown.cx, 2);
    EXPECT_NEAR(be32(20), 2 * shown.cy, 2);
  }
  {
    SCOPED_TRACE("connections: by the pointer, the keys and a reader; undone to the bytes");
    const auto row_text = [&](int i) {
      return probe::to_utf8(
          probe::text(probe::find_by_name(main_, L"str_str(" + std::to_wstring(i) + L")")));
    };
    std::vector<std::string> want;
    for (int i = 0; i < 12; ++i) want.push_back(row_text(i));
    const std::vector<std::string> opened = want;
    // The rows as the main window lists them, once they are `want`.
    const auto rows_are = [&] {
      const bool same = wait_until(
          [&] {
            for (int i = 0; i < 12; ++i)
              if (row_text(i) != want[static_cast<std::size_t>(i)]) return false;
            return true;
          },
          kWindowTimeoutMs);
      for (int i = 0; i < 12 && !same; ++i)
        EXPECT_EQ(row_text(i), want[static_cast<std::size_t>(i)]) << "row " << i;
      return same;
    };
    // A change lays the cards out anew: a row's card as a reader finds it now.
    const auto child_of = [&](int row) {
      const std::wstring name = L"Диалог " + std::to_wstring(row) + L":";
      for (long k = 1; k <= list.child_count; ++k)
        if (probe::read_accessible(scheme, k).name.starts_with(name)) return k;
      ADD_FAILURE() << "no card of row " << row;
      return 0L;
    };
    const auto middle = [&](int row) {
      const RECT at = probe::read_accessible(scheme, child_of(row)).location;
      return POINT{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
    };
    // The ways out of dialog 6 are its card's children, where their arrows leave it.
    const long six = child_of(6);
    const probe::AccessibleView card6 = probe::read_accessible(scheme, six, 0);
    EXPECT_EQ(card6.child_count, 3);
    EXPECT_EQ(card6.name, probe::read_accessible(scheme, six).name);
    const wchar_t* const exits6[] = {L"Да → диалог 8", L"Нет → диалог 9", L"через 5 с → диалог 7"};
    for (long k = 1; k <= 3; ++k) {
      const probe::AccessibleView exit = probe::read_accessible(scheme, six, k);
      EXPECT_TEXT(exit.name, exits6[k - 1]);
      EXPECT_EQ(exit.role, ROLE_SYSTEM_BUTTONMENU);
      EXPECT_EQ(exit.default_action, L"Открыть");
      EXPECT_TRUE(exit.location.top < card6.location.bottom &&
                  exit.location.bottom > card6.location.bottom &&
                  exit.location.left > card6.location.left &&
                  exit.location.left < card6.location.right)
          << describe(exit.location) << " is not at the bottom edge of "
          << describe(card6.location);
      const POINT middle{(exit.location.left + exit.location.right) / 2,
                         exit.location.bottom - scaled(3, dpi)};
      EXPECT_TEXT(probe::hit_name(scheme, middle), exits6[k - 1]);
    }
    const auto exit_point = [&](int row, long part) {
      const RECT at = probe::read_accessible(scheme, child_of(row), part).location;
      return POINT{(at.left + at.right) / 2, at.bottom - scaled(3, dpi)};
    };
    probe::Pointer pointer;
    const auto hold_over = [&](POINT from, POINT to) {
      pointer.move_to(from);
      Sleep(100);
      pointer.press();
      for (int i = 1; i <= 6; ++i) {
        Sleep(40);
        pointer.move_to(from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6);
      }
      Sleep(300);
    };
    // Dialog 3's Нет dragged onto dialog 4; Esc lets go of the first try.
    hold_over(exit_point(3, 2), middle(4));
    probe::send_key(VK_ESCAPE);
    pointer.release();
    Sleep(300);
    EXPECT_TRUE(is_visible(window)) << "Esc closed the scheme, not the drag";
    EXPECT_TRUE(rows_are()) << "a drag let go with Esc connected";
    hold_over(exit_point(3, 2), middle(4));
    shoot(window, L"designer_scheme_connect_" + std::to_wstring(dpi) + L".png");
    pointer.release();
    want[3] = "Верно, восемь!#Вопрос 2. Кит - это рыба?; Вопрос 2; Вопрос; Да и Нет; Нет>4";
    EXPECT_TRUE(rows_are());
    // Dialog 9's ОК let go on empty space: its menu, «Конец» by its letter.
    RECT inside{};
    GetWindowRect(scheme, &inside);
    hold_over(exit_point(9, 1), {inside.left + scaled(3, dpi), (inside.top + inside.bottom) / 2});
    pointer.release();
    HWND menu = probe::wait_window(process_, {L"#32768", L"", true}, kWindowTimeoutMs);
    ASSERT_TRUE(menu) << "no menu on empty space";
    probe::send_text(L"к");
    want[9] = "Правильно! Луна меньше Земли почти в четыре раза.; Верно; Информация; ОК; ОК>конец";
    EXPECT_TRUE(rows_are());
    // The keys: the start's context menu, Нет's targets, dialog 5 by its digit.
    probe::send_key(VK_HOME);
    EXPECT_TRUE(wait_until([&] { return selected(scheme, child_of(0)); }, kWindowTimeoutMs));
    probe::send_key(VK_F10, probe::kShift);
    menu = probe::wait_window(process_, {L"#32768", L"", true}, kWindowTimeoutMs);
    ASSERT_TRUE(menu);
    probe::send_text(L"н");
    ASSERT_TRUE(probe::wait_window(process_, {L"#32768", L"", true}, kWindowTimeoutMs, {menu}))
        << "Нет opened no submenu";
    probe::send_text(L"5");
    want[0] =
        "Небольшая викторина: три вопроса.#Начнём?; Викторина; Вопрос; Да и Нет; Да "
        "«Начнём!», Нет «В другой раз»>5";
    EXPECT_TRUE(rows_are());
    // A reader opens dialog 6's timeout and takes «конец».
    EXPECT_TRUE(probe::do_default_action(scheme, child_of(6), 3));
    ASSERT_TRUE(probe::wait_window(process_, {L"#32768", L"", true}, kWindowTimeoutMs))
        << "a way out's default action opens no menu";
    probe::send_text(L"к");
    want[6] =
        "Вопрос 3, на скорость: у вас пять секунд!#Луна больше Земли?; Вопрос 3; Вопрос; Да и "
        "Нет; Да>8, Нет>9, 5 с>конец, отсчёт, пауза 2 с";
    EXPECT_TRUE(rows_are());
    // Undone from the scheme, step by step: the rows opened, their very bytes.
    ASSERT_TRUE(wait_focus(scheme));
    for (int i = 0; i < 4; ++i) {
      const std::wstring before = probe::text(control(main_, L"status"));
      probe::send_key('Z', probe::kCtrl);
      EXPECT_TRUE(wait_until([&] { return probe::text(control(main_, L"status")) != before; },
                             kWindowTimeoutMs))
          << "undo " << i << " did nothing";
    }
    want = opened;
    EXPECT_TRUE(rows_are());
    ASSERT_NO_FATAL_FAILURE(save_copy_as(L"undone"));
    EXPECT_EQ(read_file(in_program(L"undone.dlg")),
              read_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/quiz.dlg")))
        << "undone, the quiz is not the bytes opened";
    SetForegroundWindow(window);
    ASSERT_TRUE(wait_focus(scheme));
  }
  {
    SCOPED_TRACE("live");
    probe::click(control(main_, L"sd_edit"));  // deletes the selected row
    EXPECT_TRUE(wait_until([&] { return probe::read_accessible(scheme).child_count == 11; },
                           kWindowTimeoutMs))
        << "the scheme did not follow the delete";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(probe::wait_gone(window, kWindowTimeoutMs));
  }
  {
    SCOPED_TRACE("opened afresh, and gone with the main window");
    SetForegroundWindow(main_);
    ASSERT_TRUE(wait_until([&] { return GetForegroundWindow() == main_; }, kWindowTimeoutMs));
    probe::send_key(VK_F8);
    window = wait_form(process_, L"scheme_form");
    ASSERT_TRUE(window);
    EXPECT_EQ(probe::read_accessible(control(window, L"scheme")).child_count, 11);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(describe(r), describe(left_at)) << "not where the user left it";
    PostMessageW(main_, WM_CLOSE, 0, 0);
    HWND box = wait_box();  // the delete is not saved
    ASSERT_TRUE(box);
    probe::answer(box, IDNO);
    DWORD code = 1;
    EXPECT_TRUE(process_.wait(kWindowTimeoutMs, &code)) << "the designer did not end";
    EXPECT_EQ(code, 0u);
  }
}

// The editor by the real pointer alone, the keys only to type: a choice made in
// an open list with a click is the list's choice at once and stays when the
// focus moves on, and the first click on OK after it confirms.
// The quiz edited as its user does, with the real keys, context menu and pointer:
// after every change each answer leads to the dialog of the same text; undone all
// the way the project is the bytes opened, redone all the way the last ones; the
// preview starts at the selected dialog. Pictures of the context menu and of a
// drag, at the screen's scale.
TEST_F(Designer, TheQuizEditedAtTheScreensScale) {
  const int dpi = expected_dpi();
  const std::wstring at_dpi = L"_" + std::to_wstring(dpi) + L".png";
  const std::string quiz = read_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/quiz.dlg"));
  ASSERT_TRUE(probe::write_file(in_program(L"quiz.dlg"), quiz));
  ASSERT_NO_FATAL_FAILURE(add_player());
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(open_first(L"quiz.dlg"));
  SetForegroundWindow(main_);
  probe::capture_settled(main_, 3000);
  probe::Pointer pointer;

  HWND list = control(main_, L"TextBox");
  const auto row = [&](int i) {
    return probe::find_by_name(main_, L"str_str(" + std::to_wstring(i) + L")");
  };
  // The rows as the list shows them, once it shows `start` at row i.
  const auto rows_when = [&](int i, std::wstring_view start) {
    EXPECT_TRUE(
        wait_until([&] { return probe::text(row(i)).starts_with(start); }, kWindowTimeoutMs))
        << "row " << i << " is not " << probe::to_utf8(start);
    script::Rows rows;
    for (int k = 0; k < 15 && is_visible(row(k)); ++k)
      rows[static_cast<std::size_t>(k)] = probe::to_utf8(probe::text(row(k)));
    return rows;
  };
  const std::set<std::string> opened = answers::by_text(rows_when(0, L"Небольшая"));
  const auto keeps = [&](int i, std::wstring_view start) {
    for (const std::string& a : answers::by_text(rows_when(i, start)))
      EXPECT_TRUE(opened.count(a)) << a;
  };
  const auto menu = [&](const std::function<void()>& open_it, const wchar_t* letter,
                        const wchar_t* picture = nullptr) {
    open_it();
    HWND shown = probe::wait_window(process_, {L"#32768", L"", true}, kWindowTimeoutMs);
    ASSERT_TRUE(shown) << "no context menu";
    if (picture) {
      Sleep(300);
      shoot(nullptr, picture);  // the screen: the menu and the window it belongs to
    }
    probe::send_text(letter);
    EXPECT_TRUE(probe::wait_gone(shown, kWindowTimeoutMs) ||
                wait_until([&] { return !is_visible(shown); }, kWindowTimeoutMs));
  };
  const auto gap_point = [&](int gap) {
    POINT p{scaled(12, dpi), scaled(24 * gap + 4, dpi)};
    ClientToScreen(list, &p);
    return p;
  };
  int steps = 0;
  std::wstring dragged;
  {
    SCOPED_TRACE("keys: a range of two moved down, copied, pasted; the limit");
    pointer.click(row(3));
    probe::send_key(VK_DOWN, probe::kShift);
    EXPECT_TRUE(
        wait_until([&] { return probe::read_accessible(list, 5).state & STATE_SYSTEM_SELECTED; },
                   kWindowTimeoutMs));
    EXPECT_TRUE(probe::read_accessible(list, 4).state & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(probe::read_accessible(list).state & STATE_SYSTEM_MULTISELECTABLE);
    probe::send_key(VK_DOWN, probe::kAlt);
    keeps(4, L"Верно, восемь!");
    EXPECT_TRUE(wait_text(control(main_, L"status"), L"Выполнено: перемещение диалогов 3, 4"))
        << visible(probe::text(control(main_, L"status")));
    probe::send_key('C', probe::kCtrl);
    pointer.click(row(0));
    probe::send_key('V', probe::kCtrl);
    keeps(1, L"Верно, восемь!");
    ASSERT_TRUE(wait_focus(list)) << "the keys are at " << probe::to_utf8(focused_name());
    probe::send_key('D', probe::kCtrl);
    HWND box = wait_box();
    ASSERT_NO_FATAL_FAILURE(expect_box(
        box,
        {L"Quillet",
         L"Не помещается: нужно строк — 2, а свободных строк — 1 из 15.\r\n\r\nНичего не изменено.",
         {IDOK},
         BoxIcon::Exclamation}));
    pointer.click(GetDlgItem(box, IDOK));
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
    steps += 2;
  }
  {
    SCOPED_TRACE("the context menu: by the right button, Shift+F10 and the menu key");
    const auto index_of = [&](std::wstring_view start) {
      for (int i = 0; i < 15; ++i)
        if (probe::text(row(i)).starts_with(start)) return i;
      ADD_FAILURE() << probe::to_utf8(start);
      return 0;
    };
    const int wrong = index_of(L"Не угадали");
    menu([&] { probe::send_click(probe::middle_of(row(wrong)), false, true); }, L"р",
         (L"edits_menu" + at_dpi).c_str());
    keeps(wrong, L"Правильно: кит");
    pointer.click(row(index_of(L"Вопрос 3")));
    menu([&] { probe::send_key(VK_F10, probe::kShift); }, L"а");
    keeps(index_of(L"Вопрос 3") + 1, L"Не угадали");
    menu([&] { probe::send_key(VK_APPS); }, L"ж");
    keeps(index_of(L"Вопрос 3") + 2, L"Не угадали");
    steps += 3;
  }
  {
    SCOPED_TRACE("the pointer: a row dragged by its number; Esc cancels a drag");
    const int from = 13;
    HWND number = control(main_, L"str_num(" + std::to_wstring(from) + L")");
    // The mark gets its window when it first shows.
    const auto mark_shown = [&] { return is_visible(probe::find_by_name(main_, L"drop_mark")); };
    dragged = probe::text(row(from));
    const auto hold_over = [&](int gap) {
      pointer.move_to(probe::middle_of(number));
      Sleep(100);
      pointer.press();
      const POINT start = probe::middle_of(number), to = gap_point(gap);
      for (int i = 1; i <= 6; ++i) {
        Sleep(40);
        pointer.move_to(start.x + (to.x - start.x) * i / 6, start.y + (to.y - start.y) * i / 6);
      }
      EXPECT_TRUE(wait_until(mark_shown, kWindowTimeoutMs)) << "no mark";
    };
    hold_over(2);
    probe::send_key(VK_ESCAPE);
    EXPECT_TRUE(wait_until([&] { return !mark_shown(); }, kWindowTimeoutMs));
    pointer.release();
    Sleep(300);
    EXPECT_TEXT(probe::text(row(from)), dragged) << "a cancelled drag moved the row";
    hold_over(2);
    Sleep(300);
    shoot(main_, L"edits_drag" + at_dpi);
    pointer.release();
    keeps(2, dragged.substr(0, 10));
    EXPECT_FALSE(mark_shown());
    steps += 1;
  }
  {
    SCOPED_TRACE("undone all the way and redone");
    ASSERT_NO_FATAL_FAILURE(save_copy_as(L"last"));
    const std::string last = read_file(in_program(L"last.dlg"));
    for (int i = 0; i <= steps; ++i) probe::send_key('Z', probe::kCtrl);
    EXPECT_TRUE(wait_text(control(main_, L"status"), L"Отменено: перемещение диалогов 3, 4"))
        << visible(probe::text(control(main_, L"status")));
    ASSERT_NO_FATAL_FAILURE(save_copy_as(L"undone"));
    EXPECT_EQ(hex(read_file(in_program(L"undone.dlg"))), hex(quiz));
    // One redo at a time, each told by the status strip.
    for (int i = 1; i <= steps; ++i) {
      const std::wstring before = probe::text(control(main_, L"status"));
      if (i < steps)
        probe::send_key('Y', probe::kCtrl);
      else
        probe::send_key('Z', probe::kCtrl | probe::kShift);
      EXPECT_TRUE(wait_until([&] { return probe::text(control(main_, L"status")) != before; },
                             kWindowTimeoutMs))
          << "redo " << i << " did nothing";
    }
    keeps(2, dragged);
    ASSERT_NO_FATAL_FAILURE(save_copy_as(L"redone"));
    EXPECT_EQ(hex(read_file(in_program(L"redone.dlg"))), hex(last));
  }
  {
    SCOPED_TRACE("Shift+F5: the preview from the selected dialog");
    pointer.click(row(1));
    probe::send_key(VK_F5, probe::kShift);
    ForeignBox shown = wait_box_of_program(in_program(L"run.exe"), kWindowTimeoutMs);
    ASSERT_TRUE(shown.box) << "no box of run.exe";
    EXPECT_TEXT(probe::read_message_box(shown.box).caption, L"Вопрос 2");
    shown.process.kill();
  }
  EXPECT_TRUE(process_.running()) << "the designer ended";
}

TEST_F(Designer, TheEditorByThePointer) {
  ASSERT_NO_FATAL_FAILURE(start());
  SetForegroundWindow(main_);
  probe::capture_settled(main_, 3000);
  probe::Pointer pointer;
  const auto open_editor = [&] {
    pointer.click(control(main_, L"sd_new"));
    HWND editor = wait_form(process_, L"make_form");
    // Clicked before it is in front and drawn, the editor may miss the click.
    wait_until([&] { return GetForegroundWindow() == editor; }, kWindowTimeoutMs);
    probe::capture_settled(editor, 3000);
    return editor;
  };
  const auto dropped = [](HWND list) { return send(list, CB_GETDROPPEDSTATE) != 0; };
  // A click opens the list, a click on the item closes it there.
  const auto choose = [&](HWND list, int item, const wchar_t* shown) {
    pointer.click(list);
    ASSERT_TRUE(wait_until([&] { return dropped(list); }, kWindowTimeoutMs))
        << "a click did not open " << probe::to_utf8(probe::control_name(list));
    const HWND open = probe::dropped_list(process_.id());
    ASSERT_TRUE(open);
    // The pointer passes over the items on its way, as a hand moves it.
    for (int i = 0; i < item; ++i) {
      pointer.move_to(probe::item_point(open, i));
      Sleep(40);
    }
    pointer.click_at(probe::item_point(open, item));
    EXPECT_TRUE(wait_until([&] { return !dropped(list); }, kWindowTimeoutMs))
        << "a click on an item did not close the list";
    EXPECT_TRUE(wait_text(list, shown)) << visible(probe::text(list));
  };
  // The editor's start, as the user made it: a text, «Да и Нет» (or another set),
  // «конец» for Да chosen in the open list, and a click into the timeout box.
  const auto begin = [&](HWND editor, int set = 2) {
    HWND text = control(editor, L"dlg_text");
    pointer.click(text);
    ASSERT_TRUE(wait_focus(text));
    probe::send_text(L"Новый");
    EXPECT_TRUE(wait_text(text, L"Новый")) << visible(probe::text(text));
    HWND yes_no = control(editor, L"dlg_button(" + std::to_wstring(set) + L")");
    pointer.click(yes_no);
    ASSERT_TRUE(wait_until([&] { return checked(yes_no); }, kWindowTimeoutMs));
    HWND yes = control(editor, L"dlg_next(0)");
    ASSERT_TRUE(wait_until([&] { return is_visible(yes); }, kWindowTimeoutMs));
    const int end = static_cast<int>(send(yes, CB_GETCOUNT)) - 1;
    ASSERT_NO_FATAL_FAILURE(choose(yes, end, L"конец"));
    HWND wait = control(editor, L"dlg_wait");
    pointer.click(wait);
    ASSERT_TRUE(wait_focus(wait));
    Sleep(300);  // what the click did to the list has shown by now
    EXPECT_TEXT(probe::text(yes), L"конец");
  };
  const auto refused = [&](const wchar_t* text) {
    HWND box = wait_box();
    ASSERT_NO_FATAL_FAILURE(expect_box(box, {L"Quillet", text, {IDOK}, BoxIcon::Exclamation}));
    pointer.click(GetDlgItem(box, IDOK));
    ASSERT_TRUE(probe::wait_gone(box, kWindowTimeoutMs));
  };
  const auto confirm = [&](HWND editor) {
    pointer.click(control(editor, L"SDButton1"));
    EXPECT_TRUE(probe::wait_gone(editor, kWindowTimeoutMs)) << "one click on OK did not confirm";
  };
  {
    SCOPED_TRACE("a choice in the open list, the focus elsewhere, OK");
    HWND editor = open_editor();
    ASSERT_TRUE(editor);
    ASSERT_NO_FATAL_FAILURE(begin(editor));
    // A press opens the list again and Esc closes it before the button is let
    // go: the next click still goes where it is aimed, and the choice stays.
    HWND yes = control(editor, L"dlg_next(0)");
    pointer.move_to(probe::middle_of(yes));
    Sleep(100);
    pointer.press();
    EXPECT_TRUE(wait_until([&] { return dropped(yes); }, kWindowTimeoutMs));
    probe::send_key(VK_ESCAPE);
    EXPECT_TRUE(wait_until([&] { return !dropped(yes); }, kWindowTimeoutMs));
    pointer.release();
    HWND wait = control(editor, L"dlg_wait");
    pointer.click(wait);
    EXPECT_TRUE(wait_focus(wait)) << "the click went to the closed list";
    EXPECT_TEXT(probe::text(yes), L"конец");
    ASSERT_NO_FATAL_FAILURE(confirm(editor));
    expect_row(0, L"Новый; Диалог; Без значка; Да и Нет; Да>конец");
  }
  {
    SCOPED_TRACE("and with the refusals of the timeout box between");
    HWND editor = open_editor();
    ASSERT_TRUE(editor);
    ASSERT_NO_FATAL_FAILURE(begin(editor));
    HWND wait = control(editor, L"dlg_wait");
    probe::send_text(L"7x");
    ASSERT_NO_FATAL_FAILURE(refused(L"Недопустиный символ."));
    ASSERT_TRUE(wait_focus(wait));
    // A double click selects the 7, and the 0 takes its place.
    pointer.move_to(probe::middle_of(wait));
    Sleep(100);
    pointer.double_click();
    probe::send_text(L"0");
    EXPECT_TRUE(wait_text(wait, L"0")) << visible(probe::text(wait));
    pointer.click(control(editor, L"SDButton1"));
    ASSERT_NO_FATAL_FAILURE(refused(
        L"Диалог может закрыться сам через целое число секунд от 1 до 3600, а в поле «Закрыть "
        L"само через» указано «0».\r\n\r\nИсправьте число или очистите поле, чтобы диалог "
        L"ждал ответа."));
    probe::send_text(L"7");
    HWND then = control(editor, L"dlg_wait_next");
    ASSERT_NO_FATAL_FAILURE(choose(then, 1, L"диалог 0"));
    shoot(editor, L"pointer_editor.png");
    ASSERT_NO_FATAL_FAILURE(confirm(editor));
    expect_row(1, L"Новый; Диалог; Без значка; Да и Нет; Да>конец, 7 с>0");
  }
  // Straight through as a new user goes, then with three answers and a caption
  // typed in; after OK the pointer goes on over where the editor was. Nothing of
  // the editor may run on after OK closed it (the run fails on a heap fault).
  for (const int set : {2, 3}) {
    SCOPED_TRACE(set == 2 ? "straight through" : "three answers and a caption");
    HWND editor = open_editor();
    ASSERT_TRUE(editor);
    ASSERT_NO_FATAL_FAILURE(begin(editor, set));
    if (set == 3) {
      HWND caption = control(editor, L"dlg_caption(0)");
      pointer.click(caption);
      ASSERT_TRUE(wait_focus(caption));
      probe::send_text(L"Ага");
      EXPECT_TRUE(wait_text(caption, L"Ага")) << visible(probe::text(caption));
      pointer.click(control(editor, L"dlg_wait"));
    }
    probe::send_text(L"7");
    ASSERT_NO_FATAL_FAILURE(choose(control(editor, L"dlg_wait_next"), 1, L"диалог 0"));
    const POINT ok = probe::middle_of(control(editor, L"SDButton1"));
    ASSERT_NO_FATAL_FAILURE(confirm(editor));
    pointer.move_to(ok.x - 40, ok.y + 30);
    pointer.click_at(ok);
  }
  expect_row(2, L"Новый; Диалог; Без значка; Да и Нет; Да>конец, 7 с>0");
  expect_row(3, L"Новый; Диалог; Без значка; Да, Нет и Отмена; Да «Ага»>конец, 7 с>0");
  EXPECT_TRUE(process_.running()) << "the designer ended";
}

}  // namespace
