#pragma once
// The dialog editor: text, title, one of five icons and one of four button sets
// for one dialog row, and what comes next after each answer and after a timeout.
// It guards the two characters that carry meaning in a row, ";" and "#", and
// refuses what a project cannot store. Opened with a row, it gives back the row
// confirmed with OK.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "controls/sdbutton.h"
#include "script/jumps.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class make_form : public ui::Form {
 public:
  make_form();

  // Shows a fresh editor modally over owner with the fields of row (an empty row:
  // the editor's own defaults) under caption (empty: the editor's own), and
  // returns the row made of the confirmed values; nothing when cancelled. A field
  // that names no icon or button set leaves the editor's choice. targets are the
  // rows an answer may lead to, offered as "диалог N" (a target the row names
  // besides them is offered too). Confirmed unchanged, the row comes back byte
  // for byte; fields past what comes next come back as they were.
  static std::optional<std::string> Edit(ui::Form& owner, const std::string& row,
                                         const std::vector<int>& targets,
                                         const std::string& caption = {});

  ui::Label Label1{*this, "Label1"};
  ui::ControlArray<ui::OptionButton> dlg_icon{*this, "dlg_icon", 5};
  ui::Label Label2{*this, "Label2"};
  ui::TextBox dlg_title{*this, "dlg_title"};
  ui::Label Label3{*this, "Label3"};
  ui::TextBox dlg_text{*this, "dlg_text"};
  ui::Label Label4{*this, "Label4"};
  ui::Frame buttons{*this, "buttons"};
  ui::ControlArray<ui::OptionButton> dlg_button{buttons, "dlg_button", 4};
  // What comes next, in a column of its own beside the fields above: one line per
  // button of the chosen set, in the set's order, with where it leads and its
  // caption; then the timeout and the pause before the box.
  ui::Label next_heading{*this, "next_heading"};
  ui::Label caption_heading{*this, "caption_heading"};
  ui::ControlArray<ui::Label> answer{*this, "answer", 3};
  ui::ControlArray<ui::ComboBox> dlg_next{*this, "dlg_next", 3};
  ui::ControlArray<ui::TextBox> dlg_caption{*this, "dlg_caption", 3};
  ui::Label wait_label{*this, "wait_label"};
  ui::TextBox dlg_wait{*this, "dlg_wait"};
  ui::Label wait_next_label{*this, "wait_next_label"};
  ui::ComboBox dlg_wait_next{*this, "dlg_wait_next"};
  ui::CheckBox dlg_countdown{*this, "dlg_countdown"};
  ui::Label pause_label{*this, "pause_label"};
  ui::TextBox dlg_pause{*this, "dlg_pause"};
  ui::Label pause_unit{*this, "pause_unit"};
  controls::SDButton SDButton1{*this, "SDButton1"};
  controls::SDButton sd_cancel{*this, "sd_cancel"};

 private:
  // Puts a row's fields into the controls, with targets as the drop-down lists'
  // items.
  void Fill(const std::string& row, const std::vector<int>& targets);
  // The row of the controls' values: text, title, the first chosen icon's and
  // button set's names, what comes next with wait seconds, then the fields past
  // the fifth as the edited row had them.
  std::string Row(int wait, int pause) const;
  // Shows one line per button of the chosen set, labelled with its answer and
  // showing that answer's choice; the lines shown before hand theirs to their
  // answers first, so that a choice follows its answer from set to set.
  void ShowAnswers();
  // The answer of a line as the lines show it now.
  std::string_view AnswerName(int line) const;
  // The target a drop-down list shows, and shows a target in one.
  int Target(const ui::ComboBox& list) const;
  void SetTarget(ui::ComboBox& list, int target);
  void dlg_text_KeyPress(char32_t& key);
  // Seconds (dlg_wait, dlg_pause): digits only.
  static void seconds_KeyPress(char32_t& key);
  static void caption_KeyPress(char32_t& key);
  void SDButton1_Click();

  std::string old_row_;            // the row the editor was opened with
  std::vector<int> item_targets_;  // the lists' items as targets
  // Each answer's target and caption (ОК, Отмена, Да, Нет), whether its set is chosen or not,
  // as the lines of the set in shown_set_ last handed them over.
  std::array<int, script::kAnswerCount> answer_target_{};
  std::array<std::string, script::kAnswerCount> answer_caption_{};  // "": the button's own
  int shown_set_ = -1;                            // the button set whose answers the lines show
  std::optional<std::string>* result_ = nullptr;  // where OK puts the row
};

}  // namespace designer
