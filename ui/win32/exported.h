#pragma once
// Functions of system DLLs looked up by name at run time: those that only newer
// systems have, so that the programs still start without them, and those of a
// library loaded only when needed.

#include <windows.h>

namespace ui::win32 {

// The function that module exports under name, as F; nullptr when there is none.
template <class F>
F exported(HMODULE module, const char* name) {
  // Through the one function pointer type that converts to any other silently.
  using Any = void (*)();
  return module ? reinterpret_cast<F>(reinterpret_cast<Any>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace ui::win32
