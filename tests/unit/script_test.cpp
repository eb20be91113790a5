// The dialog script format: code page, rows, line reading and the fifteen-line rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "script/block.h"
#include "script/cp1251.h"
#include "script/edits.h"
#include "script/graph.h"
#include "script/history.h"
#include "script/jumps.h"
#include "script/line_reader.h"
#include "script/row.h"
#include "script/script_file.h"
#include "utf/utf.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

using namespace script;

namespace {

std::string all_bytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

// The system's own converter, for an independent check of the table.
char32_t system_cp1251_char(unsigned char b) {
#ifdef _WIN32
  wchar_t w = 0;
  const char c = static_cast<char>(b);
  if (MultiByteToWideChar(1251, 0, &c, 1, &w, 1) != 1) return 0xFFFFFFFF;
  return w;
#else
  iconv_t cd = iconv_open("UTF-32LE", "CP1251");
  char in = static_cast<char>(b);
  char32_t out = 0;
  char* pin = &in;
  char* pout = reinterpret_cast<char*>(&out);
  std::size_t nin = 1, nout = sizeof out;
  const std::size_t r = iconv(cd, &pin, &nin, &pout, &nout);
  iconv_close(cd);
  return r == static_cast<std::size_t>(-1) ? 0xFFFFFFFF : out;
#endif
}

}  // namespace

TEST(Cp1251, EveryByteRoundTrips) {
  const std::string bytes = all_bytes();
  EXPECT_EQ(to_cp1251(to_utf8(bytes)), bytes);
  std::string each;  // character by character, as the table says
  for (const char b : bytes) utf::append(each, cp1251_char(static_cast<unsigned char>(b)));
  EXPECT_EQ(to_utf8(bytes), each);
  EXPECT_EQ(cp1251_char(0x98), U'\u0098');
  EXPECT_EQ(cp1251_byte(U'\u0098'), 0x98);
}

TEST(Cp1251, TableAgreesWithTheSystemConverter) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;  // unassigned: converters disagree, we keep the byte
    EXPECT_EQ(cp1251_char(static_cast<unsigned char>(b)),
              system_cp1251_char(static_cast<unsigned char>(b)))
        << "byte " << b;
  }
}

TEST(Cp1251, CyrillicAndTheStoredNames) {
  EXPECT_EQ(to_cp1251("Привет, мир! Ёё №"),
            "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xA8\xB8 \xB9");
  // The names as they stand in every script file.
  const std::vector<std::string> icons = {
      "\xCE\xF8\xE8\xE1\xEA\xE0", "\xC2\xEE\xF1\xEA\xEB\xE8\xF6\xE0\xED\xE8\xE5",
      "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF", "\xC2\xEE\xEF\xF0\xEE\xF1",
      "\xC1\xE5\xE7\x20\xE7\xED\xE0\xF7\xEA\xE0"};
  const std::vector<std::string> buttons = {
      "\xCE\xCA", "\xCE\xCA\x20\xE8\x20\xCE\xF2\xEC\xE5\xED\xE0",
      "\xC4\xE0\x20\xE8\x20\xCD\xE5\xF2",
      "\xC4\xE0\x2C\x20\xCD\xE5\xF2\x20\xE8\x20\xCE\xF2\xEC\xE5\xED\xE0"};
  for (int i = 0; i < kIconCount; ++i) EXPECT_EQ(to_cp1251(kIconNames[i]), icons[i]);
  for (int i = 0; i < kButtonSetCount; ++i) EXPECT_EQ(to_cp1251(kButtonSetNames[i]), buttons[i]);
}

TEST(Cp1251, WhatCannotBeStoredBecomesAQuestionMark) {
  EXPECT_EQ(to_cp1251("a日本b"), "a??b");
  EXPECT_EQ(to_cp1251("😀"), "?");
  EXPECT_EQ(to_cp1251("\xFF\xC0z"), "??z");  // malformed UTF-8, byte by byte
  EXPECT_EQ(fit_cp1251("Ёлка € ✓"), "Ёлка € ?");
}

TEST(Cp1251, NamesWhatCannotBeStoredEachOnce) {
  const std::vector<std::string> expected = {"世", "界", "😀", "é", "ß"};
  EXPECT_EQ(unstorable_chars("Привет 世界 😀 é ß 世"), expected);
  EXPECT_TRUE(unstorable_chars("Привет ™ € № ;#\r\n").empty());
  EXPECT_EQ(unstorable_chars("a\xFF"
                             "b"),
            std::vector<std::string>{"\uFFFD"});
}

TEST(Utf, Utf8AndUtf16ConvertBothWays) {
  const std::string text = "Привет 世界 😀 é ß";
  const std::wstring units = utf::widen(text);
  EXPECT_EQ(units.size(), 16u);  // the emoji takes a surrogate pair
  EXPECT_EQ(units[10], static_cast<wchar_t>(0xD83D));
  EXPECT_EQ(units[11], static_cast<wchar_t>(0xDE00));
  EXPECT_EQ(utf::narrow(units), text);
  EXPECT_EQ(utf::length(text), 15u);
  // Malformed on either side: the replacement character, nothing lost around it.
  EXPECT_EQ(utf::widen("a\xC0"
                       "b"),
            (std::wstring{L'a', static_cast<wchar_t>(0xFFFD), L'b'}));
  EXPECT_EQ(utf::narrow(std::wstring{L'a', static_cast<wchar_t>(0xDC00), L'b'}), "a\uFFFDb");
  EXPECT_EQ(utf::narrow(std::wstring{static_cast<wchar_t>(0xD83D)}), "\uFFFD");
  std::string typed = "ж😀";
  utf::pop_back(typed);
  EXPECT_EQ(typed, "ж");
}

TEST(Row, SplitsAtEverySeparator) {
  const Fields f = split_row("a; b; Вопрос; Да и Нет; c");
  EXPECT_EQ(f.count, 5u);
  EXPECT_EQ(f.field[0], "a");
  EXPECT_EQ(f.field[1], "b");
  EXPECT_EQ(f.field[2], "Вопрос");
  EXPECT_EQ(f.field[3], "Да и Нет");
  EXPECT_EQ(f.field[4], "c");

  const Fields seven = split_row("a; b; c; d; Да>1; x;  y; ");
  EXPECT_EQ(seven.count, 8u);
  EXPECT_EQ(seven.field[4], "Да>1");
  EXPECT_EQ(seven.rest, "x;  y; ");  // fields 5 on, as they stand

  EXPECT_EQ(split_row("").count, 0u);
  EXPECT_EQ(split_row("no separator;at all").count, 1u);

  const Fields empty_text = split_row("; Диалог; Без значка; ОК");
  EXPECT_EQ(empty_text.count, 4u);
  EXPECT_EQ(empty_text.field[0], "");
  EXPECT_EQ(empty_text.field[1], "Диалог");

  const Fields spaces = split_row("a;  b; ");  // the separator is exactly "; "
  EXPECT_EQ(spaces.count, 3u);
  EXPECT_EQ(spaces.field[1], " b");
  EXPECT_EQ(spaces.field[2], "");

  // What lies past the fourth field comes back whole, separators included.
  for (const char* row : {"a; b; c; d; e;  f; ", "a; b; c; d; ", "a; b; c; d"})
    EXPECT_EQ(compose_row("a", "b", "c", "d", next_of(row), row), row) << row;
  EXPECT_EQ(compose_row("a", "b", "c", "d", Next{}, "a; b"), "a; b; c; d");
}

TEST(Row, ComposeThenSplitGivesTheFieldsBack) {
  const std::string row = compose_row("Привет#мир", "Заголовок", "Информация", "ОК");
  EXPECT_EQ(row, "Привет#мир; Заголовок; Информация; ОК");
  const Fields f = split_row(row);
  ASSERT_EQ(f.count, 4u);
  EXPECT_EQ(f.field[0], "Привет#мир");
  EXPECT_EQ(f.field[3], "ОК");
  EXPECT_EQ(compose_row("", "", "", ""), "; ; ; ");
}

TEST(Row, NamesMatchOnlyExactly) {
  for (int i = 0; i < kIconCount; ++i) EXPECT_EQ(match_icon(kIconNames[i]), i);
  for (int i = 0; i < kButtonSetCount; ++i) EXPECT_EQ(match_button_set(kButtonSetNames[i]), i);
  EXPECT_FALSE(match_button_set("OK"));  // Latin letters
  EXPECT_FALSE(match_button_set("ОК "));
  EXPECT_FALSE(match_icon("ошибка"));
  EXPECT_FALSE(match_icon(""));
}

TEST(Row, DialogStyleAddsIconButtonsAndSystemModal) {
  EXPECT_EQ(dialog_style("Информация", "ОК"), 4160u);
  EXPECT_EQ(dialog_style("Вопрос", "Да, Нет и Отмена"), 4131u);
  EXPECT_EQ(dialog_style("Ошибка", "OK"), 4112u);
  EXPECT_EQ(dialog_style("Восклицание", "ОК и Отмена"), 4145u);
  EXPECT_EQ(dialog_style("Без значка", "Да и Нет"), 4100u);
  EXPECT_EQ(dialog_style(std::nullopt, std::nullopt), 4096u);
}

namespace {

// Hands out its bytes a few at a time, so that every line break also lands on a
// buffer boundary; fails after `fail_after` bytes when asked to.
class TrickleSource : public ByteSource {
 public:
  TrickleSource(std::string bytes, std::size_t step, std::size_t fail_after = SIZE_MAX)
      : bytes_(std::move(bytes)), step_(step), fail_after_(fail_after) {}
  std::int64_t read(char* buf, std::size_t n) override {
    if (pos_ >= fail_after_) return -1;
    n = std::min({n, step_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, buf);
    pos_ += n;
    requested_ = pos_;
    return static_cast<std::int64_t>(n);
  }
  std::size_t requested_ = 0;

 private:
  std::string bytes_;
  std::size_t step_;
  std::size_t fail_after_;
  std::size_t pos_ = 0;
};

std::vector<std::string> lines_of(ByteSource& source) {
  LineReader reader(source);
  std::vector<std::string> lines;
  while (reader.next() == LineReader::Status::Line) lines.emplace_back(reader.line());
  return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LineReader, LineEndsAtCrLfOrALoneCrOnly) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a\nb\n"}},
      {"\r\n\r\n", {"", ""}},
      {"\r", {""}},
      {"a\r\r\nb\r\n", {"a", "", "b"}},
      {"\n\r\n", {"\n"}},
      {std::string("n\0l\x1A"
                   "z\r\nend",
                   10),
       {std::string("n\0l\x1Az", 5), "end"}},
  };
  for (const auto& [bytes, expected] : cases) {
    for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
      TrickleSource source(bytes, step);
      EXPECT_EQ(lines_of(source), expected)
          << "input of " << bytes.size() << " bytes, step " << step;
    }
  }
}

TEST(LineReader, LongLinesFailuresAndLimits) {
  const std::string big(10 * 1024 * 1024, 'x');
  const std::string file = big + "\r\nend";
  MemorySource source(file);
  const Lines lines = lines_of(source);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), big.size());
  EXPECT_EQ(lines[1], "end");

  MemorySource limited("short\r\nmuch too long\r\n");
  LineReader reader(limited, 8);
  EXPECT_EQ(reader.next(), LineReader::Status::Line);
  EXPECT_EQ(reader.next(), LineReader::Status::TooLong);

  TrickleSource broken("one\r\ntwo\r\n", 3, 5);
  LineReader failing(broken);
  EXPECT_EQ(failing.next(), LineReader::Status::Line);
  EXPECT_EQ(failing.line(), "one");
  EXPECT_EQ(failing.next(), LineReader::Status::Failed);
}

namespace {
std::string crlf(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "\r\n";
  return s;
}

std::string lines_file(int n, const char* ending = "\r\n") {
  std::string s;
  for (int i = 0; i < n; ++i) s += "row " + std::to_string(i) + ending;
  return s;
}
}  // namespace

TEST(ScriptFile, ReadsExactlyFifteenLines) {
  Rows rows;
  MemorySource fifteen(lines_file(15));
  ASSERT_EQ(read_rows(fifteen, rows), ReadStatus::Ok);
  EXPECT_EQ(rows[0], "row 0");
  EXPECT_EQ(rows[14], "row 14");

  // No terminator after the last line is fine; a sixteenth line is never read.
  std::string unterminated = lines_file(15);
  unterminated.resize(unterminated.size() - 2);
  MemorySource last_bare(unterminated);
  ASSERT_EQ(read_rows(last_bare, rows), ReadStatus::Ok);
  EXPECT_EQ(rows[14], "row 14");

  Rows untouched;
  untouched.fill("old");
  MemorySource fourteen(lines_file(14));
  EXPECT_EQ(read_rows(fourteen, untouched), ReadStatus::TooShort);
  EXPECT_EQ(untouched[0], "old");
  MemorySource empty("");
  EXPECT_EQ(read_rows(empty, untouched), ReadStatus::TooShort);
  EXPECT_EQ(untouched[0], "old");
}

TEST(ScriptFile, ReadDecodesAndStopsEarlyInAHugeFile) {
  const std::string head =
      "\xCF\xF0\xE8\xE2\xE5\xF2#\xEC\xE8\xF0; \xC4\xE8\xE0\xEB\xEE\xE3\r\n" + lines_file(14);
  TrickleSource huge(head + std::string(50 * 1024 * 1024, 'z'), 1 << 20);
  Rows rows;
  ASSERT_EQ(read_rows(huge, rows), ReadStatus::Ok);
  EXPECT_EQ(rows[0], "Привет#мир; Диалог");
  EXPECT_LE(huge.requested_, std::size_t{1} << 20);  // one read, not fifty
}

TEST(ScriptFile, WritesFifteenLinesOrNothing) {
  Rows rows;
  EXPECT_EQ(write_rows(rows), "");

  rows[0] = "Первая строка#Вторая строка; Диалог; Информация; ОК";
  rows[1] = "a; b; Вопрос; Да и Нет";
  rows[2] = "; ; Без значка; ОК";
  const std::string bytes = write_rows(rows);
  EXPECT_TRUE(bytes.starts_with(
      "\xCF\xE5\xF0\xE2\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0#\xC2\xF2\xEE\xF0\xE0\xFF "
      "\xF1\xF2\xF0\xEE\xEA\xE0; \xC4\xE8\xE0\xEB\xEE\xE3; "
      "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF; "
      "\xCE\xCA\r\n"));
  const std::size_t third_end = bytes.find("\xCE\xCA\r\n", bytes.find("; ; ")) + 4;
  EXPECT_EQ(bytes.substr(third_end), crlf(12));  // twelve empty lines, 24 bytes

  Rows back;
  MemorySource again(bytes);
  ASSERT_EQ(read_rows(again, back), ReadStatus::Ok);
  EXPECT_EQ(back, rows);
}

TEST(ScriptFile, AnEmptyFirstRowDoesNotLoseTheRest) {
  Rows rows;
  rows[3] = "kept; by hand";
  const std::string bytes = write_rows(rows);
  EXPECT_EQ(bytes, crlf(3) + "kept; by hand\r\n" + crlf(11));
}

// "What comes next" (field 4).

namespace script {
void PrintTo(const Next& n, std::ostream* os) {
  *os << "{answer " << n.answer[0] << " " << n.answer[1] << " " << n.answer[2] << ", caption \""
      << n.caption[0] << "\" \"" << n.caption[1] << "\" \"" << n.caption[2] << "\", wait " << n.wait
      << ">" << n.wait_next << (n.countdown ? ", countdown" : "") << ", pause " << n.pause << "}";
}
}  // namespace script

namespace {
constexpr int kOkSet = 0, kOkCancelSet = 1, kYesNoSet = 2, kYesNoCancelSet = 3;

Next next_with(std::array<int, kMaxAnswers> answer, int wait = 0, int wait_next = kGoOn) {
  Next n;
  n.answer = answer;
  n.wait = wait;
  n.wait_next = wait_next;
  return n;
}
}  // namespace

TEST(Jumps, ParsesAnswersTimeoutsAndTargets) {
  EXPECT_EQ(parse_next("", kYesNoSet), Next{});
  EXPECT_EQ(parse_next("Да>3, Нет>0", kYesNoSet), next_with({3, 0, kGoOn}));
  EXPECT_EQ(parse_next("5 с>2", kOkSet), next_with({kGoOn, kGoOn, kGoOn}, 5, 2));
  EXPECT_EQ(parse_next("3600 с", kOkSet), next_with({kGoOn, kGoOn, kGoOn}, 3600));
  // Items in any order; a set's buttons keep their own order.
  EXPECT_EQ(parse_next("1 с>конец, Отмена>14, Нет>конец, Да>0", kYesNoCancelSet),
            next_with({0, kEnd, 14}, 1, kEnd));
  EXPECT_EQ(parse_next("Отмена>2, ОК>1", kOkCancelSet), next_with({1, 2, kGoOn}));
}

TEST(Jumps, IgnoresWhatDoesNotParseOrCannotHappen) {
  const Next nothing;
  for (const char* field :
       {"Да",        "Да>",        ">3",      "Да>15",  "Да>03",  "Да>-1", "Да>+1",
        "Да> 3",     "Да >3",      " Да>3",   "Да>3 ",  "да>3",   "Da>3",  "Да>Конец",
        "Да>конец ", "Да>3,Нет>4", "Да:3",    "0 с",    "3601 с", "05 с",  "5с",
        "5 c",       "5  с",       "5 с>",    "5 с>15", "-5 с",   "5 сек", "с",
        " с",        "99999 с",    "5 с>3>4", ", ",     ",",      ", , "}) {
    EXPECT_EQ(parse_next(field, kYesNoSet), nothing) << field;
  }
  // Answers the buttons cannot give: Да and Нет on an OK box, ОК on a Yes/No box.
  EXPECT_EQ(parse_next("Да>3, Нет>4, Отмена>5", kOkSet), nothing);
  EXPECT_EQ(parse_next("ОК>3, Отмена>4", kYesNoSet), nothing);
  // The first valid item for an answer wins, and the first valid timeout.
  EXPECT_EQ(parse_next("Да>15, Да>3, Да>4, Нет>x, Нет>конец", kYesNoSet),
            next_with({3, kEnd, kGoOn}));
  EXPECT_EQ(parse_next("0 с>1, 7 с, 5 с>2", kOkSet), next_with({kGoOn, kGoOn, kGoOn}, 7));
  // Good items around bad ones still count.
  EXPECT_EQ(parse_next("мусор, Да>1, , Да, 2 с>9", kYesNoSet), next_with({1, kGoOn, kGoOn}, 2, 9));
}

TEST(Jumps, ComposesOnlyWhatDiffersInTheOrderOfTheButtonsTimeoutLast) {
  EXPECT_EQ(compose_next(Next{}, kYesNoCancelSet), "");
  EXPECT_EQ(compose_next(next_with({3, 0, kGoOn}), kYesNoSet), "Да>3, Нет>0");
  EXPECT_EQ(compose_next(next_with({kGoOn, kGoOn, kGoOn}, 5, 2), kOkSet), "5 с>2");
  EXPECT_EQ(compose_next(next_with({kGoOn, kEnd, 0}, 10), kYesNoCancelSet),
            "Нет>конец, Отмена>0, 10 с");
  EXPECT_EQ(compose_next(next_with({kEnd, 14, kGoOn}, 1, kEnd), kOkCancelSet),
            "ОК>конец, Отмена>14, 1 с>конец");
  // What the set cannot hold, and values out of range, are left out.
  EXPECT_EQ(compose_next(next_with({1, 2, 3}), kOkSet), "ОК>1");
  EXPECT_EQ(compose_next(next_with({15, -7, kGoOn}, 3601, 4), kYesNoSet), "");
  EXPECT_EQ(compose_next(next_with({kGoOn, kGoOn, kGoOn}, 0, 4), kOkSet), "");
}

TEST(Jumps, RowsWithoutJumpsStayFourFieldsAndOldRowsComeBackByteForByte) {
  const auto row = [](const Next& next, std::string_view old,
                      std::string_view buttons = "Да и Нет") {
    return compose_row("Текст", "Заголовок", "Вопрос", buttons, next, old);
  };
  EXPECT_EQ(row(Next{}, ""), "Текст; Заголовок; Вопрос; Да и Нет");
  EXPECT_EQ(row(next_with({3, 0, kGoOn}), ""), "Текст; Заголовок; Вопрос; Да и Нет; Да>3, Нет>0");

  // Confirming a row as it was opened gives its bytes back, however it was written.
  for (const char* old :
       {"Текст; Заголовок; Вопрос; Да и Нет", "Текст; Заголовок; Вопрос; Да и Нет; ",
        "Текст; Заголовок; Вопрос; Да и Нет; Нет>0, Да>3",
        "Текст; Заголовок; Вопрос; Да и Нет; мусор",
        "Текст; Заголовок; Вопрос; Да и Нет; Да>1, ОК>4, Да>2, 3 с, 4 с>1",
        "Текст; Заголовок; Вопрос; Да и Нет; ; поле 5; поле 6",
        "Текст; Заголовок; Вопрос; Да и Нет; Да>3; ещё; ",
        "Текст; Заголовок; Вопрос; Да и Нет; пауза 1 с, Нет «Ни, за что», 2 с, отсчёт"}) {
    EXPECT_EQ(row(next_of(old), old), old) << old;
  }
  // A change writes the field anew; fields past 4 stay.
  EXPECT_EQ(row(next_with({kGoOn, 0, kGoOn}), "Текст; Заголовок; Вопрос; Да и Нет; Нет>0, Да>3; x"),
            "Текст; Заголовок; Вопрос; Да и Нет; Нет>0; x");
  EXPECT_EQ(row(Next{}, "a; b; c; Да и Нет; Да>3; x"), "Текст; Заголовок; Вопрос; Да и Нет; ; x");
  EXPECT_EQ(row(Next{}, "a; b; c; Да и Нет; Да>3"), "Текст; Заголовок; Вопрос; Да и Нет");
  // Another button set: choices its buttons cannot give are dropped.
  EXPECT_EQ(row(next_of("a; b; c; Да и Нет; Да>3, Нет>1"), "a; b; c; Да и Нет; Да>3, Нет>1", "ОК"),
            "Текст; Заголовок; Вопрос; ОК; ОК>3");
}

// One way out led elsewhere: field 4 alone changes, to say just that.
TEST(Jumps, AWayOutLedElsewhereChangesOnlyItsTarget) {
  for (const std::string old :
       {"Текст; Заголовок", "a; b; c; Да и Нет; Да «Конечно»>3, Нет>1; поле 5; ",
        "a#b; b; Вопрос; ОК и Отмена; 5 с>2, отсчёт, пауза 2 с",
        "a; b; ; мусор; мусор, ОК>конец"}) {
    const Fields before = split_row(old);
    const std::span<const Answer> answers = answers_of(button_set_of(before));
    for (std::size_t k = 0; k <= answers.size(); ++k)
      for (const int target : {3, kEnd, kGoOn}) {
        const std::optional<Answer> answer =
            k < answers.size() ? std::optional(answers[k]) : std::nullopt;
        const std::string row = with_target(old, answer, target);
        Next want = next_of(before);
        if (answer)
          want.answer[k] = target;
        else if (want.wait > 0)
          want.wait_next = target;
        const Fields after = split_row(row);
        EXPECT_EQ(next_of(after), want) << row;
        if (want == next_of(before)) {
          EXPECT_EQ(row, old);
        }
        for (std::size_t f = 0; f < 4; ++f) EXPECT_EQ(after.field[f], before.field[f]) << row;
        EXPECT_EQ(after.rest, before.rest) << row;
      }
  }
  EXPECT_EQ(with_target("a; b; c; Да и Нет; Да «Конечно»>3, Нет>1; x", Answer::Yes, kGoOn),
            "a; b; c; Да и Нет; Да «Конечно», Нет>1; x");
}

TEST(Jumps, CaptionsCountdownAndPauseAreReadAndWrittenInTheirOrder) {
  Next next = next_with({1, kGoOn, kGoOn});
  next.caption = {"Конечно, да!", "Ни за что", ""};
  EXPECT_EQ(parse_next("Да «Конечно, да!»>1, Нет «Ни за что»", kYesNoSet), next);
  EXPECT_EQ(compose_next(next, kYesNoSet), "Да «Конечно, да!»>1, Нет «Ни за что»");
  next.wait = 3;
  next.wait_next = kEnd;
  next.countdown = true;
  next.pause = 2;
  const std::string all = "Да «Конечно, да!»>1, Нет «Ни за что», 3 с>конец, отсчёт, пауза 2 с";
  EXPECT_EQ(compose_next(next, kYesNoSet), all);
  EXPECT_EQ(parse_next(all, kYesNoSet), next);
  EXPECT_EQ(
      parse_next("пауза 2 с, отсчёт, 3 с>конец, Нет «Ни за что», Да «Конечно, да!»>1", kYesNoSet),
      next);

  Next ok;
  ok.caption[0] = "Я & ты";
  EXPECT_EQ(parse_next("ОК «Я & ты»", kOkSet), ok);
  ok.caption[0] = "a>b, c";
  ok.answer[0] = 3;
  EXPECT_EQ(parse_next("ОК «a>b, c»>3, мусор «", kOkSet), ok);
  EXPECT_EQ(compose_next(ok, kOkSet), "ОК «a>b, c»>3");
  // A "«" without a "»" after it quotes nothing; with one, all between is one item.
  EXPECT_EQ(parse_next("мусор «, ОК>3", kOkSet), next_with({3, kGoOn, kGoOn}));
  EXPECT_EQ(parse_next("мусор «, ОК>3, x»", kOkSet), Next{});
  const std::string thirty(30, 'x');
  ok = Next{};
  ok.caption[0] = thirty;
  EXPECT_EQ(parse_next("ОК «" + thirty + "»", kOkSet), ok);

  // A countdown needs a timeout; the first of each kind counts.
  EXPECT_EQ(parse_next("отсчёт, пауза 5 с", kOkSet).countdown, false);
  Next first;
  first.caption[0] = "A";
  first.pause = 2;
  EXPECT_EQ(parse_next("Да «A», Да «B»>3, пауза 2 с, пауза 3 с, отсчёт, отсчёт", kYesNoSet), first);
  // Left out when written: what cannot be read back.
  Next bad;
  bad.caption = {"", "a;b", "ok"};
  bad.countdown = true;
  bad.pause = 3601;
  EXPECT_EQ(compose_next(bad, kYesNoSet), "");
  EXPECT_EQ(compose_next(bad, kYesNoCancelSet), "Отмена «ok»");
}

TEST(Jumps, MalformedCaptionsCountdownsAndPausesAreIgnored) {
  for (std::string field :
       {"Да «»>3",      "Да «x",     "Да «x»y",    "Да«x»>3",      "Да «x;y»>3",   "Да «x#y»>3",
        "Да «a«b»>3",   "Да «x» >3", "Да «x»>",    "Да «x»>15",    "Да «\tx»>3",   "Да «日»>3",
        "Да «x»»>3",    "Да  «x»",   "Да «x» ",    "Отсчёт, 3 с",  "3 с, отсчёт ", "пауза 0 с",
        "пауза 3601 с", "пауза 2с",  "пауза  2 с", "пауза 2 с>3",  "пауза",        "Пауза 2 с",
        "пауза 02 с",   "пауза 2 c", "пауза -1 с", "отсчёт>3, 3 с"}) {
    if (field.starts_with("3 с") || field.ends_with(", 3 с")) {
      EXPECT_EQ(parse_next(field, kYesNoSet), next_with({kGoOn, kGoOn, kGoOn}, 3)) << field;
      continue;
    }
    EXPECT_EQ(parse_next(field, kYesNoSet), Next{}) << field;
  }
  EXPECT_EQ(parse_next("Да «" + std::string(31, 'x') + "»", kYesNoSet), Next{});
}

TEST(Jumps, ACaptionIsOneToThirtyCharactersAScriptCanHoldAndNoneReserved) {
  EXPECT_FALSE(caption_problem("Я & ты, да! <>"));
  EXPECT_FALSE(caption_problem("ЁжЖ№€" + std::string(25, ' ')));
  const auto empty = caption_problem("");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->kind, CaptionProblem::Kind::Empty);
  const auto too_long = caption_problem(std::string(20, 'x') + "ЮЮЮЮЮЮЮЮЮЮЮ");
  ASSERT_TRUE(too_long);
  EXPECT_EQ(too_long->kind, CaptionProblem::Kind::TooLong);
  const auto refused = caption_problem("a«b»;#\tc日;\u0098" + std::string(40, 'x'));
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind, CaptionProblem::Kind::Refused);
  EXPECT_EQ(refused->chars, (std::vector<std::string>{"«", "»", ";", "#", "\t", "日", "\u0098"}));
  // What the check accepts is what the field reads.
  for (const std::string& caption :
       std::vector<std::string>{"Да", "a, b", "Я & ты", "x#", std::string(31, 'y')}) {
    Next next;
    next.caption[0] = caption;
    EXPECT_EQ(parse_next(compose_next(next, kOkSet), kOkSet) == next, !caption_problem(caption))
        << caption;
  }
}

TEST(Jumps, DeletingARowRenumbersTheTargetsOfTheRowsThatStay) {
  EXPECT_EQ(renumber_after_delete("a; b; c; Да и Нет; Да>3, Нет>1, 5 с>2", 2),
            "a; b; c; Да и Нет; Да>2, Нет>1, 5 с>2");
  EXPECT_EQ(renumber_after_delete("a; b; c; Да и Нет; Да>14, Нет>конец, 9 с", 0),
            "a; b; c; Да и Нет; Да>13, Нет>конец, 9 с");
  // Every other byte stays: items that do not parse, answers the set cannot give,
  // repeats, fields past 4.
  EXPECT_EQ(renumber_after_delete("a; b; c; ОК; мусор>9, Да>9, ОК>9, ОК>10,  5 с>9; x>9", 5),
            "a; b; c; ОК; мусор>9, Да>8, ОК>8, ОК>9,  5 с>9; x>9");
  // A ", " or ">" inside a caption is part of it.
  EXPECT_EQ(renumber_after_delete("a; b; c; Да и Нет; Да «Вперёд, на 9»>9, Нет «>9», пауза 9 с", 2),
            "a; b; c; Да и Нет; Да «Вперёд, на 9»>8, Нет «>9», пауза 9 с");
  // Only field 4 is read for targets.
  EXPECT_EQ(renumber_after_delete("3>4; 4; 5; ОК; ОК>2", 0), "3>4; 4; 5; ОК; ОК>1");
  for (const char* row : {"", "a; b; c; ОК", "a; b; c; ОК; ", "a; b; c>9; d>9"})
    EXPECT_EQ(renumber_after_delete(row, 0), row);

  Rows rows;
  rows[0] = "Начало; 0; Вопрос; Да и Нет; Да>2, Нет>3";
  rows[1] = "Лишний; 1; Информация; ОК; ОК>0";
  rows[2] = "Два; 2; Информация; ОК; ОК>1";
  rows[3] = "Три; 3; Информация; ОК; 5 с>конец";
  delete_row(rows, 1);
  EXPECT_EQ(rows[0], "Начало; 0; Вопрос; Да и Нет; Да>1, Нет>2");
  EXPECT_EQ(rows[1], "Два; 2; Информация; ОК; ОК>1");  // at the deleted row: its successor
  EXPECT_EQ(rows[2], "Три; 3; Информация; ОК; 5 с>конец");
  EXPECT_EQ(rows[3], "");
  EXPECT_EQ(rows[14], "");
  rows[2] = "Три; 3; Информация; ОК; ОК>9";
  const Rows kept = rows;
  delete_row(rows, 5);  // an empty row with nothing below: nothing moves, no target changes
  EXPECT_EQ(rows, kept);
}

TEST(Graph, FindsRowsNeverShownTrapsAndSequencesThatNeverEnd) {
  const auto check = [](const Rows& rows, std::vector<int> never_shown, std::vector<int> trapped,
                        bool never_ends) {
    const Graph g = graph_of(rows);
    std::vector<int> got_never, got_trapped;
    for (int i = 0; i < kRowCount; ++i) {
      if (g.never_shown[static_cast<std::size_t>(i)]) got_never.push_back(i);
      if (g.trapped[static_cast<std::size_t>(i)]) got_trapped.push_back(i);
    }
    EXPECT_EQ(got_never, never_shown);
    EXPECT_EQ(got_trapped, trapped);
    EXPECT_EQ(g.never_ends, never_ends);
  };
  Rows rows;
  {
    SCOPED_TRACE("empty: nothing shown, the run ends at once");
    check(rows, {}, {}, false);
  }
  rows[0] = "Старт; 0; Вопрос; Да и Нет; Да>2";
  rows[1] = "Один; 1; Информация; ОК";
  rows[2] = "Два; 2; Информация; ОК; ОК>конец";
  rows[3] = "Три; 3; Информация; ОК";
  {
    SCOPED_TRACE("a straight line with a jump over nothing");
    check(rows, {3}, {}, false);
  }
  {
    SCOPED_TRACE("every path loops");
    rows[2] = "Два; 2; Информация; ОК; ОК>0";
    rows[1] = "Один; 1; Информация; ОК; ОК>0";
    check(rows, {3}, {0, 1, 2}, true);
  }
  {
    SCOPED_TRACE("a timeout is a way out; the answers stay possible");
    rows[1] = "Один; 1; Информация; ОК; ОК>0, 9 с>3";
    check(rows, {}, {}, false);
  }
  {
    SCOPED_TRACE("going on past the last line ends; lines that show nothing are passed over");
    rows[1] = "Один; 1; Информация; ОК; ОК>0";
    rows[3] = "без полей";  // shows nothing
    rows[4] = "Четыре; 4; Информация; ОК; ОК>1";
    rows[14] = "Последний; 14; Информация; ОК";
    rows[0] = "Старт; 0; Вопрос; Да и Нет; Да>2, Нет>3";
    check(rows, {3, 14}, {0, 1, 2, 4}, true);  // 0 -Нет-> 3, passed over to 4 -> 1 -> 0
    rows[4] = "Четыре; 4; Информация; ОК";
    check(rows, {1, 3}, {}, false);  // 4 goes on over the empty rows to 14, then the end
  }
  {
    SCOPED_TRACE("answers the buttons cannot give lead nowhere");
    Rows one;
    one[0] = "Один; 0; Информация; ОК; Да>конец, ОК>0";
    check(one, {}, {0}, true);
    one[0] = "Один; 0; Информация; OK; ОК>0";  // Latin OK: the box shows ОК
    check(one, {}, {0}, true);
    one[0] = "Один; 0; Информация; Да и Нет; Да>0, Нет>0, 3 с>0";
    one[1] = "Один; 1; Информация; ОК";
    check(one, {1}, {0}, true);
  }
  {
    SCOPED_TRACE("a trap: the run can end, but not once it is in row 1");
    Rows trap;
    trap[0] = "Начало; A; Вопрос; Да и Нет; Да>1, Нет>2";
    trap[1] = "Ловушка; B; Информация; ОК; ОК>1";
    trap[2] = "Выход; C; Информация; ОК";
    check(trap, {}, {1}, false);
    trap[1] = "Ловушка; B; Информация; ОК; ОК>1, 3 с>2";  // the timeout leads out
    check(trap, {}, {}, false);
    trap[2] = "Выход; C; Информация; ОК; ОК>конец";
    trap[3] = "Скрыт; D; Информация; ОК; ОК>3";  // a trap no path leads into
    check(trap, {3}, {3}, false);
  }
}

// Each shown row's exits: its buttons in order, then the timeout; where the field
// sends them and the row the player shows next.
TEST(Graph, ExitsLeadToTheNextShownRow) {
  Rows rows;
  rows[0] = "только текст";
  rows[1] = "a; b; Вопрос; Да и Нет; Нет>конец, 7 с>2";
  rows[2] = "без заголовка";
  rows[3] = "c; d";
  const Graph g = graph_of(rows);
  EXPECT_EQ(g.start, 1);
  EXPECT_EQ(g.shown, (std::array<bool, kRowCount>{false, true, false, true}));
  EXPECT_TRUE(g.exits[0].empty());
  EXPECT_EQ(g.exits[1],
            (std::vector<Exit>{
                {Answer::Yes, 0, kGoOn, 3}, {Answer::No, 0, kEnd, kEnd}, {std::nullopt, 7, 2, 3}}));
  EXPECT_EQ(g.exits[3], (std::vector<Exit>{{Answer::Ok, 0, kGoOn, kEnd}}));
  EXPECT_EQ(g.never_shown, (std::array<bool, kRowCount>{true, false, true}));
  EXPECT_EQ(graph_of(Rows{"x"}).start, kEnd);
}

// The example quiz ships as the designer writes it: fifteen lines, each row composed
// anew is the same row, every row can be shown and the quiz can end.
TEST(Jumps, TheExampleQuizIsWhatTheDesignerWrites) {
  std::string path = QUILLET_SOURCE_DIR "/examples/quiz.dlg";
#ifdef _WIN32
  if (path.starts_with("/")) path = "Z:" + path;  // the source tree seen from Wine
#endif
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(bytes.empty()) << path;
  Rows rows;
  MemorySource source(bytes);
  ASSERT_EQ(read_rows(source, rows), ReadStatus::Ok);
  EXPECT_EQ(write_rows(rows), bytes);
  for (const std::string& row : rows) {
    if (row.empty()) continue;
    const Fields f = split_row(row);
    ASSERT_TRUE(f.count == 4 || f.count == 5) << row;
    EXPECT_EQ(compose_row(f.field[0], f.field[1], f.field[2], f.field[3], next_of(f), ""), row);
  }
  const Graph g = graph_of(rows);
  EXPECT_EQ(g.never_shown, (std::array<bool, kRowCount>{})) << "a row no answer leads to";
  EXPECT_EQ(g.trapped, (std::array<bool, kRowCount>{})) << "a row that leads only in circles";
  EXPECT_FALSE(g.never_ends);
}

// Edits against a reference model in which each row carries an identity and each
// answer names the row it leads to by that identity. After any sequence of inserts,
// removals, moves and pastes, every answer of the real rows leads to the row the
// model names, a row whose targets keep their numbers keeps its bytes, and the
// history goes back to the first bytes and forward to the last.
namespace {

// Where an answer leads: the row below, the end, an empty row at `at` after the
// last one (where the run ends too), or a row by its identity.
struct Ref {
  enum Kind { GoOn, End, Past, To } kind = GoOn;
  std::uint32_t id = 0;
  int at = 0;
  bool operator==(const Ref&) const = default;
};
struct Node {
  std::uint32_t id;
  std::string text;         // the identity of the row it was copied from
  std::array<Ref, 4> refs;  // Да, Нет (which has a caption of its own), Отмена, the timeout
};

class EditModel {
 public:
  explicit EditModel(std::minstd_rand& random) : random_(random) {
    for (int n = 1 + pick(kRowCount); n > 0; --n) nodes_.push_back(fresh());
    for (Node& node : nodes_)
      for (Ref& r : node.refs) r = random_ref(true);
    for (std::size_t i = 0; i < nodes_.size(); ++i) rows_[i] = row_of(nodes_[i]);
    ids_ = carry_ids({}, unmoved(), rows_, first_id_);
  }

  // One random edit, done to the rows and to the model alike.
  std::string step() {
    const int n = static_cast<int>(nodes_.size());
    const int first = pick(std::max(n, 1)), count = 1 + pick(std::max(n - first, 1));
    const auto span = [&](int from, int k) {
      return std::vector<Node>(nodes_.begin() + from, nodes_.begin() + from + k);
    };
    const std::string range = std::to_string(first) + "+" + std::to_string(count);
    switch (n == 0 ? 2 + 2 * pick(2) : pick(5)) {
      case 0: {
        const Edit e = remove_rows(rows_, first, count);
        const bool after = first + count < n;
        const Ref successor =
            after ? Ref{Ref::To, nodes_[first + count].id} : Ref{Ref::Past, 0, first};
        nodes_.erase(nodes_.begin() + first, nodes_.begin() + first + count);
        for (Node& node : nodes_)
          for (Ref& r : node.refs)
            if (r.kind == Ref::To && !find(r.id))
              r = successor;
            else if (r.kind == Ref::Past)
              r.at -= count;
        apply(e);
        return "remove " + range;
      }
      case 1: {
        const int to = pick(n - count + 1);
        const std::vector<Node> block = span(first, count);
        nodes_.erase(nodes_.begin() + first, nodes_.begin() + first + count);
        nodes_.insert(nodes_.begin() + to, block.begin(), block.end());
        apply(move_rows(rows_, first, count, to));
        return "move " + range + " to " + std::to_string(to);
      }
      case 2: {
        if (n == kRowCount) return "full";
        const int at = pick(n + 1);
        Node node = fresh();
        for (Ref& r : node.refs) r = random_ref(false);
        // As the editor gives it: its targets numbered where the rows stand now.
        std::optional<Edit> e = insert_rows(rows_, at, std::vector<std::string>{""});
        e->rows[static_cast<std::size_t>(at)] = renumber(row_of(node), e->moves);
        push_past(1);
        nodes_.insert(nodes_.begin() + at, node);
        apply(*e);
        return "insert at " + std::to_string(at);
      }
      case 3:
        copied_ = {make_block(rows_, ids_, first, count, "A"), span(first, count)};
        return "copy " + range;
      default: {
        const bool here = pick(4) != 0;
        const int at = pick(n + 1), k = static_cast<int>(copied_.second.size());
        const auto pasted = paste_block(rows_, ids_, here ? "A" : "B", at, copied_.first);
        EXPECT_EQ(pasted.has_value(), n + k <= kRowCount);
        if (!pasted || k == 0) return "no paste";
        std::vector<Node> copies = copied_.second;
        int lost = 0;
        for (Node& copy : copies) {
          copy.id = next_++;
          for (Ref& r : copy.refs) {
            const auto inside =
                std::find_if(copied_.second.begin(), copied_.second.end(),
                             [&](const Node& c) { return r.kind == Ref::To && c.id == r.id; });
            if (inside != copied_.second.end())
              r.id =
                  copies.front().id + static_cast<std::uint32_t>(inside - copied_.second.begin());
            else if (r.kind == Ref::Past || (r.kind == Ref::To && (!here || !find(r.id))))
              r = {}, ++lost;
          }
        }
        push_past(k);
        nodes_.insert(nodes_.begin() + at, copies.begin(), copies.end());
        EXPECT_EQ(pasted->lost, lost);
        apply(pasted->edit);
        return std::string(here ? "paste" : "paste elsewhere") + " at " + std::to_string(at);
      }
    }
  }

  // The real rows are what the model says.
  void check() const {
    const int n = static_cast<int>(nodes_.size());
    EXPECT_EQ(shown_rows(rows_), n);
    EXPECT_EQ(free_rows(rows_), kRowCount - n);
    for (int i = 0; i < n; ++i) {
      const Node& node = nodes_[static_cast<std::size_t>(i)];
      const std::string& row = rows_[static_cast<std::size_t>(i)];
      SCOPED_TRACE(row);
      EXPECT_EQ(split_row(row).field[0], node.text);
      EXPECT_EQ(ids_[static_cast<std::size_t>(i)], node.id);
      EXPECT_TRUE(row.ends_with(", мусор>9, 3 с" + number(node.refs[3]) + "; x>1") ||
                  row.ends_with(", мусор>9, 3 с; x>1"));
      const std::array<int, 4> targets = targets_of(row);
      for (std::size_t k = 0; k < 4; ++k) {
        const int t = targets[k];
        const Ref got = t == kGoOn  ? Ref{}
                        : t == kEnd ? Ref{Ref::End}
                        : t >= n    ? Ref{Ref::Past, 0, t}
                                    : Ref{Ref::To, nodes_[static_cast<std::size_t>(t)].id};
        EXPECT_EQ(got, node.refs[k]) << k;
      }
    }
  }

  const Rows& rows() const { return rows_; }
  const RowIds& ids() const { return ids_; }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  Node fresh() { return {next_, "d" + std::to_string(next_++), {}}; }
  const Node* find(std::uint32_t id) const {
    for (const Node& node : nodes_)
      if (node.id == id) return &node;
    return nullptr;
  }
  // Rows come in above the empty rows: a target at one moves down with them, and
  // one pushed out past the last row ends the run as "конец".
  void push_past(int k) {
    for (Node& node : nodes_)
      for (Ref& r : node.refs)
        if (r.kind == Ref::Past)
          r = r.at + k < kRowCount ? Ref{Ref::Past, 0, r.at + k} : Ref{Ref::End};
  }
  Ref random_ref(bool past) {
    const int n = static_cast<int>(nodes_.size());
    switch (n == 0 ? pick(2) : pick(past && n < kRowCount ? 5 : 4)) {
      case 0:
        return {};
      case 1:
        return {Ref::End};
      case 4:
        return {Ref::Past, 0, n + pick(kRowCount - n)};
      default:
        return {Ref::To, nodes_[static_cast<std::size_t>(pick(n))].id};
    }
  }
  // ">N" where the model's rows stand now, ">конец", or nothing for the row below.
  std::string number(const Ref& r) const {
    if (r.kind == Ref::GoOn) return "";
    if (r.kind != Ref::To)
      return ">" + (r.kind == Ref::End ? std::string("конец") : std::to_string(r.at));
    for (std::size_t i = 0; i < nodes_.size(); ++i)
      if (nodes_[i].id == r.id) return ">" + std::to_string(i);
    return "";
  }
  std::string row_of(const Node& node) const {
    std::string field = "Нет «Не-а»" + number(node.refs[1]);
    if (node.refs[0].kind != Ref::GoOn) field = "Да" + number(node.refs[0]) + ", " + field;
    if (node.refs[2].kind != Ref::GoOn) field += ", Отмена" + number(node.refs[2]);
    return node.text + "; т; Вопрос; Да, Нет и Отмена; " + field + ", мусор>9, 3 с" +
           number(node.refs[3]) + "; x>1";
  }
  static std::array<int, 4> targets_of(const std::string& row) {
    const Next next = next_of(row);
    return {next.answer[0], next.answer[1], next.answer[2], next.wait_next};
  }
  // Takes the edit's rows (a row whose targets keep their numbers keeps its bytes)
  // and gives the rows it put in the model's new identities, in order.
  void apply(const Edit& e) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const int to = e.moves[i];
      if (to < 0 || to >= kRowCount || rows_[i].empty()) continue;
      const std::string& now = e.rows[static_cast<std::size_t>(to)];
      if (targets_of(rows_[i]) == targets_of(now)) {
        EXPECT_EQ(now, rows_[i]);
      }
    }
    std::uint32_t fresh = next_;
    for (const Node& node : nodes_)
      if (std::find(ids_.begin(), ids_.end(), node.id) == ids_.end())
        fresh = std::min(fresh, node.id);
    ids_ = carry_ids(ids_, e.moves, e.rows, fresh);
    rows_ = e.rows;
  }

  std::minstd_rand& random_;
  std::vector<Node> nodes_;
  Rows rows_;
  RowIds ids_{};
  std::uint32_t next_ = 1, first_id_ = 1;
  std::pair<Block, std::vector<Node>> copied_;
};

}  // namespace

TEST(Edits, EveryAnswerKeepsItsDialogAndTheHistoryGoesBothWays) {
  std::minstd_rand random(1251);
  for (int round = 0; round < 300; ++round) {
    EditModel model(random);
    History history;
    history.reset({model.rows(), model.ids(), {}});
    const std::string opened = write_rows(model.rows());
    std::string trail;
    for (int k = 0; k < 12; ++k) {
      trail += model.step() + "; ";
      SCOPED_TRACE("round " + std::to_string(round) + ": " + trail);
      model.check();
      if (model.rows() != history.current().rows)
        history.push({}, {model.rows(), model.ids(), {}}, trail);
    }
    while (history.can_undo()) history.undo();
    EXPECT_EQ(write_rows(history.current().rows), opened);
    while (history.can_redo()) history.redo();
    EXPECT_EQ(history.current().rows, model.rows());
    EXPECT_EQ(history.changed(model.rows()), write_rows(model.rows()) != opened);
  }
}

TEST(Edits, TargetsThatLoseTheirRowAndRowsFromPlainText) {
  // An empty field goes with its separator.
  const auto drop = [](int) { return kGoOn; };
  EXPECT_EQ(retarget("a; b; c; Да и Нет; Да>3", drop), "a; b; c; Да и Нет");
  EXPECT_EQ(retarget("a; b; c; Да и Нет; Да>3; z", drop), "a; b; c; Да и Нет; ; z");
  // Plain text: lines end at CR LF, CR or LF; the first that cannot be a row stops all.
  EXPECT_EQ(rows_from_text("a\r\n\r\nb\nc\rd", 4).rows,
            (std::vector<std::string>{"a", "b", "c", "d"}));
  const TextRows text = rows_from_text("a\n\nb\nc", 2);
  EXPECT_EQ(text.problem, TextRows::Problem::NoRoom);
  EXPECT_EQ(text.line, 4);
  EXPECT_TRUE(text.rows.empty());
}
