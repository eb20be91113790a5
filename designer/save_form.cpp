#include "designer/save_form.h"

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/main_form.h"
#include "platform/platform.h"
#include "utf/utf.h"

namespace designer {

std::string project_name_problem(std::string_view name) {
  const std::string quoted = "«" + std::string(name) + "»";
  bool has_path = false;
  if (const std::string forbidden = forbidden_in_file_name(name, has_path); !forbidden.empty())
    return "Имя " + quoted + " нельзя дать проекту: Windows не допускает в имени файла " +
           forbidden + "." +
           (has_path ? " Проект всегда сохраняется в папке программы, поэтому в имени не может "
                       "быть пути."
                     : "") +
           " Введите другое имя.";
  if (const std::string device = device_of(name); !device.empty())
    return "Имя " + quoted + " нельзя дать проекту: имя " + device +
           " Windows оставляет за устройством, и файла с таким именем, с любым расширением, "
           "быть не может. Введите другое имя.";
  if (const std::size_t length = utf::widen(std::string(name) + ".dlg").size();
      length > kLongestFileName)
    return "Имя слишком длинное: вместе с «.dlg» в имени файла может быть не больше " +
           std::to_string(kLongestFileName) + " символов, а здесь " + std::to_string(length) +
           ". Введите имя короче.";
  if (const std::size_t length = utf::widen(in_program_folder(std::string(name) + ".dlg")).size();
      length > kLongestPath)
    return "Путь к файлу проекта слишком длинный: в нём может быть не больше " +
           std::to_string(kLongestPath) + " символов, а здесь " + std::to_string(length) +
           ". Папка программы лежит слишком глубоко: перенесите программу в папку с путём "
           "короче.";
  // "main" names the preview copy, which Run replaces and the next start deletes.
  if (same_file_name(name, "main"))
    return "Имя main занято файлом предварительного просмотра. Введите другое имя.";
  return {};
}

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
  // A name that cannot work is refused before anything is written; the window
  // stays, with the name in its box to be put right.
  if (const std::string problem = project_name_problem(Text1.text()); !problem.empty()) {
    MsgBox(problem, ui::mb::Exclamation | ui::mb::Ok);
    Text1.set_focus();
    return;
  }
  // WriteFile reads the name box, so the window goes only afterwards.
  ui::Single<main_form>::get().WriteFile(target());
  unload();
}

}  // namespace designer
