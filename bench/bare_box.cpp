// The yardstick for run.exe's start-up: a program that does nothing but show one
// system-modal message box.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Quillet bench", L"Bench", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
  return 0;
}
