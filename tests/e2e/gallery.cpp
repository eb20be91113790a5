// gallery.exe: one window with a control of every kind the Win32 backend makes, in
// the looks the designer's windows use, and SDButton in each Mode with and without
// picture and caption. Not shipped; gallery_e2e drives it and takes its pictures.
// Every Click and ArrowClick, option chosen, list entry selected, drop-down choice
// and check box toggle is written as a line to the label `events`.

#include <windows.h>

#include <deque>
#include <string>

#include "controls/sdbutton.h"
#include "resources/pictures.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/win32/program.h"

namespace {

const ui::Color kPanel = ui::Color::rgb(240, 240, 240);

ui::Picture picture(const resources::Art& art) {
  return ui::make_picture(art.width, art.height, art.pixels);
}

ui::Font font(const char* name, double size, bool bold, bool underline = false) {
  return ui::Font{name, size, bold, underline, ui::kCyrillicCharset};
}

class gallery_form : public ui::Form {
 public:
  gallery_form() : Form("gallery_form") {
    set_caption("Галерея элементов");
    set_client_size(9000, 6900);
    set_border(ui::Border::FixedSingle, true);
    set_start_position(ui::StartPosition::CenterScreen);
    set_back_color(kPanel);

    ToolBar.set_back_color(kPanel);
    ToolBar.set_height(360);  // twips of the window: 24 pixels
    ToolBar.set_docking(ui::Docking::Top);

    // Toolbar faces: Mode 0 with picture and caption, picture only, caption only;
    // Mode 1 (toggle), 2 (arrow glyph) and 3 (split) with picture and caption.
    setup(sd[0], 0, &resources::kPictureNew, "Создать");
    setup(sd[1], 0, &resources::kPictureAbout, "");
    setup(sd[2], 0, nullptr, "Только текст");
    setup(sd[3], 1, &resources::kPictureSave, "Сохранить...");
    setup(sd[4], 2, &resources::kPictureRun, "Запуск...");
    setup(sd[5], 3, &resources::kPictureCompile, "Компиляция...");
    int left = 1;
    for (int i = 0; i <= 5; ++i) {
      controls::SDButton& b = sd[i];
      b.set_AutoSize(true);
      b.move(left, 2, std::max(b.width(), 22), 20);
      b.Relayout();
      left = b.left() + b.width() + 2;
    }
    // Mode 4, bordered: caption only, picture only, both.
    setup(sd_form[6], 4, nullptr, "OK");
    sd_form[6].move(120, 4800, 1575, 375);
    setup(sd_form[7], 4, &resources::kPictureAdd, "");
    sd_form[7].move(1800, 4860, 375, 255);
    setup(sd_form[8], 4, &resources::kPictureCancel, "Отмена");
    sd_form[8].move(2280, 4800, 1695, 375);
    for (int i = 6; i <= 8; ++i) sd_form[i].set_Align(1);

    plain.move(120, 480, 2400, 255);
    plain.set_caption("Обычная надпись");
    plain.set_tooltip("Надпись шрифтом окна");

    backdrop.move(2640, 420, 3000, 420);
    backdrop.set_back_color(ui::Color::rgb(200, 220, 255));
    see_through.move(8, 6, 190, 17);
    see_through.set_caption("Прозрачная надпись");
    see_through.set_transparent(true);
    see_through.set_font(font("MS Sans Serif", 8.25, true));

    row.move(120, 900, 5295, 255);
    row.set_font(font("Courier New", 9.75, false));
    row.set_colors(ui::Color::system(ui::SysColor::WindowText),
                   ui::Color::system(ui::SysColor::Window));
    row.set_border(true);
    row.set_caption("Привет#мир; Диалог; Информация; ОК");
    row.set_tooltip(row.caption());

    number.move(5520, 900, 495, 255);
    number.set_alignment(ui::Align::Right);
    number.set_transparent(true);
    number.set_font(font("Courier New", 9.75, true));
    number.set_caption("14");

    mail.move(6240, 900, 1380, 195);
    mail.set_font(font("MS Sans Serif", 8.25, true, true));
    mail.set_colors(ui::Color::rgb(0, 0, 255), kPanel);
    mail.set_transparent(true);
    mail.set_autosize(true);
    mail.set_caption("quillet@example.org");
    mail.set_pointer(ui::MousePointer::Hand);

    title.move(120, 1320, 3000, 285);
    title.set_text("Диалог");
    text.set_multiline(true);
    text.move(120, 1680, 3000, 960);
    text.set_text("Текст сообщения");

    filebox.move(3240, 1320, 2400, 1320);
    filebox.set_font(font("Courier New", 9.75, false));
    for (const char* f : {"story.dlg", "сказка.dlg", "main.dlg", "welcome.dlg"})
      filebox.add_item(f);
    filebox.set_list_index(1);
    filebox.on_click = [this] { note("Select filebox: " + filebox.text()); };

    cmd.move(5760, 1320, 2775, 1320);
    cmd.set_colors(ui::Color::rgb(192, 192, 192), ui::Color::rgb(0, 0, 0));
    cmd.set_font(font("Courier New", 9.75, true));
    cmd.set_caption("Tervan Quillet Console v.1.0\r\nСборка началась.\r\n\r\n_");
    VScroll1.move(8535, 1320, 255, 1320);

    const resources::Art* icons[] = {&resources::kIconError, &resources::kIconWarning,
                                     &resources::kIconInformation, &resources::kIconQuestion};
    for (int i = 0; i < 5; ++i) {
      ui::OptionButton& o = dlg_icon[i];
      o.move(120 + 1080 * i, 2760, 975, 735);
      o.set_graphical(true);
      o.set_back_color(kPanel);
      if (i < 4)
        o.set_picture(picture(*icons[i]));
      else
        o.set_caption("(без значка)");
    }
    dlg_icon[4].set_value(true);

    buttons.move(120, 3600, 5295, 615);
    const char* sets[] = {"ОК", "ОК и Отмена", "Да и Нет", "Да, Нет и Отмена"};
    const int lefts[] = {0, 840, 2400, 3480}, widths[] = {735, 1455, 975, 1815};
    for (int i = 0; i < 4; ++i) {
      ui::OptionButton& o = dlg_button[i];
      o.move(lefts[i], 120, widths[i], 375);
      o.set_graphical(true);
      o.set_back_color(kPanel);
      o.set_caption(sets[i]);
    }
    dlg_button[0].set_value(true);

    emblem.move(5760, 2760, 480, 480);
    emblem.set_picture(picture(resources::kEmblem));
    rule.set_points(120, 4560, 8880, 4560);
    rule.set_color(ui::Color::rgb(128, 128, 128));

    events.move(4200, 4800, 4680, 1980);
    events.set_font(font("Courier New", 9.75, false));
    events.set_colors(ui::Color::system(ui::SysColor::WindowText),
                      ui::Color::system(ui::SysColor::Window));
    events.set_border(true);

    // What comes after each answer, named by the answer's label, and a check box.
    const char* answers[] = {"ОК:", "Отмена:"};
    for (int i = 0; i < 2; ++i) {
      answer[i].move(120, 5400 + 420 * i, 1000, 255);
      answer[i].set_caption(answers[i]);
      answer[i].set_transparent(true);
      ui::ComboBox& c = dlg_next[i];
      c.move(1200, 5340 + 420 * i, 2400, 315);
      c.add_item("дальше");
      for (int d = 1; d <= 15; ++d) c.add_item("диалог " + std::to_string(d));
      c.add_item("конец");
      c.set_list_index(i == 0 ? 0 : 16);
      c.set_labelled_by(&answer[i]);
      c.on_change = [this, &c] { note("Change " + c.automation_name() + ": " + c.text()); };
    }
    one_file.move(120, 6240, 2400, 255);
    one_file.set_caption("Одним файлом");
    one_file.on_click = [this] { note(one_file.value() ? "Check one_file" : "Clear one_file"); };
    set_default_button(&sd_form[6]);
    set_cancel_button(&sd_form[8]);

    const auto report = [this](controls::SDButton& b) {
      b.on_click = [this, &b] { note("Click " + b.automation_name()); };
      b.on_arrow_click = [this, &b] { note("ArrowClick " + b.automation_name()); };
    };
    sd.each(report);
    sd_form.each(report);
    for (int i = 0; i < 5; ++i)
      dlg_icon[i].on_click = [this, i] { note("Choose dlg_icon(" + std::to_string(i) + ")"); };
  }

  ui::PictureBox ToolBar{*this, "ToolBar"};
  ui::ControlArray<controls::SDButton> sd{ToolBar, "sd", 6};
  ui::ControlArray<controls::SDButton> sd_form{*this, "sd", {6, 7, 8}};
  ui::Label plain{*this, "plain"};
  ui::PictureBox backdrop{*this, "backdrop"};
  ui::Label see_through{backdrop, "see_through"};
  ui::Label number{*this, "str_num", 14};
  ui::Label row{*this, "str_str", 14};
  ui::Label mail{*this, "mail"};
  ui::TextBox title{*this, "dlg_title"};
  ui::TextBox text{*this, "dlg_text"};
  ui::ListBox filebox{*this, "filebox"};
  ui::Label cmd{*this, "cmd"};
  ui::VScrollBar VScroll1{*this, "VScroll1"};
  ui::ControlArray<ui::OptionButton> dlg_icon{*this, "dlg_icon", 5};
  ui::Frame buttons{*this, "buttons"};
  ui::ControlArray<ui::OptionButton> dlg_button{buttons, "dlg_button", 4};
  ui::Image emblem{*this, "emblem"};
  ui::Line rule{*this, "rule"};
  ui::Label events{*this, "events"};
  ui::ControlArray<ui::Label> answer{*this, "answer", 2};
  ui::ControlArray<ui::ComboBox> dlg_next{*this, "dlg_next", 2};
  ui::CheckBox one_file{*this, "one_file"};

 private:
  void setup(controls::SDButton& b, int mode, const resources::Art* art, const char* caption) {
    b.set_Mode(mode);
    if (art) b.set_Picture(picture(*art));
    b.set_Caption(caption);
    b.Relayout();
  }

  void note(std::string line) {
    lines_.push_back(std::move(line));
    while (lines_.size() > 8) lines_.pop_front();
    std::string all;
    for (const std::string& l : lines_) all += (all.empty() ? "" : "\r\n") + l;
    events.set_caption(all);
    // A shorter caption over a coloured box: nothing of the longer one may stay.
    see_through.set_caption(std::to_string(++count_) + " соб.");
  }

  std::deque<std::string> lines_;
  int count_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return ui::win32::run_program([]() -> ui::Form& { return ui::Single<gallery_form>::get(); },
                                1);
}
