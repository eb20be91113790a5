#pragma once
// The save-as window: asks for the name of a project that has no file yet, tells
// while the name is typed whether such a file exists, and writes the project.

#include <string>
#include <string_view>

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

// Why a typed name cannot name a project, the file name + ".dlg" in the program
// folder: a character Windows never allows in a file name (a path among them), a
// name Windows keeps for a device, a name too long, a path too long (the program
// folder lies too deep), or the preview copy's "main".
// A Russian message that says so; empty when the name can be saved.
std::string project_name_problem(std::string_view name);

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
