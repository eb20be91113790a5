// run.exe as a user meets it: copied into a folder of its own with a main.dlg, started
// from another folder, and answered box by box. Each box is read from the screen
// (caption, text, visible buttons, topmost, icon); the answer (or a box closing
// itself) chooses the next box, and the run ends without a further box, with the
// last answer as its exit code (0 when it showed none).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
  std::vector<std::wstring> labels{};  // the buttons' captions left to right, if not the system's
  std::vector<std::wstring> titles{};  // every title a box that closes itself shows, in order
  int pause = 0;                       // seconds from the previous box's end to this one
};

// The probe sees a box a poll (5 ms) after it appeared, at most; the box's time
// is measured from then.
constexpr ULONGLONG kSeenLateMs = 20;
// How late a box that closes itself may close, or a box after a pause may appear.
constexpr ULONGLONG kCloseWindowMs = 1500;
// A pause is kept to within half a second: how early the box after it may appear.
constexpr ULONGLONG kPauseSlackMs = 500;

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

// A button's caption as it is drawn: "&&" shows "&", a lone "&" marks the access key.
std::wstring drawn(std::wstring_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && ++i == text.size()) break;
    out += text[i];
  }
  return out;
}

// The visible buttons' captions as drawn, left to right, each checked to show its
// caption whole in the box's font and to lie inside the box without overlapping.
std::vector<std::wstring> read_labels(HWND box) {
  std::vector<std::pair<RECT, HWND>> buttons;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (probe::class_name(child) != L"Button" || !IsWindowVisible(child)) continue;
    RECT r;
    GetWindowRect(child, &r);
    buttons.emplace_back(r, child);
  }
  std::sort(buttons.begin(), buttons.end(),
            [](const auto& a, const auto& b) { return a.first.left < b.first.left; });
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  RECT client;
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  std::vector<std::wstring> labels;
  LONG right = client.left;
  for (const auto& [rect, button] : buttons) {
    const std::wstring label = drawn(probe::text(button));
    SIZE size{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
    EXPECT_GE(rect.right - rect.left, size.cx + 8) << "\"" << probe::to_utf8(label) << "\" clipped";
    EXPECT_GE(rect.left, right) << "\"" << probe::to_utf8(label) << "\" overlaps";
    right = rect.right;
    labels.push_back(label);
  }
  EXPECT_LE(right, client.right) << "a button past the box's edge";
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return labels;
}

std::string joined(const std::vector<std::wstring>& texts) {
  std::string out;
  for (const auto& t : texts) out += (out.empty() ? "\"" : ", \"") + probe::to_utf8(t) + "\"";
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
    ULONGLONG gone_at = GetTickCount64();  // the end of the previous box
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("box " + std::to_string(i + 1));
      const Box& want = expected[i];
      HWND box = probe::wait_window(process_, boxes, kBoxTimeoutMs, seen);
      const ULONGLONG seen_at = GetTickCount64();
      ASSERT_TRUE(box) << "no box for \"" << probe::to_utf8(want.caption) << "\"; the player "
                       << (process_.running() ? "is still running" : "has ended");
      seen.push_back(box);
      if (want.pause) {
        // Reported as a figure; only a pause far from its time fails.
        const ULONGLONG waited = seen_at - gone_at;
        std::printf("pause of %d s: the box appeared %llu ms after the previous one closed\n",
                    want.pause, waited);
        EXPECT_GE(waited + kPauseSlackMs, want.pause * 1000ull) << "shown too early";
        EXPECT_LE(waited, want.pause * 1000ull + kCloseWindowMs) << "shown too late";
      }
      // A box that a watch dresses at its first tick is read once it is dressed: a
      // busy machine may show it to this test before or after that tick.
      if (!want.titles.empty())
        wait_until([&] { return probe::text(box, 200) == want.titles.front(); }, 1000);
      const probe::MessageBoxView got = probe::read_message_box(box);
      expect_same("caption", got.caption, want.caption);
      expect_same("text", got.text, want.text);
      EXPECT_EQ(describe(got.buttons), describe(want.buttons)) << "visible buttons";
      EXPECT_TRUE(got.topmost) << "a system-modal box stays above all windows";
      EXPECT_STREQ(probe::to_string(got.icon), probe::to_string(want.icon));
      if (!want.labels.empty()) {
        // Without its hook a box gets its captions at the first tick of its watch.
        HWND last = GetDlgItem(box, want.buttons.back());
        wait_until([&] { return drawn(probe::text(last)) == want.labels.back(); }, 1000);
        EXPECT_EQ(joined(read_labels(box)), joined(want.labels));
      }
      if (screenshot && i == 0) {
        EXPECT_FALSE(probe::screenshot(box, screenshot).empty());
      }
      if (want.answer == IDTIMEOUT) {
        const ULONGLONG limit = want.wait * 1000ull + kCloseWindowMs;
        std::vector<std::wstring> titles{got.caption};
        const bool closed = wait_until(
            [&] {
              const std::wstring title = probe::text(box, 200);
              if (IsWindow(box) && !title.empty() && title != titles.back())
                titles.push_back(title);
              return !IsWindow(box);
            },
            static_cast<DWORD>(limit + kBoxTimeoutMs));
        gone_at = GetTickCount64();
        ASSERT_TRUE(closed) << "the box did not close itself";
        const ULONGLONG stayed = gone_at - seen_at;
        EXPECT_GE(stayed + kSeenLateMs, want.wait * 1000ull) << "closed itself too early";
        EXPECT_LE(stayed, limit) << "closed itself too late";
        if (!want.titles.empty()) {
          EXPECT_EQ(joined(titles), joined(want.titles));
        }
        continue;
      }
      if (by_keys_)
        ASSERT_NO_FATAL_FAILURE(answer_by_keys(box, want.answer));
      else
        probe::answer(box, want.answer);
      ASSERT_TRUE(probe::wait_gone(box, kBoxTimeoutMs)) << "the box did not close";
      gone_at = GetTickCount64();
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
// box, a wrong answer asks again, the quick question comes after a pause and runs
// out of time, counting down, and jumps on, and the farewell closes itself, which
// the exit code tells.
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
         0,
         0,
         {L"Начнём!", L"В другой раз"}},
        {L"Вопрос 1",
         L"Вопрос 1.\rПравда ли, что у паука восемь лапок?",
         {IDYES, IDNO},
         BoxIcon::Question,
         0},
        {L"Мимо", L"Не угадали. Посчитайте ещё раз!", {IDOK}, BoxIcon::Hand, 0, 0, {L"Ещё раз"}},
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
        {L"Верно",
         L"Правильно: кит - млекопитающее.\rПриготовьтесь: третий вопрос - на скорость!",
         {IDOK},
         BoxIcon::Asterisk,
         0},
        {L"Вопрос 3 (5 с)",
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
        {L"Викторина (3 с)",
         L"Жаль! Приходите, когда будет настроение.\rЭто окно закроется само.",
         {IDOK},
         BoxIcon::None,
         0},
    };
    Box b = kLines[line];
    b.answer = answer;
    b.wait = wait;
    if (line == 6) b.pause = 2;
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

// A box says what its line asks: its buttons' own captions (an "&" shown as it
// stands), the seconds left in its title, and a pause with no window before it.
TEST_F(Player, CaptionsCountdownAndPause) {
  const std::wstring first =
      L"Начнём?; Подписи; Вопрос; Да и Нет; Да «Конечно, да!»>1, Нет «Ни за что»>2\r\n";
  write_script(cp1251(first +
                      L"Сейчас закроется; Часы; Информация; ОК; ОК «Я & ты», 3 с>конец, отсчёт\r\n"
                      L"После паузы; Пауза; Без значка; ОК; 2 с, пауза 2 с\r\n"));
  Box start{L"Подписи", L"Начнём?", {IDYES, IDNO}, BoxIcon::Question, IDYES};
  start.labels = {L"Конечно, да!", L"Ни за что"};
  Box clock{L"Часы (3 с)", L"Сейчас закроется", {IDOK}, BoxIcon::Asterisk, IDTIMEOUT, 3};
  clock.labels = {L"Я & ты"};
  clock.titles = {L"Часы (3 с)", L"Часы (2 с)", L"Часы (1 с)"};
  {
    SCOPED_TRACE("«Конечно, да!» leads to line 1, whose box counts down and closes itself");
    play({start, clock}, L"player_captions.png");
  }
  {
    SCOPED_TRACE("«Ни за что» leads to line 2, shown after its pause, then closing itself");
    start.answer = IDNO;
    Box paused{L"Пауза", L"После паузы", {IDOK}, BoxIcon::None, IDTIMEOUT, 2};
    paused.pause = 2;
    play({start, paused});
  }
  {
    SCOPED_TRACE("«Конечно, да!» on the last box ends the run with IDYES");
    write_script(cp1251(first));
    start.answer = IDYES;
    play({start});
  }
  {
    SCOPED_TRACE("a screen reader reads the captions");
    write_script(cp1251(first));
    process_ = probe::start(run_exe_, working_folder_);
    HWND box = probe::wait_window(process_, {L"#32770", L"", true}, kBoxTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(probe::to_utf8(probe::read_accessible(GetDlgItem(box, IDYES)).name), "Конечно, да!");
    EXPECT_EQ(probe::to_utf8(probe::read_accessible(GetDlgItem(box, IDNO)).name), "Ни за что");
    probe::answer(box, IDNO);
    expect_end_without_box({box}, IDNO);
  }
}

// When the system refuses the player its watch on a box (the hook that sees the box
// made, or the timer on the box), a timer of the thread keeps the time all the same,
// and puts the captions on the buttons where the hook could not, a box that does not
// close itself included.
TEST_F(Player, ABoxKeepsItsTimeAndCaptionsWhenItsWatchIsRefused) {
  ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_RUN_FAULTS_EXE), run_exe_));
  write_script(
      cp1251(L"Часы идут; Часы; Информация; ОК; ОК «Понятно & ладно», 2 с, отсчёт\r\n"
             L"Без часов; Подписи; Вопрос; Да и Нет; Да «Конечно», Нет «Ни за что»\r\n"));
  for (const wchar_t* fault : {L"timer", L"hook"}) {
    SCOPED_TRACE(probe::to_utf8(fault) + " refused");
    SetEnvironmentVariableW(L"QUILLET_PLAYER_FAULT", fault);
    Box clock{L"Часы (2 с)", L"Часы идут", {IDOK}, BoxIcon::Asterisk, IDTIMEOUT, 2};
    clock.labels = {L"Понятно & ладно"};
    // Without the hook nothing dresses the box before it shows: its title says
    // "Часы" until the first tick.
    clock.titles = {L"Часы (2 с)", L"Часы (1 с)"};
    Box captions{L"Подписи", L"Без часов", {IDYES, IDNO}, BoxIcon::Question, IDNO};
    captions.labels = {L"Конечно", L"Ни за что"};
    play({clock, captions});
    SetEnvironmentVariableW(L"QUILLET_PLAYER_FAULT", nullptr);
  }
}

}  // namespace
