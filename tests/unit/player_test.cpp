// What the player shows for each kind of line.

#include <gtest/gtest.h>

#include "player/dialoged.h"

using player::Dialoged;

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
