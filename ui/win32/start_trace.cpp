#include "ui/win32/start_trace.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace ui::win32 {
namespace {

struct Mark {
  long long at;
  char phase[56];
};

struct Sum {
  const char* what;
  long long ticks;
  int count;
};

// Fixed room, so that tracing allocates nothing while the start is measured.
struct Trace {
  wchar_t file[MAX_PATH];
  std::array<Mark, 64> marks;
  std::size_t mark_count = 0;
  std::array<Sum, 24> sums;
  std::size_t sum_count = 0;
};

Trace* g_trace = nullptr;

long long counter() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// When the process was created, on the performance counter's clock.
long long creation_on_counter(long long frequency) {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const long long at = counter();
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& f) {
    return static_cast<long long>(f.dwHighDateTime) << 32 | f.dwLowDateTime;
  };
  const long long ago_100ns = ticks(now) - ticks(created);  // FILETIME counts 100 ns
  return at - ago_100ns * frequency / 10'000'000;
}

}  // namespace

void start_trace() {
  if (g_trace) return;
  wchar_t file[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"QUILLET_TRACE", file, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  g_trace = new Trace{};
  std::memcpy(g_trace->file, file, sizeof file);
}

bool tracing() { return g_trace != nullptr; }

void trace_mark(std::string_view phase) {
  if (!g_trace || g_trace->mark_count == g_trace->marks.size()) return;
  Mark& m = g_trace->marks[g_trace->mark_count++];
  m.at = counter();
  const std::size_t n = std::min(phase.size(), sizeof m.phase - 1);
  std::memcpy(m.phase, phase.data(), n);
  m.phase[n] = '\0';
}

TraceSum::TraceSum(const char* what) : what_(what), start_(g_trace ? counter() : 0) {}

TraceSum::~TraceSum() {
  if (!g_trace) return;
  const long long took = counter() - start_;
  for (std::size_t i = 0; i < g_trace->sum_count; ++i)
    if (std::strcmp(g_trace->sums[i].what, what_) == 0) {
      g_trace->sums[i].ticks += took;
      ++g_trace->sums[i].count;
      return;
    }
  if (g_trace->sum_count < g_trace->sums.size())
    g_trace->sums[g_trace->sum_count++] = {what_, took, 1};
}

void finish_trace() {
  if (!g_trace) return;
  Trace* t = std::exchange(g_trace, nullptr);
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  std::string text = "frequency " + std::to_string(f.QuadPart) + "\r\n";
  text += std::to_string(creation_on_counter(f.QuadPart)) + " process created\r\n";
  for (std::size_t i = 0; i < t->mark_count; ++i)
    text += std::to_string(t->marks[i].at) + " " + t->marks[i].phase + "\r\n";
  for (std::size_t i = 0; i < t->sum_count; ++i)
    text += "sum " + std::to_string(t->sums[i].ticks) + " " + std::to_string(t->sums[i].count) +
            " " + t->sums[i].what + "\r\n";
  // Written beside it and moved into place, so that a reader finds all or nothing.
  const std::wstring part = std::wstring(t->file) + L".part";
  const HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    const bool whole =
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(h);
    if (!whole || !MoveFileExW(part.c_str(), t->file, MOVEFILE_REPLACE_EXISTING))
      DeleteFileW(part.c_str());
  }
  delete t;
}

}  // namespace ui::win32
