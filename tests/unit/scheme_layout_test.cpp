// The scheme's layout and texts: properties on generated projects, the names of a
// known project, the quiz example.

#include "designer/scheme_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "script/graph.h"
#include "script/line_reader.h"
#include "script/row.h"
#include "script/script_file.h"

using namespace designer::scheme;
using script::kEnd;

namespace {

// Every character 7 pixels wide (8 bold), 15 high: a little more than the scheme's
// font, so that what fits here fits on the screen.
Box fixed_measure(std::string_view text, bool bold) {
  int chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return {0, 0, chars * (bold ? 8 : 7), 15};
}

bool overlap(const Box& a, const Box& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Whether the segment from p to q passes through the inside of box (its edges are
// not inside).
bool enters(Point p, Point q, const Box& box) {
  double t0 = 0, t1 = 1;
  const double d[2] = {static_cast<double>(q.x - p.x), static_cast<double>(q.y - p.y)};
  const double from[2] = {static_cast<double>(p.x), static_cast<double>(p.y)};
  const double low[2] = {static_cast<double>(box.x), static_cast<double>(box.y)};
  const double high[2] = {static_cast<double>(box.x + box.width),
                          static_cast<double>(box.y + box.height)};
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0) {
      if (from[k] <= low[k] || from[k] >= high[k]) return false;
      continue;
    }
    double a = (low[k] - from[k]) / d[k], b = (high[k] - from[k]) / d[k];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
  }
  return t0 < t1;
}

Box end_mark(const Arrow& arrow) {
  const Point head = arrow.points.back();
  return {head.x - kEndMark / 2, head.y - kEndMark / 2, kEndMark, kEndMark};
}

bool inside(const Box& box, const Layout& layout) {
  return box.x >= 0 && box.y >= 0 && box.x + box.width <= layout.width &&
         box.y + box.height <= layout.height;
}

// Projects of every kind: empty and one-field lines among the dialogs, all button
// sets, jumps forward, back, to themselves, to empty rows, past the end, timeouts.
script::Rows generate(std::mt19937& random) {
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  static const char* const kWords[] = {
      "Да", "Вопрос",          "Конец игры", "Ой",     "Длинный-длинный текст",
      "и",  "ещё одна строка", "#",          "Ошибка!"};
  const auto words = [&](int most) {
    std::string s;
    for (int n = pick(most + 1); n > 0; --n)
      s += std::string(s.empty() ? "" : " ") + kWords[pick(9)];
    return s;
  };
  const auto target = [&] {
    const int t = pick(18);
    return t == 17 ? std::string(script::kEndName) : std::to_string(t);
  };
  script::Rows rows;
  const int count = 1 + pick(script::kRowCount);
  for (int r = 0; r < count; ++r) {
    const int kind = pick(20);
    if (kind == 0) continue;  // empty
    if (kind == 1) {
      rows[static_cast<std::size_t>(r)] = words(3);  // one field: shows nothing
      continue;
    }
    const int set = pick(4);
    std::string row = words(8) + "; " + words(3) + "; " +
                      std::string(script::kIconNames[static_cast<std::size_t>(pick(5))]) + "; " +
                      std::string(script::kButtonSetNames[static_cast<std::size_t>(set)]);
    std::string next;
    for (int n = pick(5); n > 0; --n) {
      if (!next.empty()) next += ", ";
      if (pick(4) == 0)
        next +=
            std::to_string(1 + pick(pick(2) ? 9 : 3600)) + " с" + (pick(3) ? ">" + target() : "");
      else
        next +=
            std::string(script::kAnswerNames[static_cast<std::size_t>(pick(4))]) + ">" + target();
    }
    if (!next.empty() || pick(2)) row += "; " + next;
    rows[static_cast<std::size_t>(r)] = row;
  }
  return rows;
}

void check(const script::Rows& rows, const script::Graph& graph, const Layout& layout) {
  // A card for each row that shows a box, once, all of one size.
  std::set<int> rows_with_cards;
  for (const Card& card : layout.cards) {
    EXPECT_TRUE(rows_with_cards.insert(card.row).second) << card.row;
    const auto r = static_cast<std::size_t>(card.row);
    EXPECT_EQ(card.never_shown, graph.never_shown[r]);
    EXPECT_EQ(card.trapped, graph.trapped[r]);
    EXPECT_EQ(card.start, card.row == graph.start);
    EXPECT_EQ(card.name, name_of(rows, graph, card.row));
    EXPECT_EQ(card.box.width, layout.cards[0].box.width);
    EXPECT_EQ(card.box.height, layout.cards[0].box.height);
    EXPECT_TRUE(inside(card.box, layout));
    for (const Box& part : {card.number_box, card.icon_box, card.title_box, card.line_box}) {
      EXPECT_GE(part.x, card.box.x);
      EXPECT_GE(part.y, card.box.y);
      EXPECT_LE(part.x + part.width, card.box.x + card.box.width);
      EXPECT_LE(part.y + part.height, card.box.y + card.box.height);
    }
    EXPECT_LE(fixed_measure(card.title, true).width, card.title_box.width) << card.title;
    EXPECT_LE(fixed_measure(card.line, false).width, card.line_box.width) << card.line;
    EXPECT_LE(fixed_measure(std::to_string(card.row), true).width, card.number_box.width);
  }
  for (int r = 0; r < script::kRowCount; ++r) {
    const auto i = static_cast<std::size_t>(r);
    EXPECT_EQ(rows_with_cards.count(r), graph.shown[i] ? 1u : 0u) << r;
  }
  std::map<int, const Card*> card_of;
  for (const Card& card : layout.cards) card_of[card.row] = &card;

  for (std::size_t i = 0; i < layout.cards.size(); ++i)
    for (std::size_t j = i + 1; j < layout.cards.size(); ++j)
      EXPECT_FALSE(overlap(layout.cards[i].box, layout.cards[j].box))
          << layout.cards[i].row << " " << layout.cards[j].row;

  // Cards never shown below all the others.
  for (const Card& apart : layout.cards)
    for (const Card& card : layout.cards)
      if (apart.never_shown && !card.never_shown) {
        EXPECT_GE(apart.box.y, card.box.y + card.box.height) << apart.row << " " << card.row;
        EXPECT_GT(layout.apart_top, card.box.y + card.box.height);
        EXPECT_LT(layout.apart_top, apart.box.y);
      }

  // Every exit once, from its card's bottom edge to its target's top edge or an end mark.
  std::set<std::pair<int, int>> drawn;
  for (const Arrow& arrow : layout.arrows) {
    EXPECT_TRUE(drawn.insert({arrow.from, arrow.exit}).second) << arrow.from << " " << arrow.exit;
    const auto& exits = graph.exits[static_cast<std::size_t>(arrow.from)];
    ASSERT_LT(static_cast<std::size_t>(arrow.exit), exits.size());
    const script::Exit& exit = exits[static_cast<std::size_t>(arrow.exit)];
    EXPECT_EQ(arrow.to, exit.to);
    EXPECT_EQ(arrow.answer, exit.answer);
    EXPECT_EQ(arrow.implicit, exit.written == script::kGoOn);
    EXPECT_EQ(arrow.back, arrow.to != kEnd && arrow.to <= arrow.from);
    ASSERT_GE(arrow.points.size(), 2u);
    const Box& from = card_of.at(arrow.from)->box;
    EXPECT_EQ(arrow.points.front().y, from.y + from.height);
    EXPECT_GT(arrow.points.front().x, from.x);
    EXPECT_LT(arrow.points.front().x, from.x + from.width);
    if (arrow.to != kEnd) {
      const Box& to = card_of.at(arrow.to)->box;
      EXPECT_EQ(arrow.points.back().y, to.y);
      EXPECT_GT(arrow.points.back().x, to.x);
      EXPECT_LT(arrow.points.back().x, to.x + to.width);
    } else {
      EXPECT_TRUE(inside(end_mark(arrow), layout));
    }
    for (const Point& p : arrow.points) EXPECT_TRUE(inside({p.x, p.y, 0, 0}, layout));
    for (std::size_t k = 0; k + 1 < arrow.points.size(); ++k)
      for (const Card& card : layout.cards)
        EXPECT_FALSE(enters(arrow.points[k], arrow.points[k + 1], card.box))
            << arrow.from << "->" << arrow.to << " through " << card.row;
    EXPECT_TRUE(inside(arrow.label_box, layout));
  }
  std::size_t exits = 0;
  for (int row : rows_with_cards) exits += graph.exits[static_cast<std::size_t>(row)].size();
  EXPECT_EQ(drawn.size(), exits);

  // Labels clear of each other, the cards, the start mark and the end marks.
  for (std::size_t i = 0; i < layout.arrows.size(); ++i) {
    const Box& label = layout.arrows[i].label_box;
    for (std::size_t j = i + 1; j < layout.arrows.size(); ++j)
      EXPECT_FALSE(overlap(label, layout.arrows[j].label_box)) << i << " " << j;
    for (const Arrow& arrow : layout.arrows) {
      EXPECT_FALSE(arrow.to == kEnd && overlap(label, end_mark(arrow)));
    }
    for (const Card& card : layout.cards) EXPECT_FALSE(overlap(label, card.box)) << card.row;
    EXPECT_FALSE(overlap(label, layout.start_mark));
  }
  // An exit is taken by the start of its arrow or its label: its grip holds both,
  // touches no card but its own and no grip of another exit.
  for (const Arrow& arrow : layout.arrows) {
    const Box& grip = arrow.grip;
    const Point start = arrow.points.front();
    EXPECT_TRUE(overlap(grip, {start.x, start.y - 1, 1, 2}) && overlap(grip, arrow.label_box) &&
                grip.x <= arrow.label_box.x &&
                grip.x + grip.width >= arrow.label_box.x + arrow.label_box.width)
        << arrow.from << ":" << arrow.exit;
    for (const Card& card : layout.cards)
      EXPECT_EQ(overlap(grip, card.box), card.row == arrow.from) << arrow.from << " " << card.row;
    for (const Arrow& other : layout.arrows)
      EXPECT_TRUE(&other == &arrow || !overlap(grip, other.grip))
          << arrow.from << ":" << arrow.exit << " " << other.from << ":" << other.exit;
  }
  if (graph.start != kEnd) {
    EXPECT_TRUE(inside(layout.start_mark, layout));
    for (const Card& card : layout.cards) EXPECT_FALSE(overlap(layout.start_mark, card.box));
  }

  // No line runs through another arrow's end mark or label: "Отмена" must not
  // seem to lead to the end mark of "Нет".
  const auto clear_of_others = [&](const std::vector<Point>& line, const Arrow* own) {
    for (std::size_t k = 0; k + 1 < line.size(); ++k)
      for (const Arrow& other : layout.arrows)
        if (&other != own) {
          EXPECT_FALSE(other.to == kEnd && enters(line[k], line[k + 1], end_mark(other)))
              << k << " through the end mark of " << other.from << ":" << other.exit;
          EXPECT_FALSE(enters(line[k], line[k + 1], other.label_box))
              << k << " through the label of " << other.from << ":" << other.exit;
        }
  };
  clear_of_others(layout.start_arrow, nullptr);
  for (const Arrow& arrow : layout.arrows) clear_of_others(arrow.points, &arrow);
}

script::Rows read_example(const char* name) {
  std::string path = std::string(QUILLET_SOURCE_DIR) + "/examples/" + name;
#ifdef _WIN32
  if (path.starts_with("/")) path = "Z:" + path;  // the source tree seen from Wine
#endif
  std::ifstream file(path, std::ios::binary);
  script::MemorySource source{
      std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
  script::Rows rows;
  EXPECT_EQ(script::read_rows(source, rows), script::ReadStatus::Ok);
  return rows;
}

}  // namespace

TEST(SchemeLayout, PropertiesHoldOnGeneratedProjects) {
  std::mt19937 random(20240611);
  for (int project = 0; project < 400; ++project) {
    const script::Rows rows = generate(random);
    const script::Graph graph = script::graph_of(rows);
    const Layout layout = lay_out(rows, graph, fixed_measure);
    SCOPED_TRACE(testing::Message() << "project " << project << ":\n"
                                    << [&] {
                                         std::string s;
                                         for (const auto& row : rows) s += row + "\n";
                                         return s;
                                       }());
    check(rows, graph, layout);
    EXPECT_EQ(lay_out(rows, graph, fixed_measure), layout);
    if (HasFailure()) return;
  }
}

TEST(SchemeLayout, NamesSayWhereTheRunReallyGoes) {
  script::Rows rows;
  rows[0] = "Начнём?; Старт; Вопрос; Да и Нет; Нет>4, 10 с>конец";
  rows[1] = "Ещё?; Снова!; Вопрос; Да, Нет и Отмена; Да>1, Отмена>14";
  rows[2] = "";
  rows[3] = "Пропущено; ";  // an empty title
  rows[4] = "Петля; Круг; Ошибка; ОК и Отмена; ОК>4, Отмена>4";
  rows[5] = "Никто не придёт; Забытый; Информация; ОК; ОК>2";
  rows[6] = "Одно поле: не диалог";
  const script::Graph graph = script::graph_of(rows);
  const Layout layout = lay_out(rows, graph, fixed_measure);
  std::map<int, std::string> names;
  for (const Card& card : layout.cards) names[card.row] = card.name;
  EXPECT_EQ(names.size(), 5u);
  EXPECT_EQ(names[0], "Диалог 0: Старт. Да → дальше, Нет → диалог 4, через 10 с → конец.");
  EXPECT_EQ(names[1], "Диалог 1: Снова! Да → диалог 1, Нет → дальше, Отмена → конец.");
  EXPECT_EQ(names[3], "Диалог 3. ОК → дальше. Отсюда нет пути к концу.");
  EXPECT_EQ(names[4], "Диалог 4: Круг. ОК → диалог 4, Отмена → диалог 4. Отсюда нет пути к концу.");
  EXPECT_EQ(names[5],
            "Диалог 5: Забытый. ОК → диалог 3. Никогда не будет показан. Отсюда нет пути к концу.");

  std::string text;
  for (const Card& card : layout.cards) text += card.name + "\r\n";
  EXPECT_EQ(copy_text(layout), text);
  EXPECT_EQ(layout.cards.back().row, 5);  // apart, below the rest
}

TEST(SchemeLayout, CardsCutTheirTextsToFit) {
  script::Rows rows;
  rows[0] = std::string(100000, 'W') + " конец#Вторая строка; Короткий; Ошибка; ОК";
  rows[1] = "Строка  с пробелами перед обрезкой, которая не помещается; " + std::string(40, 'T') +
            "; Без значка; ОК";
  const script::Graph graph = script::graph_of(rows);
  const Layout layout = lay_out(rows, graph, fixed_measure);
  ASSERT_EQ(layout.cards.size(), 2u);
  const Card& first = layout.cards[0];
  EXPECT_EQ(first.icon, 0);
  EXPECT_EQ(first.title, "Короткий");
  EXPECT_EQ(first.line, std::string(first.line.size() - 3, 'W') + "…");
  EXPECT_GT(fixed_measure(first.line + "W", false).width, first.line_box.width);
  EXPECT_TRUE(first.text.ends_with(" конец\nВторая строка"));
  const Card& second = layout.cards[1];
  EXPECT_EQ(second.icon, -1);
  EXPECT_TRUE(second.title.ends_with("T…")) << second.title;
  EXPECT_TRUE(second.line.ends_with("…")) << second.line;
  EXPECT_FALSE(second.line.ends_with(" …")) << second.line;
}

TEST(SchemeLayout, QuizFitsASmallScreen) {
  const script::Rows rows = read_example("quiz.dlg");
  const script::Graph graph = script::graph_of(rows);
  const Layout layout = lay_out(rows, graph, fixed_measure);
  check(rows, graph, layout);
  ASSERT_EQ(layout.cards.size(), 12u);
  EXPECT_EQ(layout.cards[0].row, 0);
  EXPECT_TRUE(layout.cards[0].start);
  // A window on a 1024 x 768 screen at 96 dpi shows it whole.
  EXPECT_LE(layout.width, 1000);
  EXPECT_LE(layout.height, 680);
  // Forward arrows go down, the loop from "Мимо" back up to question 1 goes round.
  int loops = 0;
  for (const Arrow& arrow : layout.arrows)
    if (arrow.back) {
      ++loops;
      EXPECT_EQ(arrow.from, 2);
      EXPECT_EQ(arrow.to, 1);
    } else {
      EXPECT_GT(arrow.points.back().y, arrow.points.front().y);
    }
  EXPECT_EQ(loops, 1);
  const auto name = [&](int row) {
    for (const Card& card : layout.cards)
      if (card.row == row) return card.name;
    return std::string();
  };
  EXPECT_EQ(name(6), "Диалог 6: Вопрос 3. Да → диалог 8, Нет → диалог 9, через 5 с → диалог 7.");
  EXPECT_EQ(name(11), "Диалог 11: Викторина. ОК → конец, через 3 с → конец.");
}
