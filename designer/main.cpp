// quillet.exe: the designer starts by loading its main window and ends when the
// main window is closed.

#include <windows.h>

#include "designer/main_form.h"
#include "ui/win32/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // DLLs loaded later come from the system folder only, never from the program
  // folder, where anything may have been placed beside a built program.
  using SetDirs = BOOL(WINAPI*)(DWORD);
  if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    if (auto set = reinterpret_cast<SetDirs>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
      set(LOAD_LIBRARY_SEARCH_SYSTEM32);

  return ui::win32::run_program(
      []() -> ui::Form& { return ui::Single<designer::main_form>::get(); });
}
