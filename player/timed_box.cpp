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
// it finds the box among the thread's windows and keeps the same time, so a box
// with a timeout always closes. Everything the box needs lives in one Box on the
// stack of show_box; the hook and the timers are set for it and removed with it, so
// nothing reaches a later box. An answer and the last tick are messages of the one
// thread: whichever comes first closes the box.

#include "player/timed_box.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

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
  std::wstring title;
  ULONGLONG ms = 0;            // how long the box stays; 0: until answered
  HWND window = nullptr;       // the box, once created
  WNDPROC original = nullptr;  // its window procedure, while the player's stands in
  UINT_PTR thread_timer = 0;   // the watch when the box's own timer is refused
  ULONGLONG shown_at = 0;      // the first tick that found it visible
  bool shown = false;
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
  std::wstring title = box.title;
  if (!title.empty()) title += L' ';
  // By hand: the standard conversion would bring the whole formatted printing along.
  wchar_t digits[24];
  wchar_t* first = digits + 24;
  do {
    *--first = static_cast<wchar_t>(L'0' + seconds % 10);
    seconds /= 10;
  } while (seconds > 0);
  title.append(L"(").append(first, digits + 24).append(L" с)");
  SetWindowTextW(box.window, title.c_str());
}

void tick(Box& box) {
  if (box.ended || !box.window || !IsWindowVisible(box.window)) return;
  const ULONGLONG now = GetTickCount64();
  if (!box.shown) {
    box.shown = true;
    box.shown_at = now;
  }
  const ULONGLONG stayed = now - box.shown_at;
  if (stayed < box.ms) {
    title_seconds(box, (box.ms - stayed + 999) / 1000);
    return;
  }
  box.ended = true;
  KillTimer(box.window, kBoxTimer);
  EndDialog(box.window, IDTIMEOUT);
}

void CALLBACK box_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current) tick(*current);
}

BOOL CALLBACK find_box(HWND window, LPARAM found) {
  if (!is_dialog(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK thread_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!current) return;
  if (!current->window)
    EnumThreadWindows(GetCurrentThreadId(), find_box, reinterpret_cast<LPARAM>(&current->window));
  tick(*current);
}

void watch_from_thread(Box& box) {
  if (!box.thread_timer) box.thread_timer = SetTimer(nullptr, 0, kTickMs, thread_tick);
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
LONG width_for(HWND button, const std::wstring& text) {
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

// Puts the captions on the buttons, shown literally, each button as wide as its
// caption needs (never narrower than the system made it), the box widened where the
// row of buttons needs it, and the row centred.
void dress_buttons(Box& box) {
  const Dialog& dialog = box.dialog;
  const auto answers = script::answers_of(dialog.button_set);
  Button buttons[script::kMaxAnswers];
  const int n = visible_buttons(box.window, buttons);
  if (n != static_cast<int>(answers.size())) return;
  bool dressed = false;
  for (int k = 0; k < n; ++k) {
    const std::string& caption = dialog.next.caption[static_cast<std::size_t>(k)];
    if (caption.empty()) continue;
    // The button of this answer: the one with its id, else the one in its place.
    const HWND own = GetDlgItem(box.window, script::answer_info(answers[k]).id);
    Button* button = &buttons[k];
    for (Button& b : buttons)
      if (b.window == own) button = &b;
    const std::wstring shown = utf::widen(caption);
    std::wstring text;  // "&" marks no access key: it is doubled
    for (wchar_t c : shown) text.append(c == L'&' ? 2 : 1, c);
    SetWindowTextW(button->window, text.c_str());
    const LONG width =
        std::max(button->rect.right - button->rect.left, width_for(button->window, shown));
    button->rect.right = button->rect.left + width;
    dressed = true;
  }
  if (!dressed) return;

  RECT client;
  GetClientRect(box.window, &client);
  const LONG gap = n > 1 ? std::max<LONG>(buttons[1].rect.left - buttons[0].rect.right, 4) : 0;
  LONG row = gap * (n - 1);
  for (int k = 0; k < n; ++k) row += buttons[k].rect.right - buttons[k].rect.left;
  // The box's own margin: where its icon or text begins, at least the buttons' gap.
  LONG first = client.right;
  for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    if (std::any_of(buttons, buttons + n, [&](const Button& b) { return b.window == child; }))
      continue;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box.window, reinterpret_cast<POINT*>(&r), 2);
    first = std::min(first, r.left);
  }
  const LONG margin = std::max(gap, first < client.right ? first : gap);
  const LONG grow = row + 2 * margin - client.right;
  if (grow > 0) {
    RECT frame;
    GetWindowRect(box.window, &frame);
    LONG left = frame.left - grow / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(box.window, MONITOR_DEFAULTTONEAREST), &monitor))
      left = std::max(monitor.rcWork.left,
                      std::min(left, monitor.rcWork.right - (frame.right - frame.left + grow)));
    SetWindowPos(box.window, nullptr, left, frame.top, frame.right - frame.left + grow,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(box.window, &client);
  }
  LONG x = (client.right - row) / 2;
  for (int k = 0; k < n; ++k) {
    const RECT& r = buttons[k].rect;
    MoveWindow(buttons[k].window, x, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    x += r.right - r.left + gap;
  }
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
  const bool dressed = std::any_of(dialog.next.caption.begin(), dialog.next.caption.end(),
                                   [](const std::string& c) { return !c.empty(); });
  if (dialog.next.wait <= 0 && !dressed)
    return MessageBoxW(nullptr, text.c_str(), title.c_str(), dialog.style);

  Box box{dialog, title};
  box.ms = dialog.next.wait > 0 ? static_cast<ULONGLONG>(dialog.next.wait) * 1000 : 0;
  current = &box;
  const HHOOK hook = refused(L"hook")
                         ? nullptr
                         : SetWindowsHookExW(WH_CBT, watch_for_box, nullptr, GetCurrentThreadId());
  if (!hook && box.ms > 0) watch_from_thread(box);
  const int answer = MessageBoxW(nullptr, text.c_str(), title.c_str(), dialog.style);
  if (hook) UnhookWindowsHookEx(hook);
  if (box.thread_timer) KillTimer(nullptr, box.thread_timer);
  current = nullptr;
  return answer;
}

}  // namespace player
