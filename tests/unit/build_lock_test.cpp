// A build whose exe.exe is held open by another program stops with the error
// text, and leaves that exe.exe as it was, never half replaced.

#include <windows.h>

#include "designer_fixture.h"

using namespace designer;

TEST_F(DesignerTest, ABuildIntoAnOpenProgramStopsAndKeepsIt) {
  folder.put("story.dlg", script({"a; b; Информация; ОК"}));
  folder.put("run.exe", std::string(300000, 'n'));
  std::filesystem::create_directory(folder.native("story.dlg_compile"));
  folder.put("story.dlg_compile\\exe.exe", "the built program, running");
  const HANDLE held = CreateFileW(folder.native("story.dlg_compile\\exe.exe").c_str(),
                                  GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  main_form& m = start();
  m.file_name = "story.dlg";
  ui.on_modal("comp_form", [this](ui::Form& f) { ui.click(static_cast<comp_form&>(f).comp); });
  ui.click(m.sd[3]);
  ui.advance(12 * 500);
  CloseHandle(held);

  const compile_form& console = ui::Single<compile_form>::get();
  EXPECT_NE(console.cmd.caption().find("Compiling an EXE-file... ERROR"), std::string::npos)
      << console.cmd.caption();
  EXPECT_EQ(console.step, 9);
  EXPECT_EQ(folder.get("story.dlg_compile\\exe.exe"), "the built program, running");
  EXPECT_FALSE(folder.has("story.dlg_compile\\exe.exe.~qlt"));
}
