#include "designer/make_form.h"

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/main_form.h"
#include "resources/pictures.h"
#include "script/cp1251.h"
#include "script/row.h"

namespace designer {
namespace {

// Removes every ";", turns every carriage return into "#", and replaces what the
// script's code page cannot hold with "?", so the row shows what will be saved.
std::string clean(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ';') continue;
    out += c == '\r' ? '#' : c;
  }
  return script::fit_cp1251(out);
}

}  // namespace

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
  dlg_text.set_text(clean(dlg_text.text()));
  dlg_title.set_text(clean(dlg_title.text()));
  hide();
  ui::Single<main_form>::get().WriteDialogDown();
}

}  // namespace designer
