#include "controls/sdbutton.h"

#include "controls/skins.h"

namespace controls {
namespace {

// The initial boxes of the parts are given in twips, as the control stores them.
constexpr int px(int twips) { return ui::twips_to_pixels(twips); }

}  // namespace

SDButton::SDButton(ui::Container& parent, std::string name, int index)
    : ui::CustomControl(parent, std::move(name), index), Out(parent, automation_name() + ".Out") {
  Out.set_interval(100);
  Out.on_tick = [this] { Out_Timer(); };
  parts_.down_ico = {{px(1920), px(120), px(75), px(45)}, false, arrow_glyph(), {}};
  parts_.down_img = {{px(2160), 0, px(135), px(345)}, true, nullptr, {}};
  parts_.pal = {{0, 0, px(240), px(240)}, true, nullptr, {}};
  parts_.txt = {{px(360), 0, px(720), px(195)}, true, nullptr, "Каптярка"};
  parts_.img = {{0, 0, px(240), px(240)}, true, nullptr, {}};
  move(left(), top(), parent.from_twips(2715), parent.from_twips(1185));
  face() = ui::Bitmap(px(2715), px(1185));  // white, and covered by the first painting
  constructed_ = true;
}

void SDButton::resized() {
  if (constructed_) Relayout();
}

void SDButton::report(std::string_view property) {
  if (auto tell = on_property_changed) tell(property);
}

ui::Role SDButton::default_role() const {
  return mode_value == 1 ? ui::Role::CheckButton : ui::Role::PushButton;
}

void SDButton::describe(ui::Accessible& a) const {
  a.name = Caption();
  a.checked = a.role == ui::Role::CheckButton && check_value;
  a.pressed = pressed_look_;
  a.default_action = ui::default_action_name(a.role, a.checked);
}

void SDButton::set_Check(bool TheCheck) {
  check_value = TheCheck;
  report("Check");
}

void SDButton::set_Caption(std::string NewCaption) {
  parts_.txt.text = std::move(NewCaption);
  fit_caption();
  changed(ui::Prop::Caption);
  repaint();
  report("Caption");
}

void SDButton::set_Picture(ui::Picture New_Picture) {
  Part& img = parts_.img;
  img.picture = std::move(New_Picture);
  if (img.picture) img.rect.width = img.picture->width, img.rect.height = img.picture->height;
  repaint();
  report("Picture");
}

void SDButton::set_AutoSize(bool NewSize) {
  auto_size_value = NewSize;
  report("AutoSize");
}

void SDButton::set_Mode(std::int32_t NewMode) {
  mode_value = NewMode;
  Relayout();
  report("Mode");
}

void SDButton::set_Align(std::int32_t NewAlign) {
  align_value = NewAlign;
  Relayout();
  report("Align");
}

void SDButton::ReadProperties(const PropertyBag& stored) {
  auto_size_value = stored.read_bool("AutoSize", false);
  mode_value = stored.read_int32("Mode", 0);
  align_value = stored.read_int32("Align", 0);
  Part& img = parts_.img;
  img.picture = stored.read_picture("Picture", nullptr);
  if (img.picture) img.rect.width = img.picture->width, img.rect.height = img.picture->height;
  parts_.txt.text = stored.read_text("Caption", "");
  fit_caption();
  changed(ui::Prop::Caption);
  check_value = stored.read_bool("Check", false);
  Relayout();
}

void SDButton::WriteProperties(PropertyBag& stored) {
  // A value at its default is not written; an older entry of a reused bag goes too.
  auto put = [&](std::string_view key, bool is_default, PropertyValue value) {
    if (is_default)
      stored.erase(key);
    else
      stored.write(key, std::move(value));
  };
  put("Align", align_value == 0, align_value);
  put("AutoSize", !auto_size_value, auto_size_value);
  put("Mode", mode_value == 0, mode_value);
  put("Picture", !parts_.img.picture, parts_.img.picture);
  put("Caption", parts_.txt.text.empty(), parts_.txt.text);
  put("Check", !check_value, check_value);
  Relayout();
}

}  // namespace controls
