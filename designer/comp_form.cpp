#include "designer/comp_form.h"

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/compile_form.h"
#include "designer/main_form.h"

namespace designer {
namespace {

// The console of a build that has not stopped yet, if one is open.
compile_form* running_build() {
  compile_form* console = ui::Single<compile_form>::if_loaded();
  return console && !console->done ? console : nullptr;
}

}  // namespace

comp_form::comp_form() : Form("comp_form") {
  set_caption("Компиляция");
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(4860, 1935);

  Label1.move(120, 240, 3735, 255);
  Label1.set_caption("Введите путь компиляции:");
  cmp.move(120, 480, 4575, 285);
  cmp.set_tab_index(0);
  one_file.move(120, 870, 2400, 255);
  one_file.set_caption("Одним файлом");
  one_file.set_tab_index(1);
  restore_button(comp, name());
  comp.set_tab_index(2);
  comp.on_click = [this] { comp_Click(); };
  restore_button(cls, name());
  cls.set_tab_index(3);
  cls.on_click = [this] { unload(); };
  set_default_button(&comp);
  set_cancel_button(&cls);
}

void comp_form::Load() {
  cmp.set_text(in_program_folder(ui::Single<main_form>::get().GetFile() + "_compile"));
  one_file.set_value(false);
}

bool comp_form::QueryUnload(ui::UnloadReason) {
  // A running build reads its path and its kind here until it ends.
  if (!running_build()) return true;
  hide();
  return false;
}

void comp_form::comp_Click() {
  if (running_build()) {
    MsgBox(
        "Предыдущая сборка ещё идёт, новая не начата. Дождитесь её конца в окне "
        "консоли и нажмите «Компиляция» ещё раз.",
        ui::mb::Exclamation | ui::mb::Ok);
    return;
  }
  // The console of a build that has stopped makes way: showing it again would
  // report that build's result as this one's.
  if (compile_form* stopped = ui::Single<compile_form>::if_loaded()) stopped->unload();
  hide();
  // Loading the console starts the build.
  ui::Single<compile_form>::get().show();
}

}  // namespace designer
