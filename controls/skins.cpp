#include "controls/skins.h"

#include "resources/pictures.h"

namespace controls {
namespace {

ui::Picture picture_of(const resources::Art& art) {
  return ui::make_picture(art.width, art.height, art.pixels);
}

}  // namespace

ui::Picture skin(int index) {
  static const ui::Picture skins[] = {picture_of(resources::kSkin0), picture_of(resources::kSkin1),
                                      picture_of(resources::kSkin2),
                                      picture_of(resources::kSkin10)};
  switch (index) {
    case 0:
      return skins[0];
    case 1:
      return skins[1];
    case 2:
      return skins[2];
    case 10:
      return skins[3];
    default:
      return nullptr;
  }
}

ui::Picture arrow_glyph() {
  static const ui::Picture glyph = picture_of(resources::kArrowGlyph);
  return glyph;
}

}  // namespace controls
