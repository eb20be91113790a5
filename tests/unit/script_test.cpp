// The dialog script format: code page, rows, line reading and the fifteen-line rules.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/cp1251.h"
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
      "\xCE\xCA", "\xCE\xCA\x20\xE8\x20\xCE\xF2\xEC\xE5\xED\xE0", "\xC4\xE0\x20\xE8\x20\xCD\xE5\xF2",
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
  EXPECT_EQ(unstorable_chars("a\xFF" "b"), std::vector<std::string>{"\uFFFD"});
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
  EXPECT_EQ(utf::widen("a\xC0" "b"), (std::wstring{L'a', static_cast<wchar_t>(0xFFFD), L'b'}));
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

  // What lies past the fourth field is kept whole, separators included.
  EXPECT_EQ(fields_past_fourth("a; b; c; d; e;  f; "), "; e;  f; ");
  EXPECT_EQ(fields_past_fourth("a; b; c; d; "), "; ");
  EXPECT_EQ(fields_past_fourth("a; b; c; d"), "");
  EXPECT_EQ(fields_past_fourth("a; b"), "");
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
      {std::string("n\0l\x1A" "z\r\nend", 10), {std::string("n\0l\x1Az", 5), "end"}},
  };
  for (const auto& [bytes, expected] : cases) {
    for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
      TrickleSource source(bytes, step);
      EXPECT_EQ(lines_of(source), expected) << "input of " << bytes.size() << " bytes, step " << step;
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
  const std::string head = "\xCF\xF0\xE8\xE2\xE5\xF2#\xEC\xE8\xF0; \xC4\xE8\xE0\xEB\xEE\xE3\r\n" +
                           lines_file(14);
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
      "\xF1\xF2\xF0\xEE\xEA\xE0; \xC4\xE8\xE0\xEB\xEE\xE3; \xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF; "
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
