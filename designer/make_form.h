#pragma once
// The dialog editor: text, title, one of five icons and one of four button sets
// for one dialog row. It guards the two characters that carry meaning in a row,
// ";" and "#", and hands over to the main window's WriteDialogDown on OK.

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class make_form : public ui::Form {
 public:
  make_form();

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
  void dlg_text_KeyPress(char32_t& key);
  void SDButton1_Click();
};

}  // namespace designer
