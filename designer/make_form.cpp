#include "designer/make_form.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "designer/app.h"
#include "designer/buttons.h"
#include "resources/pictures.h"
#include "script/cp1251.h"
#include "script/jumps.h"
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

// The seconds of the timeout or the pause box: 0 when it is empty, nothing when it
// holds no whole number from 1 to max. Zeros typed in front count for nothing.
std::optional<int> seconds_in(std::string_view typed, int max) {
  if (typed.empty()) return 0;
  typed.remove_prefix(std::min(typed.find_first_not_of('0'), typed.size()));
  return script::parse_seconds(typed, max);
}

// What was typed, as a refusal quotes it: its start, when a paste brought a long
// text.
std::string quoted(std::string_view typed) {
  constexpr int kShown = 20;
  std::string shown;
  int count = 0;
  while (!typed.empty() && count++ < kShown) {
    char32_t c = 0;
    const std::size_t length = utf::decode(typed, c);
    shown.append(typed.substr(0, length));
    typed.remove_prefix(length);
  }
  if (!typed.empty()) shown += "…";
  return "«" + shown + "»";
}

// The refusals of seconds that cannot work, with what was typed.
std::string wait_message(std::string_view typed) {
  return "Диалог может закрыться сам через целое число секунд от 1 до " +
         std::to_string(script::kMaxWait) + ", а в поле «Закрыть само через» указано " +
         quoted(typed) + ".\r\n\r\nИсправьте число или очистите поле, чтобы диалог ждал ответа.";
}

std::string pause_message(std::string_view typed) {
  return "Диалог может появиться с задержкой в целое число секунд от 1 до " +
         std::to_string(script::kMaxPause) + ", а в поле «Показать через» указано " +
         quoted(typed) +
         ".\r\n\r\nИсправьте число или очистите поле, чтобы диалог появлялся сразу.";
}

// The refusal of a button's caption that a row cannot hold.
std::string caption_message(std::string_view answer, const script::CaptionProblem& problem) {
  const std::string where = "Надпись на кнопке «" + std::string(answer) + "»";
  if (problem.kind == script::CaptionProblem::Kind::TooLong)
    return where + " длиннее " + std::to_string(script::kMaxCaptionChars) +
           " символов.\r\n\r\nСократите её и нажмите OK ещё раз.";
  std::string list;
  for (std::size_t i = 0; i < problem.chars.size(); ++i)
    list += (i ? ", " : "") + named(problem.chars[i]);
  const bool one = problem.chars.size() == 1;
  return where + (one ? " содержит символ " : " содержит символы ") + list +
         ".\r\n\r\nВ строке проекта кавычки «» обрамляют надпись, «;» разделяет поля, «#» "
         "переносит строку, а управляющих символов на кнопке не бывает. " +
         (one ? "Удалите его" : "Удалите их") + " и нажмите OK ещё раз.";
}

// A typed character a box does not take: said with a box, then dropped.
void refuse(char32_t& key) {
  MsgBox("Недопустиный символ.", ui::mb::Exclamation | ui::mb::Ok);
  key = 0;
}

// The chosen option of a group; -1 when none is.
int chosen(const ui::ControlArray<ui::OptionButton>& group) {
  for (int k = 0; k < group.size(); ++k)
    if (group[k].value()) return k;
  return -1;
}

}  // namespace

std::optional<std::string> make_form::Edit(ui::Form& owner, const std::string& row,
                                           const std::vector<int>& targets,
                                           const std::string& caption) {
  std::optional<std::string> result;
  make_form& editor = ui::Single<make_form>::get();
  editor.Fill(row, targets);
  if (!caption.empty()) editor.set_caption(caption);
  editor.result_ = &result;
  editor.show_modal(owner);
  // OK or Cancel has unloaded it; a window that is still there goes now.
  if (make_form* left = ui::Single<make_form>::if_loaded()) left->unload();
  return result;
}

void make_form::Fill(const std::string& row, const std::vector<int>& targets) {
  const script::Fields f = script::split_row(row);
  // A row edited by hand may lack fields; what it lacks keeps the editor's default.
  if (f.has(0)) dlg_text.set_text(std::string(f.field[0]));
  if (f.has(1)) dlg_title.set_text(std::string(f.field[1]));
  if (f.has(2))
    if (auto k = script::match_icon(f.field[2])) dlg_icon[*k].set_value(true);
  if (f.has(3))
    if (auto k = script::match_button_set(f.field[3])) dlg_button[*k].set_value(true);
  old_row_ = row;

  // The items: "дальше", the rows in order, "конец". A row the field leads to
  // besides the given ones is offered too, so that it comes back as it was.
  const script::Next next = script::next_of(f);
  std::vector<int> rows;
  for (int t : targets)
    if (script::is_row(t)) rows.push_back(t);
  for (int t : next.answer) rows.push_back(t);
  rows.push_back(next.wait_next);
  std::erase_if(rows, [](int t) { return t < 0; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  item_targets_ = {script::kGoOn};
  item_targets_.insert(item_targets_.end(), rows.begin(), rows.end());
  item_targets_.push_back(script::kEnd);

  const auto fill_list = [this](ui::ComboBox& list) {
    list.clear();
    for (int t : item_targets_)
      list.add_item(t == script::kGoOn  ? "дальше"
                    : t == script::kEnd ? std::string(script::kEndName)
                                        : "диалог " + std::to_string(t));
  };
  for (int k = 0; k < script::kMaxAnswers; ++k) fill_list(dlg_next[k]);
  fill_list(dlg_wait_next);
  SetTarget(dlg_wait_next, next.wait_next);
  // The row's choices belong to the answers of its own set; the others go on
  // and show their own names.
  answer_target_.fill(script::kGoOn);
  answer_caption_.fill({});
  const auto answers = script::answers_of(script::button_set_of(f));
  for (std::size_t k = 0; k < answers.size(); ++k) {
    answer_target_[static_cast<std::size_t>(answers[k])] = next.answer[k];
    answer_caption_[static_cast<std::size_t>(answers[k])] = next.caption[k];
  }
  shown_set_ = -1;
  dlg_wait.set_text(next.wait > 0 ? std::to_string(next.wait) : "");
  dlg_countdown.set_value(next.countdown);
  dlg_pause.set_text(next.pause > 0 ? std::to_string(next.pause) : "");
  ShowAnswers();
}

std::string make_form::Row(int wait, int pause) const {
  const std::string text = dlg_text.text();
  const std::string title = dlg_title.text();
  const int icon = chosen(dlg_icon);
  const int set = chosen(dlg_button);
  // Only another program can clear a choice. The row then names what is chosen,
  // and nothing can follow in its place.
  if (icon < 0 || set < 0) {
    std::string row = text + std::string(script::kSeparator) + title;
    if (icon >= 0)
      row.append(script::kSeparator).append(script::kIconNames[static_cast<std::size_t>(icon)]);
    if (set >= 0)
      row.append(script::kSeparator).append(script::kButtonSetNames[static_cast<std::size_t>(set)]);
    return row;
  }
  script::Next next;
  const auto answers = script::answers_of(set);
  for (std::size_t k = 0; k < answers.size(); ++k) {
    next.answer[k] = answer_target_[static_cast<std::size_t>(answers[k])];
    next.caption[k] = answer_caption_[static_cast<std::size_t>(answers[k])];
  }
  next.wait = wait;
  next.wait_next = Target(dlg_wait_next);
  next.countdown = dlg_countdown.value();
  next.pause = pause;
  return script::compose_row(text, title, script::kIconNames[static_cast<std::size_t>(icon)],
                             script::kButtonSetNames[static_cast<std::size_t>(set)], next,
                             old_row_);
}

std::string_view make_form::AnswerName(int line) const {
  const auto answers = script::answers_of(shown_set_);
  return line < static_cast<int>(answers.size())
             ? script::answer_info(answers[static_cast<std::size_t>(line)]).name
             : std::string_view();
}

int make_form::Target(const ui::ComboBox& list) const {
  const int i = list.list_index();
  return i < 0 ? script::kGoOn : item_targets_[static_cast<std::size_t>(i)];
}

void make_form::SetTarget(ui::ComboBox& list, int target) {
  const auto at = std::find(item_targets_.begin(), item_targets_.end(), target);
  list.set_list_index(static_cast<int>(at - item_targets_.begin()));
}

void make_form::ShowAnswers() {
  const auto shown = script::answers_of(shown_set_);
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const auto a = static_cast<std::size_t>(shown[k]);
    answer_target_[a] = Target(dlg_next[static_cast<int>(k)]);
    answer_caption_[a] = dlg_caption[static_cast<int>(k)].text();
  }
  // An answer the new set lacks keeps its choices while the editor is open, for a
  // set that has it again; OK drops them.
  shown_set_ = std::max(chosen(dlg_button), 0);
  const auto answers = script::answers_of(shown_set_);
  for (int k = 0; k < script::kMaxAnswers; ++k) {
    const bool in_set = k < static_cast<int>(answers.size());
    if (in_set) {
      const auto a = static_cast<std::size_t>(answers[static_cast<std::size_t>(k)]);
      const std::string name(script::kAnswerNames[a]);
      answer[k].set_caption("Кнопка «" + name + "»:");
      SetTarget(dlg_next[k], answer_target_[a]);
      dlg_caption[k].set_text(answer_caption_[a]);
      // Empty, the box shows in grey the name the button keeps.
      dlg_caption[k].set_cue_banner(name);
      dlg_caption[k].set_accessible_name("Надпись на кнопке «" + name + "»");
    }
    answer[k].set_visible(in_set);
    dlg_next[k].set_visible(in_set);
    dlg_caption[k].set_visible(in_set);
  }
}

make_form::make_form() : Form("make_form") {
  set_caption("Создать диалог");
  set_border(ui::Border::FixedDialog);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::CenterScreen);
  set_client_size(12840, 4395);

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
  // The right column: the button sets, and under them what comes next.
  constexpr int kRight = 5640;
  Label4.move(kRight, 120, 5295, 255);
  Label4.set_caption("Кнопки диалога:");
  Label4.set_tab_index(12);

  buttons.move(kRight, 360, 5295, 615);
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
    o.on_click = [this] { ShowAnswers(); };
  }
  dlg_button[0].set_value(true);

  // A line per answer, then the timeout and the pause. Lines stand 375 apart; a
  // label stands 60 lower than its list, a text box 15. Columns: the labels, the
  // lists (and the seconds), the captions (and the timeout's target).
  constexpr int kLists = kRight + 1800;
  constexpr int kCaptions = kRight + 3480;
  constexpr int kLinesTop = 1380;
  next_heading.move(kRight, kLinesTop - 300, 1695, 255);
  next_heading.set_caption("Что дальше:");
  next_heading.set_tab_index(18);
  caption_heading.move(kCaptions, kLinesTop - 300, 3600, 255);
  caption_heading.set_caption("Надпись на кнопке:");
  caption_heading.set_tab_index(19);
  for (int k = 0; k < script::kMaxAnswers; ++k) {
    const int top = kLinesTop + 375 * k;
    answer[k].move(kRight, top + 60, 1695, 255);
    answer[k].set_tab_index(20 + 3 * k);
    dlg_next[k].move(kLists, top, 1575, 315);
    dlg_next[k].set_labelled_by(&answer[k]);
    dlg_next[k].set_tab_index(21 + 3 * k);
    dlg_caption[k].move(kCaptions, top + 15, 3600, 285);
    dlg_caption[k].set_max_length(static_cast<int>(script::kMaxCaptionChars));
    dlg_caption[k].set_tab_index(22 + 3 * k);
    dlg_caption[k].on_key_press = [](char32_t& key) { caption_KeyPress(key); };
  }
  constexpr int kWaitTop = kLinesTop + 375 * script::kMaxAnswers;
  wait_label.move(kRight, kWaitTop + 60, 1695, 255);
  wait_label.set_caption("Закрыть само через");
  wait_label.set_tab_index(29);
  dlg_wait.move(kLists, kWaitTop + 15, 615, 285);
  dlg_wait.set_labelled_by(&wait_label);
  dlg_wait.set_tab_index(30);
  dlg_wait.on_key_press = [](char32_t& key) { seconds_KeyPress(key); };
  wait_next_label.move(kLists + 720, kWaitTop + 60, 855, 255);
  wait_next_label.set_caption("с, затем");
  wait_next_label.set_tab_index(31);
  dlg_wait_next.move(kCaptions, kWaitTop, 1575, 315);
  dlg_wait_next.set_labelled_by(&wait_next_label);
  dlg_wait_next.set_tab_index(32);
  dlg_countdown.move(kCaptions + 1680, kWaitTop + 15, 1920, 285);
  dlg_countdown.set_caption("показывать отсчёт");
  dlg_countdown.set_tab_index(33);
  constexpr int kPauseTop = kWaitTop + 375;
  pause_label.move(kRight, kPauseTop + 60, 1695, 255);
  pause_label.set_caption("Показать через");
  pause_label.set_tab_index(34);
  dlg_pause.move(kLists, kPauseTop + 15, 615, 285);
  dlg_pause.set_labelled_by(&pause_label);
  dlg_pause.set_tab_index(35);
  dlg_pause.on_key_press = [](char32_t& key) { seconds_KeyPress(key); };
  pause_unit.move(kLists + 720, kPauseTop + 60, 255, 255);
  pause_unit.set_caption("с");
  pause_unit.set_tab_index(36);

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
  if (key == U';' || key == U'#') return refuse(key);
  if (key == 13) key = U'#';
}

void make_form::seconds_KeyPress(char32_t& key) {
  // Editing keys (Backspace, Ctrl+V and the like) come as control characters.
  if (key >= 32 && (key < U'0' || key > U'9')) refuse(key);
}

void make_form::caption_KeyPress(char32_t& key) {
  // The quotes enclose a caption in the row, ";" ends the field, "#" breaks a
  // message's line.
  if (key == U'«' || key == U'»' || key == U';' || key == U'#') refuse(key);
}

void make_form::SDButton1_Click() {
  // The lines hand their choices to their answers (and follow a set chosen by
  // another program, which clicks nothing).
  ShowAnswers();
  const std::string text = clean(dlg_text.text());
  const std::string title = clean(dlg_title.text());
  std::string captions;
  for (int k = 0; k < script::kMaxAnswers; ++k)
    if (dlg_caption[k].visible()) captions += dlg_caption[k].text();
  // Nothing is stored while a character cannot be; the text stays as typed.
  if (const auto refused = script::unstorable_chars(text + title + captions); !refused.empty()) {
    MsgBox(unstorable_message(refused), ui::mb::Exclamation | ui::mb::Ok);
    return;
  }
  // Values that cannot work are refused the same way, as typed, and the focus
  // goes where to mend them.
  const auto refuse_at = [](ui::Control& c, const std::string& why) {
    MsgBox(why, ui::mb::Exclamation | ui::mb::Ok);
    c.set_focus();
  };
  for (int k = 0; k < script::kMaxAnswers; ++k) {
    if (!dlg_caption[k].visible()) continue;
    const std::string& caption = dlg_caption[k].text();
    if (caption.empty()) continue;  // the button's own name
    if (const auto problem = script::caption_problem(caption))
      return refuse_at(dlg_caption[k], caption_message(AnswerName(k), *problem));
  }
  const std::optional<int> wait = seconds_in(dlg_wait.text(), script::kMaxWait);
  if (!wait) return refuse_at(dlg_wait, wait_message(dlg_wait.text()));
  if (dlg_countdown.value() && *wait == 0)
    return refuse_at(dlg_wait,
                     "Отсчёт показывает диалог, который закрывается сам, а поле «Закрыть само "
                     "через» пусто.\r\n\r\nУкажите, через сколько секунд закрыть диалог, или "
                     "снимите флажок «показывать отсчёт».");
  const std::optional<int> pause = seconds_in(dlg_pause.text(), script::kMaxPause);
  if (!pause) return refuse_at(dlg_pause, pause_message(dlg_pause.text()));
  dlg_text.set_text(text);
  dlg_title.set_text(title);
  if (result_) *result_ = Row(*wait, *pause);
  unload();
}

}  // namespace designer
