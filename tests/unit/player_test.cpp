// What the player shows for each kind of line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/dialoged.h"
#include "player/play.h"
#include "script/cp1251.h"

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

Played play(script::ByteSource& source, std::vector<int> answers) {
  Answers screen(std::move(answers));
  const int code = player::play(source, screen);
  return {screen.shown, code};
}

// Lines in UTF-8, each followed by CR LF, as the file's bytes.
Played play(const std::vector<std::string>& lines, std::vector<int> answers) {
  std::string bytes;
  for (const auto& line : lines) bytes += script::to_cp1251(line) + "\r\n";
  script::MemorySource source(bytes);
  return play(source, std::move(answers));
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
