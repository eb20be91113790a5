#include "designer/comp_form.h"

#include <array>
#include <vector>

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/compile_form.h"
#include "designer/main_form.h"
#include "platform/platform.h"
#include "script/row.h"
#include "ui/backend.h"

namespace designer {
namespace {

// The console of a build that has not stopped yet, if one is open.
compile_form* running_build() {
  compile_form* console = ui::Single<compile_form>::if_loaded();
  return console && !console->done ? console : nullptr;
}

// The items before a file's: the player's own icon, then the editor's four.
constexpr std::string_view kPlayerIcon = "Как у проигрывателя";
constexpr int kBoxIcons = 4;
constexpr std::string_view kFromFile = "Из файла...";

bool usable_icon(const std::string& path, std::string* refusal = nullptr) {
  std::vector<pe::IconImage> images;
  platform::FileError error;
  std::string problem;
  if (build::IconImages({-1, path}, images, error, problem)) return true;
  if (refusal) *refusal = build::IconRefusal(path, error, problem) + ".";
  return false;
}

}  // namespace

comp_form::comp_form() : Form("comp_form") {
  set_caption("Компиляция");
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(4860, 2295);

  Label1.move(120, 240, 3735, 255);
  Label1.set_caption("Введите путь компиляции:");
  cmp.move(120, 480, 4575, 285);
  cmp.set_tab_index(0);
  one_file.move(120, 870, 2400, 255);
  one_file.set_caption("Одним файлом");
  one_file.set_tab_index(1);
  one_file.on_click = [this] { one_file_Click(); };
  // A label stands 60 lower than its list; the list ends where the path box does.
  Label2.move(120, 1260, 1695, 255);
  Label2.set_caption("Значок программы:");
  comp_icon.move(1860, 1200, 2835, 315);
  comp_icon.set_labelled_by(&Label2);
  comp_icon.set_tab_index(2);
  comp_icon.on_change = [this] { comp_icon_Change(); };
  restore_button(comp, name());
  comp.set_tab_index(3);
  comp.on_click = [this] { comp_Click(); };
  restore_button(cls, name());
  cls.set_tab_index(4);
  cls.on_click = [this] { unload(); };
  set_default_button(&comp);
  set_cancel_button(&cls);
}

void comp_form::Load() {
  const std::string project = ui::Single<main_form>::get().GetFile();
  cmp.set_text(in_program_folder(project + "_compile"));
  one_file.set_value(false);
  one_file_Click();
  // An icon of the project's own name beside it is what its author meant.
  const std::string program = build::OneFileName(project);
  const std::string beside =
      program.empty() ? "" : in_program_folder(program.substr(0, program.size() - 4) + ".ico");
  ListIcons(!beside.empty() && usable_icon(beside) ? beside : "");
  icon_item_ = icon_file_.empty() ? 0 : FromFileItem() - 1;
  comp_icon.set_list_index(icon_item_);
}

build::ProgramIcon comp_form::Icon() const {
  int item = comp_icon.list_index();
  if (item < 0 || item == FromFileItem()) item = icon_item_;
  if (item >= 1 && item <= kBoxIcons) return {item - 1, {}};
  if (item == kBoxIcons + 1 && !icon_file_.empty()) return {-1, icon_file_};
  return {};
}

void comp_form::ListIcons(std::string file) {
  icon_file_ = std::move(file);
  comp_icon.clear();
  comp_icon.add_item(std::string(kPlayerIcon));
  for (int box = 0; box < kBoxIcons; ++box)
    comp_icon.add_item(std::string(script::kIconNames[static_cast<std::size_t>(box)]));
  if (!icon_file_.empty()) comp_icon.add_item(std::string(file_name_part(icon_file_)));
  comp_icon.add_item(std::string(kFromFile));
}

void comp_form::one_file_Click() {
  // The icon is a one-file program's: a folder build copies run.exe as it is.
  Label2.set_enabled(one_file.value());
  comp_icon.set_enabled(one_file.value());
}

void comp_form::comp_icon_Change() {
  const int item = comp_icon.list_index();
  if (item != FromFileItem()) {
    icon_item_ = item;
    return;
  }
  const auto path = ui::backend().open_file_name(
      *this, {"Значок программы", "Значки", "ico", icon_file_, platform::program_folder()});
  std::string refusal;
  if (path && usable_icon(*path, &refusal)) {
    ListIcons(*path);
    icon_item_ = FromFileItem() - 1;
  } else if (path) {
    MsgBox(refusal, ui::mb::Exclamation | ui::mb::Ok);
  }
  // Back to the icon chosen, or on to the file's.
  comp_icon.set_list_index(icon_item_);
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
