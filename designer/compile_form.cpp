#include "designer/compile_form.h"

#include <string>

#include "designer/app.h"
#include "designer/build.h"
#include "designer/comp_form.h"
#include "designer/main_form.h"
#include "designer/resource_ids.h"
#include "platform/platform.h"

namespace designer {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kContinue = "\r\nPress Any Key To Continue...";

std::string build_path() { return ui::Single<comp_form>::get().cmp.text(); }

// What the steps read: the main window's project, the prompt's build path,
// whether it asks for one file and with which icon, afresh at every tick.
build::Job job() {
  build::Job j;
  j.project_name = ui::Single<main_form>::get().GetFile();
  j.project_path = in_program_folder(j.project_name);
  j.folder = build_path;
  const comp_form& prompt = ui::Single<comp_form>::get();
  j.one_file = prompt.one_file.value();
  j.icon = prompt.Icon();
  return j;
}

}  // namespace

compile_form::compile_form() : Form("compile_form") {
  set_caption("Компиляция");
  set_back_color(ui::Color::rgb(0, 0, 0));
  set_border(ui::Border::FixedSingle, true);
  set_start_position(ui::StartPosition::SystemDefault);
  set_client_size(8655, 5295);
  set_icon(IDI_PLAYER);

  operations.set_interval(500);
  operations.on_tick = [this] { operations_Timer(); };
  blink.set_interval(500);
  blink.on_tick = [this] { blink_Timer(); };
  VScroll1.move(8400, 0, 255, 5295);
  VScroll1.set_tab_stop(false);
  cmd.move(0, 0, 8295, 5295);
  cmd.set_colors(ui::Color::rgb(192, 192, 192), ui::Color::rgb(0, 0, 0));
  cmd.set_font(ui::Font{"Courier New", 9.75, true, false, ui::kCyrillicCharset});
  // Its caption is the console's text: a reader hears it as the value of a text.
  cmd.set_accessible_role(ui::Role::Text);
  cmd.set_accessible_name("Консоль");
}

void compile_form::Load() {
  done = false;
  step = 0;
  // The text runs up to the scroll bar, which stays readable beside it.
  cmd.move(0, 0, VScroll1.left(), client_height());
  cmd.set_caption(std::string("Tervan Quillet Console v.1.0") + std::string(kCrLf) +
                  "Copyright (C) Quillet contributors. Free to use and share." +
                  std::string(kCrLf) + std::string(kCrLf));
}

void compile_form::append(std::string_view text) {
  cmd.set_caption(cmd.caption() + std::string(text));
}

void compile_form::Unblink() {
  if (blinked != 1) return;
  std::string text = cmd.caption();
  if (!text.empty()) text.pop_back();
  cmd.set_caption(std::move(text));
  blinked = 0;
}

void compile_form::blink_Timer() {
  if (blinked == 0) {
    append("_");
    blinked = 1;
  } else if (blinked == 1) {
    Unblink();
  }
}

void compile_form::KeyPress(char32_t&) {
  if (done) unload();
}

void compile_form::stop(build::Stop why) {
  // The prompt stays with its path after a build that had no project to build.
  append(why == build::Stop::NoProject ? kContinue : "\r\nPress Any Key To Countinue...");
  operations.set_enabled(false);
  done = true;
  if (why != build::Stop::NoProject) close_prompt();
}

void compile_form::finish() {
  append(build::ExePath(job()) + std::string(kContinue));
  operations.set_enabled(false);
  done = true;
  close_prompt();
}

void compile_form::close_prompt() {
  // A prompt the user has opened again for the next build stays as it is.
  comp_form* prompt = ui::Single<comp_form>::if_loaded();
  if (prompt && !prompt->visible()) prompt->unload();
}

// One build step per tick. A failing step stops the build where it stands and
// keeps its number in step; nothing made before is undone.
void compile_form::operations_Timer() {
  if (step < 0 || step > 11) {
    ++step;
    return;
  }
  const bool pause = step == 2 || step == 4 || step == 8;
  if (!pause) Unblink();
  if (step == 0) {
    append(platform::program_folder() + "\\" + std::string(kAppTitle) + ".exe /compile %1");
  } else if (step == 11) {
    finish();
  } else {
    platform::FileError error;
    const build::Stop why = build::RunStep(
        step, job(), [this](std::string_view text) { append(text); }, error);
    if (why != build::Stop::None) return stop(why);
  }
  ++step;
}

}  // namespace designer
