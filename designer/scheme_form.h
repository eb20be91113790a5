#pragma once
// The scheme of the main window's project: its dialogs as cards and the ways out
// of each as arrows, in a window of its own beside the main window. It follows
// every change of the project at once. A card opens the main window's dialog
// editor; a way out dragged onto a card (or chosen from a menu) leads there, and
// every such change is one step of the main window's history. Its selection is
// the main window's.

#include <functional>
#include <string>
#include <vector>

#include "designer/scheme_layout.h"
#include "script/graph.h"
#include "ui/backend.h"
#include "ui/diagram.h"
#include "ui/form.h"

namespace designer {

class main_form;

class scheme_form : public ui::Form {
 public:
  scheme_form();

  ui::Diagram scheme{*this, "scheme"};

  // Draws the main window's project anew: the caption with its name, the cards
  // and arrows, and the card of the main window's selected row.
  void Refresh();
  // The main window selected a row: its card is selected (none when it has none).
  void SelectCard(int row);
  // Ctrl+C: the picture of the whole scheme and its text, one card a line.
  void CopyScheme();
  // Writes the picture to a PNG file the user names in the system's save dialog.
  void SavePicture();

  // The selected card's row; -1 for none.
  int selected_row() const { return row_; }
  const scheme::Layout& layout() const { return layout_; }

  void Load() override;
  void Resize() override;
  // The texts measure anew on another scale: the scheme is laid out for them.
  void TextMetricsChanged() override { Refresh(); }
  // A typed letter follows an answer: О, Д, Н, М (ОК, Да, Нет, Отмена).
  void KeyPress(char32_t& key) override;

 private:
  main_form& main() const;
  // The card of a row in layout order; -1 when the row has none.
  int card_of(int row) const;
  // Selects the card of a row and the row in the main window; a move of the
  // user's own is remembered for Backspace.
  void Select(int row, bool remember);
  // Follows the arrow of an answer (nothing: the timeout) from the selected card.
  void Follow(script::Answer answer);
  // The nearest card in a direction on the screen from the selected one.
  void Step(int dx, int dy);
  void Edit(int row);
  void ShowMenu(ui::Point at);
  void scheme_KeyDown(int& code, unsigned shift);
  void Draw();

  // The ways out of a card: their arrows in the row's order (the set's answers,
  // then the timeout), which are the parts of its item.
  std::vector<const scheme::Arrow*> exits_of(int row) const;
  // Where a way out of a row may lead, as menu items: every dialog by number and
  // title, then «конец» and «дальше», the one it leads to now checked; and what
  // choosing each does, in the same order.
  std::vector<ui::MenuItem> TargetItems(int row, int exit,
                                        std::vector<std::function<void()>>& commands);
  // The menu of where a way out leads, at its grip (a reader's default action).
  void ExitMenu(int row, int exit);
  // The pointer on a way out: a press takes it, a move of more than 4 pixels
  // drags a line from it with the card under the pointer marked, and letting go
  // on a card leads it there; on empty space a menu offers a new dialog, the
  // end and the next dialog. Esc or a lost pointer cancels.
  void DragTo(ui::Point at);
  void Drop(ui::Point at);
  void EndDrag();
  // Keeps the keys here after the main window's editor was shown.
  void Back();
  // Deletes a card's row in the main window.
  void Delete(int row);

  script::Rows rows_;  // as last laid out
  script::Graph graph_;
  scheme::Layout layout_;
  int row_ = -1;
  std::vector<int> trail_;  // the rows the user came from, the last one last
  struct Drag {
    int row = -1;  // the row whose way out is held; -1: none
    int exit = 0;  // its place among the row's ways out
    ui::Point from, at;
    bool moving = false;
  } drag_;
};

}  // namespace designer
