// run.exe as a user meets it: copied into a folder of its own with a main.dlg, started
// from another folder, and answered box by box. Each box is read from the screen
// (caption, text, visible buttons, topmost, icon); the answer (or a box closing
// itself) chooses the next box, and the run ends without a further box, with the
// last answer as its exit code (0 when it showed none).

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
  int answer;  // IDTIMEOUT: left alone, the box must close itself after `wait` seconds
  int wait = 0;
};

// The probe sees a box a poll (5 ms) after it appeared, at most; the box's time
// is measured from then.
constexpr ULONGLONG kSeenLateMs = 20;
// How late a box that closes itself may close.
constexpr ULONGLONG kCloseWindowMs = 1500;

template <class Condition>
bool wait_until(Condition done, DWORD timeout_ms = kBoxTimeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done()) {
    if (GetTickCount64() >= until) return false;
    Sleep(5);
  }
  return true;
}

// Answers a box with real key presses, as a user does: Esc for Cancel, otherwise Tab
// until the button has the focus, then Space.
void answer_by_keys(HWND box, int id) {
  SetForegroundWindow(box);
  ASSERT_TRUE(wait_until([&] { return probe::focus_of(box) != nullptr; })) << "no focus in the box";
  if (id == IDCANCEL) {
    probe::send_key(VK_ESCAPE);
    return;
  }
  HWND button = GetDlgItem(box, id);
  ASSERT_TRUE(button) << "no button " << id;
  for (int tabs = 0; probe::focus_of(box) != button; ++tabs) {
    ASSERT_LT(tabs, 4) << "Tab does not reach button " << id;
    HWND before = probe::focus_of(box);
    probe::send_key(VK_TAB);
    ASSERT_TRUE(wait_until([&] { return probe::focus_of(box) != before; })) << "Tab moved nothing";
  }
  probe::send_key(VK_SPACE);
}

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
      const ULONGLONG seen_at = GetTickCount64();
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
      if (want.answer == IDTIMEOUT) {
        const ULONGLONG limit = want.wait * 1000ull + kCloseWindowMs;
        ASSERT_TRUE(probe::wait_gone(box, static_cast<DWORD>(limit + kBoxTimeoutMs)))
            << "the box did not close itself";
        const ULONGLONG stayed = GetTickCount64() - seen_at;
        EXPECT_GE(stayed + kSeenLateMs, want.wait * 1000ull) << "closed itself too early";
        EXPECT_LE(stayed, limit) << "closed itself too late";
        continue;
      }
      if (by_keys_)
        ASSERT_NO_FATAL_FAILURE(answer_by_keys(box, want.answer));
      else
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
  bool by_keys_ = false;  // answer with real key presses instead of button commands
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

// The example quiz, answered with keys along its paths: the answers choose the next
// box, a wrong answer asks again, a question runs out of time and jumps on, and
// the farewell closes itself, which the exit code tells.
TEST_F(Player, TheExampleQuizByKeys) {
  const std::string quiz = read_file(probe::windows_path(QUILLET_SOURCE_DIR "/examples/quiz.dlg"));
  ASSERT_FALSE(quiz.empty());
  write_script(quiz);
  by_keys_ = true;
  const auto box = [](int line, int answer, int wait = 0) {
    static const Box kLines[] = {
        {L"Викторина",
         L"Небольшая викторина: три вопроса.\rНачнём?",
         {IDYES, IDNO},
         BoxIcon::Question,
         0},
        {L"Вопрос 1",
         L"Вопрос 1.\rПравда ли, что у паука восемь лапок?",
         {IDYES, IDNO},
         BoxIcon::Question,
         0},
        {L"Мимо", L"Не угадали. Посчитайте ещё раз!", {IDOK}, BoxIcon::Hand, 0},
        {L"Вопрос 2",
         L"Верно, восемь!\rВопрос 2. Кит - это рыба?",
         {IDYES, IDNO},
         BoxIcon::Question,
         0},
        {L"Почти",
         L"Нет, кит - млекопитающее, хоть и живёт в море.",
         {IDOK},
         BoxIcon::Exclamation,
         0},
        {L"Верно", L"Правильно: кит - млекопитающее.", {IDOK}, BoxIcon::Asterisk, 0},
        {L"Вопрос 3",
         L"Вопрос 3, на скорость: у вас пять секунд!\rЛуна больше Земли?",
         {IDYES, IDNO},
         BoxIcon::Question,
         0},
        {L"Время вышло",
         L"Время вышло! Луна меньше Земли почти в четыре раза.",
         {IDOK},
         BoxIcon::Exclamation,
         0},
        {L"Мимо", L"Нет, Луна меньше Земли почти в четыре раза.", {IDOK}, BoxIcon::Hand, 0},
        {L"Верно",
         L"Правильно! Луна меньше Земли почти в четыре раза.",
         {IDOK},
         BoxIcon::Asterisk,
         0},
        {L"Конец", L"Викторина пройдена. Спасибо за игру!", {IDOK}, BoxIcon::Asterisk, 0},
        {L"Викторина",
         L"Жаль! Приходите, когда будет настроение.\rЭто окно закроется само.",
         {IDOK},
         BoxIcon::None,
         0},
    };
    Box b = kLines[line];
    b.answer = answer;
    b.wait = wait;
    return b;
  };
  {
    SCOPED_TRACE("right answers after one wrong: the question comes again");
    play({box(0, IDYES), box(1, IDNO), box(2, IDOK), box(1, IDYES), box(3, IDNO), box(5, IDOK),
          box(6, IDNO), box(9, IDOK), box(10, IDOK)},
         L"player_quiz.png");
  }
  {
    SCOPED_TRACE("wrong answers, and the time of the last question runs out");
    play({box(0, IDYES), box(1, IDYES), box(3, IDYES), box(4, IDOK), box(6, IDTIMEOUT, 5),
          box(7, IDOK), box(10, IDOK)});
  }
  {
    SCOPED_TRACE("no game: the farewell closes itself and the run ends with IDTIMEOUT");
    play({box(0, IDNO), box(11, IDTIMEOUT, 3)});
  }
}

// An answer given in time is the answer, and the time of a box never closes the
// next one.
TEST_F(Player, AnAnswerInTimeWinsAndTheTimeEndsWithItsBox) {
  write_script(
      cp1251(L"Ответьте сразу; Первый; Вопрос; Да и Нет; Да>2, Нет>конец, 2 с>конец\r\n"
             L"Пропущен; Не показывать; Ошибка; ОК\r\n"
             L"Второй; Без времени; Информация; ОК\r\n"));
  process_ = probe::start(run_exe_, working_folder_);
  ASSERT_TRUE(process_);
  const probe::WindowFilter boxes{L"#32770", L"", true};
  HWND first = probe::wait_window(process_, boxes, kBoxTimeoutMs);
  ASSERT_TRUE(first);
  const ULONGLONG first_seen = GetTickCount64();
  EXPECT_EQ(probe::text(first), L"Первый");
  ASSERT_NO_FATAL_FAILURE(answer_by_keys(first, IDYES));
  ASSERT_TRUE(probe::wait_gone(first, kBoxTimeoutMs));
  HWND second = probe::wait_window(process_, boxes, kBoxTimeoutMs, {first});
  ASSERT_TRUE(second) << "Да did not lead on";
  EXPECT_EQ(probe::text(second), L"Без времени");
  // Past the first box's time and the window it may close in.
  const ULONGLONG past = first_seen + 2000 + kCloseWindowMs + 500;
  while (GetTickCount64() < past) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(second)) << "the first box's time closed the second";
  ASSERT_NO_FATAL_FAILURE(answer_by_keys(second, IDOK));
  expect_end_without_box({first, second}, IDOK);
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
