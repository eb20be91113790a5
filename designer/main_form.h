#pragma once
// The main window: the toolbar, the numbered list of up to fifteen dialog rows and
// the status strip with a tip, or with a notice while some rows can never be
// shown, some rows lead only in circles or the sequence can never end. It owns the
// dialog sequence and the project's file name, and asks before unsaved changes are
// thrown away.

#include <cstdint>
#include <functional>
#include <string>

#include "controls/sdbutton.h"
#include "script/script_file.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class main_form : public ui::Form {
 public:
  main_form();

  // The sequence: filled rows first, an empty string is an empty row.
  script::Rows dlg_rows;
  std::int16_t dlg_index = 0;  // the selected row
  std::string file_name;       // "story.dlg", empty while untitled
  bool changed = false;        // edited since last saved or cleared

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

  // Lays out the row labels and sd_edit for the list's width.
  void TextBox_Size();
  // Draws the list from dlg_rows, up to the first empty row, and tells in the
  // status strip where the sequence cannot go.
  void UpdateText();
  // Stores a row the dialog editor gave back at dlg_index, selects it and marks
  // the sequence changed.
  void WriteDialogDown(std::string row);

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
  void SelectRow(int index);
  void EditDialog(int index);

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
  void str_str_Click(int index);
  void str_str_DblClick(int index);
  // The list as one tab stop: arrows, Home and End select, Enter edits and
  // Delete deletes the selected row.
  void TextBox_KeyDown(int& code, unsigned shift);
  void mark_focus_row();
  void sd_new_Click();
  void sd_edit_Click();
  // Opens the editor for dlg_index with row and stores what it gives back.
  void EditRow(const std::string& row, const std::string& caption);
  // The status strip: the notice of rows never shown, of rows after which the
  // sequence never ends and of a sequence that never ends while there is one (in
  // dark red), the tip otherwise.
  void UpdateNotice();
  // The scheme window, when open, follows the project.
  void UpdateScheme();
  void Run();

  std::string tip_;  // the tip chosen at start
};

// Path of a file in the program folder.
std::string in_program_folder(std::string_view name);

}  // namespace designer
