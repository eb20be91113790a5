// The yardstick for the designer's start-up: a program that only opens an empty
// window of the designer's size and waits. The designer's window grows with the
// screen's dpi (1000 x 852 at 200 %), and so does this one. With QUILLET_TRACE
// naming a file it notes its phases there as the designer does
// (ui/win32/start_trace.h), for designer_bench to set the two starts side by side.

#include <windows.h>

#include <cstdio>

namespace {

long long counter() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const long long entered = counter();
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  RECT r{0, 0, MulDiv(500, dpi, 96), MulDiv(426, dpi, 96)};
  AdjustWindowRect(&r, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE);
  HWND w = CreateWindowW(L"BareWindow", L"Bare window",
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                         CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                         instance, nullptr);
  const long long created = counter();
  ShowWindow(w, show);
  const long long visible = counter();
  UpdateWindow(w);
  const long long painted = counter();
  wchar_t trace[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"QUILLET_TRACE", trace, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    char text[256];
    const int length = std::snprintf(
        text, sizeof text,
        "frequency %lld\r\n%lld wWinMain\r\n%lld window created\r\n%lld show: visible\r\n"
        "%lld show: painted\r\n",
        f.QuadPart, entered, created, visible, painted);
    const HANDLE h = CreateFileW(trace, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, text, static_cast<DWORD>(length), &written, nullptr);
      CloseHandle(h);
    }
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
