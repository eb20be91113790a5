#pragma once
// A timestamped trace of a program's start, for the benchmarks. With the
// environment variable QUILLET_TRACE naming a file, each phase of the start notes
// the performance counter as it ends, and once the first window has been shown
// and painted the marks go to that file, one per line: "<counter> <phase>", after
// the counter's frequency and the process's creation on the same clock. Work that
// happens many times over (the windows of one kind of control) is summed instead,
// in lines "sum <ticks> <count> <what>". Without the variable a mark costs one test.

#include <string_view>

namespace ui::win32 {

// Reads QUILLET_TRACE (once, as run_program starts).
void start_trace();
bool tracing();
// The phase that has just ended.
void trace_mark(std::string_view phase);

// Adds the time from its making to its end to the sum named what (a string that
// outlives the trace, such as a literal).
class TraceSum {
 public:
  explicit TraceSum(const char* what);
  ~TraceSum();
  TraceSum(const TraceSum&) = delete;
  TraceSum& operator=(const TraceSum&) = delete;

 private:
  const char* what_;
  long long start_ = 0;
};

// Writes the marks and the sums to the file and ends the trace.
void finish_trace();

}  // namespace ui::win32
