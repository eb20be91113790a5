// The scheme's layout: time per layout of the quiz example and of dense projects of
// fifteen dialogs (three answers and a timeout each, jumping anywhere), with a
// fixed-width measure so that only the layout is timed.
//   scheme_bench [--runs N]

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "designer/scheme_layout.h"
#include "script/graph.h"
#include "script/line_reader.h"

namespace {

using designer::scheme::Box;

Box fixed_measure(std::string_view text, bool bold) {
  int chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return {0, 0, chars * (bold ? 8 : 7), 15};
}

script::Rows dense(std::mt19937& random) {
  script::Rows rows;
  for (int r = 0; r < script::kRowCount; ++r) {
    std::string row =
        "Текст вопроса номер " + std::to_string(r) + "; Заголовок; Вопрос; Да, Нет и Отмена; ";
    for (const char* answer : {"Да", "Нет", "Отмена"})
      row += std::string(answer) + ">" + std::to_string(random() % 15) + ", ";
    row += std::to_string(1 + random() % 9) + " с>" + std::to_string(random() % 16);
    rows[static_cast<std::size_t>(r)] = row;
  }
  return rows;
}

// The processor time of this thread in microseconds: on a busy machine the clock on
// the wall says more about the other programs.
double thread_us() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  const auto us = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           10.0;
  };
  return us(kernel) + us(user);
}

// Microseconds per layout, over `repeat` layouts: on the wall clock and in processor time.
struct Times {
  double wall = 0, cpu = 0;
};
Times time_us(const script::Rows& rows, int repeat) {
  const script::Graph graph = script::graph_of(rows);
  const double start = bench::now_ms();
  const double cpu = thread_us();
  for (int i = 0; i < repeat; ++i) (void)designer::scheme::lay_out(rows, graph, fixed_measure);
  return {(bench::now_ms() - start) * 1000.0 / repeat, (thread_us() - cpu) / repeat};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 7;
  for (int i = 1; i < argc; ++i)
    if (std::wstring(argv[i]) == L"--runs" && i + 1 < argc) runs = std::max(1, _wtoi(argv[++i]));

  std::string path = QUILLET_QUIZ_DLG;
  if (path.starts_with("/")) path = "Z:" + path;  // the source tree seen from Wine
  std::ifstream file(path, std::ios::binary);
  script::MemorySource source{
      std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
  script::Rows quiz;
  if (script::read_rows(source, quiz) != script::ReadStatus::Ok) {
    bench::print("cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<double> wall, cpu;
  for (int run = 0; run < runs; ++run) {
    const Times t = time_us(quiz, 500);
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  bench::print(
      "Scheme layout of quiz.dlg (12 dialogs), median of %d runs: %.1f us, %.1f us of "
      "processor time\n",
      runs, bench::median(wall), bench::median(cpu));

  std::mt19937 random(2024);
  std::vector<double> walls, cpus;
  for (int project = 0; project < 100; ++project) {
    const script::Rows rows = dense(random);
    wall.clear();
    cpu.clear();
    for (int run = 0; run < runs; ++run) {
      const Times t = time_us(rows, 50);
      wall.push_back(t.wall);
      cpu.push_back(t.cpu);
    }
    walls.push_back(bench::median(wall));
    cpus.push_back(bench::median(cpu));
  }
  std::sort(walls.begin(), walls.end());
  std::sort(cpus.begin(), cpus.end());
  bench::print(
      "Scheme layout of 15 dense dialogs (60 ways out), over 100 projects: %.1f us median, "
      "%.1f us at most; processor time %.1f us median, %.1f us at most\n",
      bench::median(walls), walls.back(), bench::median(cpus), cpus.back());
  return 0;
}
