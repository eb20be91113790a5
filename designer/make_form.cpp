#include "designer/make_form.h"

#include <cstdio>
#include <vector>

#include "designer/app.h"
#include "designer/buttons.h"
#include "resources/pictures.h"
#include "script/cp1251.h"
#include "script/row.h"
#include "utf/utf.h"

namespace designer {
namespace {

// Removes every ";" and turns every carriage return into "#".
std::string clean(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ';') continue;
    out += c == '\r' ? '#' : c;
  }
  return out;
}

// A character as the refusal names it: itself and its code, which tells it even
// where no font can draw it: «é» (U+00E9).
std::string named(const std::string& c) {
  char32_t code = 0;
  utf::decode(c, code);
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  return "«" + c + "» (" + hex + ")";
}

// The refusal of characters that a project, Windows-1251 text, cannot hold.
std::string unstorable_message(const std::vector<std::string>& chars) {
  const bool one = chars.size() == 1;
  // A long paste would make the box taller than the screen: the first ones, and
  // how many more.
  constexpr std::size_t kNamed = 12;
  std::string list;
  for (std::size_t i = 0; i < chars.size() && i < kNamed; ++i)
    list += (i ? ", " : "") + named(chars[i]);
  if (chars.size() > kNamed) list += " и ещё " + std::to_string(chars.size() - kNamed);
  return std::string(one ? "В проекте нельзя сохранить символ "
                         : "В проекте нельзя сохранить символы ") +
         list + ".\r\n\r\nПроект хранит текст в кодировке Windows-1251 (кириллица), а в ней " +
         (one ? "его нет. Замените или удалите его" : "их нет. Замените или удалите их") +
         " и нажмите OK ещё раз.";
}

}  // namespace

std::optional<std::string> make_form::Edit(ui::Form& owner, const std::string& row,
                                           const std::string& caption) {
  std::optional<std::string> result;
  make_form& editor = ui::Single<make_form>::get();
  editor.Fill(row);
  if (!caption.empty()) editor.set_caption(caption);
  editor.result_ = &result;
  editor.show_modal(owner);
  // OK or Cancel has unloaded it; a window that is still there goes now.
  if (make_form* left = ui::Single<make_form>::if_loaded()) left->unload();
  return result;
}

void make_form::Fill(const std::string& row) {
  const script::Fields f = script::split_row(row);
  // A row edited by hand may lack fields; what it lacks keeps the editor's default.
  if (f.has(0)) dlg_text.set_text(std::string(f.field[0]));
  if (f.has(1)) dlg_title.set_text(std::string(f.field[1]));
  if (f.has(2))
    if (auto k = script::match_icon(f.field[2])) dlg_icon[*k].set_value(true);
  if (f.has(3))
    if (auto k = script::match_button_set(f.field[3])) dlg_button[*k].set_value(true);
  past_fourth_ = std::string(script::fields_past_fourth(row));
}

std::string make_form::Row() const {
  std::string row = dlg_text.text() + std::string(script::kSeparator) + dlg_title.text();
  for (int k = 0; k < script::kIconCount; ++k)
    if (dlg_icon[k].value()) {
      row.append(script::kSeparator).append(script::kIconNames[static_cast<std::size_t>(k)]);
      break;
    }
  for (int k = 0; k < script::kButtonSetCount; ++k)
    if (dlg_button[k].value()) {
      row.append(script::kSeparator).append(script::kButtonSetNames[static_cast<std::size_t>(k)]);
      break;
    }
  return row + past_fourth_;
}

make_form::make_form() : Form("make_form") {
  set_caption("Создать диалог");
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(5535, 5355);

  Label1.move(120, 120, 5295, 255);
  Label1.set_caption("Значок диалога:");
  const ui::Picture faces[] = {picture(resources::kIconError), picture(resources::kIconWarning),
                               picture(resources::kIconInformation),
                               picture(resources::kIconQuestion)};
  for (int i = 0; i < 5; ++i) {
    ui::OptionButton& o = dlg_icon[i];
    o.move(120 + 1080 * i, 480, 975, 735);
    o.set_graphical(true);
    o.set_back_color(ui::Color::rgb(240, 240, 240));
    o.set_tab_index(2 + i);
    // Read by the icon each option stands for, pictures and "(без значка)" alike.
    o.set_accessible_name(std::string(script::kIconNames[static_cast<std::size_t>(i)]));
    if (i < 4)
      o.set_picture(faces[i]);
    else
      o.set_caption("(без значка)");
  }
  dlg_icon[4].set_value(true);

  Label2.move(120, 1320, 5295, 255);
  Label2.set_caption("Заголовок диалога:");
  Label2.set_tab_index(8);
  dlg_title.move(120, 1680, 5295, 285);
  dlg_title.set_text("Диалог");
  dlg_title.set_tab_index(9);
  Label3.move(120, 2160, 5295, 255);
  Label3.set_caption("Текст сообщения:");
  Label3.set_tab_index(10);
  dlg_text.move(120, 2520, 5295, 1215);
  dlg_text.set_multiline(true);
  dlg_text.set_tab_index(11);
  dlg_text.on_key_press = [this](char32_t& key) { dlg_text_KeyPress(key); };
  Label4.move(120, 3840, 5295, 255);
  Label4.set_caption("Кнопки диалога:");
  Label4.set_tab_index(12);

  buttons.move(120, 4080, 5295, 615);
  buttons.set_tab_index(13);
  struct Choice {
    const char* caption;
    int left, width;
  };
  const Choice choices[] = {{"ОК", 0, 735},
                            {"ОК и Отмена", 840, 1455},
                            {"Да и Нет", 2400, 975},
                            {"Да, Нет и Отмена", 3480, 1815}};
  for (int i = 0; i < 4; ++i) {
    ui::OptionButton& o = dlg_button[i];
    o.move(choices[i].left, 120, choices[i].width, 375);
    o.set_caption(choices[i].caption);
    o.set_graphical(true);
    o.set_back_color(ui::Color::rgb(240, 240, 240));
    o.set_tab_index(14 + i);
  }
  dlg_button[0].set_value(true);

  restore_button(SDButton1, name());
  SDButton1.set_tab_index(1);
  SDButton1.on_click = [this] { SDButton1_Click(); };
  restore_button(sd_cancel, name());
  sd_cancel.set_tab_index(0);
  sd_cancel.on_click = [this] { unload(); };
  set_default_button(&SDButton1);
  set_cancel_button(&sd_cancel);
  // OK from anywhere, also from the message text, where Enter makes "#".
  add_shortcut(ui::key::Enter, ui::shift::Ctrl, [this] { SDButton1.activate(); });
}

void make_form::dlg_text_KeyPress(char32_t& key) {
  if (key == U';' || key == U'#') {
    MsgBox("Недопустиный символ.", ui::mb::Exclamation | ui::mb::Ok);
    key = 0;
    return;
  }
  if (key == 13) key = U'#';
}

void make_form::SDButton1_Click() {
  const std::string text = clean(dlg_text.text());
  const std::string title = clean(dlg_title.text());
  // Nothing is stored while a character cannot be; the text stays as typed.
  if (const auto refused = script::unstorable_chars(text + title); !refused.empty()) {
    MsgBox(unstorable_message(refused), ui::mb::Exclamation | ui::mb::Ok);
    return;
  }
  dlg_text.set_text(text);
  dlg_title.set_text(title);
  if (result_) *result_ = Row();
  unload();
}

}  // namespace designer
