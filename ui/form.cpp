#include "ui/form.h"

#include <stdexcept>

#include "ui/backend.h"
#include "ui/controls.h"
#include "ui/custom.h"
#include "utf/utf.h"

namespace ui {
namespace {

Backend* g_backend = nullptr;
int g_depth = 0;

std::vector<std::unique_ptr<Form>>& retired() {
  static std::vector<std::unique_ptr<Form>> forms;
  return forms;
}

std::vector<std::function<void()>>& singles() {
  static std::vector<std::function<void()>> resets;
  return resets;
}

}  // namespace

void set_backend(Backend* backend) { g_backend = backend; }

Backend& backend() {
  if (!g_backend) throw std::logic_error("no UI backend is set");
  return *g_backend;
}

int message_box(std::string_view text, unsigned style, std::string_view title) {
  return backend().message_box(text, style, title);
}

std::vector<const MenuItem*> menu_order(const std::vector<MenuItem>& menu) {
  std::vector<const MenuItem*> order;
  for (const MenuItem& item : menu) {
    order.push_back(&item);
    const std::vector<const MenuItem*> inner = menu_order(item.submenu);
    order.insert(order.end(), inner.begin(), inner.end());
  }
  return order;
}

std::string menu_text(std::string_view text, std::size_t chars) {
  std::string out;
  std::size_t n = 0;
  for (; !text.empty() && n < chars; ++n) {
    char32_t c;
    const std::size_t size = utf::decode(text, c);
    if (c == U'&')
      out += "&&";
    else if (c == U'\t' || c == U'\r' || c == U'\n')
      out += ' ';
    else
      out.append(text.substr(0, size));
    text.remove_prefix(size);
  }
  return text.empty() ? out : out + "…";
}

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() = default;

void Form::set_caption(std::string c) {
  caption_ = std::move(c);
  changed(Prop::Caption);
}

void Form::set_client_size(int width, int height) {
  client_width_ = width;
  client_height_ = height;
  changed(Prop::Geometry);
  for (Control* c : children())
    if (c->kind() == Kind::PictureBox) c->move(c->rect());  // docked boxes follow
}

void Form::client_resized(int width, int height) {
  if (width == client_width_ && height == client_height_) return;
  Dispatch handler;
  client_width_ = width;
  client_height_ = height;
  for (Control* c : children())
    if (c->kind() == Kind::PictureBox) c->move(c->rect());
  Resize();
}

void Form::set_back_color(Color c) {
  back_ = c;
  changed(Prop::Colors);
}

void Form::load() {
  if (loaded_) return;
  Dispatch handler;
  Backend& b = backend();
  b.trace("model", this);
  loaded_ = true;
  peer_ = b.create_form_peer(*this);
  b.trace("window", this);
  for (Control* c : controls_) c->attach(b.create_peer(*c));
  b.trace("controls", this);
  Load();
  b.trace("Load", this);
}

void Form::show(Form* owner) {
  if (!loaded_) load();
  owner_ = owner;
  const bool was_visible = visible_;
  visible_ = true;
  changed(Prop::Visible);
  if (!was_visible)
    for (Control* c : controls_)
      if (c->kind() == Kind::Custom) static_cast<CustomControl*>(c)->shown();
}

void Form::show_modal(Form& owner) {
  if (!loaded_) load();
  modal_ = true;
  changed(Prop::Modal);
  show(&owner);
  backend().run_modal(*this);
  if (loaded_) {
    modal_ = false;
    changed(Prop::Modal);
  }
}

void Form::text_metrics_changed() {
  if (!loaded_) return;
  Dispatch handler;
  for (Control* c : controls_) c->text_metrics_changed();
  TextMetricsChanged();
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  changed(Prop::Visible);
}

bool Form::unload(UnloadReason why) {
  if (!loaded_) return true;
  Dispatch handler;
  if (!QueryUnload(why)) return false;
  Unload();
  discard();
  return true;
}

void Form::discard() {
  if (!loaded_) return;
  loaded_ = false;
  visible_ = false;
  modal_ = false;
  focus_ = active_control_ = nullptr;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->detach();
  peer_.reset();
}

void retire(std::unique_ptr<Form> form) {
  retired().push_back(std::move(form));
  if (g_depth == 0) collect_retired();
}

void collect_retired() {
  if (g_depth != 0) return;
  auto forms = std::move(retired());
  retired().clear();
  forms.clear();
}

Dispatch::Dispatch() { ++g_depth; }

Dispatch::~Dispatch() {
  if (--g_depth == 0) collect_retired();
}

namespace detail {
void register_single(std::function<void()> reset) { singles().push_back(std::move(reset)); }
}  // namespace detail

void unload_all() {
  for (auto& reset : singles()) reset();
  collect_retired();
}

}  // namespace ui
