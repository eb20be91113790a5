#pragma once
// The build-path prompt. It proposes a folder beside the project, and on confirm
// hides itself and opens a new build console (closing one that a stopped build
// left open; while a build still runs it says so and builds nothing). The build
// reads the path from cmp, whether to build one file from one_file and that
// program's icon from comp_icon while the prompt stays loaded, and closes the
// prompt when it ends; until then closing the prompt only hides it.

#include <string>

#include "controls/sdbutton.h"
#include "designer/build.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class comp_form : public ui::Form {
 public:
  comp_form();

  ui::Label Label1{*this, "Label1"};
  ui::TextBox cmp{*this, "cmp"};
  ui::CheckBox one_file{*this, "one_file"};
  ui::Label Label2{*this, "Label2"};
  // The player's icon, the editor's four box icons, an .ico file once one is
  // chosen (or lies beside the project as <project>.ico), and «Из файла...»,
  // which asks for one. Usable while one_file is ticked.
  ui::ComboBox comp_icon{*this, "comp_icon"};
  controls::SDButton comp{*this, "comp"};
  controls::SDButton cls{*this, "cls"};

  void Load() override;
  bool QueryUnload(ui::UnloadReason why) override;

  // The icon comp_icon stands at, for a one-file program.
  build::ProgramIcon Icon() const;

 private:
  void comp_Click();
  void one_file_Click();
  void comp_icon_Change();
  // Lists the icons, with this .ico file among them unless the path is empty.
  void ListIcons(std::string file);
  int FromFileItem() const { return static_cast<int>(comp_icon.items().size()) - 1; }

  std::string icon_file_;  // the .ico file listed, empty when none is
  int icon_item_ = 0;      // the icon chosen last, never «Из файла...»
};

}  // namespace designer
