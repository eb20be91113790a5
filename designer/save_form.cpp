#include "designer/save_form.h"

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/main_form.h"
#include "platform/platform.h"

namespace designer {

save_form::save_form() : Form("save_form") {
  set_caption("Сохранить файл как...");
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(5205, 1155);

  Label1.move(120, 120, 3255, 255);
  Label1.set_caption("Введите имя файла:");
  Text1.move(120, 360, 3135, 285);
  Text1.set_tab_index(0);
  Text1.on_change = [this] { Text1_Change(); };
  info.move(120, 720, 3135, 255);
  info.set_caption("Нажмите Сохранить для записи.");
  restore_button(sd_save, name());
  sd_save.set_tab_index(1);
  sd_save.on_click = [this] { sd_save_Click(); };
  restore_button(sd_close, name());
  sd_close.set_tab_index(2);
  sd_close.on_click = [this] { unload(); };
  set_default_button(&sd_save);
  set_cancel_button(&sd_close);
}

std::string save_form::target() const { return in_program_folder(Text1.text() + ".dlg"); }

void save_form::Text1_Change() {
  info.set_caption(platform::dir(target(), platform::Normal).empty()
                       ? "Нажмите сохранить для записи."
                       : "Существует. Заменить?");
}

void save_form::sd_save_Click() {
  // "main" names the preview copy, which Run replaces and the next start deletes.
  if (same_file_name(Text1.text(), "main")) {
    MsgBox("Имя main занято файлом предварительного просмотра. Введите другое имя.",
           ui::mb::Exclamation | ui::mb::Ok);
    return;
  }
  // WriteFile reads the name box, so the window goes only afterwards.
  ui::Single<main_form>::get().WriteFile(target());
  unload();
}

}  // namespace designer
