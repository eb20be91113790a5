#pragma once
// The build console: silver text on black with a blinking cursor. Loading it
// starts the build, which runs one step per tick of its timer operations and
// writes every step, warning and failure into cmd. A key closes it once the
// build has stopped.

#include <cstdint>
#include <string_view>

#include "designer/build.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace designer {

class compile_form : public ui::Form {
 public:
  compile_form();

  ui::Timer operations{*this, "operations"};
  ui::Timer blink{*this, "blink"};
  ui::Label cmd{*this, "cmd"};
  ui::VScrollBar VScroll1{*this, "VScroll1"};

  std::int16_t step = 0;     // the step the next tick runs
  bool done = false;         // the build has stopped, finished or failed
  std::int16_t blinked = 0;  // 1 while the cursor "_" ends the text

  // Removes the cursor character if it is shown.
  void Unblink();

  void Load() override;
  void KeyPress(char32_t& key) override;

 private:
  void append(std::string_view text);
  void operations_Timer();
  void blink_Timer();
  // The end of a build: a step that stopped it, or the last step.
  void stop(build::Stop why);
  void finish();
  // The build is done with the prompt: it goes, unless it is shown.
  void close_prompt();
};

}  // namespace designer
