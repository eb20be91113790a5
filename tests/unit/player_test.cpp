// What the player shows for each kind of line.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "player/box_rules.h"
#include "player/dialoged.h"
#include "player/play.h"
#include "script/cp1251.h"
#include "script/graph.h"

using player::Dialoged;

namespace {
// The message-box results (IDOK, IDCANCEL, IDYES, IDNO).
constexpr int kOk = 1, kCancel = 2, kYes = 6, kNo = 7;
}  // namespace

TEST(Dialoged, AFullLineShowsItsBox) {
  const auto d = Dialoged("Привет#мир; Заголовок; Информация; ОК");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->text, "Привет\rмир");
  EXPECT_EQ(d->caption, "Заголовок");
  EXPECT_EQ(d->style, 4160u);

  const auto q = Dialoged("Удалить?; Вопрос; Вопрос; Да, Нет и Отмена");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->style, 4131u);
}

TEST(Dialoged, LinesWithoutTextAndTitleShowNothing) {
  EXPECT_FALSE(Dialoged(""));
  EXPECT_FALSE(Dialoged("only a text"));
  EXPECT_FALSE(Dialoged("a;b;c"));
}

TEST(Dialoged, MissingOrUnknownNamesFallBackToNoIconAndOk) {
  const auto two = Dialoged("text; title");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->style, 4096u);

  const auto three = Dialoged("text; title; Восклицание");
  ASSERT_TRUE(three);
  EXPECT_EQ(three->style, 4096u + 48u);

  const auto latin = Dialoged("x; y; Ошибка; OK");
  ASSERT_TRUE(latin);
  EXPECT_EQ(latin->style, 4112u);

  const auto five = Dialoged("a; b; Вопрос; Да и Нет; c");
  ASSERT_TRUE(five);
  EXPECT_EQ(five->text, "a");
  EXPECT_EQ(five->caption, "b");
  EXPECT_EQ(five->style, 4096u + 32u + 4u);
}

TEST(Dialoged, HashBreaksTheTextButNotTheCaption) {
  const auto d = Dialoged("##end#; #title#");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->text, "\r\rend\r");
  EXPECT_EQ(d->caption, "#title#");

  const auto empty = Dialoged("; ");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->text, "");
  EXPECT_EQ(empty->caption, "");
}

TEST(Dialoged, CarriesTheButtonsAndWhatComesNext) {
  const auto d = Dialoged("a; b; Вопрос; Да, Нет и Отмена; Отмена>конец, 4 с>2; c");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->button_set, 3);
  EXPECT_EQ(d->next.answer[2], script::kEnd);
  EXPECT_EQ(d->next.wait, 4);
  EXPECT_EQ(d->next.wait_next, 2);

  const auto latin = Dialoged("a; b; Вопрос; OK; ОК «Ясно, да»>1, пауза 2 с");  // ОК alone
  ASSERT_TRUE(latin);
  EXPECT_EQ(latin->button_set, 0);
  EXPECT_EQ(latin->next.answer[0], 1);
  EXPECT_EQ(latin->next.caption[0], "Ясно, да");
  EXPECT_EQ(latin->next.pause, 2);

  const auto old = Dialoged("a; b; Вопрос; Да и Нет");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->next, script::Next{});
}

// The run over a script: which boxes show, in which order, and the exit code.

namespace {

using player::kTimedOut;

// Answers each box from a list and records the captions shown.
class Answers : public player::Screen {
 public:
  explicit Answers(std::vector<int> answers) : answers_(std::move(answers)) {}
  int show(const player::Dialog& d) override {
    shown.push_back(d.caption);
    if (next_ == answers_.size()) {
      ADD_FAILURE() << "a box more than answered: " << d.caption;
      return 0;
    }
    return answers_[next_++];
  }
  std::vector<std::string> shown;

 private:
  std::vector<int> answers_;
  std::size_t next_ = 0;
};

struct Played {
  std::vector<std::string> shown;
  int exit_code;
};

Played play(script::ByteSource& source, std::vector<int> answers, std::uint64_t from = 0) {
  Answers screen(std::move(answers));
  const int code = player::play(source, screen, from);
  return {screen.shown, code};
}

// Lines in UTF-8, each followed by CR LF, as the file's bytes.
Played play(const std::vector<std::string>& lines, std::vector<int> answers,
            std::uint64_t from = 0) {
  std::string bytes;
  for (const auto& line : lines) bytes += script::to_cp1251(line) + "\r\n";
  script::MemorySource source(bytes);
  return play(source, std::move(answers), from);
}

using Shown = std::vector<std::string>;

}  // namespace

TEST(Play, AnswersLeadToTheirTargets) {
  const std::vector<std::string> script = {
      "Старт; s0; Вопрос; Да, Нет и Отмена; Да>2, Нет>3, Отмена>конец",
      "Один; s1; Информация; ОК",
      "Два; s2; Информация; ОК; ОК>0",
      "",  // shows nothing: a target here is passed over
      "Четыре; s4; Информация; ОК и Отмена; Отмена>14",
      "Пять; s5; Информация; ОК",
  };
  const Played back = play(script, {kYes, kOk, kNo, kCancel});
  EXPECT_EQ(back.shown, (Shown{"s0", "s2", "s0", "s4"}));
  EXPECT_EQ(back.exit_code, kCancel) << "a target past the end of the file ends the run";

  const Played straight = play(script, {kNo, kOk, kOk});
  EXPECT_EQ(straight.shown, (Shown{"s0", "s4", "s5"}));
  EXPECT_EQ(straight.exit_code, kOk);

  const Played ended = play(script, {kCancel});
  EXPECT_EQ(ended.shown, (Shown{"s0"}));
  EXPECT_EQ(ended.exit_code, kCancel);

  // "/from N" starts at line N; the lines passed over can still be jumped back to.
  EXPECT_EQ(play(script, {kOk, kCancel}, player::first_line(L" /FROM  2 ")).shown,
            (Shown{"s2", "s0"}));
  EXPECT_EQ(play(script, {kOk, kOk}, 3).shown, (Shown{"s4", "s5"}));
  EXPECT_TRUE(play(script, {}, 9).shown.empty());
  for (const wchar_t* other : {L"", L"/from", L"/from x", L"/from 2 3", L"/fromage 2", L"-from 2"})
    EXPECT_EQ(player::first_line(other), 0u);
}

TEST(Play, ALoopAsksAgainUntilTheRightAnswer) {
  const Played run = play(
      {
          "Восемь лапок у паука?; Вопрос; Вопрос; Да и Нет; Да>2",
          "Мимо; Ещё раз; Ошибка; ОК; ОК>0",
          "Верно; Итог; Информация; ОК",
      },
      {kNo, kOk, kNo, kOk, kYes, kOk});
  EXPECT_EQ(run.shown, (Shown{"Вопрос", "Ещё раз", "Вопрос", "Ещё раз", "Вопрос", "Итог"}));
  EXPECT_EQ(run.exit_code, kOk);
}

TEST(Play, TimeoutsAndAnswersWithoutAChoice) {
  const std::vector<std::string> script = {
      "Скоро закроется; t0; Информация; ОК; 5 с>2",
      "Один; t1; Информация; Да и Нет; Да>конец",
      "Два; t2; Информация; ОК",
      "Три; t3; Информация; ОК; ОК>1, 1 с>конец",
  };
  const Played timed = play(script, {kTimedOut, kTimedOut, kTimedOut});
  EXPECT_EQ(timed.shown, (Shown{"t0", "t2", "t3"}));
  EXPECT_EQ(timed.exit_code, kTimedOut) << "the last box closed itself";

  // Answered in time: the answer decides; a box without a timeout that closed
  // anyway, an answer its buttons cannot give, and a box that could not be shown
  // all go on to the next line. A box not shown keeps the last answer.
  const Played answered = play(script, {kOk, kTimedOut, kCancel, 0});
  EXPECT_EQ(answered.shown, (Shown{"t0", "t1", "t2", "t3"}));
  EXPECT_EQ(answered.exit_code, kCancel);
}

TEST(Play, GoesBackToLineStartsAnywhereInTheFile) {
  // Long lines put the line starts past the reader's buffer; lone CRs end lines too.
  const std::string pad(5000, 'x');
  const std::string bytes = script::to_cp1251(pad + "; l0; Вопрос; Да и Нет; Нет>2\r" + pad +
                                              "; l1; Вопрос; Да и Нет; Нет>0\r\n" + "\r\n" + pad +
                                              pad + "; l3; Вопрос; Да и Нет; Да>1, Нет>конец\r\n");
  script::MemorySource source(bytes);
  const Played run = play(source, {kYes, kNo, kNo, kYes, kYes, kNo});
  EXPECT_EQ(run.shown, (Shown{"l0", "l1", "l0", "l3", "l1", "l3"}));
  EXPECT_EQ(run.exit_code, kNo);

  // A source that cannot go back ends the run where a jump back would start.
  class Forward : public script::ByteSource {
   public:
    explicit Forward(std::string bytes) : inner_(std::move(bytes)) {}
    std::int64_t read(char* buf, std::size_t n) override { return inner_.read(buf, n); }

   private:
    script::MemorySource inner_;
  } forward(bytes);
  const Played cut = play(forward, {kYes, kNo});
  EXPECT_EQ(cut.shown, (Shown{"l0", "l1"}));
  EXPECT_EQ(cut.exit_code, kNo);
}

TEST(Play, ExitCodeIsZeroWithoutABox) {
  EXPECT_EQ(play(std::vector<std::string>{}, {}).exit_code, 0);
  EXPECT_EQ(play({"только текст", "", "ещё; "}, {0}).exit_code, 0);
}

// The graph the designer reads its notice from is what the player can do: projects
// drawn at random, walked answer by answer with the player's own next_line.

namespace {

// A row as a hand-edited script may hold it: no box, or any button set with items
// in field 4 that are valid or not, for its buttons or not, with targets mostly among
// the first `filled` rows, where loops are, and now and then anywhere.
std::string random_row(std::minstd_rand& random, unsigned filled) {
  const auto pick = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
  const auto target = [&pick, filled]() -> std::string {
    const unsigned t = pick(filled + 3);
    if (t < filled) return std::to_string(t);
    if (t == filled) return "конец";
    return t == filled + 1 ? std::to_string(pick(16)) : "";  // 15 and "" are not targets
  };
  static const char* const kSets[] = {"ОК", "ОК и Отмена", "Да и Нет", "Да, Нет и Отмена", "OK"};
  switch (pick(8)) {
    case 0:
      return "";
    case 1:
      return "только текст";
    case 2:
      return "т; з";
    default:
      break;
  }
  std::string row = "т; з; Вопрос; " + std::string(kSets[pick(5)]);
  if (pick(4) == 0) return row;
  std::string items;
  for (unsigned n = 1 + pick(4); n > 0; --n) {
    if (!items.empty()) items += ", ";
    if (pick(4) == 0)
      items += std::to_string(pick(3)) + " с" + (pick(3) ? ">" + target() : "");
    else
      items += std::string(script::kAnswerNames[pick(4)]) + ">" + target();
  }
  return row + "; " + items;
}

// The buttons a message box of this style shows, as the answers it returns.
std::vector<int> buttons_of(unsigned style) {
  switch (style & 0xF) {
    case 1:
      return {kOk, kCancel};
    case 3:
      return {kYes, kNo, kCancel};
    case 4:
      return {kYes, kNo};
    default:
      return {kOk};
  }
}

}  // namespace

TEST(Play, TheGraphOfAProjectIsWhatThePlayerCanDo) {
  constexpr int kRows = script::kRowCount;
  constexpr int kOver = kRows;  // the run has ended
  std::minstd_rand random(1251);
  for (int round = 0; round < 2000; ++round) {
    script::Rows rows;
    const unsigned filled = static_cast<unsigned>(random() % (kRows + 1));
    for (unsigned i = 0; i < filled; ++i) rows[i] = random_row(random, filled);
    std::string project;
    for (const std::string& row : rows) project += row + "\n";
    SCOPED_TRACE(project);

    // The file the designer writes holds the fifteen rows as lines.
    std::array<std::optional<player::Dialog>, kRows> box;
    for (std::size_t i = 0; i < kRows; ++i) box[i] = Dialoged(rows[i]);
    // Where the player shows its next box from `line` on, as play passes over the
    // lines that show nothing; past the last line the run is over.
    const auto settle = [&box](std::optional<std::uint64_t> line) {
      if (!line) return kOver;
      while (*line < kRows && !box[*line]) ++*line;
      return static_cast<int>(std::min<std::uint64_t>(*line, kOver));
    };
    std::array<std::vector<std::pair<int, int>>, kRows> outs;  // answer, the box next
    for (int line = 0; line < kRows; ++line) {
      const auto& d = box[static_cast<std::size_t>(line)];
      if (!d) continue;
      std::vector<int> answers = buttons_of(d->style);
      if (d->next.wait > 0) answers.push_back(kTimedOut);
      for (int answer : answers)
        outs[static_cast<std::size_t>(line)].emplace_back(
            answer, settle(player::next_line(*d, static_cast<std::uint64_t>(line), answer)));
    }

    const int start = settle(0);
    std::array<bool, kRows + 1> reached{};
    std::vector<int> pending{start};
    while (!pending.empty()) {
      const int at = pending.back();
      pending.pop_back();
      if (reached[static_cast<std::size_t>(at)]) continue;
      reached[static_cast<std::size_t>(at)] = true;
      if (at != kOver)
        for (const auto& [answer, to] : outs[static_cast<std::size_t>(at)]) pending.push_back(to);
    }
    std::array<bool, kRows + 1> ends{};
    ends[kOver] = true;
    for (int pass = 0; pass < kRows; ++pass)
      for (std::size_t line = 0; line < kRows; ++line)
        for (const auto& [answer, to] : outs[line])
          ends[line] = ends[line] || ends[static_cast<std::size_t>(to)];

    const script::Graph g = script::graph_of(rows);
    EXPECT_EQ(g.start, start == kOver ? script::kEnd : start);
    std::array<bool, kRows> shown{}, never_shown{}, trapped{};
    std::array<std::vector<std::pair<int, int>>, kRows> exits;
    for (std::size_t i = 0; i < kRows; ++i) {
      shown[i] = box[i].has_value();
      never_shown[i] = !rows[i].empty() && !reached[i];
      trapped[i] = shown[i] && !ends[i];
      for (const script::Exit& e : g.exits[i])
        exits[i].emplace_back(
            e.answer ? script::kAnswerIds[static_cast<std::size_t>(*e.answer)] : kTimedOut,
            e.to == script::kEnd ? kOver : e.to);
    }
    EXPECT_EQ(g.shown, shown);
    EXPECT_EQ(exits, outs);
    EXPECT_EQ(g.never_shown, never_shown);
    EXPECT_EQ(g.trapped, trapped);
    EXPECT_EQ(g.never_ends, !reached[kOver]);
    if (testing::Test::HasFailure()) break;
  }
}

// The box's clock counts from the first tick that finds it on the screen; its title
// tells the seconds left, rounded up; a caption's "&" shows as it stands.
TEST(Box, ClockTitleAndButtonTexts) {
  player::BoxClock clock(3000);
  EXPECT_EQ(clock.seconds_left(50'000), 3u);
  EXPECT_EQ(clock.seconds_left(50'001), 3u);
  EXPECT_EQ(clock.seconds_left(51'000), 2u);
  EXPECT_EQ(clock.seconds_left(52'999), 1u);
  EXPECT_EQ(clock.seconds_left(53'000), 0u);
  EXPECT_EQ(player::countdown_title("Часы", 12), "Часы (12 с)");
  EXPECT_EQ(player::countdown_title("", 1), "(1 с)");
  EXPECT_EQ(player::button_text("Я & ты && мы&"), "Я && ты &&&& мы&&");
}

// Rows of buttons as the system lays them out, with captions of any width: each
// button as wide as it was and as its caption needs, the system's gap (4 at least)
// between them, centred, and the box grown just where the row and its margins
// (the icon's place, at least the gap) do not fit.
TEST(Box, TheRowOfButtonsKeepsItsGapFitsTheBoxAndIsCentred) {
  std::minstd_rand random(1251);
  const auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  for (int round = 0; round < 1000; ++round) {
    const int n = 1 + pick(3), width = 60 + pick(30), gap = pick(10);
    const int row_width = n * width + (n - 1) * gap;
    const int client = row_width + 2 * pick(60);
    std::vector<player::ButtonSpan> buttons;
    std::vector<int> needed;
    for (int k = 0, x = (client - row_width) / 2; k < n; ++k, x += width + gap) {
      buttons.push_back({x, width});
      needed.push_back(pick(2) ? pick(250) : 0);
    }
    const std::optional<int> others = pick(3) ? std::optional(pick(40)) : std::nullopt;
    SCOPED_TRACE("round " + std::to_string(round));
    const player::ButtonRow row = player::dress_row(buttons, needed, client, others);
    const int want_gap = n > 1 ? std::max(gap, 4) : 0;
    const int margin = std::max(want_gap, others.value_or(want_gap));
    for (std::size_t k = 0; k < buttons.size(); ++k) {
      EXPECT_EQ(row.buttons[k].width, std::max(width, needed[k]));
      if (k > 0) {
        EXPECT_EQ(row.buttons[k].left - row.buttons[k - 1].left - row.buttons[k - 1].width,
                  want_gap);
      }
    }
    const int first = row.buttons[0].left;
    const int last = row.buttons[buttons.size() - 1].left + row.buttons[buttons.size() - 1].width;
    EXPECT_LE(std::abs(first - (client + row.grow - last)), 1) << "centred";
    EXPECT_GE(first, margin);
    EXPECT_EQ(row.grow > 0, last - first + 2 * margin > client);
    if (row.grow > 0) {
      EXPECT_EQ(first, margin) << "grown more than the row needs";
    }
  }
  EXPECT_EQ(player::grown_left(100, 300, 40, 0, 1000), 80);  // half the growth each side
  EXPECT_EQ(player::grown_left(10, 300, 40, 0, 1000), 0);    // within the work area
  EXPECT_EQ(player::grown_left(700, 300, 40, 0, 1000), 660);
}
