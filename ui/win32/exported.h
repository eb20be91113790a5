#pragma once
// Functions of system DLLs looked up by name at run time: those that only newer
// systems have, so that the programs still start without them, and those of a
// library loaded only when needed.

#include <windows.h>

#include <string>

namespace ui::win32 {

// A DLL of the system folder, loaded when first needed (nullptr when it cannot
// be): never a file of the same name beside the program.
inline HMODULE system_library(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, n) + L"\\" + name).c_str());
}

// The function that module exports under name, as F; nullptr when there is none.
template <class F>
F exported(HMODULE module, const char* name) {
  // Through the one function pointer type that converts to any other silently.
  using Any = void (*)();
  return module ? reinterpret_cast<F>(reinterpret_cast<Any>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace ui::win32
