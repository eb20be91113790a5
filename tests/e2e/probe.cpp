#include "probe.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#ifndef QUILLET_SCREENSHOT_DIR
#define QUILLET_SCREENSHOT_DIR "screenshots"
#endif

namespace probe {

// ---- processes

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
  other.handle_ = nullptr;
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    this->~Process();
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

Process::~Process() {
  if (!handle_) return;
  if (running()) kill();
  CloseHandle(handle_);
  handle_ = nullptr;
}

bool Process::wait(DWORD timeout_ms, DWORD* code) const {
  if (!handle_) return true;
  if (WaitForSingleObject(handle_, timeout_ms) != WAIT_OBJECT_0) return false;
  if (code) GetExitCodeProcess(handle_, code);
  return true;
}

void Process::kill() {
  if (!handle_) return;
  TerminateProcess(handle_, 255);
  WaitForSingleObject(handle_, 5000);
}

Process start(const std::wstring& program, const std::wstring& folder,
              const std::wstring& arguments) {
  std::wstring command_line = L"\"" + program + L"\"";
  if (!arguments.empty()) command_line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info))
    return {};
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

// ---- paths and files

std::string to_utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring from_utf8(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::wstring windows_path(std::string_view path) {
  std::wstring out = from_utf8(path);
  if (!out.empty() && out[0] == L'/') out.insert(0, L"Z:");
  std::replace(out.begin(), out.end(), L'/', L'\\');
  return out;
}

namespace {

void create_folders(const std::wstring& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

}  // namespace

std::wstring screenshot_folder() {
  const std::wstring folder = windows_path(QUILLET_SCREENSHOT_DIR);
  create_folders(folder);
  return folder;
}

std::wstring make_temp_folder(std::wstring_view prefix) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base(temp, n);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  static unsigned counter = 0;
  for (;;) {
    const std::wstring folder = base + L"\\" + std::wstring(prefix) + L"-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

std::vector<std::wstring> folder_entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

bool write_file(const std::wstring& path, std::string_view bytes) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && !bytes.empty()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    ok = WriteFile(h, bytes.data(), chunk, &wrote, nullptr) && wrote == chunk;
    bytes.remove_prefix(chunk);
  }
  return CloseHandle(h) && ok;
}

bool copy_file(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

// ---- windows

std::wstring text(HWND window, UINT timeout_ms) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &length))
    return {};
  std::wstring buf(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                           SMTO_ABORTIFHUNG, timeout_ms, &got))
    return {};
  buf.resize(std::min<std::size_t>(got, length));
  return buf;
}

std::wstring class_name(HWND window) {
  wchar_t buf[256];
  const int n = GetClassNameW(window, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

std::vector<HWND> top_windows(DWORD process_id, const WindowFilter& filter) {
  struct Search {
    DWORD process_id;
    const WindowFilter* filter;
    std::vector<HWND> found;
  } search{process_id, &filter, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s.process_id) return TRUE;
        if (s.filter->visible_only && !IsWindowVisible(w)) return TRUE;
        if (!s.filter->class_name.empty() && class_name(w) != s.filter->class_name) return TRUE;
        if (!s.filter->caption.empty() && text(w) != s.filter->caption) return TRUE;
        s.found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND wait_window(const Process& process, const WindowFilter& filter, DWORD timeout_ms,
                 const std::vector<HWND>& skip) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    const bool ended = !process.running();
    for (HWND w : top_windows(process.id(), filter))
      if (std::find(skip.begin(), skip.end(), w) == skip.end()) return w;
    if (ended || GetTickCount64() >= until) return nullptr;
    Sleep(5);
  }
}

bool wait_gone(HWND window, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (IsWindow(window)) {
    if (GetTickCount64() >= until) return false;
    Sleep(5);
  }
  return true;
}

std::wstring control_name(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(window, L"Name")));
  if (!atom) return {};
  wchar_t buf[256];
  const UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return std::wstring(buf, n);
}

HWND find_by_name(HWND parent, std::wstring_view name) {
  struct Search {
    std::wstring_view name;
    HWND found = nullptr;
  } search{name};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (control_name(w) != s.name) return TRUE;
        s.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND find_child(HWND parent, int id) {
  struct Search {
    int id;
    HWND found = nullptr;
  } search{id};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(w) != s.id) return TRUE;
        s.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// ---- input

void click_at(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(window, WM_MOUSEMOVE, 0, at);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void double_click_at(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
  PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void click(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  click_at(window, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
}

void type(HWND window, std::wstring_view text) {
  for (wchar_t c : text) PostMessageW(window, WM_CHAR, c, 1);
}

void press_key(HWND window, UINT virtual_key) {
  const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
  PostMessageW(window, WM_KEYUP, virtual_key, 1 | (scan << 16) | (3u << 30));
}

void command(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

INPUT key_input(WORD virtual_key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = virtual_key;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  // The keys of the separate block are extended keys.
  if ((virtual_key >= VK_PRIOR && virtual_key <= VK_DOWN) || virtual_key == VK_INSERT ||
      virtual_key == VK_DELETE)
    in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return in;
}

}  // namespace

void send_key(UINT virtual_key, unsigned modifiers) {
  const WORD held[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  std::vector<INPUT> in;
  for (int i = 0; i < 3; ++i)
    if (modifiers & (1u << i)) in.push_back(key_input(held[i], false));
  in.push_back(key_input(static_cast<WORD>(virtual_key), false));
  in.push_back(key_input(static_cast<WORD>(virtual_key), true));
  for (int i = 2; i >= 0; --i)
    if (modifiers & (1u << i)) in.push_back(key_input(held[i], true));
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void send_text(std::wstring_view text) {
  for (wchar_t c : text) {
    INPUT in[2]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wScan = c;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1] = in[0];
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
  }
}

void send_click(POINT screen, bool twice, bool right) {
  const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  // Every event carries the point: Wine may otherwise press where its display's
  // own pointer stands, which need not have followed the move.
  INPUT at{};
  at.type = INPUT_MOUSE;
  at.mi.dx = static_cast<LONG>(((screen.x - left) * 65535 + w / 2) / std::max(w - 1, 1));
  at.mi.dy = static_cast<LONG>(((screen.y - top) * 65535 + h / 2) / std::max(h - 1, 1));
  at.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SetCursorPos(screen.x, screen.y);
  std::vector<INPUT> in{at};
  for (int i = 0; i < (twice ? 2 : 1); ++i)
    for (const DWORD flag : {right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN,
                             right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP}) {
      INPUT b = at;
      b.mi.dwFlags |= flag;
      in.push_back(b);
    }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

namespace {

void send_mouse(DWORD flags, LONG data = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  in.mi.mouseData = static_cast<DWORD>(data);
  SendInput(1, &in, sizeof in);
}

void send_move(int x, int y) {
  const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((x * 65535 + w / 2) / (w - 1));
  in.mi.dy = static_cast<LONG>((y * 65535 + h / 2) / (h - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &in, sizeof in);
}

// Time for the target to take one piece of input before the next comes.
constexpr DWORD kInputPauseMs = 60;

}  // namespace

Pointer::Pointer()
    : holder_([this] {
        for (int tick = 0; !stop_; ++tick) {
          const LONG packed = target_.load();
          if (packed != kNone) send_move(LOWORD(packed) + (tick & 1), HIWORD(packed));
          Sleep(30);
        }
      }) {}

Pointer::~Pointer() {
  stop_ = true;
  holder_.join();
}

void Pointer::move_to(int x, int y) {
  target_ = static_cast<LONG>(MAKELONG(x, y));
  send_move(x, y);
  SetCursorPos(x, y);
}

void Pointer::press() { send_mouse(MOUSEEVENTF_LEFTDOWN); }
void Pointer::release() { send_mouse(MOUSEEVENTF_LEFTUP); }

void Pointer::click_at(int x, int y) {
  move_to(x, y);
  Sleep(kInputPauseMs * 2);
  press();
  Sleep(kInputPauseMs);
  release();
  Sleep(kInputPauseMs);
}

void Pointer::click(HWND window) { click_at(middle_of(window)); }

void Pointer::double_click() {
  for (int i = 0; i < 2; ++i) {
    press();
    Sleep(kInputPauseMs / 2);
    release();
    Sleep(kInputPauseMs / 2);
  }
}

void Pointer::drag(POINT from, POINT to) {
  move_to(from);
  Sleep(kInputPauseMs * 2);
  press();
  constexpr int kSteps = 6;
  for (int i = 1; i <= kSteps; ++i) {
    Sleep(kInputPauseMs);
    move_to(from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
  }
  Sleep(kInputPauseMs * 2);
  release();
  Sleep(kInputPauseMs);
}

void Pointer::wheel(int steps, int delta) {
  for (int i = 0; i < std::abs(steps); ++i) {
    send_mouse(MOUSEEVENTF_WHEEL, steps > 0 ? delta : -delta);
    Sleep(kInputPauseMs);
  }
}

POINT middle_of(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND dropped_list(DWORD process_id) {
  const std::vector<HWND> lists = top_windows(process_id, {L"ComboLBox", L""});
  return lists.empty() ? nullptr : lists.front();
}

POINT item_point(HWND list, int index) {
  DWORD_PTR height = 0, top = 0;
  SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 2000, &height);
  SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 2000, &top);
  RECT r{};
  GetClientRect(list, &r);
  const int row = static_cast<int>(height);
  POINT p{(r.left + r.right) / 2, (index - static_cast<int>(top)) * row + row / 2};
  ClientToScreen(list, &p);
  return p;
}

HWND focus_of(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// ---- pixels

namespace {

// A 32-bit top-down bitmap selected into a memory device context.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    if (bitmap_) {
      SelectObject(dc_, old_);
      DeleteObject(bitmap_);
    }
    if (dc_) DeleteDC(dc_);
  }

  explicit operator bool() const { return bitmap_ != nullptr; }
  HDC dc() const { return dc_; }
  std::size_t pixels() const { return static_cast<std::size_t>(width_) * height_; }
  void fill(std::uint8_t value) { std::memset(bits_, value, pixels() * 4); }

  Image image() const {
    GdiFlush();
    Image image;
    image.width = width_;
    image.height = height_;
    image.rgb.resize(pixels() * 3);
    const auto* bgrx = static_cast<const std::uint8_t*>(bits_);
    for (std::size_t i = 0; i < pixels(); ++i) {
      image.rgb[i * 3 + 0] = bgrx[i * 4 + 2];
      image.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
      image.rgb[i * 3 + 2] = bgrx[i * 4 + 0];
    }
    return image;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace

// ---- message boxes

const char* to_string(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "none";
    case BoxIcon::Hand:
      return "hand";
    case BoxIcon::Question:
      return "question";
    case BoxIcon::Exclamation:
      return "exclamation";
    case BoxIcon::Asterisk:
      return "asterisk";
    case BoxIcon::Unknown:
      break;
  }
  return "unknown";
}

namespace {

struct Candidate {
  BoxIcon icon;
  WORD resource;
};
// IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK
constexpr std::array<Candidate, 4> kCandidates = {{{BoxIcon::Hand, 32513},
                                                   {BoxIcon::Question, 32514},
                                                   {BoxIcon::Exclamation, 32515},
                                                   {BoxIcon::Asterisk, 32516}}};

HICON system_icon(const Candidate& c) { return LoadIconW(nullptr, MAKEINTRESOURCEW(c.resource)); }

HWND icon_static(HWND box) {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumChildWindows(
      box,
      [](HWND w, LPARAM p) -> BOOL {
        if (class_name(w) != L"Static") return TRUE;
        if ((GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
        reinterpret_cast<Search*>(p)->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Draws our own copy of the icon at the size of the static's client area onto a
// black and onto a white ground; where both agree the icon is opaque.
Image render_icon(HICON icon, int width, int height, std::uint8_t ground) {
  Canvas canvas(width, height);
  if (!canvas) return {};
  canvas.fill(ground);
  DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  return canvas.image();
}

Image capture_rect(const RECT& r);

// Share of the icon's opaque pixels that the screen shows unchanged (0 to 1).
double icon_match(const Image& shown, HICON icon) {
  const Image on_black = render_icon(icon, shown.width, shown.height, 0x00);
  const Image on_white = render_icon(icon, shown.width, shown.height, 0xFF);
  if (on_black.rgb.size() != shown.rgb.size() || on_white.rgb.size() != shown.rgb.size()) return 0;
  std::size_t opaque = 0, equal = 0;
  for (std::size_t i = 0; i < shown.rgb.size(); i += 3) {
    if (std::memcmp(&on_black.rgb[i], &on_white.rgb[i], 3) != 0) continue;
    ++opaque;
    bool same = true;
    for (int c = 0; c < 3; ++c)
      same = same && std::abs(shown.rgb[i + c] - on_black.rgb[i + c]) <= 8;
    equal += same;
  }
  return opaque ? static_cast<double>(equal) / opaque : 0;
}

BoxIcon read_icon(HWND box) {
  HWND icon_window = icon_static(box);
  if (!icon_window || !IsWindowVisible(icon_window)) return BoxIcon::None;
  DWORD_PTR shown_icon = 0;
  if (!SendMessageTimeoutW(icon_window, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &shown_icon))
    return BoxIcon::Unknown;
  if (!shown_icon) return BoxIcon::None;
  // On Windows the system icons are shared by all processes, so the handles match.
  for (const Candidate& c : kCandidates)
    if (reinterpret_cast<HICON>(shown_icon) == system_icon(c)) return c.icon;
  // Wine gives every process its own handles: compare what is on the screen with
  // our own copy of each icon instead.
  // The information and question icons share most of their pixels (84% here), so
  // only a near-exact match counts. The box may not be painted yet: try again a few
  // times.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (attempt) Sleep(100);
    RECT client{};
    GetClientRect(icon_window, &client);
    MapWindowPoints(icon_window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const Image shown = capture_rect(client);
    for (const Candidate& c : kCandidates)
      if (icon_match(shown, system_icon(c)) > 0.97) return c.icon;
  }
  return BoxIcon::Unknown;
}

}  // namespace

MessageBoxView read_message_box(HWND box) {
  MessageBoxView view;
  view.caption = text(box);
  if (HWND message = GetDlgItem(box, 0xFFFF)) view.text = text(message);
  for (int id = IDOK; id <= IDCONTINUE; ++id) {
    HWND button = GetDlgItem(box, id);
    if (button && IsWindowVisible(button) && class_name(button) == L"Button")
      view.buttons.push_back(id);
  }
  view.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  view.icon = read_icon(box);
  return view;
}

void answer(HWND box, int id) { command(box, id); }

// ---- screenshots

namespace {

Image capture_rect(const RECT& r) {
  Canvas canvas(r.right - r.left, r.bottom - r.top);
  if (!canvas) return {};
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
         SRCCOPY | CAPTUREBLT);
  ReleaseDC(nullptr, screen);
  return canvas.image();
}

}  // namespace

Image capture(HWND window) {
  RECT r{};
  if (window) {
    GetWindowRect(window, &r);
  } else {
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  }
  return capture_rect(r);
}

Image capture_settled(HWND window, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  Image last = capture(window);
  for (;;) {
    Sleep(100);
    Image next = capture(window);
    const bool same =
        next.width == last.width && next.height == last.height && next.rgb == last.rgb;
    last = std::move(next);
    if (same || GetTickCount64() >= until) return last;
  }
}

namespace {

std::uint32_t crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t adler32(const std::string& data) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void put32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4).append(data);
  put32(out, crc32(reinterpret_cast<const std::uint8_t*>(out.data() + start), out.size() - start));
}

}  // namespace

std::string encode_png(const Image& image) {
  std::string raw;
  const std::size_t row = static_cast<std::size_t>(image.width) * 3;
  raw.reserve((row + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter: none
    raw.append(reinterpret_cast<const char*>(image.rgb.data()) + y * row, row);
  }

  std::string zlib = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + n == raw.size();
    zlib += static_cast<char>(last ? 1 : 0);  // stored block
    zlib += static_cast<char>(n & 0xFF);
    zlib += static_cast<char>(n >> 8);
    zlib += static_cast<char>(~n & 0xFF);
    zlib += static_cast<char>((~n >> 8) & 0xFF);
    zlib.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  put32(zlib, adler32(raw));

  std::string header;
  put32(header, static_cast<std::uint32_t>(image.width));
  put32(header, static_cast<std::uint32_t>(image.height));
  header += '\x08';  // bit depth
  header += '\x02';  // colour type: RGB
  header.append(3, '\0');

  std::string png = "\x89PNG\r\n\x1a\n";
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", zlib);
  chunk(png, "IEND", {});
  return png;
}

bool save_png(const Image& image, const std::wstring& path) {
  return image.width > 0 && write_file(path, encode_png(image));
}

std::wstring screenshot(HWND window, std::wstring_view file_name) {
  const std::wstring path = screenshot_folder() + L"\\" + std::wstring(file_name);
  return save_png(capture_settled(window), path) ? path : std::wstring();
}

std::string read_file(const std::wstring& path) {
  std::string bytes;
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

std::string cp1251(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string visible(std::wstring_view text) {
  std::string out;
  for (char c : to_utf8(text)) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

}  // namespace probe
