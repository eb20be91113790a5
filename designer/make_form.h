#pragma once
// The dialog editor: text, title, one of five icons and one of four button sets
// for one dialog row. It guards the two characters that carry meaning in a row,
// ";" and "#", and refuses what a project cannot store. Opened with a row, it
// gives back the row confirmed with OK.

#include <optional>
#include <string>

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class make_form : public ui::Form {
 public:
  make_form();

  // Shows a fresh editor modally over owner with the fields of row (an empty row:
  // the editor's own defaults) under caption (empty: the editor's own), and
  // returns the row made of the confirmed values; nothing when cancelled. A field
  // that names no icon or button set leaves the editor's choice; fields past the
  // fourth come back as they were.
  static std::optional<std::string> Edit(ui::Form& owner, const std::string& row,
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
  controls::SDButton SDButton1{*this, "SDButton1"};
  controls::SDButton sd_cancel{*this, "sd_cancel"};

 private:
  // Puts a row's fields into the controls.
  void Fill(const std::string& row);
  // The row of the controls' values: text, title, the first chosen icon's and
  // button set's names, then the fields past the fourth.
  std::string Row() const;
  void dlg_text_KeyPress(char32_t& key);
  void SDButton1_Click();

  std::string past_fourth_;                       // the edited row's fields past the fourth
  std::optional<std::string>* result_ = nullptr;  // where OK puts the row
};

}  // namespace designer
