// The player is built without exceptions. The standard library's few throwing
// paths (allocation failure, impossible lengths) end the run quietly here instead
// of pulling the whole unwinding machinery into a program that must stay small.

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {
// Not 1, 2, 6 or 7: a script must never take this end for an answer.
[[noreturn]] void end_run() { ExitProcess(255); }
}  // namespace

namespace std {
void __throw_bad_alloc() { end_run(); }
void __throw_bad_array_new_length() { end_run(); }
void __throw_length_error(const char*) { end_run(); }
void __throw_logic_error(const char*) { end_run(); }
void __throw_out_of_range(const char*) { end_run(); }
void __throw_out_of_range_fmt(const char*, ...) { end_run(); }
void __throw_invalid_argument(const char*) { end_run(); }
}  // namespace std

void* operator new(std::size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  end_run();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
