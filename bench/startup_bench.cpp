// Figures of the player, printed and never asserted:
// - the time from process start to the first visible box, for run.exe, for a program
//   that only calls MessageBoxW, for a VBScript MsgBox run by wscript, and for a
//   one-file program carrying the same script;
// - the size a one-file program adds to run.exe for the example project and for
//   fifteen long dialogs, and the time the designer takes to make it;
// - run.exe's peak working set on a script of a million lines against a script of
//   one line: the player holds one line at a time, so the two should be alike; and
//   on a million lines whose last box jumps back to line 0 a few times, which costs
//   one more pass over the file each time, never the file in memory;
// - the time to the first box when that box's field 4 is 10 MB of "«" that never
//   close (bench.h), which the player reads in time linear in its length.
//
//   startup_bench [--runs N] [--lines N] [--field-bytes N] [--field-only]
//
// --field-only prints the last figure alone, for a field of --field-bytes bytes.

// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench.h"
#include "designer/build.h"
#include "probe.h"

namespace {

using bench::median;
using bench::now_ms;
using bench::print;

struct Subject {
  const char* name;
  std::wstring program;
  std::wstring arguments;
  std::wstring folder;
};

HWND visible_box(const probe::Process& process) {
  const auto boxes = probe::top_windows(process.id(), {L"#32770", L"", true});
  return boxes.empty() ? nullptr : boxes.front();
}

// Polls every millisecond; the box counts from the moment it is visible.
HWND wait_box(const probe::Process& process, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    if (HWND box = visible_box(process)) return box;
    if (!process.running() || GetTickCount64() >= until) return nullptr;
    Sleep(1);
  }
}

std::optional<double> time_to_box(const Subject& s) {
  const double start = now_ms();
  probe::Process process = probe::start(s.program, s.folder, s.arguments);
  if (!process) return std::nullopt;
  HWND box = wait_box(process, 20000);
  const double shown = now_ms();
  if (!box) return std::nullopt;
  probe::answer(box, IDOK);
  process.wait(20000);
  return shown - start;
}

struct Memory {
  double peak_mib = 0;
  int boxes = 0;
  bool measured = false;
};

// Runs the player on the script in folder, answers every box (with OK, or as
// choose says), and samples the peak working set at each box (the last sample is the
// peak of the whole run).
Memory player_memory(const std::wstring& run_exe, const std::wstring& folder,
                     const std::function<int(HWND)>& choose = {}) {
  Memory m;
  probe::Process process = probe::start(run_exe, folder);
  if (!process) return m;
  std::vector<HWND> seen;
  while (HWND box = probe::wait_window(process, {L"#32770", L"", true}, 600000, seen)) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.handle(), &counters, sizeof counters)) {
      m.peak_mib = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
      m.measured = true;
    }
    ++m.boxes;
    seen.push_back(box);
    probe::answer(box, choose ? choose(box) : IDOK);
    probe::wait_gone(box, 10000);
  }
  process.wait(20000);
  return m;
}

// A box at line 0, filler, and a last line that asks whether to start again: Yes
// jumps back to line 0 ("\xC4\xE0>0" is Да>0 in the script's code page).
std::string jump_back_script(long lines) {
  const std::string filler = "Filler line without a separator: read, shown never. 0123456789\r\n";
  std::string bytes = "Start of a pass; Pass\r\n";
  bytes.reserve(static_cast<std::size_t>(lines) * filler.size());
  for (long i = 2; i < lines; ++i) bytes += filler;
  bytes +=
      "Again from line 0?; Again; \xC2\xEE\xEF\xF0\xEE\xF1; \xC4\xE0 \xE8 \xCD\xE5\xF2; "
      "\xC4\xE0>0\r\n";
  return bytes;
}

std::string filler_script(long lines, int boxes_wanted, std::size_t* box_count) {
  // ASCII only, so the bytes are the same in every code page. A line without the
  // separator is read and shows nothing.
  const std::string filler = "Filler line without a separator: read, shown never. 0123456789\r\n";
  const long every = std::max(1L, lines / std::max(1, boxes_wanted - 1));
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(lines) * filler.size());
  *box_count = 0;
  for (long i = 0; i < lines; ++i) {
    if (i % every == 0 || i == lines - 1) {
      bytes += "Box at line " + std::to_string(i + 1) + "; Memory\r\n";
      ++*box_count;
    } else {
      bytes += filler;
    }
  }
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 7;
  long lines = 1000000;
  long field_bytes = 10'000'000;
  bool field_only = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--field-only") field_only = true;
    if (i + 1 == argc) break;
    if (arg == L"--runs") runs = std::max(1, _wtoi(argv[++i]));
    if (arg == L"--lines") lines = std::max(2, _wtoi(argv[++i]));
    if (arg == L"--field-bytes") field_bytes = std::max(1, _wtoi(argv[++i]));
  }

  const std::wstring folder = probe::make_temp_folder(L"quillet-bench");
  const std::wstring elsewhere = probe::make_temp_folder(L"quillet-bench-cwd");
  const std::wstring run_exe = folder + L"\\run.exe";
  const std::wstring bare_exe = folder + L"\\bare_box.exe";
  const std::wstring vbs = folder + L"\\box.vbs";
  if (!probe::copy_file(probe::windows_path(QUILLET_RUN_EXE), run_exe) ||
      !probe::copy_file(probe::windows_path(QUILLET_BARE_BOX_EXE), bare_exe)) {
    print("cannot copy the programs into %ls\n", folder.c_str());
    return 1;
  }
  probe::write_file(folder + L"\\main.dlg",
                    "Quillet bench; Bench; \xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF; \xCE\xCA\r\n");
  probe::write_file(vbs, "MsgBox \"Quillet bench\", vbInformation + vbSystemModal, \"Bench\"\r\n");
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::string player = probe::read_file(run_exe);
  std::string problem;
  const std::wstring one_file = elsewhere + L"\\bench.exe";
  probe::write_file(
      one_file, designer::build::OneFileProgram(player, probe::read_file(folder + L"\\main.dlg"),
                                                "bench.exe", {}, problem));

  const std::vector<Subject> subjects = {
      {"run.exe", run_exe, L"", elsewhere},
      {"bare_box.exe", bare_exe, L"", elsewhere},
      {"wscript box.vbs", std::wstring(system) + L"\\wscript.exe", L"\"" + vbs + L"\"", elsewhere},
      {"one-file program", one_file, L"", folder},
  };

  const auto long_field = [&] {
    probe::write_file(folder + L"\\main.dlg", bench::unmatched_quotes_row(field_bytes) + "\r\n");
    std::vector<double> times;
    for (int i = 0; i < 3; ++i)
      if (const auto t = time_to_box({"run.exe", run_exe, L"", folder})) times.push_back(*t);
    print("First box of a line whose field 4 is %ld bytes of quotes that never close: ",
          field_bytes);
    if (times.empty())
      print("no box appeared\n");
    else
      print("%.1f ms (median of %zu)\n", median(times), times.size());
  };
  if (field_only) {
    long_field();
    probe::remove_tree(folder);
    probe::remove_tree(elsewhere);
    return 0;
  }

  print(
      "Time from process start to the first visible box, median of %d runs after one "
      "warm-up:\n",
      runs);
  // The subjects take turns, so a change in the machine's load affects them alike.
  std::vector<bool> works(subjects.size());
  std::vector<std::vector<double>> times(subjects.size());
  for (std::size_t k = 0; k < subjects.size(); ++k)
    works[k] = time_to_box(subjects[k]).has_value();  // warm-up: files into the cache
  for (int i = 0; i < runs; ++i) {
    for (std::size_t k = 0; k < subjects.size(); ++k) {
      if (!works[k]) continue;
      const auto t = time_to_box(subjects[k]);
      works[k] = t.has_value();
      if (t) times[k].push_back(*t);
    }
  }
  std::vector<std::optional<double>> medians;
  for (std::size_t k = 0; k < subjects.size(); ++k) {
    if (!works[k]) {
      print("  %-16s no box appeared: not measured\n", subjects[k].name);
      medians.push_back(std::nullopt);
      continue;
    }
    medians.push_back(median(times[k]));
    print("  %-16s %7.1f ms   (", subjects[k].name, *medians.back());
    for (std::size_t i = 0; i < times[k].size(); ++i) print(i ? " %.0f" : "%.0f", times[k][i]);
    print(")\n");
  }
  if (medians[0] && medians[1])
    print("  run.exe / bare_box.exe: %.2f\n", *medians[0] / *medians[1]);
  if (medians[0] && medians[2])
    print("  run.exe / wscript:      %.2f\n", *medians[0] / *medians[2]);
  else
    print("  run.exe / wscript:      not available (wscript showed no box)\n");
  if (medians[0] && medians[3])
    print("  one-file / run.exe:     %.2f\n", *medians[3] / *medians[0]);

  print("A one-file program over run.exe (%zu bytes), and the time to make it:\n", player.size());
  std::string long_dialogs;
  for (int i = 0; i < 15; ++i)
    long_dialogs += std::string(180, 'x') + "; Title " + std::to_string(i) + "; Info; OK\r\n";
  const std::pair<const char*, std::string> projects[] = {
      {"welcome.dlg", probe::read_file(probe::windows_path(QUILLET_WELCOME_DLG))},
      {"15 long dialogs", long_dialogs}};
  for (const auto& [name, project] : projects) {
    std::string program;
    std::vector<double> ms;
    for (int i = 0; i < 101; ++i) {
      const double t = now_ms();
      program = designer::build::OneFileProgram(player, project, "bench.exe", {}, problem);
      ms.push_back(now_ms() - t);
    }
    print("  %-16s %5zu bytes: %zu bytes, %+zd; %.3f ms\n", name, project.size(), program.size(),
          static_cast<std::ptrdiff_t>(program.size() - player.size()), median(ms));
  }

  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(run_exe.c_str(), GetFileExInfoStandard, &data))
    print("run.exe size: %lu bytes (%.1f KiB)\n", data.nFileSizeLow, data.nFileSizeLow / 1024.0);

  print("Peak working set of run.exe, every box answered at once:\n");
  const Memory one = player_memory(run_exe, elsewhere);
  std::size_t box_count = 0;
  const std::string big = filler_script(lines, 11, &box_count);
  probe::write_file(folder + L"\\main.dlg", big);
  const double t0 = now_ms();
  const Memory many = player_memory(run_exe, elsewhere);
  const double took = (now_ms() - t0) / 1000.0;
  if (!one.measured || !many.measured) {
    print("  not available: GetProcessMemoryInfo failed on the player\n");
  } else {
    print("  script of 1 line:        %6.2f MiB (%d box)\n", one.peak_mib, one.boxes);
    print("  script of %ld lines: %6.2f MiB (%d of %zu boxes, %.1f MB file, %.1f s)\n", lines,
          many.peak_mib, many.boxes, box_count, big.size() / 1e6, took);
  }

  // The last box is answered Yes three times, then No: four passes over the file.
  constexpr int kJumpsBack = 3;
  const std::string jumping = jump_back_script(lines);
  probe::write_file(folder + L"\\main.dlg", jumping);
  int asked = 0;
  const double t1 = now_ms();
  const Memory back = player_memory(run_exe, elsewhere, [&](HWND box) {
    if (probe::text(box) != L"Again") return IDOK;
    return ++asked <= kJumpsBack ? IDYES : IDNO;
  });
  const double passes_took = (now_ms() - t1) / 1000.0;
  if (back.measured)
    print("  %ld lines, jumping back to line 0 %d times: %6.2f MiB (%d boxes, %.1f s)\n", lines,
          kJumpsBack, back.peak_mib, back.boxes, passes_took);

  long_field();
  probe::remove_tree(folder);
  probe::remove_tree(elsewhere);
  return 0;
}
