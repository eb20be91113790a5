// A message box of the player's own making: the system's MessageBoxW, watched from
// its own thread while it is shown.
//
// The box is seen as it is created, by a CBT hook of the player's thread set for this
// box alone. The hook takes over the box's window procedure, so that once the system
// has laid the box out (WM_INITDIALOG) the player puts the captions on its buttons,
// widens them and the box where they need it, and writes the seconds left into the
// title. A box that closes itself gets a 100 ms timer on its window: it counts from
// the first tick that finds the box on the screen and, when the time is up, ends the
// box as its own buttons do, with IDTIMEOUT, which MessageBoxW then returns. The
// system's timed message box is not used, as Wine ignores its time.
//
// Should the hook or the box's timer be refused, a timer of the thread takes over:
// it finds the box among the thread's windows, puts the captions on its buttons
// there when no hook could, and keeps the same time, so a box with a timeout always
// closes. Everything the box needs lives in one Box on the stack of show_box; the
// hook and the timers are set for it and removed with it, so nothing reaches a later
// box. An answer and the last tick are messages of the one thread: whichever comes
// first closes the box. The rules themselves (the seconds left, the buttons' texts
// and their row) are box_rules.h's, tested apart from Win32.

#include "player/timed_box.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "player/box_rules.h"
#include "player/play.h"
#include "utf/utf.h"

namespace player {
namespace {

constexpr UINT_PTR kBoxTimer = 1;
constexpr UINT kTickMs = 100;

#ifdef QUILLET_PLAYER_FAULTS
// Test builds only: QUILLET_PLAYER_FAULT=hook or =timer makes that part of the
// watch fail as if the system had refused it.
bool refused(const wchar_t* part) {
  wchar_t value[16];
  const DWORD n = GetEnvironmentVariableW(L"QUILLET_PLAYER_FAULT", value, 16);
  return n > 0 && n < 16 && std::wcscmp(value, part) == 0;
}
#else
constexpr bool refused(const wchar_t*) { return false; }
#endif

struct Box {
  const Dialog& dialog;
  ULONGLONG ms = 0;            // how long the box stays; 0: until answered
  BoxClock clock{ms};
  HWND window = nullptr;       // the box, once created
  WNDPROC original = nullptr;  // its window procedure, while the player's stands in
  UINT_PTR thread_timer = 0;   // the watch when the hook or the box's own timer is refused
  bool dressed = false;        // its buttons say their captions
  bool ended = false;
  ULONGLONG seconds_titled = 0;  // the seconds the title tells; 0: none yet
};

// The box being shown, for the hook and timer procedures, which get no pointer of
// their own. Set only while show_box waits for its box.
Box* current = nullptr;

bool is_dialog(HWND window) {
  wchar_t name[8];
  return GetClassNameW(window, name, 8) == 6 && std::wcscmp(name, L"#32770") == 0;
}

void title_seconds(Box& box, ULONGLONG seconds) {
  if (!box.dialog.next.countdown || seconds == box.seconds_titled) return;
  box.seconds_titled = seconds;
  SetWindowTextW(box.window, utf::widen(countdown_title(box.dialog.caption, seconds)).c_str());
}

void tick(Box& box) {
  if (box.ended || !box.window || !IsWindowVisible(box.window)) return;
  if (const ULONGLONG left = box.clock.seconds_left(GetTickCount64())) {
    title_seconds(box, left);
    return;
  }
  box.ended = true;
  KillTimer(box.window, kBoxTimer);
  EndDialog(box.window, IDTIMEOUT);
}

void CALLBACK box_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current) tick(*current);
}

// The box's buttons, left to right as the system placed them.
struct Button {
  HWND window;
  RECT rect;  // in the box's client area
};

int visible_buttons(HWND box, Button (&out)[script::kMaxAnswers]) {
  int n = 0;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[8];
    if (GetClassNameW(child, name, 8) != 6 || _wcsicmp(name, L"Button") != 0) continue;
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    if (n == script::kMaxAnswers) return 0;  // not a box of ours
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    out[n++] = {child, r};
  }
  for (int i = 1; i < n; ++i)  // at most three: an insertion sort
    for (int k = i; k > 0 && out[k].rect.left < out[k - 1].rect.left; --k)
      std::swap(out[k], out[k - 1]);
  return n;
}

// How wide a button must be to show text whole, in its own font, with the room
// around it that the system's buttons leave.
int width_for(HWND button, const std::wstring& text) {
  const HDC dc = GetDC(button);
  if (!dc) return 0;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  TEXTMETRICW metrics{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  GetTextMetricsW(dc, &metrics);
  if (old) SelectObject(dc, old);
  ReleaseDC(button, dc);
  return size.cx + 2 * (metrics.tmHeight * 3 / 4 + 2);
}

// Puts the captions on the buttons and lays their row out again (box_rules.h's
// dress_row), the box widened on its monitor where the row needs it.
void dress_buttons(Box& box) {
  box.dressed = true;
  const Dialog& dialog = box.dialog;
  const auto answers = script::answers_of(dialog.button_set);
  Button buttons[script::kMaxAnswers];
  const int n = visible_buttons(box.window, buttons);
  if (n != static_cast<int>(answers.size())) return;
  std::array<ButtonSpan, script::kMaxAnswers> spans{};
  std::array<int, script::kMaxAnswers> needed{};
  for (int k = 0; k < n; ++k)
    spans[k] = {buttons[k].rect.left, buttons[k].rect.right - buttons[k].rect.left};
  bool dressed = false;
  for (int k = 0; k < n; ++k) {
    const std::string& caption = dialog.next.caption[static_cast<std::size_t>(k)];
    if (caption.empty()) continue;
    // The button of this answer: the one with its id, else the one in its place.
    const HWND own = GetDlgItem(box.window, script::answer_info(answers[k]).id);
    int at = k;
    for (int b = 0; b < n; ++b)
      if (buttons[b].window == own) at = b;
    SetWindowTextW(buttons[at].window, utf::widen(button_text(caption)).c_str());
    needed[at] = width_for(buttons[at].window, utf::widen(caption));
    dressed = true;
  }
  if (!dressed) return;

  RECT client;
  GetClientRect(box.window, &client);
  // Where the box's own icon or text begins.
  std::optional<int> others_left;
  for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    if (std::any_of(buttons, buttons + n, [&](const Button& b) { return b.window == child; }))
      continue;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box.window, reinterpret_cast<POINT*>(&r), 2);
    if (r.left < client.right) others_left = std::min(others_left.value_or(r.left), int{r.left});
  }
  const ButtonRow row =
      dress_row({spans.data(), static_cast<std::size_t>(n)},
                {needed.data(), static_cast<std::size_t>(n)}, client.right, others_left);
  if (row.grow > 0) {
    RECT frame;
    GetWindowRect(box.window, &frame);
    const int width = frame.right - frame.left;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    // Without the monitor's work area, room enough on both sides.
    monitor.rcWork = {frame.left - row.grow, frame.top, frame.right + row.grow, frame.bottom};
    GetMonitorInfoW(MonitorFromWindow(box.window, MONITOR_DEFAULTTONEAREST), &monitor);
    SetWindowPos(box.window, nullptr,
                 grown_left(frame.left, width, row.grow, monitor.rcWork.left, monitor.rcWork.right),
                 frame.top, width + row.grow, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (int k = 0; k < n; ++k) {
    const RECT& r = buttons[k].rect;
    MoveWindow(buttons[k].window, row.buttons[k].left, r.top, row.buttons[k].width,
               r.bottom - r.top, TRUE);
  }
}

BOOL CALLBACK find_box(HWND window, LPARAM found) {
  if (!is_dialog(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The watch of a box that the hook did not see made, or whose own timer was refused.
void CALLBACK thread_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!current) return;
  Box& box = *current;
  if (!box.window)
    EnumThreadWindows(GetCurrentThreadId(), find_box, reinterpret_cast<LPARAM>(&box.window));
  if (!box.window) return;
  // Without the hook nothing dressed the box before it showed: its captions come now.
  if (!box.dressed) dress_buttons(box);
  if (box.ms > 0) {
    tick(box);
  } else {
    KillTimer(nullptr, box.thread_timer);  // dressed, nothing more to watch
    box.thread_timer = 0;
  }
}

void watch_from_thread(Box& box) {
  if (!box.thread_timer) box.thread_timer = SetTimer(nullptr, 0, kTickMs, thread_tick);
}

LRESULT CALLBACK box_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Box* box = current;
  if (!box || box->window != window || !box->original)
    return DefDlgProcW(window, message, wparam, lparam);
  const WNDPROC original = box->original;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    box->original = nullptr;
  }
  const LRESULT result = CallWindowProcW(original, window, message, wparam, lparam);
  if (message == WM_INITDIALOG) {
    dress_buttons(*box);
    title_seconds(*box, box->ms / 1000);
  }
  return result;
}

LRESULT CALLBACK watch_for_box(int code, WPARAM wparam, LPARAM lparam) {
  Box* box = current;
  if (code == HCBT_CREATEWND && box && !box->window) {
    const auto window = reinterpret_cast<HWND>(wparam);
    if (is_dialog(window)) {
      box->window = window;
      box->original = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(box_procedure)));
      if (box->ms > 0 && (refused(L"timer") || !SetTimer(window, kBoxTimer, kTickMs, box_tick)))
        watch_from_thread(*box);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

int show_box(const Dialog& dialog) {
  if (dialog.next.pause > 0) Sleep(static_cast<DWORD>(dialog.next.pause) * 1000);
  const std::wstring text = utf::widen(dialog.text);
  const std::wstring title = utf::widen(dialog.caption);
  const bool captions = std::any_of(dialog.next.caption.begin(), dialog.next.caption.end(),
                                    [](const std::string& c) { return !c.empty(); });
  if (dialog.next.wait <= 0 && !captions)
    return MessageBoxW(nullptr, text.c_str(), title.c_str(), dialog.style);

  Box box{dialog, dialog.next.wait > 0 ? static_cast<ULONGLONG>(dialog.next.wait) * 1000 : 0};
  current = &box;
  const HHOOK hook = refused(L"hook")
                         ? nullptr
                         : SetWindowsHookExW(WH_CBT, watch_for_box, nullptr, GetCurrentThreadId());
  if (!hook) watch_from_thread(box);
  const int answer = MessageBoxW(nullptr, text.c_str(), title.c_str(), dialog.style);
  if (hook) UnhookWindowsHookEx(hook);
  if (box.thread_timer) KillTimer(nullptr, box.thread_timer);
  current = nullptr;
  return answer;
}

}  // namespace player
