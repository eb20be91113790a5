#pragma once
// The save-as window: asks for the name of a project that has no file yet, tells
// while the name is typed whether such a file exists, and writes the project.

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class save_form : public ui::Form {
 public:
  save_form();

  ui::Label Label1{*this, "Label1"};
  ui::TextBox Text1{*this, "Text1"};
  ui::Label info{*this, "info"};
  controls::SDButton sd_save{*this, "sd_save"};
  controls::SDButton sd_close{*this, "sd_close"};

 private:
  std::string target() const;
  void Text1_Change();
  void sd_save_Click();
};

}  // namespace designer
