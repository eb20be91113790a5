#include "designer/file_form.h"

#include "designer/buttons.h"
#include "designer/main_form.h"
#include "platform/platform.h"

namespace designer {

file_form::file_form() : Form("file_form") {
  set_caption("Открыть");
  set_back_color(ui::Color::rgb(240, 240, 240));
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(6360, 3690);

  filebox.move(120, 240, 4215, 3180);
  filebox.set_font(ui::Font{"Courier New", 9.75, false, false, ui::kCyrillicCharset});
  filebox.set_tab_index(1);
  restore_button(sd_open, name());
  sd_open.set_tab_index(0);
  sd_open.on_click = [this] { sd_open_Click(); };
  restore_button(sd_cancel, name());
  sd_cancel.set_tab_index(2);
  sd_cancel.on_click = [this] { unload(); };
  set_default_button(&sd_open);
  set_cancel_button(&sd_cancel);
}

void file_form::Load() {
  for (const std::string& name : platform::dir_all(in_program_folder("*.dlg"), platform::Normal))
    filebox.add_item(name);
}

void file_form::sd_open_Click() {
  const std::string entry = filebox.text();
  if (entry.empty()) return;
  // OpenFile reads this window's choice, so the window goes only afterwards.
  ui::Single<main_form>::get().OpenFile(in_program_folder(entry));
  unload();
}

}  // namespace designer
