#include "designer/scheme_form.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>
#include <tuple>

#include "designer/app.h"
#include "designer/buttons.h"
#include "designer/main_form.h"
#include "platform/platform.h"
#include "resources/pictures.h"
#include "script/edits.h"
#include "script/row.h"
#include "ui/backend.h"

namespace designer {
namespace {

using ui::Color;
namespace shape = ui::shape;

const Color kBackground = Color::rgb(255, 255, 255);
const Color kCardFill = Color::rgb(246, 248, 251);
const Color kCardBorder = Color::rgb(122, 134, 154);
const Color kSelectedFill = Color::rgb(221, 235, 255);
const Color kSelectedBorder = Color::rgb(0, 90, 200);
const Color kGreyFill = Color::rgb(238, 238, 238);
const Color kGreyBorder = Color::rgb(180, 180, 180);
const Color kGreyText = Color::rgb(140, 140, 140);
// The dark red of the main window's notice: no path from here reaches an end.
const Color kTrap = Color::rgb(176, 0, 0);
const Color kText = Color::rgb(24, 24, 24);
const Color kNumber = Color::rgb(96, 106, 122);
const Color kArrow = Color::rgb(70, 80, 96);
const Color kArrowFaint = Color::rgb(186, 192, 202);
const Color kArrowStrong = Color::rgb(16, 32, 64);
// Loops, back to the same or an earlier dialog.
const Color kLoop = Color::rgb(140, 60, 170);
const Color kLoopFaint = Color::rgb(214, 190, 226);
const Color kLoopStrong = Color::rgb(104, 24, 136);
const Color kStartFill = Color::rgb(226, 243, 226);
const Color kStartBorder = Color::rgb(56, 142, 60);
const Color kStartText = Color::rgb(28, 88, 30);
const Color kEnd = Color::rgb(40, 40, 40);

// The window is never made smaller than this, not even to stand beside the main
// window.
constexpr int kLeastWidth = 240, kLeastHeight = 160;

// The pictures of the icons on the cards, by position in the icon names; greyed
// for the cards of dialogs never shown.
ui::Picture card_picture(int icon, bool grey) {
  static const resources::Art* const arts[] = {&resources::kCardError, &resources::kCardWarning,
                                               &resources::kCardInformation,
                                               &resources::kCardQuestion};
  if (icon < 0 || icon >= static_cast<int>(std::size(arts))) return nullptr;
  const ui::Picture colour = picture(*arts[icon]);
  if (!grey) return colour;
  static std::map<int, ui::Picture> greyed;
  ui::Picture& p = greyed[icon];
  if (!p) {
    auto b = std::make_shared<ui::Bitmap>(*colour);
    for (std::uint32_t& px : b->pixels) {
      const std::uint32_t r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, bl = px & 0xFF;
      // Light grey of the same lightness, lifted halfway to white.
      const std::uint32_t y = (r * 30 + g * 59 + bl * 11) / 100;
      const std::uint32_t v = (y + 255) / 2;
      px = (px & 0xFF000000u) | v << 16 | v << 8 | v;
    }
    p = std::move(b);
  }
  return p;
}

// The keys that follow an answer's arrow: the letter its name starts with (Отмена
// has М, as ОК has О), and the key where a Russian keyboard has that letter,
// whatever layout is on.
struct AnswerKey {
  script::Answer answer;
  char32_t lower, upper;
  int code;
};
constexpr AnswerKey kAnswerKeys[] = {{script::Answer::Ok, U'о', U'О', 'J'},
                                     {script::Answer::Yes, U'д', U'Д', 'L'},
                                     {script::Answer::No, U'н', U'Н', 'Y'},
                                     {script::Answer::Cancel, U'м', U'М', 'V'}};

ui::Rect rect(const scheme::Box& b) { return {b.x, b.y, b.width, b.height}; }

// A dialog in a menu: its title, or the first line of its text without one.
std::string dialog_words(std::string_view row) {
  const script::Fields f = script::split_row(row);
  const std::string_view title = f.has(1) ? f.field[1] : std::string_view{};
  return ui::menu_text(title.empty() ? f.field[0].substr(0, f.field[0].find('#')) : title);
}

// A way out in a menu, its letter the one of the scheme's keys (О, Д, Н, М) and Ч
// for the timeout: "&Да → диалог 3", "От&мена → конец".
std::string exit_words(const script::Exit& exit) {
  const std::string name = scheme::exit_name(exit);
  constexpr std::string_view kOt = "От";
  if (exit.answer == script::Answer::Cancel)
    return std::string(kOt) + "&" + name.substr(kOt.size());
  return "&" + name;
}

// The line from a way out to the pointer and the card it would lead to.
const Color kDrop = Color::rgb(0, 90, 200);

std::vector<ui::Point> points(const std::vector<scheme::Point>& from) {
  std::vector<ui::Point> out;
  for (const scheme::Point& p : from) out.push_back({p.x, p.y});
  return out;
}

}  // namespace

scheme_form::scheme_form() : Form("scheme_form") {
  set_scale(ui::ScaleMode::Pixels);
  set_border(ui::Border::Sizable);
  set_show_in_taskbar(false);
  set_start_position(ui::StartPosition::BesideOwner);
  set_keeps_place(true);
  set_key_preview(true);
  set_back_color(kBackground);
  set_min_client_size(kLeastWidth, kLeastHeight);

  scheme.set_back_color(kBackground);
  scheme.set_accessible_name("Схема");
  scheme.on_key_down = [this](int& code, unsigned shift) { scheme_KeyDown(code, shift); };
  scheme.on_press = [this](ui::Point p, ui::MouseButton b) {
    const ui::Diagram::Spot at = scheme.spot_at(p);
    if (at.item < 0) return;
    const int row = layout_.cards[static_cast<std::size_t>(at.item)].row;
    Select(row, true);
    if (at.part >= 0 && b == ui::MouseButton::Left) drag_ = {row, at.part, p, p, false};
  };
  scheme.on_mouse_move = [this](ui::Point p) { DragTo(p); };
  scheme.on_mouse_up = [this](ui::Point p, ui::MouseButton) { Drop(p); };
  scheme.on_mouse_lost = [this] { EndDrag(); };
  scheme.on_double_click = [this](ui::Point p, ui::MouseButton b) {
    const int card = scheme.item_at(p);
    if (card >= 0 && b == ui::MouseButton::Left)
      Edit(layout_.cards[static_cast<std::size_t>(card)].row);
  };
  scheme.on_item_action = [this](int card) {
    const int row = layout_.cards[static_cast<std::size_t>(card)].row;
    Select(row, true);
    Edit(row);
  };
  scheme.on_part_action = [this](int card, int exit) {
    const int row = layout_.cards[static_cast<std::size_t>(card)].row;
    Select(row, true);
    ExitMenu(row, exit);
  };
  // The right button on a way out offers where it may lead.
  scheme.on_context_menu = [this](ui::Point p) {
    const ui::Diagram::Spot at = scheme.spot_at(p);
    if (at.part >= 0)
      return ExitMenu(layout_.cards[static_cast<std::size_t>(at.item)].row, at.part);
    ShowMenu(p);
  };

  add_shortcut(
      'C', ui::shift::Ctrl, [this] { CopyScheme(); }, &scheme);
  add_shortcut('S', ui::shift::Ctrl, [this] { SavePicture(); });
  // The main window's history, from here too.
  add_shortcut('Z', ui::shift::Ctrl, [this] {
    EndDrag();
    main().Undo();
  });
  const auto redo = [this] {
    EndDrag();
    main().Redo();
  };
  add_shortcut('Y', ui::shift::Ctrl, redo);
  add_shortcut('Z', ui::shift::Ctrl | ui::shift::Shift, redo);
  // Esc lets go of a way out being dragged, else closes the window.
  add_shortcut(ui::key::Escape, ui::shift::None, [this] {
    if (drag_.row >= 0) return EndDrag();
    unload();
  });
}

main_form& scheme_form::main() const { return ui::Single<main_form>::get(); }

void scheme_form::Load() {
  // Beside the main window, or over as little of its list as can be.
  set_keep_clear(&main().TextBox);
  Refresh();
  // As large as the whole scheme; where it opens, the room there may make it smaller.
  set_client_size(std::max(layout_.width, kLeastWidth), std::max(layout_.height, kLeastHeight));
  Resize();
}

void scheme_form::Resize() { scheme.move(0, 0, client_width(), client_height()); }

void scheme_form::Refresh() {
  const main_form& m = main();
  set_caption("Схема - [" + (m.file_name.empty() ? std::string("Новый диалог") : m.file_name) +
              "]");
  if (m.dlg_rows != rows_) {
    trail_.clear();
    drag_ = {};  // the way out held may be no more
  }
  rows_ = m.dlg_rows;
  graph_ = script::graph_of(rows_);
  layout_ = scheme::lay_out(rows_, graph_, [this](std::string_view text, bool bold) {
    const ui::Size s = scheme.measure(text, bold);
    return scheme::Box{0, 0, s.width, s.height};
  });
  // A card and its ways out, which a reader meets as the card's parts.
  std::vector<ui::Diagram::Item> items;
  for (const scheme::Card& c : layout_.cards) {
    ui::Diagram::Item item{rect(c.box), c.name, c.text, {}};
    const auto& exits = graph_.exits[static_cast<std::size_t>(c.row)];
    for (const scheme::Arrow* a : exits_of(c.row))
      item.parts.push_back(
          {rect(a->grip), scheme::exit_name(exits[static_cast<std::size_t>(a->exit)])});
    items.push_back(std::move(item));
  }
  scheme.set_items(std::move(items));
  row_ = card_of(m.dlg_index) >= 0 ? m.dlg_index : -1;
  Draw();
}

void scheme_form::SelectCard(int row) {
  const int now = card_of(row) >= 0 ? row : -1;
  if (now == row_) return;
  row_ = now;
  Draw();
}

int scheme_form::card_of(int row) const {
  for (std::size_t i = 0; i < layout_.cards.size(); ++i)
    if (layout_.cards[i].row == row) return static_cast<int>(i);
  return -1;
}

void scheme_form::Select(int row, bool remember) {
  if (card_of(row) < 0) return;
  if (remember && row_ >= 0 && row_ != row) trail_.push_back(row_);
  row_ = row;
  Draw();
  main().SelectRow(row);
}

void scheme_form::Follow(script::Answer answer) {
  for (const scheme::Arrow& a : layout_.arrows)
    if (a.from == row_ && a.answer == answer) {
      if (a.to != script::kEnd) Select(a.to, true);
      return;
    }
}

void scheme_form::Step(int dx, int dy) {
  const int from = card_of(row_);
  if (from < 0) {
    if (!layout_.cards.empty()) Select(layout_.cards.front().row, true);
    return;
  }
  const scheme::Box& at = layout_.cards[static_cast<std::size_t>(from)].box;
  const auto centre = [](const scheme::Box& b) {
    return ui::Point{b.x + b.width / 2, b.y + b.height / 2};
  };
  const ui::Point c = centre(at);
  // Beyond in that direction: first the cards facing this one across the way (the
  // next layer down, the next card in the row), the nearest of them; then the
  // others by distance, a step aside counting twice.
  int best = -1;
  std::tuple<bool, long, long> best_key;
  for (std::size_t i = 0; i < layout_.cards.size(); ++i) {
    const scheme::Box& b = layout_.cards[i].box;
    const ui::Point o = centre(b);
    const long along = (o.x - c.x) * dx + (o.y - c.y) * dy;
    if (static_cast<int>(i) == from || along <= 0) continue;
    const long across = dx != 0 ? std::abs(o.y - c.y) : std::abs(o.x - c.x);
    const bool facing = dx != 0 ? b.y < at.y + at.height && at.y < b.y + b.height
                                : b.x < at.x + at.width && at.x < b.x + b.width;
    const std::tuple<bool, long, long> key{!facing, facing ? along : along + 2 * across, across};
    if (best < 0 || key < best_key) best = static_cast<int>(i), best_key = key;
  }
  if (best >= 0) Select(layout_.cards[static_cast<std::size_t>(best)].row, true);
}

void scheme_form::Edit(int row) {
  if (card_of(row) < 0) return;
  main().EditDialog(row);
  Back();
}

void scheme_form::Back() {
  // The editor gives the keys back to the main window, its owner; the user was here.
  if (loaded() && visible()) show(owner());
}

void scheme_form::Delete(int row) {
  if (card_of(row) < 0) return;
  main().SelectRow(row);
  main().DeleteRows();
}

std::vector<const scheme::Arrow*> scheme_form::exits_of(int row) const {
  std::vector<const scheme::Arrow*> out;
  for (const scheme::Arrow& a : layout_.arrows)
    if (a.from == row) out.push_back(&a);
  std::sort(out.begin(), out.end(),
            [](const scheme::Arrow* a, const scheme::Arrow* b) { return a->exit < b->exit; });
  return out;
}

std::vector<ui::MenuItem> scheme_form::TargetItems(int row, int exit,
                                                   std::vector<std::function<void()>>& commands) {
  const script::Exit& e =
      graph_.exits[static_cast<std::size_t>(row)][static_cast<std::size_t>(exit)];
  std::vector<int> dialogs;
  for (const scheme::Card& c : layout_.cards) dialogs.push_back(c.row);
  std::sort(dialogs.begin(), dialogs.end());
  std::vector<ui::MenuItem> items;
  const auto add = [&](std::string text, int target) {
    items.emplace_back(std::move(text), true, e.written == target);
    commands.push_back(
        [this, row, answer = e.answer, target] { main().Connect(row, answer, target); });
  };
  // The digits choose the dialogs up to 9.
  for (int d : dialogs)
    add((d < 10 ? "&" : "") + std::to_string(d) + ": " +
            dialog_words(rows_[static_cast<std::size_t>(d)]),
        d);
  items.emplace_back("");
  commands.emplace_back();
  add("&" + std::string(script::kEndName), script::kEnd);
  add("&дальше", script::kGoOn);
  return items;
}

void scheme_form::ExitMenu(int row, int exit) {
  const std::vector<const scheme::Arrow*> exits = exits_of(row);
  if (exit < 0 || exit >= static_cast<int>(exits.size())) return;
  std::vector<std::function<void()>> commands;
  const std::vector<ui::MenuItem> items = TargetItems(row, exit, commands);
  const scheme::Box& grip = exits[static_cast<std::size_t>(exit)]->grip;
  const int chosen = ui::backend().popup_menu(scheme, {grip.x, grip.y + grip.height}, items);
  if (chosen >= 0 && chosen < static_cast<int>(commands.size()))
    if (const auto& command = commands[static_cast<std::size_t>(chosen)]) command();
}

void scheme_form::DragTo(ui::Point at) {
  if (drag_.row < 0) return;
  if (!drag_.moving && !ui::beyond_click(drag_.from, at)) return;
  drag_.moving = true;
  drag_.at = at;
  Draw();
}

void scheme_form::Drop(ui::Point at) {
  const Drag drag = drag_;
  EndDrag();
  if (drag.row < 0 || !drag.moving) return;
  const auto& exits = graph_.exits[static_cast<std::size_t>(drag.row)];
  if (drag.exit >= static_cast<int>(exits.size())) return;
  const std::optional<script::Answer> answer = exits[static_cast<std::size_t>(drag.exit)].answer;
  if (const int card = scheme.item_at(at); card >= 0)
    return main().Connect(drag.row, answer, layout_.cards[static_cast<std::size_t>(card)].row);
  // On empty space: where else it may lead.
  const std::vector<ui::MenuItem> items = {
      {"&Новый диалог...", script::free_rows(rows_) > 0}, {"&Конец"}, {"&Дальше"}};
  switch (ui::backend().popup_menu(scheme, at, items)) {
    case 0:
      main().ConnectToNewDialog(drag.row, answer);
      Back();
      break;
    case 1:
      main().Connect(drag.row, answer, script::kEnd);
      break;
    case 2:
      main().Connect(drag.row, answer, script::kGoOn);
      break;
    default:
      break;
  }
}

void scheme_form::EndDrag() {
  const bool drawn = drag_.moving;
  drag_ = {};
  if (drawn) Draw();
}

void scheme_form::scheme_KeyDown(int& code, unsigned shift) {
  if (shift != ui::shift::None) return;
  switch (code) {
    case ui::key::Home:
      for (const scheme::Card& c : layout_.cards)
        if (c.start) Select(c.row, true);
      break;
    case ui::key::Left:
      Step(-1, 0);
      break;
    case ui::key::Right:
      Step(1, 0);
      break;
    case ui::key::Up:
      Step(0, -1);
      break;
    case ui::key::Down:
      Step(0, 1);
      break;
    case ui::key::Enter:
      if (row_ >= 0) Edit(row_);
      break;
    case ui::key::Delete:
      if (row_ >= 0) Delete(row_);
      break;
    case ui::key::Backspace:
      // Back the way the user came, past rows that have no card any more.
      while (!trail_.empty()) {
        const int back = trail_.back();
        trail_.pop_back();
        if (card_of(back) >= 0) {
          Select(back, false);
          break;
        }
      }
      break;
    default: {
      const auto* k = std::find_if(std::begin(kAnswerKeys), std::end(kAnswerKeys),
                                   [&](const AnswerKey& a) { return a.code == code; });
      if (k == std::end(kAnswerKeys)) return;
      Follow(k->answer);
    }
  }
  code = 0;
}

void scheme_form::KeyPress(char32_t& key) {
  const auto* k =
      std::find_if(std::begin(kAnswerKeys), std::end(kAnswerKeys),
                   [&](const AnswerKey& a) { return a.lower == key || a.upper == key; });
  if (k == std::end(kAnswerKeys)) return;
  Follow(k->answer);
  key = 0;
}

void scheme_form::ShowMenu(ui::Point at) {
  std::vector<ui::MenuItem> items;
  std::vector<std::function<void()>> commands;  // in menu_order
  const auto add = [&](ui::MenuItem item, std::function<void()> run) {
    items.push_back(std::move(item));
    commands.push_back(std::move(run));
  };
  if (row_ >= 0) {
    const int row = row_;
    add({"&Изменить диалог\tEnter"}, [this, row] { Edit(row); });
    add({"&Удалить диалог\tDel"}, [this, row] { Delete(row); });
    // Each way out with where it may lead.
    const auto& exits = graph_.exits[static_cast<std::size_t>(row)];
    if (!exits.empty()) add({""}, {});
    for (std::size_t k = 0; k < exits.size(); ++k) {
      std::vector<std::function<void()>> targets;
      std::vector<ui::MenuItem> submenu = TargetItems(row, static_cast<int>(k), targets);
      add({exit_words(exits[k]), std::move(submenu)}, {});
      commands.insert(commands.end(), targets.begin(), targets.end());
    }
    add({""}, {});
  }
  const script::History& history = main().history();
  add({"О&тменить\tCtrl+Z", history.can_undo()}, [this] { main().Undo(); });
  add({"&Повторить\tCtrl+Y", history.can_redo()}, [this] { main().Redo(); });
  add({""}, {});
  add({"&Копировать\tCtrl+C"}, [this] { CopyScheme(); });
  add({"&Сохранить картинку...\tCtrl+S"}, [this] { SavePicture(); });
  const int chosen = ui::backend().popup_menu(scheme, at, items);
  if (chosen >= 0 && chosen < static_cast<int>(commands.size()))
    if (const auto& command = commands[static_cast<std::size_t>(chosen)]) command();
}

void scheme_form::CopyScheme() {
  const ui::Bitmap picture = scheme.picture(2);
  const bool drawn = picture.width > 0 && picture.height > 0;
  std::string why;
  const ui::Copied copied = ui::backend().copy_to_clipboard(*this, scheme::copy_text(layout_),
                                                            drawn ? &picture : nullptr, &why);
  if (copied == ui::Copied::Nothing)
    MsgBox("Схема не скопирована: " + why + ". Попробуйте ещё раз.",
           ui::mb::Exclamation | ui::mb::Ok);
  else if (copied != ui::Copied::All && !layout_.cards.empty())
    MsgBox("Скопирован только текст схемы, без картинки: " +
               (drawn ? why : std::string("картинку не удалось нарисовать")) + ".",
           ui::mb::Exclamation | ui::mb::Ok);
}

void scheme_form::SavePicture() {
  const std::string& project = main().file_name;
  std::string name = project.empty() ? std::string("Схема") : project;
  if (name.size() > 4 && same_file_name(name.substr(name.size() - 4), ".dlg"))
    name.resize(name.size() - 4);
  const auto path = ui::backend().save_file_name(
      *this, {"Сохранить картинку", "Рисунок PNG", "png", name + ".png", {}});
  if (!path) return;
  const ui::Bitmap picture = scheme.picture(2);
  if (picture.width <= 0 && !layout_.cards.empty())
    return void(
        MsgBox("Картинка не сохранена: её не удалось нарисовать.", ui::mb::Critical | ui::mb::Ok));
  std::string why;
  const std::string png = ui::backend().encode_png(picture, &why);
  if (png.empty())
    return void(MsgBox("Картинка не сохранена: " + why + ".", ui::mb::Critical | ui::mb::Ok));
  const platform::FileError error = platform::write_file(*path, png);
  if (error != platform::FileError::None)
    MsgBox("Картинка не сохранена в " + *path + ".\r\n\r\nОшибка №" +
               std::to_string(static_cast<int>(error)) + ": " +
               ErrorDescription(static_cast<int>(error)),
           ui::mb::Critical | ui::mb::Ok);
}

void scheme_form::Draw() {
  std::vector<ui::Shape> shapes;
  const auto text = [&](ui::Point at, std::string s, Color c, bool bold, int clip = 0) {
    shapes.push_back(shape::Text{at, std::move(s), c, bold, clip});
  };

  if (layout_.apart_top > 0)
    shapes.push_back(shape::Path{{{8, layout_.apart_top}, {layout_.width - 8, layout_.apart_top}},
                                 kGreyBorder,
                                 1,
                                 true,
                                 false});
  if (layout_.start_mark.width > 0) {
    const scheme::Box& m = layout_.start_mark;
    shapes.push_back(shape::Box{rect(m), kStartFill, kStartBorder, 1, m.height / 2});
    const ui::Size s = scheme.measure(scheme::kStartText, false);
    text({m.x + (m.width - s.width) / 2, m.y + (m.height - s.height) / 2},
         std::string(scheme::kStartText), kStartText, false);
    shapes.push_back(shape::Path{points(layout_.start_arrow), kStartBorder, 1, false, true});
  }

  // The arrows of the selected card stand out; the others fade.
  const auto touches = [this](const scheme::Arrow& a) { return a.from == row_ || a.to == row_; };
  for (int strong = 0; strong < 2; ++strong)
    for (const scheme::Arrow& a : layout_.arrows) {
      const bool is_strong = row_ >= 0 && touches(a);
      if (is_strong != (strong == 1)) continue;
      const bool faint = row_ >= 0 && !is_strong;
      const Color c = a.back ? (faint       ? kLoopFaint
                                : is_strong ? kLoopStrong
                                            : kLoop)
                             : (faint       ? kArrowFaint
                                : is_strong ? kArrowStrong
                                            : kArrow);
      const bool to_end = a.to == script::kEnd;
      shapes.push_back(
          shape::Path{points(a.points), c, is_strong ? 2 : 1, !a.answer.has_value(), !to_end});
      if (to_end && !a.points.empty()) {
        const scheme::Point e = a.points.back();
        const int r = scheme::kEndMark / 2;
        shapes.push_back(shape::Box{{e.x - r, e.y - r, 2 * r, 2 * r},
                                    faint ? kArrowFaint : kEnd,
                                    faint ? kArrowFaint : kEnd,
                                    0,
                                    r});
      }
      if (!a.label.empty())
        text({a.label_box.x, a.label_box.y}, a.label, faint ? kArrowFaint : c, false);
    }

  // A way out dragged: the card it would lead to ringed, and lit as selected.
  const int drop_card = drag_.moving ? scheme.item_at(drag_.at) : -1;
  const int drop_row = drop_card >= 0 ? layout_.cards[static_cast<std::size_t>(drop_card)].row : -1;
  if (drop_card >= 0) {
    const scheme::Box& b = layout_.cards[static_cast<std::size_t>(drop_card)].box;
    shapes.push_back(shape::Box{{b.x - 3, b.y - 3, b.width + 6, b.height + 6}, kDrop, kDrop, 0, 7});
  }

  for (const scheme::Card& c : layout_.cards) {
    const bool selected = c.row == row_ || c.row == drop_row;
    const Color border = c.trapped ? kTrap : c.never_shown ? kGreyBorder : kCardBorder;
    shapes.push_back(shape::Box{rect(c.box),
                                selected        ? kSelectedFill
                                : c.never_shown ? kGreyFill
                                                : kCardFill,
                                selected && !c.trapped ? kSelectedBorder : border, selected ? 2 : 1,
                                4});
    const Color ink = c.never_shown ? kGreyText : kText;
    const std::string number = std::to_string(c.row);
    const ui::Size n = scheme.measure(number, true);
    text({c.number_box.x + (c.number_box.width - n.width) / 2, c.number_box.y}, number,
         c.never_shown ? kGreyText : kNumber, true);
    if (ui::Picture p = card_picture(c.icon, c.never_shown))
      shapes.push_back(shape::Icon{{c.icon_box.x, c.icon_box.y}, p});
    text({c.title_box.x, c.title_box.y}, c.title, c.trapped ? kTrap : ink, true, c.title_box.width);
    text({c.line_box.x, c.line_box.y}, c.line, ink, false, c.line_box.width);
  }
  // The line from the way out held to the pointer, over everything.
  if (drag_.moving) {
    const std::vector<const scheme::Arrow*> exits = exits_of(drag_.row);
    if (drag_.exit < static_cast<int>(exits.size())) {
      const scheme::Point from = exits[static_cast<std::size_t>(drag_.exit)]->points.front();
      shapes.push_back(shape::Path{{{from.x, from.y}, drag_.at}, kDrop, 2, false, true});
    }
  }
  scheme.set_drawing(std::move(shapes), {layout_.width, layout_.height});
  scheme.select(card_of(row_));
}

}  // namespace designer
