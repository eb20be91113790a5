#pragma once
// The build-path prompt. It proposes a folder beside the project, and on confirm
// hides itself and opens a new build console (closing one that a stopped build
// left open; while a build still runs it says so and builds nothing). The build
// reads the path from cmp and whether to build one file from one_file while the
// prompt stays loaded, and closes the prompt when it ends; until then closing the
// prompt only hides it.

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class comp_form : public ui::Form {
 public:
  comp_form();

  ui::Label Label1{*this, "Label1"};
  ui::TextBox cmp{*this, "cmp"};
  ui::CheckBox one_file{*this, "one_file"};
  controls::SDButton comp{*this, "comp"};
  controls::SDButton cls{*this, "cls"};

  void Load() override;
  bool QueryUnload(ui::UnloadReason why) override;

 private:
  void comp_Click();
};

}  // namespace designer
