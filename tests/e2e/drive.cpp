// drive: runs a program unattended. It starts the program in a folder, waits for its
// first window or message box, can save a screenshot of it, and then answers every
// message box (and, when asked, closes the program's other windows) until the
// program ends. `make run` uses it to show the player where there is no screen.
//
//   drive PROGRAM [--folder DIR] [--screenshot FILE.png] [--screen]
//         [--close] [--prefer ok,no,yes,cancel] [--timeout SECONDS]
//
// PROGRAM and DIR may be Windows paths or, under Wine, POSIX paths. A screenshot
// name without a folder goes to the project's screenshot folder. Exit status: 0 when
// the program ended by itself, 1 on a usage or start failure, 2 when it had to be
// ended after the timeout.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "probe.h"

namespace {

void say(const std::string& line) {
  const std::string out = line + "\n";
  DWORD wrote = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &wrote,
            nullptr);
}

const std::map<std::wstring, int> kButtonIds = {
    {L"ok", IDOK},       {L"cancel", IDCANCEL}, {L"yes", IDYES},      {L"no", IDNO},
    {L"abort", IDABORT}, {L"retry", IDRETRY},   {L"ignore", IDIGNORE}};

std::string button_name(int id) {
  for (const auto& [name, value] : kButtonIds)
    if (value == id) return probe::to_utf8(name);
  return "?";
}

std::string one_line(std::wstring_view text) {
  std::string out;
  for (char c : probe::to_utf8(text)) out += (c == '\r' || c == '\n') ? '|' : c;
  return out;
}

struct Options {
  std::wstring program;
  std::wstring folder;
  std::wstring screenshot;
  bool whole_screen = false;
  bool close = false;
  std::vector<int> prefer = {IDOK, IDNO, IDYES, IDCANCEL};
  DWORD timeout_ms = 60000;
};

bool parse(int argc, wchar_t** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"--folder" && has_value) {
      o.folder = probe::windows_path(probe::to_utf8(argv[++i]));
    } else if (arg == L"--screenshot" && has_value) {
      o.screenshot = argv[++i];
    } else if (arg == L"--screen") {
      o.whole_screen = true;
    } else if (arg == L"--close") {
      o.close = true;
    } else if (arg == L"--timeout" && has_value) {
      o.timeout_ms = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
    } else if (arg == L"--prefer" && has_value) {
      o.prefer.clear();
      std::wstring list = argv[++i];
      list += L',';
      for (std::size_t from = 0, comma; (comma = list.find(L',', from)) != std::wstring::npos;
           from = comma + 1) {
        const auto id = kButtonIds.find(list.substr(from, comma - from));
        if (id == kButtonIds.end()) return false;
        o.prefer.push_back(id->second);
      }
    } else if (o.program.empty() && arg.rfind(L"--", 0) != 0) {
      o.program = probe::windows_path(probe::to_utf8(arg));
    } else {
      return false;
    }
  }
  if (o.program.empty()) return false;
  if (o.folder.empty()) o.folder = o.program.substr(0, o.program.find_last_of(L'\\'));
  if (!o.screenshot.empty() && o.screenshot.find_first_of(L"\\/:") == std::wstring::npos)
    o.screenshot = probe::screenshot_folder() + L"\\" + o.screenshot;
  else if (!o.screenshot.empty())
    o.screenshot = probe::windows_path(probe::to_utf8(o.screenshot));
  return true;
}

bool is_box(HWND w) { return probe::class_name(w) == L"#32770"; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    say("usage: drive PROGRAM [--folder DIR] [--screenshot FILE.png] [--screen] [--close]\n"
        "             [--prefer ok,no,yes,cancel] [--timeout SECONDS]");
    return 1;
  }
  probe::Process process = probe::start(o.program, o.folder);
  if (!process) {
    say("cannot start " + probe::to_utf8(o.program) + " (error " + std::to_string(GetLastError()) +
        ")");
    return 1;
  }
  const ULONGLONG until = GetTickCount64() + o.timeout_ms;

  HWND first = probe::wait_window(process, {}, o.timeout_ms);
  if (first && !o.screenshot.empty()) {
    const probe::Image image = probe::capture_settled(o.whole_screen ? nullptr : first);
    if (probe::save_png(image, o.screenshot))
      say("screenshot: " + probe::to_utf8(o.screenshot));
    else
      say("could not save the screenshot " + probe::to_utf8(o.screenshot));
  }

  int boxes = 0;
  std::vector<HWND> closed;
  while (process.running()) {
    if (GetTickCount64() >= until) {
      say("still running after the timeout: ending it");
      process.kill();
      return 2;
    }
    for (HWND w : probe::top_windows(process.id())) {
      if (is_box(w) && probe::find_child(w, 0xFFFF)) {
        const probe::MessageBoxView box = probe::read_message_box(w);
        int pressed = 0;
        for (int id : o.prefer)
          if (!pressed &&
              std::find(box.buttons.begin(), box.buttons.end(), id) != box.buttons.end())
            pressed = id;
        if (!pressed && !box.buttons.empty()) pressed = box.buttons.front();
        say("box " + std::to_string(++boxes) + ": [" + one_line(box.caption) + "] " +
            one_line(box.text) + " -> " + button_name(pressed));
        probe::answer(w, pressed);
        probe::wait_gone(w, 5000);
      } else if (o.close && std::find(closed.begin(), closed.end(), w) == closed.end()) {
        say("closing [" + one_line(probe::text(w)) + "]");
        PostMessageW(w, WM_CLOSE, 0, 0);
        closed.push_back(w);
      }
    }
    Sleep(20);
  }
  DWORD code = 0;
  process.wait(0, &code);
  say("ended with code " + std::to_string(code) + " after " + std::to_string(boxes) + " box" +
      (boxes == 1 ? "" : "es"));
  return 0;
}
