#pragma once
// The scheme of a project: its dialogs as cards and the ways out of each as arrows,
// laid out once for the project in device-independent pixels (96 dpi). Pure C++: the
// scheme window scales and draws what it is given, and a screen reader and the copied
// text read the same names.
//
// The picture flows downwards in layers. A card stands one layer below every card with
// an arrow to it from an earlier row; arrows to the same or an earlier row are loops
// and go round the right of the cards, each in a lane of its own. Rows never shown
// stand apart below the rest. The same rows, graph and measure always give the same
// layout. Whatever the project:
//   - no card overlaps another, and every card has the same size;
//   - no arrow runs through a card other than at its own two ends;
//   - no arrow runs through another arrow's end mark or label;
//   - each label stands just below its card, beside the start of its arrow, and no
//     label overlaps another label, a card, the start mark or an end mark;
//   - every exit of the graph is one arrow, in the graph's order.
// The layout has one natural size; a window smaller than that scrolls. Lay the scheme
// out again with the new measure when the window's scale changes, as text does not
// grow in step with the scale.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/graph.h"
#include "script/jumps.h"
#include "script/script_file.h"

namespace designer::scheme {

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Device-independent pixels (96 dpi); y grows downwards.
struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Box&, const Box&) = default;
};

// Measures one line of text in the scheme's font, bold or not, at 96 dpi: width and
// height are used. The window passes its backend's measure, tests a fixed-width one.
using Measure = std::function<Box(std::string_view text, bool bold)>;

inline constexpr std::string_view kStartText = "Старт";
inline constexpr int kIconSize = 16;  // the icon's box on a card
inline constexpr int kEndMark = 8;    // an end mark's diameter, centred on its arrow's head

struct Card {
  int row = 0;
  Box box;                   // every card the same size
  bool start = false;        // the "Старт" mark stands above this card
  bool never_shown = false;  // greyed, placed apart below the rest
  bool trapped = false;      // no path from it reaches an end: dark red
  int icon = -1;             // position in script::kIconNames; -1 when the box shows none
  std::string title;         // field 1, bold, cut with "…" to title_box's width
  std::string line;          // the text's first line, cut with "…" to line_box's width
  std::string text;          // the whole text for the tooltip, "#" turned into "\n"
  std::string name;          // name_of: what a screen reader and the copied text say
  // Where the parts go, inside box: the row number (drawn as the decimal row) and the
  // icon in a column at the left, the title above the line at the right.
  Box number_box, icon_box, title_box, line_box;

  friend bool operator==(const Card&, const Card&) = default;
};

struct Arrow {
  int from = 0;                          // row
  int to = 0;                            // row, or script::kEnd: an end mark at the head
  int exit = 0;                          // position in graph.exits[from]
  std::optional<script::Answer> answer;  // nothing: the timeout (dashed)
  bool implicit = false;                 // no item: the answer goes on to the next line
  bool back = false;                     // a loop, to the same or an earlier row
  // From the bottom edge of the card `from` to the head: at the top edge of the card
  // `to`, or the centre of the end mark. Segments are horizontal, vertical, or (between
  // layers, where no card stands) slanting.
  std::vector<Point> points;
  std::string label;  // the answer's name, or "<seconds> с" for the timeout
  Box label_box;      // just below the card `from`, right of the arrow's first segment
  // Where the pointer takes the exit: round the start of the arrow and its label,
  // a little into the card. The grips of a card never overlap each other.
  Box grip;

  friend bool operator==(const Arrow&, const Arrow&) = default;
};

struct Layout {
  int width = 0, height = 0;       // the natural size, margins included
  Box start_mark;                  // "Старт"; empty when no card is shown
  std::vector<Point> start_arrow;  // from the mark's bottom down to the start card's top
  int apart_top = 0;               // y of a line above the cards never shown; 0: none
  std::vector<Card> cards;         // in layout (reading) order: layer by layer, left to right
  std::vector<Arrow> arrows;       // card by card in that order, each card's exits in order

  friend bool operator==(const Layout&, const Layout&) = default;
};

// The cards are the rows that show a box (graph.shown), whether a path reaches them
// or not; a row that shows nothing (empty or with one field) has none.
Layout lay_out(const script::Rows& rows, const script::Graph& graph, const Measure& measure);

// One sentence for a row's card:
//   Диалог N: <title>. <exit>, <exit>.
// each exit "<answer> → <where>" in the set's order, then the timeout's
// "через S с → <where>". <where> is where the run really goes: "дальше" for an answer
// with no item that goes on to a dialog, "конец" when the run ends (an item "конец",
// a target at or past the end, or going on past the last dialog), else "диалог M",
// M being the dialog the player shows (for a written row that shows nothing, the one
// after it that does). A title that is empty or ends in ".", "!", "?" or "…" adds no
// full stop of its own. Then " Никогда не будет показан." for a row never shown and
// " Отсюда нет пути к концу." for a row from which the run cannot end, both when both.
std::string name_of(const script::Rows& rows, const script::Graph& graph, int row);

// One way out as a card's name tells it: "Да → диалог 3", "через 5 с → конец".
std::string exit_name(const script::Exit& exit);

// The scheme as text for the clipboard: each card's name in layout order, each line
// ended by CR LF.
std::string copy_text(const Layout& layout);

}  // namespace designer::scheme
