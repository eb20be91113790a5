#pragma once
// Base of controls that draw themselves: a retained face of pixels, with pictures
// and texts laid over it, and raw pointer notifications in control pixels.

#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class CustomControl : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Custom; }
  bool can_focus() const override { return true; }

  // What lies over the face, back to front: a picture or a one-line text.
  struct Overlay {
    Picture picture;   // drawn when set, at its own size
    std::string text;  // drawn when picture is empty, in the default interface font
    Point at;          // top-left corner in face pixels
    // A piece of the face stretched to its box rather than a picture of its own:
    // on a scaled screen it is scaled with the face instead of kept whole.
    bool with_face = false;
  };

  const Bitmap& face() const { return face_; }
  virtual std::vector<Overlay> overlays() const { return {}; }
  // The window text of the control, for accessibility tools.
  virtual std::string accessible_text() const { return {}; }

  // Pointer notifications from the backend, in pixels of the control. A double
  // click arrives instead of its second press.
  virtual void pointer_move(Point) {}
  virtual void pointer_press(Point, MouseButton) {}
  virtual void pointer_release(Point, MouseButton) {}
  virtual void pointer_double_click(Point, MouseButton) {}
  // The control was shown: its window became visible, or it became visible again
  // on a window that is showing.
  virtual void shown() {}
  // What a completed click does, for the keyboard and for accessibility tools,
  // which act without a pointer.
  virtual void activate() {}

 protected:
  void describe(Accessible& a) const override { a.name = accessible_text(); }
  Bitmap& face() { return face_; }
  // Pushes the face and the overlays to the screen.
  void repaint() { changed(Prop::Face); }
  // Where the pointer is now, in pixels of this control.
  Point cursor_position() const;
  // Size of a one-line text in the default interface font.
  Size measure_text(const std::string& text) const;

 private:
  Bitmap face_;
};

}  // namespace ui
