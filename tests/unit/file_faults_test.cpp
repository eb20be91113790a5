// A full disk and a read-only program folder: saving reports the write error, the
// project that was there stays whole, and Run and Build report as they always do.
// The folders are mounted by the test, so it needs root; otherwise it is skipped.

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "designer/command_line.h"
#include "designer_fixture.h"
#include "sample_program.h"

using namespace designer;

namespace {

// A folder mounted over for one test; unmounted at the end.
class Mount {
 public:
  explicit Mount(std::filesystem::path at) : at_(std::move(at)) {
    std::filesystem::create_directories(at_);
  }
  ~Mount() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  // A tmpfs of the given size; false (with why()) when the system refuses.
  bool tmpfs(std::size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    return done(::mount("tmpfs", at_.c_str(), "tmpfs", 0, options.c_str()));
  }
  // `from` seen read-only at this place.
  bool read_only(const std::filesystem::path& from) {
    if (!done(::mount(from.c_str(), at_.c_str(), nullptr, MS_BIND, nullptr))) return false;
    return done(::mount(nullptr, at_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr));
  }
  std::string why() const { return why_; }
  std::string str() const { return at_.string(); }

 private:
  bool done(int result) {
    if (result == 0) return mounted_ = true;
    why_ = std::strerror(errno);
    return false;
  }
  std::filesystem::path at_;
  bool mounted_ = false;
  std::string why_;
};

std::string big_row(char c) { return std::string(40000, c) + "; title"; }

}  // namespace

TEST_F(DesignerTest, AFullDiskKeepsTheOldProject) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root";
  Mount disk(folder.native("disk"));
  if (!disk.tmpfs(256 * 1024)) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.why();
  platform::set_program_folder(disk.str());
  const std::string old_project = script({"small; project"});
  std::ofstream(disk.str() + "/story.dlg", std::ios::binary) << old_project;

  main_form& m = start();
  m.file_name = "story.dlg";
  for (auto& row : m.dlg_rows) row = big_row('x');  // 600 KB on a 256 KB disk
  m.changed = true;
  ui.answer(ui::IdOk);
  ui.click(m.sd[2]);
  EXPECT_EQ(ui.boxes().back().text,
            "Произошла ошибка при записи файла.\r\nОперация не выполнена.\r\n\r\n"
            "Ошибка программы №61\r\nДиск заполнен");
  EXPECT_TRUE(m.changed);
  std::ifstream in(disk.str() + "/story.dlg", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old_project);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.str()), {}), 1);
}

TEST_F(DesignerTest, AReadOnlyProgramFolderIsReportedNotFatal) {
  if (::geteuid() != 0) GTEST_SKIP() << "a read-only mount needs root";
  folder.put("story.dlg", script({"kept; as it was"}));
  folder.put("run.exe", "player");
  Mount ro(folder.native("ro"));  // the folder itself, seen read-only inside it
  if (!ro.read_only(folder.str())) GTEST_SKIP() << "cannot mount read-only here: " << ro.why();
  // First make sure that writing really fails there, as root too.
  ASSERT_FALSE(std::ofstream(ro.str() + "/probe.txt")) << "the read-only mount accepts writes";
  platform::set_program_folder(ro.str());

  main_form& m = start();
  ui.on_modal("file_form", [this](ui::Form& f) {
    auto& o = static_cast<file_form&>(f);
    ui.select(o.filebox, 0);
    ui.click(o.sd_open);
  });
  ui.click(m.sd[1]);
  ASSERT_EQ(m.file_name, "story.dlg");
  m.changed = true;

  ui.answer(ui::IdOk);  // Save: the write error
  ui.click(m.sd[2]);
  EXPECT_EQ(ui.boxes().back().title, "Quillet - Errorик");

  ui.answer(ui::IdOk);  // Run: the save's error, then no preview copy
  ui.answer(ui::IdOk);
  ui.click(m.sd[5]);
  EXPECT_EQ(ui.boxes().back().text, "Невозможно открыть файл!");
  EXPECT_TRUE(started().empty());

  ui.answer(ui::IdOk);  // Build: the save's error, then the prompt and the console
  ui.on_modal("comp_form", [this](ui::Form& f) { ui.click(static_cast<comp_form&>(f).comp); });
  ui.click(m.sd[3]);
  ui.advance(12 * 500);
  const std::string transcript = ui::Single<compile_form>::get().cmd.caption();
  EXPECT_NE(transcript.find("Writing a Data-file... ERROR\r\n\r\nError while building."),
            std::string::npos)
      << transcript;
  EXPECT_EQ(folder.get("story.dlg"), script({"kept; as it was"}));

  // A one-file build into the read-only folder stops at its program and leaves
  // nothing there.
  folder.put("run.exe", SampleProgram::bytes());
  std::string report;
  const int code =
      RunCommandLine(ParseCommandLine({"/compile", ro.str() + "/story.dlg", ro.str(), "/onefile"}),
                     [&](std::string_view text) { report += text; });
  EXPECT_EQ(code, kExitCopyFailed) << report;
  EXPECT_NE(report.find("Compiling an EXE-file... ERROR"), std::string::npos) << report;
  EXPECT_NE(report.find("Не удалось записать программу " + ro.str() + "\\story.exe"),
            std::string::npos)
      << report;
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"ro", "run.exe", "story.dlg"}));
}
