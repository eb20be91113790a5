#include "controls/stored_buttons.h"

#include <array>

namespace controls {
namespace {

// clang-format off
constexpr std::array kStored{
  StoredButton{"main_form", "sd", 0, {0, 15, 1035, 270}, "Создать", 0, 0, true, 'N'},
  StoredButton{"main_form", "sd", 1, {1080, 15, 1200, 270}, "Открыть...", 0, 0, true, 'O'},
  StoredButton{"main_form", "sd", 2, {2400, 15, 1335, 270}, "Сохранить...", 0, 0, true, 'S'},
  StoredButton{"main_form", "sd", 5, {3720, 15, 1080, 270}, "Запуск...", 0, 0, true, 'R'},
  StoredButton{"main_form", "sd", 3, {4920, 15, 1485, 270}, "Компиляция...", 0, 0, true, 'C'},
  StoredButton{"main_form", "sd", 4, {6480, 0, 330, 270}, "", 0, 0, true, 'A'},
  StoredButton{"main_form", "sd_scheme", -1, {6480, 15, 1155, 270}, "Схема...", 0, 0, true, 'M'},
  StoredButton{"main_form", "sd_new", -1, {6840, 480, 375, 255}, "", 4, 0, false, 'P'},
  StoredButton{"main_form", "sd_edit", -1, {6840, 120, 375, 255}, "", 4, 0, false, 'X'},
  StoredButton{"make_form", "SDButton1", -1, {9225, 3840, 1575, 375}, "OK", 4, 1, false, 0},
  StoredButton{"make_form", "sd_cancel", -1, {11145, 3840, 1575, 375}, "Отмена", 4, 1, false, 0},
  StoredButton{"file_form", "sd_open", -1, {4440, 240, 1695, 375}, "Открыть", 4, 0, false, 'O'},
  StoredButton{"file_form", "sd_cancel", -1, {4440, 720, 1695, 375}, "Отмена", 4, 0, false, 'X'},
  StoredButton{"save_form", "sd_save", -1, {3480, 120, 1575, 375}, "Сохранить", 4, 0, false, 'S'},
  StoredButton{"save_form", "sd_close", -1, {3480, 600, 1575, 375}, "Отмена", 4, 0, false, 'X'},
  StoredButton{"comp_form", "comp", -1, {1320, 1680, 1575, 375}, "Компиляция", 4, 0, false, 'C'},
  StoredButton{"comp_form", "cls", -1, {3120, 1680, 1575, 375}, "Отмена", 4, 0, false, 'X'},
  StoredButton{"about_form", "SDButton1", -1, {3720, 3960, 1815, 300}, "Закрыть", 4, 1, false, 0},
};
// clang-format on

// Twips to hundredths of a millimetre: 1440 twips are 2540 of them.
std::int32_t hundredths_mm(int twips) { return (twips * 2540 + 720) / 1440; }

}  // namespace

std::span<const StoredButton> stored_buttons() { return kStored; }

const StoredButton* find_stored_button(std::string_view window, std::string_view name, int index) {
  for (const StoredButton& b : kStored)
    if (b.window == window && b.name == name && b.index == index) return &b;
  return nullptr;
}

PropertyBag stored_properties(const StoredButton& stored, ui::Picture picture) {
  PropertyBag bag;
  bag.write("_extentx", hundredths_mm(stored.twips.width));
  bag.write("_extenty", hundredths_mm(stored.twips.height));
  if (stored.align != 0) bag.write("align", stored.align);
  if (stored.auto_size) bag.write("autosize", true);
  if (stored.mode != 0) bag.write("mode", stored.mode);
  if (picture) bag.write("picture", std::move(picture));
  if (!stored.caption.empty()) bag.write("caption", std::string(stored.caption));
  return bag;
}

void restore(SDButton& button, const StoredButton& stored, ui::Picture picture) {
  const ui::Container& c = button.parent();
  button.move(c.from_twips(stored.twips.left), c.from_twips(stored.twips.top),
              c.from_twips(stored.twips.width), c.from_twips(stored.twips.height));
  button.ReadProperties(stored_properties(stored, std::move(picture)));
}

}  // namespace controls
