// run.exe: shows each line of the main.dlg beside it as a system-modal message box
// (player/timed_box.cpp), one after another or where the answers lead, then ends;
// "/from N" starts it at line N (the designer's preview from a chosen dialog). A
// one-file program (run.exe with a script inside, script/carried_script.h) shows the
// script it carries instead and never looks for a main.dlg. It never opens a window of its
// own and never reports a failure: a missing or unreadable script simply ends the
// run.
//
// Its exit code is the button that closed its last box (IDOK 1, IDCANCEL 2,
// IDYES 6, IDNO 7), IDTIMEOUT (32000) when that box closed itself, or 0 when it
// showed none, so a batch file can branch on the user's answer.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/long_path.h"
#include "player/play.h"
#include "player/timed_box.h"
#include "script/carried_script.h"
#include "script/line_reader.h"

static_assert(player::kTimedOut == IDTIMEOUT);

namespace {

class HandleSource : public script::ByteSource {
 public:
  explicit HandleSource(HANDLE h) : h_(h) {}
  std::int64_t read(char* buf, std::size_t n) override {
    DWORD got = 0;
    if (!ReadFile(h_, buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }
  bool seek(std::uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(h_, to, nullptr, FILE_BEGIN);
  }

 private:
  HANDLE h_;
};

// The folder of this program, in the long form so that its files open at any
// depth: the system gives the module's path full, cut short when the buffer is
// too small for it.
std::wstring program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return platform::long_form(path.substr(0, path.find_last_of(L'\\')));
}

// The search that lists normal files only: a hidden or system file, or a folder,
// of that name does not count.
bool normal_file_exists(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  return (found.dwFileAttributes & hidden) == 0;
}

// The script this program carries, if it is a one-file program; empty when the
// resource is there but cannot be loaded.
std::optional<std::string> carried_script() {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(script::kCarriedScriptNumber),
                                    MAKEINTRESOURCEW(script::kCarriedScriptType));
  if (!found) return std::nullopt;
  const HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::string();
  return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

class MessageBoxes : public player::Screen {
 public:
  int show(const player::Dialog& dialog) override { return player::show_box(dialog); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  std::optional<script::MemorySource> carried;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (std::optional<std::string> bytes = carried_script()) {
    carried.emplace(std::move(*bytes));
  } else {
    const std::wstring script_path = program_folder() + L"\\main.dlg";
    if (!normal_file_exists(script_path)) return 0;
    file = CreateFileW(script_path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
  }

  HandleSource from_file(file);
  MessageBoxes screen;
  const int answer = player::play(carried ? static_cast<script::ByteSource&>(*carried) : from_file,
                                  screen, player::first_line(arguments ? arguments : L""));
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return answer;
}
