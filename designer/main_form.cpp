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
#include "script/block.h"
#include "script/edits.h"
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

// "диалога 4", "диалогов 3–5"; in the nominative "диалог 4", "диалоги 3–5".
std::string rows_words(int first, int count, bool nominative = false) {
  if (count <= 1) return (nominative ? "диалог " : "диалога ") + std::to_string(first);
  return (nominative ? "диалоги " : "диалогов ") + std::to_string(first) +
         (count == 2 ? ", " : "–") + std::to_string(first + count - 1);
}

// The start of a line of text that a message quotes.
std::string quoted(std::string_view text) {
  constexpr std::size_t kChars = 40;
  std::string out;
  std::size_t n = 0;
  for (std::string_view rest = text; !rest.empty() && n < kChars; ++n) {
    char32_t c;
    const std::size_t size = utf::decode(rest, c);
    out.append(rest.substr(0, size));
    rest.remove_prefix(size);
  }
  return "«" + out + (utf::length(text) > kChars ? "…»" : "»");
}

// Why a text on the clipboard cannot be pasted as rows.
std::string text_refusal(const script::TextRows& t, int free) {
  std::string why = "Строка " + std::to_string(t.line) + " текста в буфере обмена (" +
                    quoted(t.text) + ") не может стать диалогом: ";
  switch (t.problem) {
    case script::TextRows::Problem::TooLong:
      why += "она длиннее " + std::to_string(script::kMaxRowBytes) + " знаков.";
      break;
    case script::TextRows::Problem::Unstorable: {
      std::string chars;
      for (const std::string& c : t.chars) chars += (chars.empty() ? "«" : ", «") + c + "»";
      why += "в кодировке проекта (Windows-1251) нет " +
             std::string(t.chars.size() == 1 ? "символа " : "символов ") + chars + ".";
      break;
    }
    case script::TextRows::Problem::NoRoom:
    case script::TextRows::Problem::None:
      why += "для неё нет места, свободных строк в проекте — " + std::to_string(free) + " из " +
             std::to_string(script::kRowCount) + ".";
      break;
  }
  return why + "\r\n\r\nНичего не вставлено.";
}

// A name for a project that no other project, here or in another designer, has.
std::string new_project_name() {
  static std::mt19937_64 engine(
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  static unsigned serial = 0;
  return std::to_string(engine()) + "-" + std::to_string(++serial);
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
  // The commands on the selected rows, from anywhere in the window.
  using ui::shift::Alt, ui::shift::Ctrl, ui::shift::Shift;
  const std::tuple<int, unsigned, void (main_form::*)()> edits[] = {
      {'Z', Ctrl, &main_form::Undo},          {'Y', Ctrl, &main_form::Redo},
      {'Z', Ctrl | Shift, &main_form::Redo},  {'X', Ctrl, &main_form::CutRows},
      {'C', Ctrl, &main_form::CopyRows},      {'V', Ctrl, &main_form::PasteRows},
      {'D', Ctrl, &main_form::DuplicateRows}, {ui::key::F5, Shift, &main_form::RunFrom},
      {'S', Ctrl | Shift, &main_form::SaveAs}};
  for (auto [code, shift, command] : edits)
    add_shortcut(code, shift, [this, c = command] { (this->*c)(); });
  add_shortcut(ui::key::Up, Alt, [this] { MoveRows(-1); });
  add_shortcut(ui::key::Down, Alt, [this] { MoveRows(1); });
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
  TextBox.set_multi_select(true);
  TextBox.on_key_down = [this](int& code, unsigned shift) { TextBox_KeyDown(code, shift); };
  TextBox.on_mouse_down = [this](ui::Point, ui::MouseButton, unsigned) { TextBox.set_focus(); };
  TextBox.on_mouse_up = [this](ui::Point at, ui::MouseButton button) {
    if (button == ui::MouseButton::Right) ShowMenu(TextBox, at);
  };
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
    // A row is pressed, dragged and opened by its number or its text alike.
    for (ui::Label* part : {&num, &row}) {
      const auto in_list = [part](ui::Point p) {
        return ui::Point{p.x + part->left(), p.y + part->top()};
      };
      part->on_mouse_down = [this, i, in_list](ui::Point p, ui::MouseButton b, unsigned shift) {
        row_MouseDown(i, in_list(p), b, shift);
      };
      part->on_mouse_move = [this, in_list](ui::Point p) { row_MouseMove(in_list(p)); };
      part->on_mouse_up = [this, in_list](ui::Point p, ui::MouseButton b) {
        row_MouseUp(in_list(p), b);
      };
      part->on_mouse_lost = [this] { EndDrag(); };
      part->on_double_click = [this, i] { str_str_DblClick(i); };
    }
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

  drop_mark.move(4, 0, 451, 2);
  drop_mark.set_colors(ui::Color::system(ui::SysColor::WindowText),
                       ui::Color::system(ui::SysColor::WindowText));
  drop_mark.set_accessible_role(ui::Role::None);
  drop_mark.set_visible(false);
  StartHistory();
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
  drop_mark.set_width(str_str[0].left() + str_str[0].width() + 2 - drop_mark.left());
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

void main_form::EditDialog(int index) {
  str_str_Click(index);
  EditRow(dlg_rows[static_cast<std::size_t>(index)], "Изменить диалог");
}

namespace {

// "подключение «Да» диалога 2 → диалог 5": a way out led elsewhere, in words.
std::string connection_words(const std::string& row, int index,
                             std::optional<script::Answer> answer, const std::string& where) {
  const std::string exit =
      answer ? std::string(script::kAnswerNames[static_cast<std::size_t>(*answer)])
             : "через " + script::seconds_text(script::next_of(row).wait);
  return "подключение «" + exit + "» " + rows_words(index, 1) + " → " + where;
}

}  // namespace

void main_form::Connect(int row, std::optional<script::Answer> answer, int target) {
  if (!script::is_row(row)) return;
  script::Edit edit{dlg_rows, script::unmoved()};
  std::string& at = edit.rows[static_cast<std::size_t>(row)];
  const std::string where = script::is_row(target)   ? "диалог " + std::to_string(target)
                            : target == script::kEnd ? std::string(script::kEndName)
                                                     : std::string("дальше");
  const std::string words = connection_words(at, row, answer, where);
  at = script::with_target(at, answer, target);
  ApplyEdit(edit, {row, row}, words);
}

void main_form::ConnectToNewDialog(int row, std::optional<script::Answer> answer) {
  if (!script::is_row(row) || NoRoomFor(1)) return;
  const int at = ShownRows();
  const auto made = make_form::Edit(*this, {}, targets_for(dlg_rows, at));
  if (!made) return;
  script::Edit edit{dlg_rows, script::unmoved()};
  std::string& from = edit.rows[static_cast<std::size_t>(row)];
  const std::string words =
      connection_words(from, row, answer, "новый диалог " + std::to_string(at));
  from = script::with_target(from, answer, at);
  edit.rows[static_cast<std::size_t>(at)] = *made;
  ApplyEdit(edit, {at, at}, words);
}

void main_form::UpdateNotice() {
  // The strip shows what was last done and the fullest wording of a notice that
  // fits its one line beside it, else the fullest notice that fits alone; without
  // a notice, what was last done or the tip. The tooltip tells all of the notice.
  // A reader hears the strip's new name.
  const std::vector<std::string> notices = graph_notices(dlg_rows);
  std::vector<std::string> wordings;
  if (!done_.empty())
    for (const std::string& notice : notices) wordings.push_back(done_ + ". " + notice);
  wordings.insert(wordings.end(), notices.begin(), notices.end());
  if (notices.empty()) wordings.push_back(done_.empty() ? tip_ : done_);
  std::string shown = wordings.back();
  for (const std::string& wording : wordings)
    if (ui::backend().measure_text(wording, status.font(), &status).width <= status.width()) {
      shown = wording;
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

void main_form::Select(script::Selection s) {
  dlg_anchor = static_cast<std::int16_t>(std::clamp(s.anchor, 0, script::kRowCount - 1));
  dlg_index = static_cast<std::int16_t>(std::clamp(s.active, 0, script::kRowCount - 1));
  s = selection();
  std::vector<ui::Control*> others;
  for (int i = 0; i < script::kRowCount; ++i) {
    const bool in = i >= s.first() && i <= s.last();
    str_str[i].set_border(in);
    if (in && i != dlg_index) others.push_back(&str_str[i]);
  }
  TextBox.select_items(&str_str[dlg_index], std::move(others));
  sd_edit.set_top(str_str[dlg_index].top());
  mark_focus_row();
  if (scheme_form* f = ui::Single<scheme_form>::if_loaded()) f->SelectCard(dlg_index);
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
  using ui::shift::None;
  if (code == ui::key::Escape && shift == None && drag_.row >= 0) {
    code = 0;
    return EndDrag();
  }
  if ((code == ui::key::F10 && shift == ui::shift::Shift) ||
      (code == ui::key::Apps && shift == None)) {
    code = 0;
    ui::Label& row = str_str[dlg_index];
    if (row.visible()) return ShowMenu(row, {8, row.height()});
    return ShowMenu(TextBox, {8, 8});
  }
  // Shift with the arrows, Home and End stretches the range from its anchor.
  const bool stretch = shift == ui::shift::Shift;
  if (shift != None && !stretch) return;
  const int shown = ShownRows();
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
      if (stretch) return;
      code = 0;
      if (str_str[dlg_index].visible()) str_str_DblClick(dlg_index);
      return;
    case ui::key::Delete:
      if (stretch) return;
      code = 0;
      if (sd_edit.visible()) sd_edit_Click();
      return;
    default:
      return;
  }
  code = 0;
  // Only filled rows can be selected.
  if (shown == 0) return;
  to = std::clamp(to, 0, last);
  Select({stretch ? std::clamp<int>(dlg_anchor, 0, last) : to, to});
}

void main_form::str_str_DblClick(int index) {
  // A double click comes after a click that selected the row; a reader's default
  // action comes alone.
  if (selection() != script::Selection{index, index}) Select({index, index});
  EditRow(dlg_rows[static_cast<std::size_t>(index)], "Изменить диалог");
}

void main_form::sd_new_Click() {
  for (int i = 0; i < script::kRowCount; ++i)
    if (dlg_rows[static_cast<std::size_t>(i)].empty()) {
      dlg_index = dlg_anchor = static_cast<std::int16_t>(i);
      mark_focus_row();
      EditRow({}, {});
      return;
    }
}

void main_form::EditRow(const std::string& row, const std::string& caption) {
  if (auto edited = make_form::Edit(*this, row, targets_for(dlg_rows, dlg_index), caption))
    WriteDialogDown(std::move(*edited));
}

void main_form::sd_edit_Click() { DeleteRows(); }

void main_form::WriteDialogDown(std::string row) {
  const int i = dlg_index;
  script::Edit edit{dlg_rows, script::unmoved()};
  const bool added = edit.rows[static_cast<std::size_t>(i)].empty();
  edit.rows[static_cast<std::size_t>(i)] = std::move(row);
  ApplyEdit(edit, {i, i}, (added ? "добавление " : "изменение ") + rows_words(i, 1));
}

void main_form::StartHistory() {
  EndDrag();
  ids_ = script::carry_ids({}, script::unmoved(), dlg_rows, next_id_);
  history_.reset({dlg_rows, ids_, selection()});
  project_ = new_project_name();
  done_.clear();
  changed = false;
}

void main_form::ApplyEdit(const script::Edit& edit, script::Selection after,
                          const std::string& what) {
  if (edit.rows != dlg_rows) {
    const script::Selection before = selection();
    ids_ = script::carry_ids(ids_, edit.moves, edit.rows, next_id_);
    dlg_rows = edit.rows;
    history_.push(before, {dlg_rows, ids_, after}, what);
    done_ = "Выполнено: " + what;
  }
  changed = history_.changed(dlg_rows);
  Select(after);
  UpdateText();
}

void main_form::Restore(const script::ProjectState& state, const std::string& words) {
  EndDrag();
  dlg_rows = state.rows;
  ids_ = state.ids;
  done_ = words;
  changed = history_.changed(dlg_rows);
  Select(state.selection);
  UpdateText();
}

void main_form::Undo() {
  if (!history_.can_undo()) return;
  const std::string what = history_.undo_what();
  Restore(history_.undo(), "Отменено: " + what);
}

void main_form::Redo() {
  if (!history_.can_redo()) return;
  const std::string what = history_.redo_what();
  Restore(history_.redo(), "Повторено: " + what);
}

bool main_form::NoRoomFor(int needed) {
  const int free = script::free_rows(dlg_rows);
  if (needed <= free) return false;
  MsgBox("Не помещается: нужно строк — " + std::to_string(needed) + ", а свободных строк — " +
             std::to_string(free) + " из " + std::to_string(script::kRowCount) +
             ".\r\n\r\nНичего не изменено.",
         ui::mb::Exclamation | ui::mb::Ok);
  return true;
}

bool main_form::ToClipboard() {
  if (!RowsSelected()) return false;
  const script::Selection s = selection();
  const script::Block block = script::make_block(dlg_rows, ids_, s.first(), s.count(), project_);
  if (!ui::backend().copy_to_clipboard(*this, script::rows_as_text(block.rows),
                                       script::kBlockFormat, script::write_block(block))) {
    MsgBox("Диалоги не скопированы: буфер обмена занят другой программой. Попробуйте ещё раз.",
           ui::mb::Exclamation | ui::mb::Ok);
    return false;
  }
  done_ = "Скопировано: " + rows_words(s.first(), s.count(), true);
  return true;
}

void main_form::CopyRows() {
  if (ToClipboard()) UpdateNotice();
}

void main_form::CutRows() {
  if (!ToClipboard()) return;  // not on the clipboard: nothing is taken
  const script::Selection s = selection();
  ApplyEdit(script::remove_rows(dlg_rows, s.first(), s.count()), {s.first(), s.first()},
            "вырезание " + rows_words(s.first(), s.count()));
}

void main_form::PasteRows() {
  const int shown = ShownRows();
  const int at = shown == 0 ? 0 : std::min(selection().last() + 1, shown);
  const int free = script::free_rows(dlg_rows);
  if (const auto data = ui::backend().clipboard_data(*this, script::kBlockFormat))
    if (const auto block = script::read_block(*data)) {
      const int n = static_cast<int>(block->rows.size());
      if (NoRoomFor(n)) return;
      const auto pasted = script::paste_block(dlg_rows, ids_, project_, at, *block);
      if (!pasted) return;
      ApplyEdit(pasted->edit, {at, at + n - 1}, "вставка " + rows_words(at, n));
      if (pasted->lost > 0) {
        done_ += "; переходов к диалогам вне вставленных, ставших «дальше»: " +
                 std::to_string(pasted->lost);
        UpdateNotice();
      }
      return;
    }
  const auto text = ui::backend().clipboard_text(*this);
  if (!text) return;
  const script::TextRows pasted = script::rows_from_text(*text, free);
  if (pasted.problem != script::TextRows::Problem::None)
    return void(MsgBox(text_refusal(pasted, free), ui::mb::Exclamation | ui::mb::Ok));
  const int n = static_cast<int>(pasted.rows.size());
  if (n == 0) return;
  if (const auto edit = script::insert_rows(dlg_rows, at, pasted.rows))
    ApplyEdit(*edit, {at, at + n - 1}, "вставка " + rows_words(at, n));
}

void main_form::DuplicateRows() {
  if (!RowsSelected()) return;
  const script::Selection s = selection();
  const int n = s.count();
  if (NoRoomFor(n)) return;
  const script::Block block = script::make_block(dlg_rows, ids_, s.first(), n, project_);
  if (const auto copy = script::paste_block(dlg_rows, ids_, project_, s.last() + 1, block))
    ApplyEdit(copy->edit, {s.last() + 1, s.last() + n}, "дублирование " + rows_words(s.first(), n));
}

void main_form::MoveRows(int by) {
  if (!RowsSelected()) return;
  const script::Selection s = selection();
  if (s.first() + by < 0 || s.last() + by >= ShownRows()) return;
  ApplyEdit(script::move_rows(dlg_rows, s.first(), s.count(), s.first() + by),
            {s.anchor + by, s.active + by}, "перемещение " + rows_words(s.first(), s.count()));
}

void main_form::NewDialogBefore() {
  if (NoRoomFor(1)) return;
  const int at = RowsSelected() ? selection().first() : ShownRows();
  // The editor offers the rows by the numbers they have now; they are renumbered
  // with the rest once the new row is in.
  const auto row = make_form::Edit(*this, {}, targets_for(dlg_rows, -1));
  if (!row) return;
  auto edit = script::insert_rows(dlg_rows, at, std::vector<std::string>{""});
  if (!edit) return;
  edit->rows[static_cast<std::size_t>(at)] = script::renumber(*row, edit->moves);
  ApplyEdit(*edit, {at, at}, "добавление " + rows_words(at, 1));
}

void main_form::DeleteRows() {
  const script::Selection s = selection();
  ApplyEdit(script::remove_rows(dlg_rows, s.first(), s.count()), {s.first(), s.first()},
            "удаление " + rows_words(s.first(), s.count()));
}

void main_form::RunFrom() {
  if (RowsSelected()) Run(selection().first());
}

void main_form::SaveAs() {
  save_form& s = ui::Single<save_form>::get();
  // A named project is proposed under its own name, to be kept under another.
  if (file_name.size() > 4) {
    s.Text1.set_text(file_name.substr(0, file_name.size() - 4));
    s.Text1.select_all();
  }
  saving_as_ = true;
  s.show_modal(*this);
  saving_as_ = false;
}

void main_form::ShowMenu(ui::Control& at, ui::Point where) {
  EndDrag();
  const bool rows = RowsSelected();
  const script::Selection s = selection();
  const bool can_paste = ui::backend().clipboard_data(*this, script::kBlockFormat) ||
                         ui::backend().clipboard_text(*this);
  // Each item with its key, and a letter of its own for the keyboard.
  const std::pair<ui::MenuItem, std::function<void()>> items[] = {
      {{"&Отменить\tCtrl+Z", history_.can_undo()}, [this] { Undo(); }},
      {{"&Повторить\tCtrl+Y", history_.can_redo()}, [this] { Redo(); }},
      {{""}, {}},
      {{"Вы&резать\tCtrl+X", rows}, [this] { CutRows(); }},
      {{"&Копировать\tCtrl+C", rows}, [this] { CopyRows(); }},
      {{"Вст&авить\tCtrl+V", can_paste}, [this] { PasteRows(); }},
      {{"&Дублировать\tCtrl+D", rows}, [this] { DuplicateRows(); }},
      {{""}, {}},
      {{"Вы&ше\tAlt+↑", rows && s.first() > 0}, [this] { MoveRows(-1); }},
      {{"Ни&же\tAlt+↓", rows && s.last() + 1 < ShownRows()}, [this] { MoveRows(1); }},
      {{""}, {}},
      {{"&Новый диалог перед этим"}, [this] { NewDialogBefore(); }},
      {{"&Изменить...\tEnter", rows}, [this] { str_str_DblClick(dlg_index); }},
      {{"&Удалить\tDel", rows}, [this] { DeleteRows(); }},
      {{""}, {}},
      {{"&Запуск с этого диалога\tShift+F5", rows}, [this] { RunFrom(); }}};
  std::vector<ui::MenuItem> menu;
  for (const auto& item : items) menu.push_back(item.first);
  const int chosen = ui::backend().popup_menu(at, where, menu);
  if (chosen >= 0 && chosen < static_cast<int>(std::size(items)))
    if (const auto& command = items[chosen].second) command();
}

void main_form::row_MouseDown(int row, ui::Point at, ui::MouseButton button, unsigned shift) {
  TextBox.set_focus();  // a press in the list gives the list the keys
  const script::Selection s = selection();
  const bool inside = RowsSelected() && row >= s.first() && row <= s.last();
  if (button == ui::MouseButton::Right) {
    if (!inside) Select({row, row});
    return;
  }
  if (shift & ui::shift::Shift)
    Select({RowsSelected() ? s.anchor : row, row});
  else if (!inside)
    Select({row, row});
  drag_ = {row, at, false, inside && s.count() > 1 && !(shift & ui::shift::Shift), -1};
}

int main_form::GapAt(int y) const {
  // Row i stands from 8 + 24 i, 17 high: the gap above it is nearest up to its middle.
  return std::clamp((y - 8 + 12) / 24, 0, ShownRows());
}

void main_form::row_MouseMove(ui::Point at) {
  if (drag_.row < 0) return;
  if (!drag_.moving && !ui::beyond_click(drag_.from, at)) return;
  drag_.moving = true;
  drag_.gap = GapAt(at.y);
  drop_mark.set_top(24 * drag_.gap + 3);
  drop_mark.set_visible(true);
}

void main_form::row_MouseUp(ui::Point at, ui::MouseButton button) {
  if (button == ui::MouseButton::Right) {
    // The menu at the point in the list.
    return ShowMenu(TextBox, at);
  }
  const Drag drag = drag_;
  EndDrag();
  if (drag.row < 0) return;
  if (!drag.moving) {
    if (drag.collapse) Select({drag.row, drag.row});
    return;
  }
  const script::Selection s = selection();
  const int n = s.count();
  // Dropped within or next to the rows dragged: they stay where they are.
  if (!RowsSelected() || (drag.gap >= s.first() && drag.gap <= s.last() + 1)) return;
  const int to = drag.gap > s.last() ? drag.gap - n : drag.gap;
  const int by = to - s.first();
  ApplyEdit(script::move_rows(dlg_rows, s.first(), n, to), {s.anchor + by, s.active + by},
            "перемещение " + rows_words(s.first(), n));
}

void main_form::EndDrag() {
  drag_ = {};
  drop_mark.set_visible(false);
}

void main_form::sd_Click(int index) {
  switch (index) {
    case 0:  // New
      if (!SaveChangesPrompt()) return;
      dlg_rows = {};
      file_name.clear();
      StartHistory();  // a fresh history, nothing changed
      UpdateText();
      sd_edit.set_visible(false);
      set_caption(std::string(kNewCaption));
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
void main_form::Run(int from) {
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
  // Missing: nothing happens.
  platform::start_minimized(in_program_folder("run.exe"),
                            from >= 0 ? "/from " + std::to_string(from) : std::string());
}

}  // namespace designer
