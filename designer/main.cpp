// quillet.exe: the designer starts by loading its main window and ends when the
// main window is closed. Asked for "/compile" or "/?", it opens no window: it
// does the command, writes its report to the console it was started from, and
// ends with the command's exit code.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "designer/command_line.h"
#include "designer/main_form.h"
#include "designer/resource_ids.h"
#include "ui/win32/program.h"
#include "utf/utf.h"

namespace {

using utf::narrow;
using utf::widen;

// The arguments after the program's name, as the run-time library split them.
std::vector<std::string> arguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc && __wargv; ++i) args.push_back(narrow(__wargv[i]));
  return args;
}

// Where a command's report goes: a file or pipe the output was redirected to
// (UTF-8 bytes), else the console of the program that started this one (its own
// characters), else nowhere.
class Report {
 public:
  Report() {
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN &&
        !GetConsoleMode(out, &mode)) {
      handle_ = out;
    } else if (attached) {
      console_ =
          CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (console_ != INVALID_HANDLE_VALUE) handle_ = console_;
    }
  }
  ~Report() {
    if (console_ != INVALID_HANDLE_VALUE) CloseHandle(console_);
  }
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  void write(std::string_view utf8) const {
    if (!handle_) return;
    if (handle_ == console_) {
      const std::wstring text = widen(utf8);
      DWORD written = 0;
      WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      return;
    }
    while (!utf8.empty()) {
      DWORD written = 0;
      if (!WriteFile(handle_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) ||
          written == 0)
        return;
      utf8.remove_prefix(written);
    }
  }

 private:
  HANDLE handle_ = nullptr;
  HANDLE console_ = INVALID_HANDLE_VALUE;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // DLLs loaded later come from the system folder only, never from the program
  // folder, where anything may have been placed beside a built program.
  using SetDirs = BOOL(WINAPI*)(DWORD);
  if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    if (auto set = reinterpret_cast<SetDirs>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
      set(LOAD_LIBRARY_SEARCH_SYSTEM32);

  const designer::CommandLine command = designer::ParseCommandLine(arguments());
  if (command.kind != designer::CommandLine::Kind::Designer) {
    // Unattended: a missing disk or drive fails the file operation instead of
    // asking in a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const Report report;
    return designer::RunCommandLine(command, [&](std::string_view text) { report.write(text); });
  }

  return ui::win32::run_program(
      []() -> ui::Form& { return ui::Single<designer::main_form>::get(); }, IDI_DESIGNER);
}
