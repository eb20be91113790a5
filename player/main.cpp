// run.exe: shows each line of the main.dlg beside it as a system-modal message box,
// one after another or where the answers lead, then ends. A one-file program
// (run.exe with a script inside, script/carried_script.h) shows the script it
// carries instead and never looks for a main.dlg. It never opens a window of its
// own and never reports a failure: a missing or unreadable script simply ends the
// run.
//
// Its exit code is the button that closed its last box (IDOK 1, IDCANCEL 2,
// IDYES 6, IDNO 7), IDTIMEOUT (32000) when that box closed itself, or 0 when it
// showed none, so a batch file can branch on the user's answer.

#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "player/play.h"
#include "script/carried_script.h"
#include "script/line_reader.h"
#include "utf/utf.h"

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

// A box that closes itself. The system's own timed message box is not reliable
// everywhere (Wine ignores its time), so the player keeps a timer of its own, set on
// the box's window when a thread-local CBT hook sees that window created: the timer
// ends with the box and can never reach a later one. It ticks every 100 ms and
// counts from the first tick that finds the box on the screen; when the time is up
// it ends the box as its own buttons do, with IDTIMEOUT. An answer and the last tick
// are messages of the one thread: whichever comes first closes the box, and the
// other finds no box left.
struct Countdown {
  ULONGLONG ms = 0;        // how long the box stays
  HWND box = nullptr;      // the box, once created
  ULONGLONG shown_at = 0;  // the first tick that found it visible
  bool shown = false;
};
Countdown countdown;

constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT kTickMs = 100;

void CALLBACK countdown_tick(HWND box, UINT, UINT_PTR timer, DWORD) {
  if (box != countdown.box) {
    KillTimer(box, timer);
    return;
  }
  if (!IsWindowVisible(box)) return;
  const ULONGLONG now = GetTickCount64();
  if (!countdown.shown) {
    countdown.shown = true;
    countdown.shown_at = now;
  }
  if (now - countdown.shown_at < countdown.ms) return;
  KillTimer(box, timer);
  EndDialog(box, IDTIMEOUT);
}

LRESULT CALLBACK watch_for_box(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && !countdown.box) {
    const auto window = reinterpret_cast<HWND>(wparam);
    wchar_t name[8];
    if (GetClassNameW(window, name, 8) == 6 && std::wcscmp(name, L"#32770") == 0 &&
        SetTimer(window, kCountdownTimer, kTickMs, countdown_tick))
      countdown.box = window;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

class MessageBoxes : public player::Screen {
 public:
  int show(const player::Dialog& dialog) override {
    const std::wstring text = utf::widen(dialog.text), caption = utf::widen(dialog.caption);
    if (dialog.next.wait <= 0)
      return MessageBoxW(nullptr, text.c_str(), caption.c_str(), dialog.style);
    countdown = {};
    countdown.ms = static_cast<ULONGLONG>(dialog.next.wait) * 1000;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, watch_for_box, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(nullptr, text.c_str(), caption.c_str(), dialog.style);
    if (hook) UnhookWindowsHookEx(hook);
    countdown = {};
    return answer;
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
  const int answer =
      player::play(carried ? static_cast<script::ByteSource&>(*carried) : from_file, screen);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return answer;
}
