// Figures of the designer, printed and never asserted:
// - cold start: from process start to the visible main window, against a program
//   that only opens an empty window, without and with the designer's manifest;
// - the peak working set after start and after fifteen dialogs were composed;
// - opening a 100 MB hand-edited project, and one whose first row's field 4 is
//   10 MB of "«" that never close (bench.h), against a normal one: bytes read (the
//   process's own I/O counters) and time from the click to the new caption and the
//   window redrawn;
// - where the start goes: the designer and the bare window started again with
//   their traces on (QUILLET_TRACE), each phase's end from the moment the
//   process was asked for.
//
//   designer_bench [--runs N] [--start-only] [--open-only] [--field-bytes N]
//                  [--before QUILLET_EXE]
//
// --open-only leaves out the starts, --field-bytes sets the long field's length.
// --before takes another build of quillet.exe (an older commit's, say) into the
// cold starts, taking turns with the others, for a before-and-after figure.
//
// The screen's dpi is printed with the start-up figures; tools/bench.sh runs the
// start-up again on a screen of 192 dpi.

// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench.h"
#include "probe.h"

namespace {

using bench::median;
using bench::now_ms;
using bench::print;

// The pause after a program was ended before the next one starts.
constexpr DWORD kSettleMs = 250;

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = 20000) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done())
    if (GetTickCount64() >= until)
      return false;
    else
      Sleep(1);
  return true;
}

// The visible top-level window of a process with a class and, for the designer's
// forms, a name.
HWND visible_window(const probe::Process& p, const wchar_t* cls, std::wstring_view name = {}) {
  for (HWND w : probe::top_windows(p.id(), {cls, L"", true}))
    if (name.empty() || probe::control_name(w) == name) return w;
  return nullptr;
}

HWND wait_window(const probe::Process& p, const wchar_t* cls, std::wstring_view name = {}) {
  HWND found = nullptr;
  wait_until([&] { return (found = visible_window(p, cls, name)) != nullptr || !p.running(); });
  return found;
}

double peak_mib(const probe::Process& p) {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  if (!GetProcessMemoryInfo(p.handle(), &c, sizeof c)) return 0;
  return static_cast<double>(c.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// Under Wine the I/O counters stay at zero; the host's own count of the bytes a
// process read (/proc/PID/io, seen through drive Z:) serves instead. The process is
// found by the folder in its command line.
std::wstring host_io_file(const std::wstring& folder) {
  const std::string wanted = probe::to_utf8(folder.substr(folder.find_last_of(L'\\') + 1));
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::wstring io;
  do {
    const std::wstring pid = found.cFileName;
    if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string cmdline = probe::read_file(L"Z:\\proc\\" + pid + L"\\cmdline");
    if (cmdline.find(wanted) != std::string::npos &&
        cmdline.find("quillet.exe") != std::string::npos)
      io = L"Z:\\proc\\" + pid + L"\\io";
  } while (io.empty() && FindNextFileW(h, &found));
  FindClose(h);
  return io;
}

ULONGLONG bytes_read(const probe::Process& p, const std::wstring& host_io) {
  IO_COUNTERS io{};
  if (GetProcessIoCounters(p.handle(), &io) && io.ReadTransferCount) return io.ReadTransferCount;
  const std::string counts = probe::read_file(host_io);
  const auto at = counts.find("rchar:");
  return at == std::string::npos ? 0 : std::strtoull(counts.c_str() + at + 6, nullptr, 10);
}

// A program's start with its trace on, run after run: for each phase the
// times from the request to start the process to the phase's end, and for each
// sum of repeated work its times and count.
struct Breakdown {
  std::vector<std::string> phases;  // in the order of the first run
  std::map<std::string, std::vector<double>> at;
  std::vector<std::string> sums;
  std::map<std::string, std::vector<double>> sum_ms;
  std::map<std::string, int> sum_count;
};

// Reads one trace file (see ui/win32/start_trace.h) into the breakdown, with
// times counted from `requested` on the performance counter.
bool add_trace(const std::string& text, long long requested, Breakdown& b) {
  std::istringstream in(text);
  std::string word;
  double per_ms = 0;
  if (!(in >> word) || word != "frequency" || !(in >> per_ms) || per_ms <= 0) return false;
  per_ms /= 1000.0;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    if (line.rfind("sum ", 0) == 0) {
      long long ticks = 0;
      int count = 0;
      fields >> word >> ticks >> count;
      std::string what;
      std::getline(fields >> std::ws, what);
      if (!b.sum_ms.count(what)) b.sums.push_back(what);
      b.sum_ms[what].push_back(static_cast<double>(ticks) / per_ms);
      b.sum_count[what] = count;
      continue;
    }
    long long ticks = 0;
    fields >> ticks;
    std::string phase;
    std::getline(fields >> std::ws, phase);
    if (phase.empty()) continue;
    if (!b.at.count(phase)) b.phases.push_back(phase);
    b.at[phase].push_back(static_cast<double>(ticks - requested) / per_ms);
  }
  return true;
}

long long counter_now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

void print_breakdown(const char* program, const Breakdown& b, int runs) {
  print(
      "Where the start of %s goes (its trace, median of %d runs), ms from the request\n"
      "to start the process to the end of each phase:\n",
      program, runs);
  double previous = 0;
  for (const std::string& phase : b.phases) {
    const double at = median(b.at.at(phase));
    print("  %-34s %7.1f  (+%.1f)\n", phase.c_str(), at, at - previous);
    previous = at;
  }
  if (!b.sums.empty()) print("Summed over the start:\n");
  for (const std::string& what : b.sums)
    print("  %-34s %7.1f ms in %d\n", what.c_str(), median(b.sum_ms.at(what)),
          b.sum_count.at(what));
}

std::string project(long lines, const std::string& line) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(lines) * (line.size() + 2));
  for (long i = 0; i < lines; ++i) bytes += line + "\r\n";
  return bytes;
}

// The processor time the designer has used, user and kernel, from the host's count
// beside its I/O counts (Wine's own GetProcessTimes counts one thread at most):
// unlike the time on the clock, what other programs on the machine do hardly moves it.
double cpu_ms(const std::wstring& host_io) {
  const std::string stat = probe::read_file(host_io.substr(0, host_io.size() - 2) + L"stat");
  // After the program's name in brackets: state, then 10 fields, then utime and stime.
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  double user = 0, kernel = 0;
  fields >> user >> kernel;
  return (user + kernel) * 10.0;  // in ticks of 10 ms
}

// Opens a project of the program folder through the open window; returns the time
// from the confirming click to the new caption and the window redrawn, the processor
// time the designer used meanwhile, and the bytes it read.
bool open_project(const probe::Process& p, const std::wstring& host_io, HWND main,
                  const std::wstring& name, double* ms, double* cpu, ULONGLONG* read) {
  probe::click(probe::find_by_name(main, L"sd(1)"));
  HWND open = wait_window(p, L"QuilletForm", L"file_form");
  if (!open) return false;
  HWND list = probe::find_by_name(open, L"filebox");
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    if (item != name) continue;
    const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    probe::click_at(list, 10, static_cast<int>(i) * height + height / 2);
    wait_until([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == i; }, 5000);
  }
  const std::wstring caption = L"Quillet - [" + name + L"]";
  const ULONGLONG before = bytes_read(p, host_io);
  const double cpu_before = cpu_ms(host_io);
  const double start = now_ms();
  probe::click(probe::find_by_name(open, L"sd_open"));
  const bool ok = wait_until([&] { return probe::text(main) == caption; }, 600000);
  // The caption comes first; then the rows, the notice and the painting.
  DWORD_PTR ignored;
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
  RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  *ms = now_ms() - start;
  *cpu = cpu_ms(host_io) - cpu_before;
  *read = bytes_read(p, host_io) - before;
  wait_until([&] { return !visible_window(p, L"QuilletForm", L"file_form"); }, 5000);
  return ok;
}

// Memory, and the opens, in one session of the designer; then the folders go.
int session_figures(const std::wstring& quillet, const std::wstring& folder,
                    const std::wstring& elsewhere, std::size_t field_bytes) {
  const std::string normal_line =
      "Hello; Title; \xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF; \xCE\xCA";
  probe::write_file(folder + L"\\normal.dlg", project(15, normal_line));
  std::string big = project(15, normal_line);
  big += project(100'000'000 / 64, std::string(62, 'x'));  // hand-edited: a tail of junk
  probe::write_file(folder + L"\\big.dlg", big);
  probe::write_file(folder + L"\\field4.dlg",
                    bench::unmatched_quotes_row(field_bytes) + "\r\n" + project(14, normal_line));

  probe::Process p = probe::start(quillet, elsewhere);
  HWND main = wait_window(p, L"QuilletForm", L"main_form");
  if (!main) {
    print("the designer showed no main window\n");
    return 1;
  }
  Sleep(500);
  const std::wstring host_io = host_io_file(folder);
  const double after_start = peak_mib(p);
  for (int row = 0; row < 15; ++row) {
    probe::click(probe::find_by_name(main, L"sd_new"));
    HWND editor = wait_window(p, L"QuilletForm", L"make_form");
    if (!editor) break;
    probe::type(probe::find_by_name(editor, L"dlg_text"), L"Диалог номер " + std::to_wstring(row));
    Sleep(50);
    probe::click(probe::find_by_name(editor, L"SDButton1"));
    wait_until([&] { return !visible_window(p, L"QuilletForm", L"make_form"); });
  }
  const double after_rows = peak_mib(p);
  print("Peak working set of quillet.exe:\n");
  print("  after start:                %6.2f MiB\n", after_start);
  print("  after fifteen dialogs:      %6.2f MiB\n", after_rows);

  // New without saving: answer No to the question first.
  print("Opening a project (median of 3):\n");
  for (const std::wstring name : {L"normal.dlg", L"big.dlg", L"field4.dlg"}) {
    std::vector<double> times, cpu_times;
    ULONGLONG read = 0;
    for (int i = 0; i < 3; ++i) {
      double ms = 0, cpu = 0;
      std::vector<HWND> none;
      probe::click(probe::find_by_name(main, L"sd(0)"));
      if (HWND box = probe::wait_window(p, {L"#32770", L"", true}, 2000, none))
        probe::answer(box, IDNO);
      if (open_project(p, host_io, main, name, &ms, &cpu, &read)) {
        times.push_back(ms);
        cpu_times.push_back(cpu);
      }
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW((folder + L"\\" + name).c_str(), GetFileExInfoStandard, &data);
    const double size = static_cast<double>(data.nFileSizeLow) +
                        static_cast<double>(data.nFileSizeHigh) * 4294967296.0;
    print("  %-11s %11.0f bytes: %7.1f ms (processor %.0f ms), %llu bytes read\n",
          probe::to_utf8(name).c_str(), size, median(times), median(cpu_times), read);
  }
  p.kill();
  p.wait(10000);
  probe::remove_tree(folder);
  probe::remove_tree(elsewhere);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 7;
  bool start_only = false, open_only = false;
  std::size_t field_bytes = 10'000'000;
  std::string before_exe;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));
    if (arg == L"--start-only") start_only = true;
    if (arg == L"--open-only") open_only = true;
    if (arg == L"--field-bytes" && i + 1 < argc)
      field_bytes = static_cast<std::size_t>(std::max(1, _wtoi(argv[++i])));
    if (arg == L"--before" && i + 1 < argc) before_exe = probe::to_utf8(argv[++i]);
  }

  const std::wstring folder = probe::make_temp_folder(L"quillet-dbench");
  const std::wstring elsewhere = probe::make_temp_folder(L"quillet-dbench-cwd");
  const std::wstring quillet = folder + L"\\quillet.exe";
  const std::wstring bare = folder + L"\\bare_window.exe";
  const std::wstring bare_manifest = folder + L"\\bare_window_manifest.exe";
  if (!probe::copy_file(probe::windows_path(QUILLET_EXE), quillet) ||
      !probe::copy_file(probe::windows_path(QUILLET_BARE_WINDOW_EXE), bare) ||
      !probe::copy_file(probe::windows_path(QUILLET_BARE_WINDOW_MANIFEST_EXE), bare_manifest)) {
    print("cannot copy the programs into %ls\n", folder.c_str());
    return 1;
  }
  // The other build in a folder of its own, as every copy of the designer has.
  const std::wstring before_folder =
      before_exe.empty() ? std::wstring() : probe::make_temp_folder(L"quillet-dbench-before");
  const std::wstring before = before_folder + L"\\quillet.exe";
  if (!before_exe.empty() && !probe::copy_file(probe::windows_path(before_exe), before)) {
    print("cannot copy %s\n", before_exe.c_str());
    return 1;
  }

  if (open_only) return session_figures(quillet, folder, elsewhere, field_bytes);

  // Cold start, the programs taking turns so that load changes hit all alike.
  struct Subject {
    const std::wstring* program;
    std::vector<double> times;   // of the starts that showed the window
    std::vector<double> rounds;  // every round's time, 0 where it showed none
  };
  std::vector<Subject> subjects = {{&quillet, {}, {}}, {&bare, {}, {}}, {&bare_manifest, {}, {}}};
  if (!before_exe.empty()) subjects.push_back({&before, {}, {}});
  for (int i = 0; i <= runs; ++i) {  // the first round only warms the file cache
    for (Subject& s : subjects) {
      const bool is_designer = s.program == &quillet || s.program == &before;
      const double start = now_ms();
      probe::Process p = probe::start(*s.program, elsewhere);
      const HWND w = is_designer ? wait_window(p, L"QuilletForm", L"main_form")
                                 : wait_window(p, L"BareWindow");
      const double took = now_ms() - start;
      p.kill();
      p.wait(10000);
      // The window system clears up after a program a little longer than the
      // program takes to end; the next start should not pay for that.
      Sleep(kSettleMs);
      if (i == 0) continue;
      if (w) s.times.push_back(took);
      s.rounds.push_back(w ? took : 0);
    }
  }
  const double designer = median(subjects[0].times);
  const double yardstick = median(subjects[1].times);
  const double yardstick_manifest = median(subjects[2].times);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  print("Time from process start to the visible main window at %d dpi, median of %d runs:\n", dpi,
        runs);
  print("  quillet.exe                %7.1f ms\n", designer);
  print("  bare_window.exe            %7.1f ms\n", yardstick);
  print("  bare_window_manifest.exe   %7.1f ms  (with quillet.exe's manifest)\n",
        yardstick_manifest);
  print("  quillet / bare:            %.2f\n", designer / yardstick);
  print("  quillet / bare + manifest: %.2f\n", designer / yardstick_manifest);
  if (!before_exe.empty()) {
    const double earlier = median(subjects[3].times);
    print("  quillet.exe of --before    %7.1f ms  (%s)\n", earlier, before_exe.c_str());
    print("  that one / bare:           %.2f\n", earlier / yardstick);
    print("  that one / bare + manifest: %.2f\n", earlier / yardstick_manifest);
  }
  // Each round's ratio, the subjects having started one after the other under
  // about the same load: steadier than the ratio of the medians on a busy machine.
  const auto paired = [&](std::size_t a, std::size_t b) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < subjects[a].rounds.size() && i < subjects[b].rounds.size(); ++i)
      if (subjects[a].rounds[i] > 0 && subjects[b].rounds[i] > 0)
        ratios.push_back(subjects[a].rounds[i] / subjects[b].rounds[i]);
    return median(ratios);
  };
  print("Median of the rounds' ratios: quillet / bare %.2f, quillet / bare + manifest %.2f\n",
        paired(0, 1), paired(0, 2));
  if (!before_exe.empty())
    print("  the --before build: / bare %.2f, / bare + manifest %.2f\n", paired(3, 1),
          paired(3, 2));
  // The spread tells how far the machine's load moved the medians.
  print("Each start in turn, ms:\n");
  const char* labels[] = {"quillet.exe", "bare_window.exe", "bare_window_manifest.exe",
                          "quillet.exe of --before"};
  for (std::size_t k = 0; k < subjects.size(); ++k) {
    print("  %-25s", labels[k]);
    for (double t : subjects[k].times) print(" %4.0f", t);
    print("\n");
  }

  // The same starts again with their traces on; the timed runs above ran without.
  const std::wstring trace = folder + L"\\trace.txt";
  Breakdown traced_designer, traced_bare;
  int traced = 0;
  SetEnvironmentVariableW(L"QUILLET_TRACE", trace.c_str());
  for (int i = 0; i < runs; ++i) {
    bool both = true;
    for (const bool is_designer : {true, false}) {
      DeleteFileW(trace.c_str());
      const long long requested = counter_now();
      probe::Process p = probe::start(is_designer ? quillet : bare, elsewhere);
      const bool shown = (is_designer ? wait_window(p, L"QuilletForm", L"main_form")
                                      : wait_window(p, L"BareWindow")) != nullptr;
      std::string text;
      if (shown)
        wait_until([&] { return !(text = probe::read_file(trace)).empty() || !p.running(); },
                   10000);
      p.kill();
      p.wait(10000);
      Sleep(kSettleMs);
      both =
          both && shown && add_trace(text, requested, is_designer ? traced_designer : traced_bare);
    }
    if (both) ++traced;
  }
  SetEnvironmentVariableW(L"QUILLET_TRACE", nullptr);
  if (traced) {
    print_breakdown("quillet.exe", traced_designer, traced);
    print_breakdown("bare_window.exe", traced_bare, traced);
  }
  if (!before_folder.empty()) probe::remove_tree(before_folder);
  if (start_only) {
    probe::remove_tree(folder);
    probe::remove_tree(elsewhere);
    return 0;
  }

  return session_figures(quillet, folder, elsewhere, field_bytes);
}
