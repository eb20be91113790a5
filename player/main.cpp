// run.exe: shows each line of the main.dlg beside it as a system-modal message box,
// one after another, then ends. It never opens a window of its own and never
// reports a failure: a missing or unreadable script simply ends the run.
//
// Its exit code is the button that closed its last box (IDOK 1, IDCANCEL 2,
// IDYES 6, IDNO 7), or 0 when it showed none, so a batch file can branch on the
// user's answer.

#include <windows.h>

#include <string>

#include "player/dialoged.h"
#include "script/cp1251.h"
#include "script/line_reader.h"
#include "utf/utf.h"

namespace {

class HandleSource : public script::ByteSource {
 public:
  explicit HandleSource(HANDLE h) : h_(h) {}
  std::int64_t read(char* buf, std::size_t n) override {
    DWORD got = 0;
    if (!ReadFile(h_, buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }

 private:
  HANDLE h_;
};

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
  return path.substr(0, path.find_last_of(L'\\'));
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring script_path = program_folder() + L"\\main.dlg";
  if (!normal_file_exists(script_path)) return 0;

  const HANDLE file = CreateFileW(script_path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;

  int answer = 0;
  HandleSource source(file);
  script::LineReader reader(source);
  while (reader.next() == script::LineReader::Status::Line) {
    if (const auto dialog = player::Dialoged(script::to_utf8(reader.line())))
      if (const int pressed = MessageBoxW(nullptr, utf::widen(dialog->text).c_str(),
                                          utf::widen(dialog->caption).c_str(), dialog->style))
        answer = pressed;
  }
  CloseHandle(file);
  return answer;
}
