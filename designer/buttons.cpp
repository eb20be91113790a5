#include "designer/buttons.h"

#include <map>
#include <stdexcept>

#include "controls/stored_buttons.h"
#include "resources/pictures.h"

namespace designer {

ui::Picture picture(const resources::Art& art) {
  static std::map<const resources::Art*, ui::Picture> made;
  ui::Picture& p = made[&art];
  if (!p) p = ui::make_picture(art.width, art.height, art.pixels);
  return p;
}

namespace {

ui::Picture picture_of_letter(char letter) {
  switch (letter) {
    case 'N': return picture(resources::kPictureNew);
    case 'O': return picture(resources::kPictureOpen);
    case 'S': return picture(resources::kPictureSave);
    case 'R': return picture(resources::kPictureRun);
    case 'C': return picture(resources::kPictureCompile);
    case 'A': return picture(resources::kPictureAbout);
    case 'P': return picture(resources::kPictureAdd);
    case 'X': return picture(resources::kPictureCancel);
    case 'M': return picture(resources::kPictureScheme);
    default: return nullptr;
  }
}

}  // namespace

void restore_button(controls::SDButton& button, std::string_view window) {
  const controls::StoredButton* stored =
      controls::find_stored_button(window, button.name(), button.index());
  if (!stored) throw std::logic_error("no stored button " + button.automation_name());
  controls::restore(button, *stored, picture_of_letter(stored->picture));
}

}  // namespace designer
