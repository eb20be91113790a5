#pragma once
// SDButton, the designer's own skinned button: a face painted from skin pictures,
// an optional 16 x 16 picture and a caption over it, an optional drop-down arrow,
// a hover look that the timer Out takes back when the pointer has left, and the
// events Click and ArrowClick.
//
// Inside the button everything is in inner units: pixels of the control, except
// that a control narrower or lower than 16 pixels counts 16 units across that
// side (Relayout). Positions of the parts are in those units.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/properties.h"
#include "ui/controls.h"
#include "ui/custom.h"

namespace controls {

class SDButton : public ui::CustomControl {
 public:
  // One part of the button: its box in inner units, whether it shows, what it shows.
  struct Part {
    ui::Rect rect;
    bool visible = true;
    ui::Picture picture;
    std::string text;  // txt only
  };
  // The parts that are placed on the face, by their names.
  struct Parts {
    Part down_ico;  // the arrow glyph, in front of everything
    Part down_img;  // the arrow section of Mode 3
    Part pal;       // the pointer target over the whole face; never has a picture
    Part txt;       // the caption, sized to its text
    Part img;       // the Picture, at its own size
  };

  SDButton(ui::Container& parent, std::string name, int index = -1);

  // Properties. Only Mode and Align lay the button out again; the others take
  // effect at the next Relayout, and Check at the next painting of the face.
  bool Check() const { return check_value; }
  void set_Check(bool TheCheck);
  const std::string& Caption() const { return parts_.txt.text; }
  void set_Caption(std::string NewCaption);
  const ui::Picture& Picture() const { return parts_.img.picture; }
  void set_Picture(ui::Picture New_Picture);
  bool AutoSize() const { return auto_size_value; }
  void set_AutoSize(bool NewSize);
  // 0 toolbar, 1 toggle, 2 arrow glyph, 3 split with arrow section, 4 bordered;
  // any other value acts as 0.
  std::int32_t Mode() const { return mode_value; }
  void set_Mode(std::int32_t NewMode);
  // 0 puts the caption after the picture; any other value centres it.
  std::int32_t Align() const { return align_value; }
  void set_Align(std::int32_t NewAlign);

  // Paints the face with a skin (0 hover, 1 pressed, 2 resting, 10 resting with
  // border) and shows or hides the arrow parts for the Mode. In Mode 1 with
  // Check true the skin becomes 1, and so does the argument.
  void DrawPal(std::int16_t& skin);
  // Draws the resting look and places every part; with AutoSize it also sets
  // the width.
  void Relayout();

  // Restores the properties kept by the host window, then lays out.
  void ReadProperties(const PropertyBag& stored);
  // Writes the properties that differ from their defaults, then lays out.
  void WriteProperties(PropertyBag& stored);

  // Events.
  std::function<void()> on_click;        // Click: a click on the face is completed
  std::function<void()> on_arrow_click;  // ArrowClick: a press on the arrow is released
  // Told the name of each property written, so that the host saves it again.
  std::function<void(std::string_view)> on_property_changed;

  // State, for the host and for tests.
  bool is_hover() const { return hover; }
  const ui::Timer& out_timer() const { return Out; }
  const Parts& parts() const { return parts_; }
  int inner_width() const;
  int inner_height() const;

  // CustomControl.
  std::vector<Overlay> overlays() const override;
  std::string accessible_text() const override { return Caption(); }
  void pointer_move(ui::Point p) override;
  void pointer_press(ui::Point p, ui::MouseButton b) override;
  void pointer_release(ui::Point p, ui::MouseButton b) override;
  void pointer_double_click(ui::Point p, ui::MouseButton b) override;
  void shown() override { Relayout(); }
  void text_metrics_changed() override { Relayout(); }
  // A click without the pointer: the toggle of Mode 1, the resting look, then Click.
  void activate() override;
  // Enter clicks; Space shows the pressed look while it is held and clicks when
  // it is let go, unless the focus went elsewhere meanwhile.
  void key_down(int& code, unsigned shift) override;
  void key_up(int& code, unsigned shift) override;

 protected:
  void resized() override;
  // A push button; a toggle button (Mode 1) is a check button.
  ui::Role default_role() const override;
  void describe(ui::Accessible& a) const override;
  void act() override { activate(); }
  void lost_focus() override;

 private:
  enum class Target { None, Face, Arrow };

  void report(std::string_view property);
  void paint(std::int16_t skin) { DrawPal(skin); }
  void fit_caption();
  ui::Point to_units(ui::Point pixels) const;
  ui::Point to_pixels(ui::Point units) const;
  Target hit(ui::Point pixels) const;
  void press_face();
  void press_arrow();
  void release(Target target, bool click);
  void end_click();
  // Parts back in place; the hover look while the pointer is over the button.
  void settle();
  void Out_Timer();

  bool hover = false;
  bool auto_size_value = false;
  bool check_value = false;
  std::int32_t mode_value = 0;
  std::int32_t align_value = 0;
  ui::Timer Out;
  Parts parts_;

  bool constructed_ = false;       // the initial size is no size change
  int autosize_runs_ = 0;          // nested Relayouts started by AutoSize
  Target pressed_ = Target::None;  // where the latest press or double-click landed
  bool click_armed_ = false;       // that press may still end in a Click
  bool pressed_look_ = false;      // pressed by the pointer, until the next Relayout
  bool space_down_ = false;        // Space holds the button pressed
};

}  // namespace controls
