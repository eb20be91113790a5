#pragma once
// The open-project window: the ".dlg" files of the program folder, and the
// commands to open the chosen one or to close.

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class file_form : public ui::Form {
 public:
  file_form();

  ui::ListBox filebox{*this, "filebox"};
  controls::SDButton sd_open{*this, "sd_open"};
  controls::SDButton sd_cancel{*this, "sd_cancel"};

  void Load() override;

 private:
  void sd_open_Click();
};

}  // namespace designer
