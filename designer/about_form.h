#pragma once
// The about window: name and version, what the program does, notices, and two
// links that the shell opens.

#include "controls/sdbutton.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class about_form : public ui::Form {
 public:
  about_form();

  // In stored order: an earlier item lies in front of a later one.
  controls::SDButton SDButton1{*this, "SDButton1"};
  ui::Label site{*this, "site"};
  ui::Label mail{*this, "mail"};
  ui::Label author{*this, "author"};
  ui::Label site_caption{*this, "site_caption"};
  ui::Label mail_caption{*this, "mail_caption"};
  ui::Label notice{*this, "notice"};
  ui::Label console{*this, "console"};
  ui::Label credit{*this, "credit"};
  ui::Label description{*this, "description"};
  ui::Line rule{*this, "rule"};
  ui::Label title{*this, "title"};
  ui::Image emblem{*this, "emblem"};

 private:
  void open_link(std::string_view target);
};

}  // namespace designer
