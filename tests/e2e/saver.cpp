// saver FOLDER: saves the project kill.dlg in FOLDER through the designer's own
// WriteFile, over and over, alternating two contents, until it is killed. After the
// first save it creates FOLDER\saver.ready.

#include <windows.h>

#include "designer/main_form.h"
#include "platform/platform.h"
#include "probe.h"
#include "reliability.h"
#include "ui/headless/headless.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 1;
  ui::headless::Headless ui;
  const std::wstring folder = argv[1];
  platform::set_program_folder(probe::to_utf8(folder));
  auto& m = ui::Single<designer::main_form>::get();
  m.file_name = "kill.dlg";
  for (int i = 0;; ++i) {
    m.dlg_rows = reliability::rows(i % 2 == 0 ? 'a' : 'b');
    m.WriteFile(designer::in_program_folder(m.file_name));
    if (i == 0) CloseHandle(CreateFileW((folder + L"\\saver.ready").c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, 0, nullptr));
  }
}
