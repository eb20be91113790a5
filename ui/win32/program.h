#pragma once
// How a Windows program of ours starts: its entry point hands the start form to
// run_program, which sets up the common controls and the Win32 backend, shows the
// form, runs the message loop until that form is unloaded, then unloads every
// window and returns the exit code. Free of <windows.h>.
//
//   int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
//     return ui::win32::run_program([]() -> ui::Form& { return ui::Single<MainForm>::get(); });
//   }
//
// The program's resource script embeds visual_styles.manifest (common controls
// version 6) and its icons and cursor under the ids of resource_ids.h.

#include <functional>

#include "ui/form.h"

namespace ui::win32 {

int run_program(const std::function<Form&()>& start);

}  // namespace ui::win32
