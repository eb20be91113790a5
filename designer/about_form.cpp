#include "designer/about_form.h"

#include "designer/app.h"
#include "designer/buttons.h"
#include "resources/pictures.h"
#include "resources/version.h"
#include "ui/backend.h"

namespace designer {
namespace {

constexpr int kShowNormal = 1;
// Who makes the program, and who wrote it.
constexpr std::string_view kMaker = QUILLET_MAKER;
constexpr std::string_view kAuthor = QUILLET_AUTHOR;

ui::Font sans(bool bold) { return ui::Font{"MS Sans Serif", 8.25, bold, false, ui::kCyrillicCharset}; }

void text(ui::Label& l, ui::Rect r, std::string caption, ui::Font font) {
  l.move(r);
  l.set_transparent(true);
  l.set_font(std::move(font));
  l.set_caption(std::move(caption));
}

}  // namespace

about_form::about_form() : Form("about_form") {
  set_caption("О программе");
  set_client_size(5685, 4470);
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_back_color(ui::Color::rgb(240, 240, 240));

  restore_button(SDButton1, name());
  SDButton1.on_click = [this] { unload(); };
  set_default_button(&SDButton1);
  set_cancel_button(&SDButton1);

  ui::Font link = sans(true);
  link.underline = true;
  for (auto [label, rect, caption] :
       {std::tuple{&site, ui::Rect{1800, 3120, 2475, 195}, std::string(kContactSite)},
        std::tuple{&mail, ui::Rect{1800, 2880, 1380, 195}, std::string(kContactMail)}}) {
    text(*label, rect, caption, link);
    label->set_colors(ui::Color::rgb(0, 0, 255), ui::Color::rgb(240, 240, 240));
    label->set_autosize(true);
    label->set_pointer(ui::MousePointer::Hand);
    label->set_accessible_role(ui::Role::Link);
  }
  // The links are tab stops after the button, top down; Enter opens them.
  for (auto [label, tab] : {std::pair{&mail, 1}, std::pair{&site, 2}}) {
    label->set_can_focus(true);
    label->set_tab_index(tab);
  }
  site.on_click = [this] { open_link(kContactSite); };
  mail.on_click = [this] { open_link("mailto:" + std::string(kContactMail)); };

  text(author, {840, 2640, 4815, 255},
       "Автор программы и компонентов - " + std::string(kAuthor), sans(true));
  text(site_caption, {840, 3120, 975, 375}, "Web-site:", sans(false));
  text(mail_caption, {840, 2880, 975, 255}, "E-Mail:", sans(false));
  text(notice, {120, 3600, 5535, 255}, QUILLET_COPYRIGHT, sans(true));
  notice.set_alignment(ui::Align::Center);
  text(console, {840, 2040, 4575, 495},
       "Tervan Quillet Console v. 1.0\r\n© 2008 " + std::string(kMaker) + ", " + std::string(kAuthor),
       sans(true));
  text(credit, {840, 1320, 4695, 735},
       "В программе использованы фрагменты Quillet Controls.\r\n© 2007 " + std::string(kMaker) +
           ", " + std::string(kAuthor),
       sans(true));
  text(description, {840, 720, 4695, 495},
       "Программа для создания приложений, выдающих диалоговые окна.", sans(false));
  description.set_word_wrap(true);
  rule.set_points(840, 600, 5520, 600);
  text(title, {840, 240, 4455, 375}, QUILLET_PRODUCT " v. " QUILLET_VERSION,
       ui::Font{"Arial", 12, true, false, ui::kCyrillicCharset});
  emblem.move(120, 120, 480, 480);
  emblem.set_picture(picture(resources::kEmblem));
}

void about_form::open_link(std::string_view target) {
  // Whether the shell found a mail program or a browser is not examined.
  ui::backend().shell_open(this, target, "C:\\", kShowNormal);
}

}  // namespace designer
