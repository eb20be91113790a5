// run.exe as a user meets it: copied into a folder of its own with a main.dlg, started
// from another folder, and answered box by box. Each box is read from the screen
// (caption, text, visible buttons, topmost, icon); any answer lets the run go on, and
// the run ends without a further box, with the last answer as its exit code (0
// when it showed none).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe.h"

namespace {

using probe::cp1251;
using probe::read_file;
using probe::visible;

using probe::BoxIcon;

constexpr DWORD kBoxTimeoutMs = 20000;

struct Box {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;
  BoxIcon icon;
  int answer;
};




void expect_same(const char* what, std::wstring_view got, std::wstring_view want) {
  if (got != want)
    ADD_FAILURE() << what << " is \"" << visible(got) << "\", expected \"" << visible(want) << "\"";
}

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

class Player : public testing::Test {
 protected:
  void SetUp() override {
    program_folder_ = probe::make_temp_folder(L"quillet-player");
    working_folder_ = probe::make_temp_folder(L"quillet-elsewhere");
    ASSERT_FALSE(program_folder_.empty());
    ASSERT_FALSE(working_folder_.empty());
    run_exe_ = program_folder_ + L"\\run.exe";
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_RUN_EXE), run_exe_))
        << "cannot copy " << QUILLET_RUN_EXE;
    // A script in the folder the player is started from: it must never be read.
    ASSERT_TRUE(probe::write_file(working_folder_ + L"\\main.dlg",
                                  cp1251(L"Не тот файл; Не та папка; Ошибка; ОК\r\n")));
  }

  void TearDown() override {
    process_ = {};
    probe::remove_tree(program_folder_);
    probe::remove_tree(working_folder_);
  }

  std::wstring script_path() const { return program_folder_ + L"\\main.dlg"; }

  void write_script(std::string_view bytes) {
    ASSERT_TRUE(probe::write_file(script_path(), bytes));
  }

  // Starts the player and goes through the expected boxes in order, answering each;
  // then the player must end without showing anything more, telling the last answer.
  void play(const std::vector<Box>& expected, const wchar_t* screenshot = nullptr) {
    process_ = probe::start(run_exe_, working_folder_);
    ASSERT_TRUE(process_) << "CreateProcess failed: " << GetLastError();
    const probe::WindowFilter boxes{L"#32770", L"", true};
    std::vector<HWND> seen;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("box " + std::to_string(i + 1));
      const Box& want = expected[i];
      HWND box = probe::wait_window(process_, boxes, kBoxTimeoutMs, seen);
      ASSERT_TRUE(box) << "no box for \"" << probe::to_utf8(want.caption) << "\"; the player "
                       << (process_.running() ? "is still running" : "has ended");
      seen.push_back(box);
      const probe::MessageBoxView got = probe::read_message_box(box);
      expect_same("caption", got.caption, want.caption);
      expect_same("text", got.text, want.text);
      EXPECT_EQ(describe(got.buttons), describe(want.buttons)) << "visible buttons";
      EXPECT_TRUE(got.topmost) << "a system-modal box stays above all windows";
      EXPECT_STREQ(probe::to_string(got.icon), probe::to_string(want.icon));
      if (screenshot && i == 0) {
        EXPECT_FALSE(probe::screenshot(box, screenshot).empty());
      }
      probe::answer(box, want.answer);
      ASSERT_TRUE(probe::wait_gone(box, kBoxTimeoutMs)) << "the box did not close";
    }
    expect_end_without_box(seen, expected.empty() ? 0 : expected.back().answer);
  }

  void expect_end_without_box(const std::vector<HWND>& seen, int exit_code) {
    const probe::WindowFilter any{L"", L"", true};
    if (HWND extra = probe::wait_window(process_, any, kBoxTimeoutMs, seen)) {
      const auto view = probe::read_message_box(extra);
      process_ = {};
      FAIL() << "unexpected window \"" << probe::to_utf8(view.caption) << "\": \""
             << probe::to_utf8(view.text) << "\"";
    }
    DWORD code = 0;
    ASSERT_TRUE(process_.wait(kBoxTimeoutMs, &code)) << "the player did not end";
    EXPECT_EQ(code, static_cast<DWORD>(exit_code)) << "exit code";
  }

  std::wstring program_folder_;
  std::wstring working_folder_;
  std::wstring run_exe_;
  probe::Process process_;
};

TEST_F(Player, ShowsTheExampleScriptAndGoesOnWhateverTheAnswer) {
  const std::string welcome =
      read_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/welcome.dlg"));
  ASSERT_FALSE(welcome.empty());
  write_script(welcome);
  play(
      {
          {L"Quillet",
           L"Добро пожаловать в Quillet!\rЭтот пример показывает, что умеет проигрыватель.",
           {IDOK},
           BoxIcon::Asterisk,
           IDOK},
          {L"Вопрос",
           L"Программа может задать вопрос с тремя кнопками.",
           {IDCANCEL, IDYES, IDNO},
           BoxIcon::Question,
           IDCANCEL},
          {L"Внимание",
           L"Осторожно: это только пример предупреждения.",
           {IDOK, IDCANCEL},
           BoxIcon::Exclamation,
           IDCANCEL},
          {L"Ошибка", L"Так выглядит сообщение об ошибке.", {IDYES, IDNO}, BoxIcon::Hand, IDNO},
          {L"До свидания",
           L"Сообщение может обойтись без значка.\rКонец примера.",
           {IDOK},
           BoxIcon::None,
           IDOK},
      },
      L"player_box.png");
}

TEST_F(Player, SkipsTheEmptyRowsADesignerFileEndsWith) {
  std::wstring script =
      L"Первая#строка; Один; Информация; ОК\r\n"
      L"Удалить?; Два; Вопрос; Да, Нет и Отмена\r\n"
      L"Третий; Три; Восклицание; Да и Нет\r\n";
  for (int i = 0; i < 12; ++i) script += L"\r\n";
  write_script(cp1251(script));
  play({
      {L"Один", L"Первая\rстрока", {IDOK}, BoxIcon::Asterisk, IDOK},
      {L"Два", L"Удалить?", {IDCANCEL, IDYES, IDNO}, BoxIcon::Question, IDNO},
      {L"Три", L"Третий", {IDYES, IDNO}, BoxIcon::Exclamation, IDYES},
  });
}

TEST_F(Player, MalformedLinesShowWhatTheyHaveOrNothing) {
  write_script(
      cp1251(L"только текст без разделителя\r\n"
             L"Текст; Заголовок\r\n"
             L"\r\n"
             L"Значок; Неизвестный значок; Звезда; Да и Нет\r\n"
             L"Латиница; Кнопки; Ошибка; OK\r\n"
             L"a; b; Вопрос; Да и Нет; c\r\n"
             L"ошибка; Регистр; ошибка; ОК \r\n"
             L"a#b; #заголовок#; Информация\r\n"
             L"Перевод\nстроки; Один CR\rвторая; строка\r\n"
             L"a;b;c;d\r\n"
             L"Последняя; Без конца строки"));
  play({
      {L"Заголовок", L"Текст", {IDOK}, BoxIcon::None, IDOK},
      {L"Неизвестный значок", L"Значок", {IDYES, IDNO}, BoxIcon::None, IDNO},
      {L"Кнопки", L"Латиница", {IDOK}, BoxIcon::Hand, IDOK},
      {L"b", L"a", {IDYES, IDNO}, BoxIcon::Question, IDYES},
      {L"Регистр", L"ошибка", {IDOK}, BoxIcon::None, IDOK},
      {L"#заголовок#", L"a\rb", {IDOK}, BoxIcon::Asterisk, IDOK},
      // A lone LF stays inside the line; a lone CR ends it.
      {L"Один CR", L"Перевод\nстроки", {IDOK}, BoxIcon::None, IDOK},
      {L"строка", L"вторая", {IDOK}, BoxIcon::None, IDCANCEL},
      {L"Без конца строки", L"Последняя", {IDOK}, BoxIcon::None, IDOK},
  });
}

TEST_F(Player, AnEmptyScriptShowsNothing) {
  write_script("");
  play({});
}

// A batch file reads the answer from the exit code: each button's number, whatever
// was answered before and whatever line without a box comes after.
TEST_F(Player, EndsWithTheNumberOfTheButtonThatClosedTheLastBox) {
  struct Case {
    std::wstring buttons;
    std::vector<int> shown;
    int first, last;
  };
  const std::vector<Case> cases = {
      {L"ОК", {IDOK}, IDOK, IDOK},
      {L"ОК и Отмена", {IDOK, IDCANCEL}, IDOK, IDCANCEL},
      {L"Да, Нет и Отмена", {IDCANCEL, IDYES, IDNO}, IDCANCEL, IDYES},
      {L"Да, Нет и Отмена", {IDCANCEL, IDYES, IDNO}, IDYES, IDNO},
      {L"Да и Нет", {IDYES, IDNO}, IDNO, IDYES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(probe::to_utf8(c.buttons) + " answered " + std::to_string(c.last));
    write_script(cp1251(L"Первый; Ответ; Вопрос; " + c.buttons + L"\r\nВторой; Ответ; Вопрос; " +
                        c.buttons + L"\r\nбез заголовка\r\n\r\n"));
    play({{L"Ответ", L"Первый", c.shown, BoxIcon::Question, c.first},
          {L"Ответ", L"Второй", c.shown, BoxIcon::Question, c.last}});
  }
  SCOPED_TRACE("only lines without a box");
  write_script(cp1251(L"без заголовка\r\n\r\nи этот\r\n"));
  play({});
}

// Only a normal file counts: the player ends at once, without a message, and never
// falls back to the main.dlg of the folder it was started from.
TEST_F(Player, WithoutANormalScriptFileItEndsAtOnce) {
  const std::string script = cp1251(L"Не должно; Показываться; Ошибка; ОК\r\n");
  {
    SCOPED_TRACE("no main.dlg");
    play({});
  }
  {
    SCOPED_TRACE("main.dlg is a folder");
    ASSERT_TRUE(CreateDirectoryW(script_path().c_str(), nullptr));
    play({});
    ASSERT_TRUE(RemoveDirectoryW(script_path().c_str()));
  }
  for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    SCOPED_TRACE(attribute == FILE_ATTRIBUTE_HIDDEN ? "hidden main.dlg" : "system main.dlg");
    write_script(script);
    ASSERT_TRUE(SetFileAttributesW(script_path().c_str(), attribute));
    const DWORD kept = GetFileAttributesW(script_path().c_str());
    ASSERT_NE(kept, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(kept & attribute) << "this file system does not keep the attribute";
    play({});
    SetFileAttributesW(script_path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  {
    SCOPED_TRACE("the same file, now normal, is shown");
    play({{L"Показываться", L"Не должно", {IDOK}, BoxIcon::Hand, IDOK}});
  }
}

}  // namespace
