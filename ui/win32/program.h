#pragma once
// How a Windows program of ours starts: its entry point hands the start form and
// its icon to run_program, which sets up the common controls and the Win32
// backend, shows the form, runs the message loop until that form is unloaded,
// then unloads every window and returns the exit code. Free of <windows.h>.
//
//   int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
//     return ui::win32::run_program([]() -> ui::Form& { return ui::Single<MainForm>::get(); },
//                                   IDI_MAIN);
//   }
//
// The program's resource script embeds visual_styles.manifest (common controls
// version 6), its icons under ids of its own and the link hand under the id of
// resource_ids.h.

#include <functional>

#include "ui/form.h"

namespace ui::win32 {

// program_icon: the resource number of the icon that the program's windows carry
// unless they name another (Form::set_icon); 0 for none.
int run_program(const std::function<Form&()>& start, int program_icon = 0);

}  // namespace ui::win32
