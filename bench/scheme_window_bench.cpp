// Figures of the scheme window, printed and never asserted: the quiz example's
// scheme laid out and drawn as shapes again (what every change in the main window
// costs), its window repainted whole, and its picture at twice the screen's scale
// (what a copy and a save draw). tools/bench.sh runs it on a screen of 96 and of
// 192 dpi.
//
//   scheme_window_bench [--runs N]

// clang-format off
#include <windows.h>
// clang-format on

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "bench.h"
#include "designer/main_form.h"
#include "designer/scheme_form.h"
#include "ui/win32/win32_backend.h"

namespace {

using bench::median;
using bench::now_ms;
using bench::print;

template <class F>
double timed(int runs, F f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const double start = now_ms();
    f();
    t.push_back(now_ms() - start);
  }
  return median(t);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 20;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"--runs") == 0) runs = std::max(1, _wtoi(argv[i + 1]));
  ui::win32::Win32Backend backend;
  auto& m = ui::Single<designer::main_form>::get();
  m.show();
  m.OpenFile(QUILLET_QUIZ_DLG);
  m.sd_scheme_Click();
  auto* s = ui::Single<designer::scheme_form>::if_loaded();
  if (!s) return 1;
  backend.pump(300);
  const HWND window = ui::win32::Win32Backend::window_of(s->scheme);
  RECT r{};
  GetClientRect(window, &r);
  print("scheme of quiz.dlg at %d dpi: %zu cards, %zu arrows, window %ld x %ld pixels\n",
        backend.dpi_for(*s), s->layout().cards.size(), s->layout().arrows.size(), r.right,
        r.bottom);
  print("  laid out and drawn as shapes again: %.2f ms\n", timed(runs, [&] { s->Refresh(); }));
  print("  the window repainted whole:         %.2f ms\n", timed(runs, [&] {
          RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }));
  ui::Bitmap picture;
  const double twice = timed(std::max(1, runs / 4), [&] { picture = s->scheme.picture(2); });
  print("  its picture at twice the scale:     %.2f ms (%d x %d pixels)\n", twice, picture.width,
        picture.height);
  ui::unload_all();
  return 0;
}
