#pragma once
// A drawing made of shapes: boxes, lines with arrow heads, texts and small
// pictures, kept in 96-dpi pixels of the drawing and drawn by the backend at
// the window's scale. Screen readers meet it as a list whose items are regions
// of the drawing, each with a name; one of them may be selected. An item may
// have parts, regions of their own that a reader meets as the item's children,
// each a menu button opened by its default action. A drawing larger than the
// control scrolls.

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "ui/control.h"

namespace ui {

namespace shape {

// A rectangle, filled and bordered, its corners rounded by `radius`.
struct Box {
  Rect at;
  Color fill = Color::system(SysColor::Window);
  Color border = Color::system(SysColor::WindowText);
  int border_width = 1;  // 0: no border
  int radius = 0;
  bool operator==(const Box&) const = default;
};

// A line through the points, solid or dashed, with an arrow head at its last
// point when asked.
struct Path {
  std::vector<Point> points;
  Color color = Color::system(SysColor::WindowText);
  int width = 1;
  bool dashed = false;
  bool arrow = false;
  bool operator==(const Path&) const = default;
};

// One line of text with its top-left corner at `at`, in the drawing's font or
// its bold variant; cut with "…" where it would pass clip_width (0: never cut).
struct Text {
  Point at;
  std::string text;
  Color color = Color::system(SysColor::WindowText);
  bool bold = false;
  int clip_width = 0;
  bool operator==(const Text&) const = default;
};

// A picture at its own size (pixel art, repeated whole on a scaled screen).
struct Icon {
  Point at;
  Picture picture;
  bool operator==(const Icon&) const = default;
};

}  // namespace shape

using Shape = std::variant<shape::Box, shape::Path, shape::Text, shape::Icon>;

class Diagram : public Control {
 public:
  using Control::Control;
  Kind kind() const override { return Kind::Diagram; }
  bool can_focus() const override { return true; }

  // The shapes back to front, and the size of the whole drawing.
  const std::vector<Shape>& shapes() const { return shapes_; }
  Size extent() const { return extent_; }
  void set_drawing(std::vector<Shape> shapes, Size extent);
  Color back_color() const { return back_; }
  void set_back_color(Color c);
  const Font& font() const { return font_; }
  void set_font(Font f);
  // One line of text as it measures in the drawing's font at the window's scale.
  Size measure(std::string_view text, bool bold) const;

  // What a reader meets in the list, in order; a tooltip shows over the item
  // under the pointer. A part's box may reach out of its item's.
  struct Part {
    Rect box;
    std::string name;
    bool operator==(const Part&) const = default;
  };
  struct Item {
    Rect box;
    std::string name;
    std::string tooltip;
    std::vector<Part> parts;
    bool operator==(const Item&) const = default;
  };
  const std::vector<Item>& items() const { return items_; }
  void set_items(std::vector<Item> items);
  // The selected item, -1 for none; the window shows it (scrolled into view)
  // and marks it while the control has the focus.
  int selected() const { return selected_; }
  void select(int item);
  // The item whose box holds the point, -1 for none.
  int item_at(Point p) const;
  // The part whose box holds the point, else the item (part -1); item -1 for none.
  struct Spot {
    int item = -1;
    int part = -1;
    bool operator==(const Spot&) const = default;
  };
  Spot spot_at(Point p) const;

  // The drawing whole as a picture, at `times` the window's scale, or smaller
  // where that would pass the size a picture may have (8192 pixels on a side,
  // 16 million in all); empty when it could not be drawn.
  Bitmap picture(int times) const;

  // The pointer, in pixels of the drawing (scrolling taken off). A left button
  // pressed on the drawing keeps the pointer until it is let go: the control's
  // on_mouse_move, on_mouse_up and on_mouse_lost follow it, in the same pixels.
  std::function<void(Point, MouseButton)> on_press;
  std::function<void(Point, MouseButton)> on_double_click;
  // A reader's default action on an item (a double click), and on a part of one.
  std::function<void(int item)> on_item_action;
  std::function<void(int item, int part)> on_part_action;
  // The context menu asked for: the right button let go, Shift+F10 or the
  // menu key. At the point in the drawing, or at the selected item.
  std::function<void(Point)> on_context_menu;

  // What the backend reports.
  void pointer_move(Point p);
  void pointer_press(Point p, MouseButton b);
  void pointer_double_click(Point p, MouseButton b);
  void pointer_release(Point p, MouseButton b);
  // Another window took the pointer while the left button was held.
  void pointer_lost();
  bool held() const { return held_; }
  void key_down(int& code, unsigned shift) override;
  bool item_action(int item);
  bool part_action(int item, int part);

 protected:
  Role default_role() const override { return Role::List; }

 private:
  std::vector<Shape> shapes_;
  Size extent_;
  Color back_ = Color::system(SysColor::Window);
  Font font_;
  std::vector<Item> items_;
  int selected_ = -1;
  int hovered_ = -1;
  bool held_ = false;
};

}  // namespace ui
