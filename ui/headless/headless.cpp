#include "ui/headless/headless.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ui/win32/scale.h"
#include "utf/utf.h"

namespace ui::headless {
namespace {

bool offers(unsigned style, int id) {
  switch (style & 0xF) {
    case mb::OkCancel:
      return id == IdOk || id == IdCancel;
    case mb::YesNoCancel:
      return id == IdYes || id == IdNo || id == IdCancel;
    case mb::YesNo:
      return id == IdYes || id == IdNo;
    default:
      return id == IdOk;
  }
}

// A user reaches only what is on screen, and uses only what is enabled.
void reachable(const Control& c) {
  if (!c.visible() || !c.form().visible())
    throw std::logic_error(c.automation_name() + " is not on screen");
  if (!c.enabled()) throw std::logic_error(c.automation_name() + " is disabled");
}

}  // namespace

class FormPeer : public Peer {
 public:
  FormPeer(Headless& h, Form& f) : h_(h), f_(f) { h_.log_.push_back("load " + f.name()); }
  ~FormPeer() override {
    h_.log_.push_back("unload " + f_.name());
    if (h_.active_ == &f_) h_.active_ = nullptr;
  }
  void update(Prop what) override {
    if (what != Prop::Visible) return;
    if (f_.visible()) {
      h_.log_.push_back("show " + f_.name() + (f_.modal() ? " modal" : ""));
      h_.activate(&f_);
    } else {
      h_.log_.push_back("hide " + f_.name());
      if (h_.active_ == &f_) h_.activate(nullptr);
    }
  }

 private:
  Headless& h_;
  Form& f_;
};

class TimerPeer : public Peer {
 public:
  TimerPeer(Headless& h, Timer& t) : h_(h), t_(t) { h_.schedule(t_); }
  ~TimerPeer() override { h_.unschedule(t_); }
  void update(Prop what) override {
    if (what == Prop::Timer) h_.schedule(t_);
  }

 private:
  Headless& h_;
  Timer& t_;
};

class NullPeer : public Peer {
 public:
  void update(Prop) override {}
};

Headless::Headless() { set_backend(this); }

Headless::~Headless() {
  unload_all();
  set_backend(nullptr);
}

void Headless::on_modal(std::string form_name, std::function<void(Form&)> act) {
  modals_.emplace_back(std::move(form_name), std::move(act));
}

void Headless::answer(int id) { answers_.push_back(id); }

void Headless::answer_menu(int item) { menu_answers_.push_back(item); }

void Headless::answer_save(std::optional<std::string> path) { saves_.push_back(std::move(path)); }

void Headless::answer_open(std::optional<std::string> path) { opens_.push_back(std::move(path)); }

std::unique_ptr<Peer> Headless::create_form_peer(Form& form) {
  return std::make_unique<FormPeer>(*this, form);
}

std::unique_ptr<Peer> Headless::create_peer(Control& control) {
  if (control.kind() == Kind::Timer)
    return std::make_unique<TimerPeer>(*this, static_cast<Timer&>(control));
  return std::make_unique<NullPeer>();
}

void Headless::run_modal(Form& form) {
  if (modals_.empty()) throw std::logic_error("unscripted modal window " + form.name());
  auto [name, act] = std::move(modals_.front());
  modals_.pop_front();
  if (name != form.name())
    throw std::logic_error("modal window " + form.name() + " shown where " + name +
                           " was expected");
  {
    Dispatch handler;
    act(form);
  }
  if (form.loaded() && form.visible())
    throw std::logic_error("modal window " + form.name() + " was left open");
  Form* owner = form.owner();
  if (owner && owner->loaded() && owner->visible()) activate(owner);
}

void Headless::activate(Form* f) {
  if (f == active_) return;
  Dispatch handler;
  if (active_) active_->deactivated();
  active_ = f;
  if (f) f->activated();
}

int Headless::message_box(std::string_view text, unsigned style, std::string_view title) {
  boxes_.push_back({std::string(text), style, std::string(title)});
  log_.push_back("box " + std::string(title) + ": " + std::string(text));
  if (answers_.empty()) throw std::logic_error("unscripted message box: " + std::string(text));
  const int id = answers_.front();
  answers_.pop_front();
  if (!offers(style, id))
    throw std::logic_error("answer " + std::to_string(id) +
                           " is not a button of: " + std::string(text));
  return id;
}

Size Headless::text_size(std::string_view text, const Font& font) {
  const double px = font.size * 96.0 / 72.0;
  const int per_char = static_cast<int>(std::lround(px * 0.55)) + (font.bold ? 1 : 0);
  return {per_char * static_cast<int>(utf::length(text)), static_cast<int>(std::lround(px * 1.2))};
}

Size Headless::measure_text(std::string_view text, const Font& font, const Control*) {
  return text_size(text, font);
}

Font Headless::interface_font() { return Font{}; }

Point Headless::cursor_position(const CustomControl& control) {
  if (&control == pointer_over_) return pointer_;
  return {-10000, -10000};
}

void Headless::shell_open(Form* owner, std::string_view target, std::string_view directory,
                          int show) {
  shell_calls_.push_back(
      {owner ? owner->name() : std::string(), std::string(target), std::string(directory), show});
}

int Headless::popup_menu(Control& at, Point, const std::vector<MenuItem>& items) {
  reachable(at);
  menu_items_.push_back(items);
  menus_.emplace_back();
  const std::vector<const MenuItem*> order = menu_order(items);
  // "menu A | B (отмечено) | C > [D | E]": a submenu in brackets after its item.
  const auto line_of = [](const auto& self, const std::vector<MenuItem>& menu) -> std::string {
    std::string line;
    for (const MenuItem& item : menu) {
      line += (line.empty() ? "" : " | ") + item.text + (item.enabled ? "" : " (недоступно)") +
              (item.checked ? " (отмечено)" : "");
      if (!item.submenu.empty()) line += " > [" + self(self, item.submenu) + "]";
    }
    return line;
  };
  for (const MenuItem* item : order) menus_.back().push_back(item->text);
  const std::string line = "menu " + line_of(line_of, items);
  log_.push_back(line);
  if (menu_answers_.empty()) throw std::logic_error("unscripted " + line);
  const int chosen = menu_answers_.front();
  menu_answers_.pop_front();
  if (chosen >= static_cast<int>(order.size()))
    throw std::logic_error("no item " + std::to_string(chosen) + " in the " + line);
  if (chosen >= 0) {
    const MenuItem& item = *order[static_cast<std::size_t>(chosen)];
    if (item.text.empty() || !item.enabled || !item.submenu.empty())
      throw std::logic_error("item " + std::to_string(chosen) + " cannot be chosen in the " + line);
  }
  return chosen;
}

Bitmap Headless::draw(const Diagram& diagram, int times) {
  const auto argb = [](Color c) {
    return 0xFF000000u | (c.is_system() ? 0xFFFFFFu : c.rgb_value());
  };
  const Size e = diagram.extent();
  const int dpi = win32::picture_dpi(e, win32::kBaseDpi * std::max(times, 1));
  Bitmap out(win32::scale(e.width, dpi), win32::scale(e.height, dpi), argb(diagram.back_color()));
  for (const Shape& s : diagram.shapes()) {
    const auto* box = std::get_if<shape::Box>(&s);
    if (!box) continue;
    const Rect r = win32::scale(box->at, dpi);
    for (int y = std::max(r.top, 0); y < std::min(r.top + r.height, out.height); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.left + r.width, out.width); ++x)
        out.at(x, y) = argb(box->fill);
  }
  return out;
}

Copied Headless::copy_to_clipboard(Form& owner, std::string_view text, const Bitmap* picture,
                                   std::string* why) {
  log_.push_back("copy from " + owner.name());
  if (clipboard_held_) {
    if (why) *why = "буфер обмена занят другой программой";
    return Copied::Nothing;
  }
  put_on_clipboard(std::string(text));
  if (!picture) return Copied::TextOnly;
  if (clipboard_refuses_pictures_) {
    if (why) *why = "не хватило памяти для картинки";
    return Copied::TextOnly;
  }
  clipboard_picture_ = *picture;
  return Copied::All;
}

bool Headless::copy_to_clipboard(Form& owner, std::string_view text, std::string_view format,
                                 std::string_view data) {
  log_.push_back("copy from " + owner.name());
  if (clipboard_held_) return false;
  put_on_clipboard(std::string(text), std::string(format), std::string(data));
  return true;
}

void Headless::put_on_clipboard(std::string text, std::string format, std::string data) {
  clipboard_text_ = std::move(text);
  clipboard_has_text_ = true;
  clipboard_picture_.reset();
  clipboard_format_ = std::move(format);
  clipboard_data_ = std::move(data);
}

std::optional<std::string> Headless::clipboard_text(Form&) {
  if (clipboard_held_ || !clipboard_has_text_) return std::nullopt;
  return clipboard_text_;
}

std::optional<std::string> Headless::clipboard_data(Form&, std::string_view format) {
  if (clipboard_held_ || format.empty() || format != clipboard_format_) return std::nullopt;
  return clipboard_data_;
}

namespace {

std::optional<std::string> file_dialog(std::string_view kind, Form& owner, const FileQuestion& q,
                                       std::vector<FileQuestion>& questions,
                                       std::deque<std::optional<std::string>>& answers,
                                       std::vector<std::string>& log) {
  questions.push_back(q);
  log.push_back(std::string(kind) + " dialog over " + owner.name() + ": " + q.title);
  if (answers.empty())
    throw std::logic_error("unscripted " + std::string(kind) + " dialog: " + q.title);
  auto path = std::move(answers.front());
  answers.pop_front();
  return path;
}

}  // namespace

std::optional<std::string> Headless::save_file_name(Form& owner, const FileQuestion& q) {
  return file_dialog("save", owner, q, save_questions_, saves_, log_);
}

std::optional<std::string> Headless::open_file_name(Form& owner, const FileQuestion& q) {
  return file_dialog("open", owner, q, open_questions_, opens_, log_);
}

std::string Headless::encode_png(const Bitmap& picture, std::string* why) {
  if (!png_failure_.empty()) {
    if (why) *why = png_failure_;
    return {};
  }
  return "png " + std::to_string(picture.width) + "x" + std::to_string(picture.height);
}

void Headless::schedule(Timer& t) {
  unschedule(t);
  if (t.enabled() && t.interval() > 0) timers_.push_back({&t, now_ + t.interval(), timer_order_++});
}

void Headless::unschedule(Timer& t) {
  std::erase_if(timers_, [&](const Scheduled& s) { return s.timer == &t; });
}

void Headless::advance(int ms) {
  const long long until = now_ + ms;
  for (;;) {
    auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
      return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == timers_.end() || next->due > until) break;
    now_ = next->due;
    Timer* t = next->timer;
    next->due += t->interval();
    next->order = timer_order_++;
    Dispatch handler;
    if (t->on_tick) t->on_tick();
  }
  now_ = until;
}

void Headless::click(Label& l, unsigned shift) {
  reachable(l);
  Dispatch handler;
  const Point middle{l.pixel_rect().width / 2, l.pixel_rect().height / 2};
  if (l.on_click) l.on_click();
  if (l.on_mouse_down) l.on_mouse_down(middle, MouseButton::Left, shift);
  if (l.on_mouse_up) l.on_mouse_up(middle, MouseButton::Left);
}

void Headless::double_click(Label& l) {
  click(l);
  Dispatch handler;
  if (l.on_double_click) l.on_double_click();
}

void Headless::mouse_down(Control& c, Point p, MouseButton b, unsigned shift) {
  reachable(c);
  Dispatch handler;
  held_ = b == MouseButton::Left ? &c : nullptr;
  if (c.on_mouse_down) c.on_mouse_down(p, b, shift);
}

void Headless::mouse_move(Control& c, Point p) {
  if (held_ && held_ != &c) throw std::logic_error(c.automation_name() + " is not held");
  Dispatch handler;
  if (c.on_mouse_move) c.on_mouse_move(p);
}

void Headless::mouse_up(Control& c, Point p, MouseButton b) {
  Dispatch handler;
  if (b == MouseButton::Left) held_ = nullptr;
  if (c.on_mouse_up) c.on_mouse_up(p, b);
}

void Headless::right_click(Control& c) {
  const Point middle{c.pixel_rect().width / 2, c.pixel_rect().height / 2};
  mouse_down(c, middle, MouseButton::Right);
  mouse_up(c, middle, MouseButton::Right);
}

void Headless::choose(OptionButton& o) {
  reachable(o);
  Dispatch handler;
  o.choose();
}

void Headless::select(ListBox& l, int index) {
  reachable(l);
  Dispatch handler;
  l.set_list_index(index);
  if (l.on_click) l.on_click();
}

void Headless::choose(ComboBox& c, int index) {
  reachable(c);
  if (index < 0 || index >= static_cast<int>(c.items().size()))
    throw std::logic_error(c.automation_name() + " has no item " + std::to_string(index));
  Dispatch handler;
  c.set_dropped_down(true);
  c.shown(index, false);  // the list closes on the item clicked
}

void Headless::click(CheckBox& c) {
  reachable(c);
  Dispatch handler;
  c.toggle();
}

void Headless::type(TextBox& t, std::u32string_view keys) {
  reachable(t);
  for (char32_t key : keys) {
    Dispatch handler;
    const char32_t k = t.filter_key(key);
    if (k == 0) continue;
    if (k == 27) continue;  // Esc is no character a box takes
    std::string text = t.all_selected() ? std::string() : t.text();
    if (k == 8) {
      utf::pop_back(text);
    } else if (k == 13) {
      if (!t.multiline()) continue;
      text += "\r\n";
    } else {
      // A full box takes no more, as the native control does.
      if (t.max_length() > 0 && utf::length(text) >= static_cast<std::size_t>(t.max_length()))
        continue;
      utf::append(text, k);
    }
    t.text_edited(std::move(text));
  }
}

void Headless::paste(TextBox& t, std::string_view utf8) {
  Dispatch handler;
  std::string text = t.text();
  // What a full box has no room for is left out.
  while (!utf8.empty() &&
         (t.max_length() == 0 || utf::length(text) < static_cast<std::size_t>(t.max_length()))) {
    char32_t c = 0;
    const std::size_t n = utf::decode(utf8, c);
    text.append(utf8.substr(0, n));
    utf8.remove_prefix(n);
  }
  t.text_edited(std::move(text));
}

void Headless::press_key(Form& f, char32_t key) {
  Dispatch handler;
  f.KeyPress(key);
}

void Headless::key_down(Form& f, int code, unsigned shift) {
  if (!f.visible()) throw std::logic_error(f.name() + " is not on screen");
  Dispatch handler;
  if (f.key_down(code, shift)) return;
  if ((shift & (shift::Ctrl | shift::Alt)) != 0) return;
  char32_t typed = 0;
  if (code == key::Enter || code == key::Escape || code == key::Space)
    typed = static_cast<char32_t>(code);
  if (!typed) return;
  Control* focus = f.focused_control();
  if (focus && focus->kind() == Kind::TextBox)
    type(static_cast<TextBox&>(*focus), std::u32string(1, typed));
  else if (!focus || f.key_preview())
    f.KeyPress(typed);
}

void Headless::key_up(Form& f, int code, unsigned shift) {
  Dispatch handler;
  if (f.loaded()) f.key_up(code, shift);
}

void Headless::key(Form& f, int code, unsigned shift) {
  Dispatch handler;  // keeps the window while its key handlers may unload it
  key_down(f, code, shift);
  key_up(f, code, shift);
}

void Headless::close(Form& f) {
  Dispatch handler;
  f.unload(UnloadReason::CloseBox);
}

bool Headless::default_action(Control& c) {
  reachable(c);
  Dispatch handler;
  return c.do_default_action();
}

void Headless::move(CustomControl& c, Point p) {
  reachable(c);
  Dispatch handler;
  pointer_over_ = &c;
  pointer_ = p;
  c.pointer_move(p);
}

void Headless::press(CustomControl& c, Point p, MouseButton b) {
  reachable(c);
  Dispatch handler;
  if (c.tab_stop() && !c.has_focus()) c.set_focus();
  c.pointer_press(p, b);
}

void Headless::release(CustomControl& c, Point p, MouseButton b) {
  Dispatch handler;
  if (&c == pointer_over_) pointer_ = p;
  c.pointer_release(p, b);
}

void Headless::double_press(CustomControl& c, Point p, MouseButton b) {
  Dispatch handler;
  c.pointer_double_click(p, b);
}

void Headless::click(CustomControl& c) {
  const Rect r = c.pixel_rect();
  const Point middle{r.width / 2, r.height / 2};
  move(c, middle);
  press(c, middle);
  release(c, middle);
}

void Headless::pointer_away() { pointer_over_ = nullptr; }

void Headless::move(Diagram& d, Point p) {
  reachable(d);
  Dispatch handler;
  d.pointer_move(p);
}

void Headless::click(Diagram& d, Point p, MouseButton b) {
  move(d, p);
  Dispatch handler;
  if (d.tab_stop() && !d.has_focus()) d.set_focus();
  d.pointer_press(p, b);
  d.pointer_release(p, b);
}

void Headless::press(Diagram& d, Point p) {
  move(d, p);
  Dispatch handler;
  if (d.tab_stop() && !d.has_focus()) d.set_focus();
  d.pointer_press(p, MouseButton::Left);
}

void Headless::release(Diagram& d, Point p) {
  move(d, p);
  Dispatch handler;
  d.pointer_release(p, MouseButton::Left);
}

void Headless::drag(Diagram& d, Point from, Point to) {
  press(d, from);
  for (int i = 1; i <= 4; ++i)
    move(d, {from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4});
  release(d, to);
}

bool Headless::default_action(Diagram& d, int item, int part) {
  reachable(d);
  Dispatch handler;
  return d.part_action(item, part);
}

void Headless::double_click(Diagram& d, Point p) {
  click(d, p);
  Dispatch handler;
  d.pointer_double_click(p, MouseButton::Left);
  d.pointer_release(p, MouseButton::Left);
}

}  // namespace ui::headless
