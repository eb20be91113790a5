#pragma once
// The main window: the toolbar, the numbered list of up to fifteen dialog rows and
// the status strip with a tip, or with what was last done and a notice while some
// rows can never be shown, some rows lead only in circles or the sequence can
// never end. It owns the dialog sequence, its history and the project's file
// name, and asks before unsaved changes are thrown away. A range of rows can be
// selected; it is cut, copied, pasted, duplicated, moved (with the keys or
// dragged with the pointer) and deleted, and every change can be undone.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "controls/sdbutton.h"
#include "script/edits.h"
#include "script/history.h"
#include "script/jumps.h"
#include "script/script_file.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class main_form : public ui::Form {
 public:
  main_form();

  // The sequence: filled rows first, an empty string is an empty row.
  script::Rows dlg_rows;
  std::int16_t dlg_index = 0;   // the selected row; of a range, the end the keys move
  std::int16_t dlg_anchor = 0;  // the other end of the selected range
  std::string file_name;        // "story.dlg", empty while untitled
  bool changed = false;         // the rows differ from those last opened, saved or cleared

  // Controls, in creation order; where they overlap, the earlier one lies in front.
  ui::PictureBox ToolBar{*this, "ToolBar"};
  ui::ControlArray<controls::SDButton> sd{ToolBar, "sd", {0, 1, 2, 5, 3, 4}};
  controls::SDButton sd_scheme{ToolBar, "sd_scheme"};
  ui::PictureBox Picture1{*this, "Picture1"};
  ui::Label status{Picture1, "status"};
  ui::PictureBox TextBox{*this, "TextBox"};
  ui::ControlArray<ui::Label> str_num{TextBox, "str_num", script::kRowCount};
  ui::ControlArray<ui::Label> str_str{TextBox, "str_str", script::kRowCount};
  controls::SDButton sd_new{TextBox, "sd_new"};
  controls::SDButton sd_edit{TextBox, "sd_edit"};
  ui::Label Label1{TextBox, "Label1"};
  ui::Label drop_mark{TextBox, "drop_mark"};  // where rows dragged with the pointer land

  // Lays out the row labels and sd_edit for the list's width.
  void TextBox_Size();
  // Draws the list from dlg_rows, up to the first empty row, and tells in the
  // status strip where the sequence cannot go.
  void UpdateText();
  // Stores a row the dialog editor gave back at dlg_index and selects it, as one
  // change of the history.
  void WriteDialogDown(std::string row);

  // The selected rows.
  script::Selection selection() const { return {dlg_anchor, dlg_index}; }
  // One change of the project, whichever window makes it, as one step of the
  // history: the rows of the edit (where each old row went keeps the rows'
  // identities), the selection after it, and the change in words for the status
  // strip and for undoing it ("перемещение диалога 4"). Rows that stay as they
  // were make no step; the selection is taken all the same.
  void ApplyEdit(const script::Edit& edit, script::Selection after, const std::string& what);

  // The commands on the selected rows, each with its key and in the context menu.
  void Undo();            // Ctrl+Z
  void Redo();            // Ctrl+Y, Ctrl+Shift+Z
  void CutRows();         // Ctrl+X
  void CopyRows();        // Ctrl+C: plain script lines and the designer's own block
  void PasteRows();       // Ctrl+V: after the selection
  void DuplicateRows();   // Ctrl+D: a copy right after the selection
  void MoveRows(int by);  // Alt+Up (-1), Alt+Down (+1)
  void NewDialogBefore();
  void DeleteRows();  // Delete
  void RunFrom();     // Shift+F5: the preview from the first selected dialog
  void SaveAs();      // Ctrl+Shift+S: the save-as window even for a named project
  // The context menu of the rows at a point of a control, in its pixels.
  void ShowMenu(ui::Control& at, ui::Point where);

  // The project file (defined in project_files.cpp).
  std::string GetFile() const { return file_name; }
  void OpenFile(const std::string& fl);
  void WriteFile(const std::string& fl);

  // The toolbar: 0 New, 1 Open, 2 Save, 3 Build, 4 About, 5 Run.
  void sd_Click(int index);
  // Opens the scheme window, or brings it forward.
  void sd_scheme_Click();

  // Selects a row as a click on it does, and opens it in the dialog editor as a
  // double click does (the scheme's cards).
  void SelectRow(int index) { Select({index, index}); }
  const script::History& history() const { return history_; }
  void EditDialog(int index);
  // Leads a way out of a row's box (an answer; nothing: the timeout) to a target,
  // a row, script::kEnd or script::kGoOn, as one change that touches the row's
  // field 4 alone (the scheme's connections). The row is selected.
  void Connect(int row, std::optional<script::Answer> answer, int target);
  // Opens the editor for a new dialog; its OK puts the dialog in the first empty
  // row and leads the way out to it, as one change, and selects it.
  void ConnectToNewDialog(int row, std::optional<script::Answer> answer);

  // Where the tip's random number in [0, 1) comes from; tests fix it.
  static inline std::function<double()> random_unit;

  void Load() override;
  bool QueryUnload(ui::UnloadReason why) override;
  // The captions measure anew, so the toolbar buttons may have other widths and
  // another wording of the notice may fit the status strip.
  void TextMetricsChanged() override {
    ToolBar_Layout();
    UpdateNotice();
  }

 private:
  // The toolbar buttons side by side in creation order, About at the right end.
  void ToolBar_Layout();
  // The save-changes prompt; true when the operation may go on.
  bool SaveChangesPrompt();
  void str_str_Click(int index) { Select({index, index}); }
  void str_str_DblClick(int index);
  // Selects a range: the borders, the list's selected items, the focus mark and
  // sd_edit at the row the keys move, and the scheme's card.
  void Select(script::Selection s);
  // The rows the list shows; whether the selection holds shown rows.
  int ShownRows() const { return script::shown_rows(dlg_rows); }
  bool RowsSelected() const { return selection().last() < ShownRows(); }
  // A fresh history at the rows as they are (start, New, Open), saved as they are.
  void StartHistory();
  void Restore(const script::ProjectState& state, const std::string& words);
  // Refuses an insert of `needed` rows that do not fit; true when it did.
  bool NoRoomFor(int needed);
  // The selected rows on the clipboard, as plain lines and as a block of the
  // designer's own; false (told in a box) when they could not go.
  bool ToClipboard();
  // The pointer on a row (its number or its text), in the list's pixels: a press
  // selects, a drag moves the selected rows to the gap between rows it is let go
  // at, shown by drop_mark; Esc or a lost pointer cancels it.
  void row_MouseDown(int row, ui::Point at, ui::MouseButton button, unsigned shift);
  void row_MouseMove(ui::Point at);
  void row_MouseUp(ui::Point at, ui::MouseButton button);
  void EndDrag();
  // The gap between rows nearest to a height in the list: 0 above the first row,
  // ShownRows() below the last.
  int GapAt(int y) const;
  // The list as one tab stop: arrows, Home and End select (with Shift, the rows
  // in between too), Enter edits, Delete deletes the selected rows, Shift+F10 and
  // the menu key open the context menu, Esc cancels a drag.
  void TextBox_KeyDown(int& code, unsigned shift);
  void mark_focus_row();
  void sd_new_Click();
  void sd_edit_Click();
  // Opens the editor for dlg_index with row and stores what it gives back.
  void EditRow(const std::string& row, const std::string& caption);
  // The status strip: what was last done, and the notice of rows never shown, of
  // rows after which the sequence never ends and of a sequence that never ends
  // while there is one (in dark red); the tip while there is neither.
  void UpdateNotice();
  // The scheme window, when open, follows the project.
  void UpdateScheme();
  // The preview, from the first line or from dialog `from`.
  void Run(int from = -1);

  std::string tip_;   // the tip chosen at start
  std::string done_;  // what was last done or undone, for the status strip
  script::History history_;
  script::RowIds ids_{};
  std::uint32_t next_id_ = 1;
  std::string project_;     // names this project among others, for the clipboard
  bool saving_as_ = false;  // the save-as window names the project anew
  struct Drag {
    int row = -1;  // the row pressed while the left button is held; -1: none
    ui::Point from;
    bool moving = false;    // the pointer went far enough to drag
    bool collapse = false;  // a press inside a range selects one row when let go there
    int gap = -1;
  } drag_;
};

// Path of a file in the program folder.
std::string in_program_folder(std::string_view name);

}  // namespace designer
