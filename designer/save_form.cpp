#include "designer/save_form.h"

#include <algorithm>
#include <vector>

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/main_form.h"
#include "platform/platform.h"
#include "utf/utf.h"

namespace designer {
namespace {

// The longest file name Windows makes, in UTF-16 units.
constexpr std::size_t kLongestFileName = 255;

// "«a»", "«a» и «b»", "«a», «b» и «c»".
std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i)
    out += (i == 0 ? "" : i + 1 == items.size() ? " и " : ", ") + items[i];
  return out;
}

// The characters of a name that no Windows file name may hold, described.
std::string forbidden_in(std::string_view name, bool& has_path) {
  std::vector<std::string> shown;  // as «c», each once
  std::vector<std::string> codes;  // control characters by their codes
  has_path = false;
  while (!name.empty()) {
    char32_t c;
    name.remove_prefix(utf::decode(name, c));
    if (c < 32) {
      const std::string code = std::to_string(static_cast<unsigned>(c));
      if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    } else if (c < 128 && std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) !=
                              std::string_view::npos) {
      has_path = has_path || c == '\\' || c == '/';
      const std::string quoted = "«" + std::string(1, static_cast<char>(c)) + "»";
      if (std::find(shown.begin(), shown.end(), quoted) == shown.end()) shown.push_back(quoted);
    }
  }
  std::vector<std::string> parts;
  if (!shown.empty()) parts.push_back((shown.size() == 1 ? "символ " : "символы ") + listed(shown));
  if (!codes.empty())
    parts.push_back(codes.size() == 1 ? "управляющий символ с кодом " + codes[0]
                                      : "управляющие символы с кодами " + listed(codes));
  return listed(parts);
}

// The device a name stands for, upper case ("NUL" for "nul.txt" or "Nul ."); empty
// when it stands for none. Windows reads the part before the first dot, without
// its trailing spaces, in any case, as a device name.
std::string device_of(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kPlain)
    if (base == device) return base;
  // COM and LPT with a digit, superscripts ¹ ² ³ included.
  for (const char* port : {"COM", "LPT"}) {
    if (!base.starts_with(port)) continue;
    const std::string_view number = std::string_view(base).substr(3);
    if ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "¹" ||
        number == "²" || number == "³")
      return base;
  }
  return {};
}

}  // namespace

std::string project_name_problem(std::string_view name) {
  const std::string quoted = "«" + std::string(name) + "»";
  bool has_path = false;
  if (const std::string forbidden = forbidden_in(name, has_path); !forbidden.empty())
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
