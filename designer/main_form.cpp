#include "designer/main_form.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <tuple>

#include "designer/about_form.h"
#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/comp_form.h"
#include "designer/file_form.h"
#include "designer/make_form.h"
#include "designer/save_form.h"
#include "designer/scheme_form.h"
#include "platform/platform.h"
#include "script/graph.h"
#include "script/jumps.h"
#include "script/row.h"
#include "ui/backend.h"
#include "utf/utf.h"

namespace designer {
namespace {

constexpr std::string_view kNewCaption = "Quillet - [Новый диалог]";
const ui::Color kPanel = ui::Color::rgb(240, 240, 240);

ui::Font courier(bool bold) {
  return ui::Font{"Courier New", 9.75, bold, false, ui::kCyrillicCharset};
}

// The colour of a notice in the status strip, which a tip does not have.
const ui::Color kNoticeColor = ui::Color::rgb(176, 0, 0);

// "3", "3, 5", "3, 5–7": row numbers, three or more in a row as a range.
std::string row_numbers(const std::vector<int>& rows) {
  std::string out;
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t last = i;
    while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
    if (!out.empty()) out += ", ";
    out += std::to_string(rows[i]);
    if (last >= i + 2) {
      out += "–" + std::to_string(rows[last]);
      i = last + 1;
    } else {
      ++i;
    }
  }
  return out;
}

// Where the sequence cannot go: the fullest wording first, shorter ones after;
// nothing when it can go everywhere and end. A trap is named only where a path can
// lead into it, and not at all when the run can never end, which says it already.
std::vector<std::string> graph_notices(const script::Rows& rows) {
  const script::Graph g = script::graph_of(rows);
  std::vector<int> never, trapped;
  for (int i = 0; i < script::kRowCount; ++i) {
    if (g.never_shown[static_cast<std::size_t>(i)])
      never.push_back(i);
    else if (g.trapped[static_cast<std::size_t>(i)] && !g.never_ends)
      trapped.push_back(i);
  }
  std::vector<std::string> notices;
  if (g.never_ends) {
    notices = {"Программа никогда не закончится: все пути ведут по кругу",
               "Программа не закончится (все пути по кругу)", "Программа не закончится"};
  } else if (!trapped.empty()) {
    const bool one = trapped.size() == 1;
    const std::string after =
        (one ? "После диалога " : "После диалогов ") + row_numbers(trapped) + " программа ";
    notices = {
        after + "никогда не закончится: все пути от " + (one ? "него" : "них") + " ведут по кругу",
        after + "не закончится (все пути по кругу)", after + "не закончится"};
  }
  const bool one = never.size() == 1;
  const std::string numbers = row_numbers(never);
  if (notices.empty() && !never.empty())
    return {one ? "Диалог " + numbers + " никогда не будет показан."
                : "Диалоги " + numbers + " никогда не будут показаны."};
  const std::string tail = never.empty() ? "."
                           : one ? "; диалог " + numbers + " не будет показан."
                                 : "; диалоги " + numbers + " не будут показаны.";
  for (std::string& notice : notices) notice += tail;
  return notices;
}

// A row as its line in the list, its tooltip and a screen reader give it. A row
// edited by hand can be megabytes long, which no line shows and no tooltip holds:
// past kShownChars characters it is cut, with "…".
std::string shown_row(const std::string& row) {
  constexpr std::size_t kShownChars = 1000;
  std::string_view rest = row;
  for (std::size_t chars = 0; chars < kShownChars && !rest.empty(); ++chars) {
    char32_t c;
    rest.remove_prefix(utf::decode(rest, c));
  }
  if (rest.empty()) return row;
  return row.substr(0, row.size() - rest.size()) + "…";
}

// The rows an answer of row index may lead to: those of the sequence and the row
// itself.
std::vector<int> targets_for(const script::Rows& rows, int index) {
  std::vector<int> targets;
  for (int i = 0; i < script::kRowCount; ++i)
    if (i == index || !rows[static_cast<std::size_t>(i)].empty()) targets.push_back(i);
  return targets;
}

double system_random_unit() {
  static std::mt19937 engine(
      static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace

std::string in_program_folder(std::string_view name) {
  return platform::program_folder() + "\\" + std::string(name);
}

main_form::main_form() : Form("main_form") {
  set_scale(ui::ScaleMode::Pixels);
  set_caption("Tervan Quillet - [Новый диалог]");
  set_client_size(500, 426);
  set_border(ui::Border::FixedSingle, true);
  set_start_position(ui::StartPosition::CenterScreen);

  ToolBar.set_back_color(kPanel);
  ToolBar.set_height(20);
  ToolBar.set_docking(ui::Docking::Top);
  sd.each([this](controls::SDButton& b) {
    restore_button(b, name());
    b.on_click = [this, i = b.index()] { sd_Click(i); };
  });
  sd[4].set_accessible_name("О программе");
  // The toolbar's commands from anywhere in the window.
  const std::tuple<int, unsigned, int> commands[] = {
      {'N', ui::shift::Ctrl, 0},         {'O', ui::shift::Ctrl, 1},
      {'S', ui::shift::Ctrl, 2},         {ui::key::F5, ui::shift::None, 5},
      {ui::key::F7, ui::shift::None, 3}, {ui::key::F1, ui::shift::None, 4}};
  for (auto [code, shift, index] : commands) {
    const auto run = [this, i = index] { sd_Click(i); };
    add_shortcut(code, shift, run, &sd[index]);
  }
  const auto add_dialog = [this] {
    if (sd_new.visible()) sd_new_Click();
  };
  add_shortcut(ui::key::Insert, ui::shift::None, add_dialog, &sd_new);
  restore_button(sd_scheme, name());
  sd_scheme.set_accessible_name(sd_scheme.Caption());
  sd_scheme.set_tooltip("Схема (F8)");
  sd_scheme.on_click = [this] { sd_scheme_Click(); };
  add_shortcut(
      ui::key::F8, ui::shift::None, [this] { sd_scheme_Click(); }, &sd_scheme);

  Picture1.set_back_color(kPanel);
  Picture1.set_height(20);
  Picture1.set_docking(ui::Docking::Bottom);
  status.move(2, 2, 497, 25);
  status.set_transparent(true);
  status.set_font(ui::Font{"MS Sans Serif", 8.25, true, false, ui::kCyrillicCharset});

  TextBox.move(2, 24, 496, 377);
  TextBox.set_back_color(kPanel);
  // Screen readers meet the list area as a list whose items are the rows, read
  // with their numbers; the number labels are not read again on their own.
  TextBox.set_accessible_role(ui::Role::List);
  TextBox.set_accessible_name("Диалоги");
  TextBox.set_can_focus(true);
  TextBox.on_key_down = [this](int& code, unsigned shift) { TextBox_KeyDown(code, shift); };
  std::vector<ui::Control*> items;
  for (int i = 0; i < script::kRowCount; ++i) {
    const int y = 8 + 24 * i;
    ui::Label& num = str_num[i];
    num.move(8, y, 33, 17);
    num.set_alignment(ui::Align::Right);
    num.set_transparent(true);
    num.set_font(courier(true));
    num.set_visible(false);
    num.set_accessible_role(ui::Role::None);

    ui::Label& row = str_str[i];
    row.move(48, y, 403, 17);
    row.set_font(courier(false));
    row.set_colors(ui::Color::system(ui::SysColor::WindowText),
                   ui::Color::system(ui::SysColor::Window));
    row.set_border(i == 0);
    row.set_visible(false);
    row.set_accessible_role(ui::Role::ListItem);
    row.on_click = [this, i] {
      TextBox.set_focus();  // a click in the list gives the list the keys
      str_str_Click(i);
    };
    row.on_double_click = [this, i] { str_str_DblClick(i); };
    items.push_back(&row);
  }
  TextBox.set_list_items(std::move(items));
  TextBox.select_item(&str_str[0]);
  restore_button(sd_new, name());
  sd_new.set_accessible_name("Добавить диалог");
  sd_new.on_click = [this] { sd_new_Click(); };
  restore_button(sd_edit, name());
  sd_edit.set_accessible_name("Удалить диалог");
  sd_edit.on_click = [this] { sd_edit_Click(); };

  Label1.move(8, 8, 441, 17);
  Label1.set_alignment(ui::Align::Right);
  Label1.set_transparent(true);
  Label1.set_font(courier(true));
  Label1.set_caption("Щелкните эту кнопку, чтобы начать файл >");
}

void main_form::Load() {
  ToolBar.set_height(20);
  // Left to right in creation order, 1 pixel apart; About at the right end.
  ToolBar_Layout();
  TextBox_Size();
  // Tips 1 to 8 come up twice as often as 0 and 9: r x 9, rounded half to even.
  const double r = random_unit ? random_unit() : system_random_unit();
  const int tip = static_cast<int>(std::nearbyint(r * 9));
  tip_ = tips()[static_cast<std::size_t>(std::clamp(tip, 0, 9))];
  UpdateText();

  // A preview copy left by Run. Failing to delete it harms nobody: Run replaces it.
  const std::string preview = in_program_folder("main.dlg");
  if (!platform::dir(preview, platform::Normal).empty()) platform::delete_file(preview);
}

void main_form::ToolBar_Layout() {
  // The toolbar buttons stand side by side in creation order, 1 pixel apart.
  sd_scheme.set_Caption(sd_scheme.accessible().name);
  sd_scheme.Relayout();
  std::int16_t previous_left = 0;
  std::int16_t previous_width = 0;
  for (ui::Control* c : controls()) {
    auto* b = dynamic_cast<controls::SDButton*>(c);
    if (!b || b->Mode() != 0) continue;
    b->set_top(1);
    b->set_height(18);
    if (b == &sd[4]) continue;  // at the right end, below
    b->set_left(previous_left + previous_width + 1);
    previous_left = static_cast<std::int16_t>(b->left());
    previous_width = static_cast<std::int16_t>(b->width());
  }
  sd[4].set_left(ToolBar.width() - 1 - sd[4].width());
  // Where its caption would run under About, the scheme's button shows its picture alone.
  if (sd_scheme.left() + sd_scheme.width() >= sd[4].left()) {
    sd_scheme.set_Caption("");
    sd_scheme.Relayout();
  }
}

bool main_form::QueryUnload(ui::UnloadReason) { return SaveChangesPrompt(); }

void main_form::TextBox_Size() {
  str_str.each([this](ui::Label& l) { l.set_width(TextBox.width() - str_str[1].left() - 45); });
  sd_edit.set_left(TextBox.width() - sd_edit.width() - 15);
}

void main_form::UpdateText() {
  for (int i = 0; i < script::kRowCount; ++i) {
    str_str[i].set_caption("");
    str_str[i].set_visible(false);
    str_num[i].set_visible(false);
  }
  for (int i = 0; i < script::kRowCount; ++i) {
    const std::string& row = dlg_rows[static_cast<std::size_t>(i)];
    if (row.empty()) {
      sd_new.set_top(str_str[i].top());
      sd_new.set_visible(true);
      break;
    }
    sd_edit.set_visible(true);
    const std::string shown = shown_row(row);
    str_str[i].set_caption(shown);
    str_str[i].set_tooltip(shown);
    str_str[i].set_accessible_name(std::to_string(i) + ": " + shown);
    str_num[i].set_caption(std::to_string(i));
    str_str[i].set_visible(true);
    str_num[i].set_visible(true);
    if (i == script::kRowCount - 1) sd_new.set_visible(false);
  }
  mark_focus_row();
  UpdateNotice();
  UpdateScheme();
}

void main_form::UpdateScheme() {
  if (scheme_form* s = ui::Single<scheme_form>::if_loaded()) s->Refresh();
}

void main_form::sd_scheme_Click() {
  scheme_form& s = ui::Single<scheme_form>::get();
  s.show(this);
}

void main_form::SelectRow(int index) { str_str_Click(index); }

void main_form::EditDialog(int index) {
  str_str_Click(index);
  EditRow(dlg_rows[static_cast<std::size_t>(index)], "Изменить диалог");
}

void main_form::UpdateNotice() {
  // The strip shows the fullest wording that fits its one line, and the
  // tooltip all of it. A reader hears the strip's new name.
  const std::vector<std::string> notices = graph_notices(dlg_rows);
  std::string shown = notices.empty() ? tip_ : notices.back();
  for (const std::string& notice : notices)
    if (ui::backend().measure_text(notice, status.font(), &status).width <= status.width()) {
      shown = notice;
      break;
    }
  status.set_caption(shown);
  status.set_tooltip(notices.empty() ? std::string() : notices.front());
  status.set_colors(notices.empty() ? ui::Color::system(ui::SysColor::ButtonText) : kNoticeColor,
                    status.back_color());
}

bool main_form::SaveChangesPrompt() {
  if (!changed) return true;
  switch (MsgBox("Сохранить изменения?", ui::mb::YesNoCancel | ui::mb::Question)) {
    case ui::IdYes:
      sd_Click(2);
      return !changed;  // a save that did not happen keeps the changes and stops here
    case ui::IdNo:
      return true;
    default:
      return false;
  }
}

void main_form::str_str_Click(int index) {
  str_str.each([](ui::Label& l) { l.set_border(false); });
  str_str[index].set_border(true);
  TextBox.select_item(&str_str[index]);
  dlg_index = static_cast<std::int16_t>(index);
  sd_edit.set_top(str_str[index].top());
  mark_focus_row();
  if (scheme_form* s = ui::Single<scheme_form>::if_loaded()) s->SelectCard(index);
}

// Around the selected row, number and text, or around the whole list while the
// selected row is not shown.
void main_form::mark_focus_row() {
  const ui::Label& row = str_str[dlg_index];
  if (!row.visible()) return TextBox.set_focus_rect({});
  const int left = str_num[dlg_index].left() - 4;
  TextBox.set_focus_rect(
      {left, row.top() - 2, row.left() + row.width() + 2 - left, row.height() + 4});
}

void main_form::TextBox_KeyDown(int& code, unsigned shift) {
  if (shift != ui::shift::None) return;
  int shown = 0;
  while (shown < script::kRowCount && str_str[shown].visible()) ++shown;
  const int last = shown - 1;
  int to = dlg_index;
  switch (code) {
    case ui::key::Up:
      to = dlg_index > last ? last : dlg_index - 1;
      break;
    case ui::key::Down:
      to = dlg_index + 1;
      break;
    case ui::key::Home:
      to = 0;
      break;
    case ui::key::End:
      to = last;
      break;
    case ui::key::Enter:
      code = 0;
      if (str_str[dlg_index].visible()) str_str_DblClick(dlg_index);
      return;
    case ui::key::Delete:
      code = 0;
      if (sd_edit.visible()) sd_edit_Click();
      return;
    default:
      return;
  }
  code = 0;
  // Only filled rows can be selected.
  if (shown > 0) str_str_Click(std::clamp(to, 0, last));
}

void main_form::str_str_DblClick(int index) {
  // dlg_index is still the double-clicked row when the editor gives the row back.
  EditRow(dlg_rows[static_cast<std::size_t>(index)], "Изменить диалог");
}

void main_form::sd_new_Click() {
  for (int i = 0; i < script::kRowCount; ++i)
    if (dlg_rows[static_cast<std::size_t>(i)].empty()) {
      dlg_index = static_cast<std::int16_t>(i);
      mark_focus_row();
      EditRow({}, {});
      return;
    }
}

void main_form::EditRow(const std::string& row, const std::string& caption) {
  if (auto edited = make_form::Edit(*this, row, targets_for(dlg_rows, dlg_index), caption))
    WriteDialogDown(std::move(*edited));
}

void main_form::sd_edit_Click() {
  // The rows below move up, and the jumps of the rows that stay follow them: an
  // edit like any other, which the save-changes prompt asks about.
  const script::Rows before = dlg_rows;
  script::delete_row(dlg_rows, dlg_index);
  if (dlg_rows != before) changed = true;
  UpdateText();
}

void main_form::WriteDialogDown(std::string row) {
  dlg_rows[static_cast<std::size_t>(dlg_index)] = std::move(row);
  str_str_Click(dlg_index);
  changed = true;
  UpdateText();
}

void main_form::sd_Click(int index) {
  switch (index) {
    case 0:  // New
      if (!SaveChangesPrompt()) return;
      dlg_rows = {};
      file_name.clear();
      UpdateText();
      sd_edit.set_visible(false);
      set_caption(std::string(kNewCaption));
      changed = false;
      break;
    case 1:  // Open: the prompt and the reading happen in OpenFile
      ui::Single<file_form>::get().show_modal(*this);
      break;
    case 2:  // Save
      if (!file_name.empty())
        WriteFile(in_program_folder(file_name));
      else
        ui::Single<save_form>::get().show_modal(*this);
      break;
    case 3:  // Build: the prompt comes whether or not the save succeeded
      sd_Click(2);
      ui::Single<comp_form>::get().show_modal(*this);
      break;
    case 4:  // About
      ui::Single<about_form>::get().show_modal(*this);
      break;
    case 5:
      Run();
      break;
  }
}

// A preview of the sequence with the player, from a copy named main.dlg beside it.
void main_form::Run() {
  sd_Click(2);
  const auto refuse = [] { MsgBox("Невозможно открыть файл!", ui::mb::Critical | ui::mb::Ok); };
  // The preview copy's own name is no project; on Windows names match in any case.
  if (file_name.empty() || same_file_name(file_name, "main.dlg") ||
      platform::dir(in_program_folder(file_name), platform::Normal).empty())
    return refuse();
  const std::string preview = in_program_folder("main.dlg");
  if (!platform::dir(preview, platform::Normal).empty()) platform::delete_file(preview);
  // Without a fresh copy the player would show an old sequence, or nothing.
  if (platform::copy_file(in_program_folder(file_name), preview) != platform::FileError::None)
    return refuse();
  platform::start_minimized(in_program_folder("run.exe"));  // missing: nothing happens
}

}  // namespace designer
