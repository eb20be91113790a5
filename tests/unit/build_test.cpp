// Building: the build-path prompt, the console window and its twelve timed steps,
// with the files they make, their stops and the blinking cursor; the same build
// from quillet.exe's command line, with its exit codes; and the one-file build,
// down to the program file it writes, with its own version and icon.

#include "designer/build.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "designer/command_line.h"
#include "designer/icon_file.h"
#include "designer/pe_resources.h"
#include "designer/resource_ids.h"
#include "designer_fixture.h"
#include "resources/box_icons.h"
#include "sample_program.h"
#include "utf/utf.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace designer;
using namespace std::string_literals;

namespace {

// Bytes of a fake player: a copy must keep every one, NUL and 0x1A included.
const std::string kPlayer = "MZ\x90\0fake player\r\n\x1A\xFF tail"s;

constexpr std::string_view kCrLf = "\r\n";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(kCrLf, from);
    lines.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return lines;
    from = at + kCrLf.size();
  }
}

class BuildTest : public DesignerTest {
 protected:
  // A project story.dlg saved through the save-as window.
  main_form& saved_story() {
    main_form& m = start();
    add(U"Привет");
    ui.on_modal("save_form", save_as(U"story"));
    ui.click(m.sd[2]);
    EXPECT_EQ(m.file_name, "story.dlg");
    return m;
  }

  // The prompt's confirmation, after replacing its proposal when a path is given
  // and ticking or clearing "Одним файлом" as asked.
  std::function<void(ui::Form&)> confirm(std::optional<std::string> path = std::nullopt,
                                         bool one_file = false) {
    return [this, path, one_file](ui::Form& f) {
      auto& p = static_cast<comp_form&>(f);
      proposal = p.cmp.text();
      one_file_shown = p.one_file.value();
      if (path) p.cmp.set_text(*path);
      if (p.one_file.value() != one_file) ui.click(p.one_file);
      ui.click(p.comp);
    };
  }

  // Toolbar Build confirmed in the prompt; the console it opened.
  compile_form& build(std::optional<std::string> path = std::nullopt, bool one_file = false) {
    ui.on_modal("comp_form", confirm(path, one_file));
    ui.click(main().sd[3]);
    compile_form* c = console();
    if (!c) throw std::logic_error("no console after the build command");
    return *c;
  }

  static compile_form* console() { return ui::Single<compile_form>::if_loaded(); }
  static comp_form* prompt() { return ui::Single<comp_form>::if_loaded(); }

  // The console text without the cursor.
  static std::string transcript(const compile_form& c) {
    std::string text = c.cmd.caption();
    if (c.blinked == 1) {
      EXPECT_EQ(text.back(), '_');
      text.pop_back();
    }
    return text;
  }
  static std::vector<std::string> lines(const compile_form& c) { return lines_of(transcript(c)); }

  void ticks(int n) {
    for (int i = 0; i < n; ++i) ui.advance(500);
  }

  // The console stopped on a failing step: the error text on that step's line.
  void expect_error_stop(const compile_form& c, int failed_step, const std::string& line) {
    const auto l = lines(c);
    ASSERT_GE(l.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(l.end() - 4, l.end()),
              (std::vector<std::string>{line + " ERROR", "", "Error while building.",
                                        "Press Any Key To Countinue..."}));
    EXPECT_EQ(c.step, failed_step);
    EXPECT_TRUE(c.done);
    EXPECT_FALSE(c.operations.enabled());
    EXPECT_FALSE(ui::Single<comp_form>::loaded());
  }

  std::string proposal;         // what the prompt proposed when it was last confirmed
  bool one_file_shown = false;  // whether its box came up ticked
};

}  // namespace

TEST_F(BuildTest, ConsoleWindowLooksLikeAConsole) {
  saved_story();
  ui.clear_log();
  compile_form& c = build();
  EXPECT_EQ(ui.log(),
            (std::vector<std::string>{"load comp_form", "show comp_form modal", "hide comp_form",
                                      "load compile_form", "show compile_form"}));
  EXPECT_EQ(c.caption(), "Компиляция");
  // The console carries the player's icon, the other windows the program's own.
  EXPECT_EQ(c.icon(), IDI_PLAYER);
  EXPECT_EQ(main().icon(), 0);
  EXPECT_EQ(c.owner(), nullptr);
  EXPECT_FALSE(c.modal());
  EXPECT_TRUE(c.visible());
  EXPECT_TRUE(c.show_in_taskbar());
  EXPECT_EQ(c.border(), ui::Border::FixedSingle);
  EXPECT_TRUE(c.min_button());
  EXPECT_EQ(c.start_position(), ui::StartPosition::SystemDefault);
  EXPECT_EQ(c.client_width(), 8655);
  EXPECT_EQ(c.client_height(), 5295);
  EXPECT_EQ(c.back_color(), ui::Color::rgb(0, 0, 0));

  EXPECT_EQ(c.cmd.fore_color(), ui::Color::rgb(192, 192, 192));
  EXPECT_EQ(c.cmd.back_color(), ui::Color::rgb(0, 0, 0));
  EXPECT_EQ(c.cmd.font(), (ui::Font{"Courier New", 9.75, true, false, 204}));
  EXPECT_EQ(c.VScroll1.rect(), (ui::Rect{8400, 0, 255, 5295}));
  EXPECT_FALSE(c.VScroll1.tab_stop());
  // The text runs up to the scroll bar and down the whole window.
  EXPECT_EQ(c.cmd.rect(), (ui::Rect{0, 0, 8400, 5295}));
  for (const ui::Timer* t : {&c.operations, &c.blink}) {
    EXPECT_EQ(t->interval(), 500) << t->name();
    EXPECT_TRUE(t->enabled()) << t->name();
  }

  // The banner: title, a notice line, an empty line; the first step writes next.
  const auto banner = lines_of(c.cmd.caption());
  ASSERT_EQ(banner.size(), 4u);
  EXPECT_EQ(banner[0], "Tervan Quillet Console v.1.0");
  EXPECT_FALSE(banner[1].empty());
  EXPECT_EQ(banner[2], "");
  EXPECT_EQ(banner[3], "");
  EXPECT_EQ(c.step, 0);
  EXPECT_FALSE(c.done);
  EXPECT_EQ(c.blinked, 0);

  // The main window stays usable: a row is added while the console is open.
  add(U"meanwhile");
  EXPECT_EQ(main().dlg_rows[1], "meanwhile; Диалог; Без значка; ОК");
}

TEST_F(BuildTest, SuccessfulBuildTranscriptStepByStep) {
  folder.put("run.exe", kPlayer);
  saved_story();
  compile_form& c = build();
  const std::string out = folder / "story.dlg_compile";
  EXPECT_EQ(proposal, out);
  ASSERT_TRUE(prompt()) << "the prompt is unloaded";
  EXPECT_FALSE(prompt()->visible());

  // What each step appends; the pauses 2, 4 and 8 append nothing.
  const std::vector<std::string> appended = {
      folder.str() + "\\Quillet.exe /compile %1",
      "\r\nPreparations...",
      "",
      "\r\nStarted building story.dlg...",
      "",
      "\r\nWriting a Data-file...",
      " OK",
      "\r\nCompiling an EXE-file...",
      "",
      " OK",
      "\r\nBuilding Finished.",
      "\r\n\r\nEXE-Path: " + out + "\\exe.exe\r\nPress Any Key To Continue...",
  };
  std::string text = c.cmd.caption();
  ui.advance(499);
  EXPECT_EQ(c.cmd.caption(), text) << "the first step comes 500 ms after load";

  // After every tick the caption is the transcript so far, with the cursor at
  // most at its very end: no step leaves a "_" inside.
  bool cursor_seen = false, cursor_gone = false;
  ui.advance(1);
  for (int s = 0; s < 12; ++s) {
    if (s > 0) ui.advance(500);
    text += appended[static_cast<std::size_t>(s)];
    const std::string caption = c.cmd.caption();
    EXPECT_TRUE(caption == text || caption == text + "_") << "after step " << s << ":\n" << caption;
    EXPECT_EQ(c.blinked == 1, caption == text + "_") << "after step " << s;
    (caption == text ? cursor_gone : cursor_seen) = true;
    EXPECT_EQ(c.step, s + 1);
    EXPECT_EQ(c.done, s == 11);
    // The folder comes at step 6, the copies at step 9.
    const auto built = folder.native("story.dlg_compile");
    EXPECT_EQ(std::filesystem::is_directory(built), s >= 6) << "after step " << s;
    EXPECT_EQ(std::filesystem::exists(built / "exe.exe"), s >= 9) << "after step " << s;
  }
  EXPECT_TRUE(cursor_seen);
  EXPECT_TRUE(cursor_gone);

  const auto l = lines(c);
  ASSERT_EQ(l.size(), 12u);
  EXPECT_EQ(l[0], "Tervan Quillet Console v.1.0");
  EXPECT_EQ(l[2], "");
  EXPECT_EQ(
      std::vector<std::string>(l.begin() + 3, l.end()),
      (std::vector<std::string>{folder.str() + "\\Quillet.exe /compile %1", "Preparations...",
                                "Started building story.dlg...", "Writing a Data-file... OK",
                                "Compiling an EXE-file... OK", "Building Finished.", "",
                                "EXE-Path: " + out + "\\exe.exe", "Press Any Key To Continue..."}));

  const auto built = folder.native("story.dlg_compile");
  std::vector<std::string> made;
  for (const auto& e : std::filesystem::directory_iterator(built))
    made.push_back(e.path().filename().string());
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<std::string>{"exe.exe", "main.dlg"}));
  EXPECT_EQ(folder.get("story.dlg_compile/exe.exe"), kPlayer);
  EXPECT_EQ(folder.get("story.dlg_compile/main.dlg"), folder.get("story.dlg"));

  EXPECT_EQ(c.step, 12);
  EXPECT_TRUE(c.done);
  EXPECT_FALSE(c.operations.enabled());
  EXPECT_FALSE(ui::Single<comp_form>::loaded());

  // Afterwards only the cursor moves: it comes and goes every 500 ms behind the
  // last line, and the step stays.
  const std::string final_text = transcript(c);
  std::string before = c.cmd.caption();
  for (int i = 0; i < 4; ++i) {
    ui.advance(500);
    const std::string now = c.cmd.caption();
    EXPECT_TRUE(now == final_text || now == final_text + "_") << now;
    EXPECT_NE(now, before) << "the cursor did not blink at tick " << i;
    before = now;
  }
  EXPECT_EQ(c.step, 12);

  ui.press_key(c, U'x');
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
}

TEST_F(BuildTest, NoProjectStopsAtTheProjectCheckAndKeepsThePrompt) {
  folder.put("run.exe", kPlayer);
  main_form& m = start();
  add(U"unsaved");
  ui.on_modal("save_form", [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_close); });
  compile_form& c = build();
  EXPECT_EQ(proposal, folder / "_compile");

  ticks(6);
  const auto l = lines(c);
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(l.begin() + 4, l.end()),
            (std::vector<std::string>{"Preparations...", "Started building ... ERROR", "",
                                      "Error while building: Null-File was trying to built.",
                                      "Press Any Key To Continue..."}));
  EXPECT_EQ(c.step, 5);
  EXPECT_TRUE(c.done);
  EXPECT_FALSE(c.operations.enabled());
  ticks(4);
  EXPECT_EQ(c.step, 5);
  EXPECT_EQ(lines(c), l);
  // The prompt stays loaded and hidden with its text; nothing is made.
  ASSERT_NE(prompt(), nullptr);
  EXPECT_FALSE(prompt()->visible());
  EXPECT_EQ(prompt()->cmp.text(), folder / "_compile");
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"run.exe"}));

  // Closed with a key; the project is saved meanwhile. The prompt, still loaded,
  // shows its old text again, and this time the build goes through to that path.
  ui.press_key(c, U' ');
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  compile_form& again = build();
  EXPECT_EQ(proposal, folder / "_compile");
  ticks(12);
  EXPECT_EQ(lines(again).at(5), "Started building story.dlg...");
  EXPECT_EQ(lines(again).back(), "Press Any Key To Continue...");
  EXPECT_EQ(folder.get("_compile/main.dlg"), folder.get("story.dlg"));
  EXPECT_EQ(folder.get("_compile/exe.exe"), kPlayer);
  EXPECT_FALSE(ui::Single<comp_form>::loaded());
}

TEST_F(BuildTest, AnExistingPathIsWarnedAbout) {
  folder.put("run.exe", kPlayer);
  saved_story();
  std::filesystem::create_directory(folder.native("story.dlg_compile"));
  folder.put("story.dlg_compile/exe.exe", "old player");
  folder.put("story.dlg_compile/main.dlg", "old script");
  folder.put("story.dlg_compile/keep.txt", "mine");

  compile_form& c = build();
  ticks(12);
  const auto l = lines(c);
  ASSERT_EQ(l.size(), 13u);
  EXPECT_EQ(
      std::vector<std::string>(l.begin() + 6, l.begin() + 10),
      (std::vector<std::string>{"Writing a Data-file... FAILED", "WARNING: Path is already exits.",
                                "Compiling an EXE-file... OK", "Building Finished."}));
  EXPECT_EQ(l.back(), "Press Any Key To Continue...");
  EXPECT_EQ(c.step, 12);
  EXPECT_EQ(folder.get("story.dlg_compile/exe.exe"), kPlayer);
  EXPECT_EQ(folder.get("story.dlg_compile/main.dlg"), folder.get("story.dlg"));
  EXPECT_EQ(folder.get("story.dlg_compile/keep.txt"), "mine");
  ui.press_key(c, 13);

  // A file of that name is found as well, but nothing can be copied into it.
  folder.put("taken", "a file");
  compile_form& on_file = build(folder / "taken");
  ticks(12);
  const auto f = lines(on_file);
  EXPECT_EQ(f.at(6), "Writing a Data-file... FAILED");
  EXPECT_EQ(f.at(7), "WARNING: Path is already exits.");
  expect_error_stop(on_file, 9, "Compiling an EXE-file...");
  EXPECT_EQ(folder.get("taken"), "a file");
}

TEST_F(BuildTest, AMissingParentStopsOnTheDataFileLine) {
  folder.put("run.exe", kPlayer);
  saved_story();
  compile_form& c = build(folder / "missing\\out");
  ticks(7);
  expect_error_stop(c, 6, "Writing a Data-file...");
  ticks(4);
  EXPECT_EQ(c.step, 6);
  EXPECT_FALSE(folder.has("missing"));
  ui.press_key(c, 27);
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
}

TEST_F(BuildTest, AnEmptyPathStopsOnTheDataFileLine) {
  folder.put("run.exe", kPlayer);
  saved_story();
  const auto before = folder.entries();
  compile_form& c = build("");
  ticks(7);
  expect_error_stop(c, 6, "Writing a Data-file...");
  EXPECT_EQ(folder.entries(), before);
}

TEST_F(BuildTest, MissingFilesStopOnTheExeLineAndUndoNothing) {
  saved_story();
  compile_form& c = build();
  ticks(10);
  expect_error_stop(c, 9, "Compiling an EXE-file...");
  EXPECT_TRUE(std::filesystem::is_directory(folder.native("story.dlg_compile")));
  EXPECT_TRUE(std::filesystem::is_empty(folder.native("story.dlg_compile")));
  ui.press_key(c, 8);

  // The player is copied, then the project file has gone: the copy stays.
  folder.put("run.exe", kPlayer);
  compile_form& d = build(folder / "second");
  std::filesystem::remove(folder.native("story.dlg"));
  ticks(10);
  expect_error_stop(d, 9, "Compiling an EXE-file...");
  EXPECT_EQ(folder.get("second/exe.exe"), kPlayer);
  EXPECT_FALSE(folder.has("second/main.dlg"));
}

TEST_F(BuildTest, KeysCloseTheConsoleOnlyOnceTheBuildHasStopped) {
  folder.put("run.exe", kPlayer);
  saved_story();
  compile_form& c = build();
  const auto press_all = [&] {
    for (char32_t key : {U'a', U'я', char32_t{13}, char32_t{27}, char32_t{8}, U' '})
      ui.press_key(c, key);
  };
  for (int s = 0; s < 12; ++s) {
    const std::string caption = c.cmd.caption();
    press_all();
    ASSERT_TRUE(ui::Single<compile_form>::loaded()) << "closed before step " << s;
    EXPECT_EQ(c.cmd.caption(), caption) << "a key was written before step " << s;
    EXPECT_EQ(c.step, s);
    ticks(1);
  }
  EXPECT_TRUE(c.done);
  ui.press_key(c, U'a');
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
  EXPECT_TRUE(main().loaded());
}

TEST_F(BuildTest, TheCloseBoxStopsTheBuildAndKeepsWhatWasMade) {
  folder.put("run.exe", kPlayer);
  saved_story();
  compile_form& c = build(folder / "out");
  ticks(7);
  EXPECT_TRUE(std::filesystem::is_directory(folder.native("out")));
  ui.close(c);
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
  ticks(20);
  EXPECT_TRUE(std::filesystem::is_empty(folder.native("out")));
  // The prompt is still loaded; it comes back with the text it last had, and its
  // confirmation now starts a build afresh.
  ASSERT_NE(prompt(), nullptr);
  EXPECT_FALSE(prompt()->visible());
  ui.clear_log();
  compile_form& again = build();
  EXPECT_EQ(proposal, folder / "out");
  EXPECT_EQ(std::count(ui.log().begin(), ui.log().end(), "load compile_form"), 1);
  EXPECT_EQ(again.step, 0);
  EXPECT_EQ(lines(again).size(), 4u);
  ticks(12);
  EXPECT_EQ(lines(again).at(6), "Writing a Data-file... FAILED");
  EXPECT_EQ(lines(again).back(), "Press Any Key To Continue...");
  EXPECT_EQ(folder.get("out/exe.exe"), kPlayer);
}

// A second build while the first one's console is still open: stopped, it makes
// way for a new console that builds where the prompt now says; running, it runs
// on, the prompt says so and closing it only hides it, and the build's end leaves
// it shown for the next build.
TEST_F(BuildTest, ConfirmingAgainBuildsAfreshUnlessABuildRuns) {
  folder.put("run.exe", kPlayer);
  saved_story();
  build(folder / "out7");
  ticks(12);
  compile_form& again = build(folder / "out8");
  EXPECT_EQ(lines(again).size(), 4u);  // a new console: its banner alone
  ticks(6);
  ui.on_modal("comp_form", [this](ui::Form& f) {
    ui.answer(ui::IdOk);
    ui.click(static_cast<comp_form&>(f).comp);
    ui.close(f);
  });
  ui.click(main().sd[3]);
  EXPECT_EQ(ui.boxes().back().text,
            "Предыдущая сборка ещё идёт, новая не начата. Дождитесь её конца в окне консоли и "
            "нажмите «Компиляция» ещё раз.");
  ASSERT_NE(prompt(), nullptr);
  ui.on_modal("comp_form", [&](ui::Form& f) {
    ticks(6);
    EXPECT_TRUE(again.done && f.visible());
    confirm(folder / "out9")(f);
  });
  ui.click(main().sd[3]);
  ticks(12);
  EXPECT_EQ(lines(*console()).at(10), "EXE-Path: " + (folder / "out9") + "\\exe.exe");
  for (const char* out : {"out7", "out8", "out9"})
    EXPECT_EQ(folder.get(out + std::string("/exe.exe")), kPlayer) << out;
}

TEST_F(BuildTest, StepsReadTheirInputsAfresh) {
  folder.put("run.exe", kPlayer);
  folder.put("other.dlg", script({"other; o"}));
  main_form& m = saved_story();
  compile_form& c = build();
  ticks(4);  // steps 0 to 3
  EXPECT_EQ(lines(c).back(), "Started building story.dlg...");

  // Another project is opened and the path changed while the console runs.
  open("other.dlg");
  EXPECT_EQ(m.file_name, "other.dlg");
  prompt()->cmp.set_text(folder / "elsewhere");
  ticks(6);  // steps 4 to 9
  EXPECT_TRUE(std::filesystem::is_directory(folder.native("elsewhere")));
  EXPECT_FALSE(folder.has("story.dlg_compile"));
  EXPECT_EQ(folder.get("elsewhere/main.dlg"), script({"other; o"}));
  EXPECT_EQ(folder.get("elsewhere/exe.exe"), kPlayer);
  prompt()->cmp.set_text(folder / "shown");
  prompt()->one_file.set_value(true);
  ticks(2);
  EXPECT_EQ(lines(c).at(lines(c).size() - 2), "EXE-Path: " + (folder / "shown") + "\\other.exe");
  EXPECT_FALSE(folder.has("shown"));
  ui.press_key(c, U'x');

  // A project closed between the echo of its name and the project check.
  compile_form& d = build(folder / "third");
  ticks(4);
  EXPECT_EQ(lines(d).back(), "Started building other.dlg...");
  ui.click(m.sd[0]);  // New: no changes to ask about
  EXPECT_TRUE(m.file_name.empty());
  ticks(2);
  EXPECT_EQ(d.step, 5);
  EXPECT_EQ(lines(d).at(lines(d).size() - 2),
            "Error while building: Null-File was trying to built.");
  EXPECT_FALSE(folder.has("third"));
}

TEST_F(BuildTest, BuildCommandSavesFirstAndAsksEvenIfTheSaveFailed) {
  main_form& m = saved_story();
  add(U"second");
  ui.on_modal("comp_form", [this](ui::Form& f) {
    // The save happened before the prompt came up.
    EXPECT_EQ(folder.get("story.dlg"),
              script({"Привет; Диалог; Без значка; ОК", "second; Диалог; Без значка; ОК"}));
    auto& p = static_cast<comp_form&>(f);
    EXPECT_EQ(p.caption(), "Компиляция");
    EXPECT_EQ(p.cmp.text(), folder / "story.dlg_compile");
    ui.click(p.cls);
  });
  ui.click(m.sd[3]);
  EXPECT_FALSE(m.changed);
  EXPECT_FALSE(ui::Single<comp_form>::loaded());
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
  ticks(20);
  EXPECT_FALSE(folder.has("story.dlg_compile"));

  // The save fails with its error box; the prompt comes all the same.
  std::filesystem::remove(folder.native("story.dlg"));
  std::filesystem::create_directory(folder.native("story.dlg"));
  add(U"third");
  ui.answer(ui::IdOk);
  ui.on_modal("comp_form", [this](ui::Form& f) { ui.close(f); });
  ui.click(m.sd[3]);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_EQ(ui.boxes().back().title, "Quillet - Errorик");
  EXPECT_TRUE(m.changed);
  EXPECT_FALSE(ui::Single<comp_form>::loaded());
  EXPECT_FALSE(ui::Single<compile_form>::loaded());
}

namespace {

using Kind = CommandLine::Kind;

// The command line's build, run from the folder "projects" beside the program.
class CommandLineTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    folder.put("run.exe", kPlayer);
    std::filesystem::create_directory(folder.native("projects"));
    folder.put("projects/story.dlg", script({"Привет; Диалог; Без значка; ОК"}));
    before_ = std::filesystem::current_path();
    std::filesystem::current_path(folder.native("projects"));
    here_ = std::filesystem::current_path().string();
  }
  void TearDown() override {
    std::filesystem::current_path(before_);
    DesignerTest::TearDown();
  }

  // Runs quillet.exe with these arguments; what it wrote goes to `report`.
  int run(std::vector<std::string> args) {
    report.clear();
    const CommandLine c = ParseCommandLine(args);
    EXPECT_NE(c.kind, Kind::Designer);
    return RunCommandLine(c, [this](std::string_view text) { report += text; });
  }

  // The report's last lines: the error stop, then the reason.
  void expect_stop(const std::string& line, const std::string& reason_start) {
    const auto l = lines_of(report);
    ASSERT_GE(l.size(), 5u) << report;
    EXPECT_EQ(l[l.size() - 5], line + " ERROR");
    EXPECT_EQ(l[l.size() - 4], "");
    EXPECT_EQ(l[l.size() - 3], "Error while building.");
    EXPECT_EQ(l[l.size() - 2].rfind(reason_start, 0), 0u) << l[l.size() - 2];
    EXPECT_EQ(l.back(), "");
  }

  std::string here_;  // the current folder, as the system spells it
  std::string report;

 private:
  std::filesystem::path before_;
};

}  // namespace

TEST(CommandLine, OnlyTheFirstArgumentNamesACommand) {
  const auto kind = [](std::vector<std::string> args) { return ParseCommandLine(args).kind; };
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"story.dlg"}, {"/compilex", "a.dlg"}, {"compile", "a.dlg"}, {"x", "/compile", "a"}})
    EXPECT_EQ(kind(args), Kind::Designer) << ::testing::PrintToString(args);
  for (const auto& args : std::vector<std::vector<std::string>>{{"/?"}, {"-?"}, {"/?", "x"}})
    EXPECT_EQ(kind(args), Kind::Help) << ::testing::PrintToString(args);
  for (const auto& args : std::vector<std::vector<std::string>>{{"/compile"},
                                                                {"/compile", ""},
                                                                {"/compile", "a.dlg", ""},
                                                                {"/compile", "a", "b", "c"}}) {
    const CommandLine c = ParseCommandLine(args);
    EXPECT_EQ(c.kind, Kind::BadUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(c.problem.empty());
  }

  const CommandLine plain = ParseCommandLine({"/compile", "story.dlg"});
  EXPECT_EQ(plain.kind, Kind::Compile);
  EXPECT_EQ(plain.project, "story.dlg");
  EXPECT_EQ(plain.folder, "");
  EXPECT_FALSE(plain.one_file);
  // "/onefile" wherever it stands after "/compile"; the other words keep their order.
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"/compile", "a.dlg", "out", "/onefile"},
                                             {"/compile", "/onefile", "a.dlg", "out"},
                                             {"-compile", "a.dlg", "-OneFile", "out"}}) {
    const CommandLine c = ParseCommandLine(args);
    EXPECT_EQ(c.kind, Kind::Compile) << ::testing::PrintToString(args);
    EXPECT_TRUE(c.one_file);
    EXPECT_EQ(c.project, "a.dlg");
    EXPECT_EQ(c.folder, "out");
  }
  EXPECT_EQ(kind({"/onefile", "/compile", "a.dlg"}), Kind::Designer);
  // "/icon" and its word wherever they stand, with "/onefile": a box icon by its
  // name in any case, else a file.
  for (const auto& [args, box, file] :
       std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
           {{"/compile", "a.dlg", "out", "/onefile", "/icon", "вопрос"}, 3, ""},
           {{"/compile", "-ICON", "ОШИБКА", "a.dlg", "/onefile", "out"}, 0, ""},
           {{"/compile", "/icon", "Ёлка.ico", "/onefile", "a.dlg", "out"}, -1, "Ёлка.ico"}}) {
    const CommandLine c = ParseCommandLine(args);
    EXPECT_EQ(c.kind, Kind::Compile) << c.problem;
    EXPECT_EQ(c.icon, (build::ProgramIcon{box, file}));
    EXPECT_EQ(c.project, "a.dlg");
    EXPECT_EQ(c.folder, "out");
  }
  for (const auto& [args, problem] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"/compile", "a.dlg", "/icon", "Вопрос"},
            "значок бывает только у программы одним файлом (/onefile)"},
           {{"/compile", "a.dlg", "/onefile", "/icon"}, "после /icon не указан значок"},
           {{"/compile", "a.dlg", "/onefile", "/icon", "Вопрос", "/icon", "x.ico"},
            "значок указан дважды"}})
    EXPECT_EQ(ParseCommandLine(args).problem, problem);
  EXPECT_EQ(ParseCommandLine({"/compile", "/onefile"}).problem, "не указан проект");
  EXPECT_EQ(kind({"/compile", "a", "b", "c", "/onefile"}), Kind::BadUsage);
  const CommandLine both = ParseCommandLine({"-COMPILE", "C:\\Мои проекты\\a b.dlg", "вывод"});
  EXPECT_EQ(both.kind, Kind::Compile);
  EXPECT_EQ(both.project, "C:\\Мои проекты\\a b.dlg");
  EXPECT_EQ(both.folder, "вывод");
}

TEST_F(CommandLineTest, BuildsBesideTheProjectWithTheConsolesTranscript) {
  EXPECT_EQ(run({"/compile", "story.dlg"}), kExitOk);
  const std::string out = here_ + "\\story.dlg_compile";
  EXPECT_EQ(lines_of(report), (std::vector<std::string>{
                                  "Preparations...", "Started building story.dlg...",
                                  "Writing a Data-file... OK", "Compiling an EXE-file... OK",
                                  "Building Finished.", "", "EXE-Path: " + out + "\\exe.exe", ""}));
  EXPECT_EQ(folder.get("projects/story.dlg_compile/exe.exe"), kPlayer);
  EXPECT_EQ(folder.get("projects/story.dlg_compile/main.dlg"), folder.get("projects/story.dlg"));

  // Built again, into a folder given relative to the current one, with a trailing
  // separator; then into the same folder, which is kept with what else it holds.
  folder.put("projects/story.dlg", script({"Второй; Диалог; Вопрос; Да и Нет"}));
  EXPECT_EQ(run({"/compile", "story.dlg", "out\\"}), kExitOk) << report;
  EXPECT_EQ(lines_of(report).at(6), "EXE-Path: " + here_ + "\\out\\exe.exe");
  folder.put("projects/out/keep.txt", "mine");
  EXPECT_EQ(run({"/compile", folder / "projects\\story.dlg", here_ + "\\out"}), kExitOk);
  EXPECT_EQ(lines_of(report).at(2), "Writing a Data-file... FAILED");
  EXPECT_EQ(lines_of(report).at(3), "WARNING: Path is already exits.");
  EXPECT_EQ(folder.get("projects/out/main.dlg"), folder.get("projects/story.dlg"));
  EXPECT_EQ(folder.get("projects/out/exe.exe"), kPlayer);
  EXPECT_EQ(folder.get("projects/out/keep.txt"), "mine");
}

TEST_F(CommandLineTest, EachFailureHasItsOwnCodeAndReason) {
  {
    SCOPED_TRACE("usage");
    EXPECT_EQ(run({"/?"}), kExitOk);
    EXPECT_NE(report.find("quillet.exe /compile <проект.dlg> [<папка>]"), std::string::npos);
    const std::string usage = report;
    EXPECT_EQ(run({"/compile", "story.dlg", "out", "extra"}), kExitBadUsage);
    EXPECT_EQ(report.rfind("Неверная командная строка: ", 0), 0u) << report;
    EXPECT_NE(report.find(usage), std::string::npos);
  }
  {
    SCOPED_TRACE("no such project, or a folder of that name");
    EXPECT_EQ(run({"/compile", "missing.dlg"}), kExitProjectUnreadable);
    expect_stop("Started building missing.dlg...", "Не удалось прочитать проект " + here_ +
                                                       "\\missing.dlg: Файл не найден (ошибка 53)");
    std::filesystem::create_directory(folder.native("projects/folder.dlg"));
    EXPECT_EQ(run({"/compile", "folder.dlg"}), kExitProjectUnreadable);
    expect_stop("Started building folder.dlg...", "Не удалось прочитать проект");
    EXPECT_FALSE(folder.has("projects/missing.dlg_compile"));
    EXPECT_FALSE(folder.has("projects/folder.dlg_compile"));
  }
  {
    SCOPED_TRACE("a folder whose parent is missing");
    EXPECT_EQ(run({"/compile", "story.dlg", "no\\such"}), kExitFolderNotMade);
    expect_stop("Writing a Data-file...", "Не удалось создать папку " + here_ + "\\no\\such");
    EXPECT_FALSE(folder.has("projects/no"));
  }
  {
    SCOPED_TRACE("a target that cannot be replaced stays as it was");
    std::filesystem::create_directories(folder.native("projects/held/exe.exe"));
    EXPECT_EQ(run({"/compile", "story.dlg", "held"}), kExitCopyFailed);
    expect_stop("Compiling an EXE-file...", "Не удалось скопировать файлы в папку");
    EXPECT_TRUE(std::filesystem::is_directory(folder.native("projects/held/exe.exe")));
    EXPECT_FALSE(folder.has("projects/held/main.dlg"));
  }
  {
    SCOPED_TRACE("no player beside the program");
    std::filesystem::remove(folder.native("run.exe"));
    EXPECT_EQ(run({"/compile", "story.dlg"}), kExitPlayerMissing);
    expect_stop("Compiling an EXE-file...", "Нет проигрывателя " + folder / "run.exe");
    // As in the console, the folder made before stays.
    EXPECT_TRUE(std::filesystem::is_empty(folder.native("projects/story.dlg_compile")));
  }
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"projects"});
}

namespace {

namespace pe = designer::pe;
using Sample = SampleProgram;

std::uint32_t u32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
  return v;
}

std::vector<pe::Resource> resources_of(const std::string& program) {
  std::vector<pe::Resource> resources;
  std::string problem;
  EXPECT_TRUE(pe::ReadResources(program, resources, problem)) << problem;
  return resources;
}

const pe::ResourceId kNumber1{1, {}};
const pe::Resource kIcon{{3, {}}, kNumber1, Sample::kEnglish, 0, Sample::kIcon};
const pe::Resource kManifest{{24, {}}, kNumber1, Sample::kEnglish, 0, Sample::kManifest};

pe::Resource carried(std::string script) { return {{10, {}}, kNumber1, 0, 0, std::move(script)}; }

// A one-file program with the player's own icon.
std::string one_file(const std::string& player, const std::string& script, std::string& problem) {
  return build::OneFileProgram(player, script, "story.exe", {}, problem);
}

// The resources of a one-file program but its version, which is checked to be
// its own, in Russian, naming the program (read whole by the end-to-end tests).
std::vector<pe::Resource> program_resources(const std::string& program, const std::string& name) {
  std::vector<pe::Resource> resources = resources_of(program);
  const auto version = std::find_if(resources.begin(), resources.end(),
                                    [](const pe::Resource& r) { return r.type.number == 16; });
  if (version == resources.end()) {
    ADD_FAILURE() << "no version";
    return resources;
  }
  std::string utf16;
  for (const wchar_t c : utf::widen(name))
    utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  EXPECT_NE(version->data.find(utf16), std::string::npos);
  EXPECT_EQ(version->language, 0x419);
  resources.erase(version);
  return resources;
}

// The sample with its headers copied behind the last section, where 0x3C points.
std::string headers_moved_behind() {
  std::string b = Sample::bytes();
  const std::string headers = b.substr(0x40, Sample::kSections + 3 * 40 - 0x40);
  Sample::set(b, 0x3C, static_cast<std::uint32_t>(b.size()));
  return b + headers;
}

// The sample without its last section, the base relocations at this address: in
// the code before the resources, or in the resources themselves.
std::string relocations_at(std::uint32_t address) {
  std::string b = Sample::bytes().substr(0, 0x600);
  Sample::set(b, 0x46, 2, 2);
  const std::uint32_t raw = address < Sample::kResourcesAt ? address - 0x1000 + 0x200
                                                           : address - Sample::kResourcesAt + 0x400;
  b.replace(raw, Sample::kRelocations.size(), Sample::kRelocations);
  Sample::set(b, Sample::kOptional + 112 + 8 * 5, address);
  return b;
}

// The sample with this resource section, the relocations moved up behind it.
std::string with_resource_section(const std::string& section) {
  const std::string sample = Sample::bytes();
  const auto raw_size = static_cast<std::uint32_t>((section.size() + 0x1FF) / 0x200 * 0x200);
  const std::uint32_t relocations = (Sample::kResourcesAt + raw_size + 0xFFF) / 0x1000 * 0x1000;
  std::string b = sample.substr(0, 0x400) + section + std::string(raw_size - section.size(), '\0') +
                  sample.substr(0x600);
  Sample::set(b, Sample::kSections + 40 + 8, static_cast<std::uint32_t>(section.size()));
  Sample::set(b, Sample::kSections + 40 + 16, raw_size);
  Sample::set(b, Sample::kSections + 80 + 12, relocations);
  Sample::set(b, Sample::kSections + 80 + 20, 0x400 + raw_size);
  Sample::set(b, Sample::kOptional + 112 + 8 * 5, relocations);
  return b;
}

}  // namespace

TEST(OneFile, TheProgramCarriesTheScriptAndKeepsEverythingElse) {
  const std::string player = Sample::bytes();
  ASSERT_EQ(resources_of(player), (std::vector<pe::Resource>{kIcon, kManifest}));

  const std::string small = script::to_cp1251("Привет; Заголовок; Информация; ОК\r\n");
  const std::string big(100000, 'x');
  for (const std::string& script : {small, big}) {
    SCOPED_TRACE(script.size());
    std::string problem;
    const std::string program = one_file(player, script, problem);
    ASSERT_FALSE(program.empty()) << problem;
    EXPECT_EQ(program_resources(program, "story.exe"),
              (std::vector<pe::Resource>{kIcon, carried(script), kManifest}));

    // The headers but the fields that describe the new sizes, the code and the
    // relocations stay as they were; the relocations move up to the next page.
    const auto fixed_fields = [](std::string b) {
      for (const std::size_t field :
           {Sample::kOptional + 8, Sample::kOptional + 56, Sample::kOptional + 64,
            Sample::kOptional + 112 + 8 * 2 + 4, Sample::kOptional + 112 + 8 * 5,
            Sample::kSections + 40 + 8, Sample::kSections + 40 + 16, Sample::kSections + 80 + 12,
            Sample::kSections + 80 + 20})
        Sample::set(b, field, 0);
      return b.substr(0, 0x400);
    };
    EXPECT_EQ(fixed_fields(program), fixed_fields(player));
    const std::uint32_t size = u32(program, Sample::kSections + 40 + 8);
    const std::uint32_t raw_size = u32(program, Sample::kSections + 40 + 16);
    const std::uint32_t relocations = u32(program, Sample::kSections + 80 + 12);
    EXPECT_GE(size, script.size());
    EXPECT_EQ(raw_size, (size + 0x1FF) / 0x200 * 0x200);
    EXPECT_EQ(u32(program, Sample::kOptional + 112 + 8 * 2 + 4), size);
    EXPECT_EQ(relocations, (Sample::kResourcesAt + size + 0xFFF) / 0x1000 * 0x1000);
    EXPECT_EQ(u32(program, Sample::kOptional + 112 + 8 * 5), relocations);
    EXPECT_EQ(u32(program, Sample::kSections + 80 + 20), 0x400 + raw_size);
    EXPECT_EQ(program.substr(0x400 + raw_size), player.substr(0x600));
    EXPECT_EQ(u32(program, Sample::kOptional + 56), relocations + 0x1000);
    EXPECT_EQ(u32(program, Sample::kOptional + 8), 0x400 - 0x200 + raw_size);
    EXPECT_EQ(u32(program, Sample::kOptional + 64), pe::Checksum(program));

    // The same bytes every time; a script carried already is replaced whole.
    EXPECT_EQ(one_file(player, script, problem), program);
    EXPECT_EQ(one_file(one_file(player, "old", problem), script, problem), program);
  }

  // Names sort before numbers, in upper case, at every level, and read back.
  std::vector<pe::Resource> named = {kIcon,
                                     carried("s"),
                                     kManifest,
                                     {{0, u"TYPE"}, {0, u"b"}, 7, 1251, "named"},
                                     {{0, u"TYPE"}, {0, u"A"}, 7, 0, "first"}};
  std::string problem;
  const std::string program = pe::WithResources(player, named, problem);
  ASSERT_FALSE(program.empty()) << problem;
  std::rotate(named.begin(), named.begin() + 3, named.end());
  std::swap(named[0], named[1]);
  EXPECT_EQ(resources_of(program), named);
}

TEST(OneFile, TheWriterRefusesWhatItDoesNotUnderstand) {
  const std::string player = Sample::bytes();
  const auto refused = [](const std::string& image) {
    std::string problem;
    const bool empty = one_file(image, "a; b\r\n", problem).empty();
    return empty && !problem.empty();
  };
  const auto changed = [&](std::size_t at, std::uint32_t value) {
    std::string b = player;
    Sample::set(b, at, value);
    return b;
  };
  EXPECT_TRUE(refused(""));
  EXPECT_TRUE(refused(kPlayer));
  EXPECT_TRUE(refused(player + "appended"));
  EXPECT_TRUE(refused(changed(Sample::kOptional + 112 + 8 * 4, 0x600))) << "signed";
  EXPECT_TRUE(refused(changed(0x4C, 0x600))) << "a symbol table";
  EXPECT_TRUE(refused(changed(Sample::kOptional + 112 + 8 * 5, 0x1000))) << "not relocations last";
  EXPECT_TRUE(refused(changed(0x600, 0x2000))) << "relocations into the resources";
  EXPECT_TRUE(refused(changed(0x414, 0x80000000u))) << "a directory of itself";
  for (std::size_t cut = 0; cut < player.size(); cut += 7)
    EXPECT_TRUE(refused(player.substr(0, cut))) << "cut at " << cut;

  // The headers are rewritten in the part copied first: they, and the size the
  // loader maps as headers, end before the data of every section.
  EXPECT_TRUE(refused(headers_moved_behind())) << "headers behind the resources";
  EXPECT_TRUE(refused(changed(Sample::kSections + 20, 0x100))) << "code inside the headers";
  EXPECT_TRUE(refused(changed(Sample::kOptional + 60, 0x600))) << "headers size past the code";
  EXPECT_TRUE(refused(changed(Sample::kOptional + 60, 0x100))) << "headers size too small";

  // Relocations stay where they are before the resources; inside them, they would
  // point into the rebuilt directory.
  EXPECT_TRUE(refused(relocations_at(Sample::kResourcesAt + 0x100))) << "relocations inside";
  std::string problem;
  const std::string kept = one_file(relocations_at(0x1100), "a; b\r\n", problem);
  ASSERT_FALSE(kept.empty()) << problem;
  EXPECT_EQ(u32(kept, Sample::kOptional + 112 + 8 * 5), 0x1100u);
  EXPECT_EQ(kept.substr(0x200, 0x200), relocations_at(0x1100).substr(0x200, 0x200));

  // A long type name over many resources: each keeps a copy of it, so the names
  // count towards the bounds as the data does. One table of 4096 names, all the
  // same level-2 table, all the same datum.
  std::string tree(0x8060 + 2 + 2 * 0xFFFF, '\0');
  Sample::set(tree, 12, 1, 2);
  Sample::set(tree, 16, 0x8060 | 0x80000000u);
  Sample::set(tree, 20, 24 | 0x80000000u);
  Sample::set(tree, 24 + 14, 4096, 2);
  for (std::uint32_t i = 0; i < 4096; ++i) {
    Sample::set(tree, 40 + 8 * i, i + 1);
    Sample::set(tree, 44 + 8 * i, 0x8028 | 0x80000000u);
  }
  Sample::set(tree, 0x8028 + 14, 1, 2);
  Sample::set(tree, 0x8028 + 20, 0x8040);
  Sample::set(tree, 0x8040, Sample::kResourcesAt + 0x8050);
  Sample::set(tree, 0x8040 + 4, 1);
  Sample::set(tree, 0x8060, 0xFFFF, 2);
  std::fill(tree.begin() + 0x8062, tree.end(), 'A');
  std::vector<pe::Resource> resources;
  EXPECT_FALSE(pe::ReadResources(with_resource_section(tree), resources, problem));
  EXPECT_EQ(problem, "слишком много ресурсов");
  // The writer stores a name's length in 16 bits: a longer one is refused.
  EXPECT_EQ(pe::WithResources(player, {{{0, std::u16string(0x10000, u'A')}, kNumber1, 0, 0, "x"}},
                              problem),
            "");
  EXPECT_EQ(problem, "неверное имя ресурса");
  // Any one byte of the headers or the resources spoilt: refused, or a program
  // that carries the script.
  for (std::size_t at = 0; at < 0x600; ++at) {
    if (at >= 0x200 && at < 0x400) continue;  // the code
    std::string b = player;
    b[at] = static_cast<char>(~b[at]);
    std::string problem;
    const std::string program = one_file(b, "a; b\r\n", problem);
    if (program.empty()) continue;
    std::vector<pe::Resource> resources;
    EXPECT_TRUE(pe::ReadResources(program, resources, problem)) << "at " << at << ": " << problem;
    EXPECT_NE(std::find(resources.begin(), resources.end(), carried("a; b\r\n")), resources.end())
        << "at " << at;
  }
}

namespace {

std::vector<pe::IconImage> icon_of(std::string_view file) {
  std::vector<pe::IconImage> images;
  std::string problem;
  EXPECT_TRUE(ico::ReadIcon(file, images, problem)) << problem;
  return images;
}

}  // namespace

TEST(OneFile, AnIconFileIsReadWholeOrRefusedWithItsReason) {
  // The editor's four box icons, at the sizes Explorer asks for, 256 as PNG.
  for (const std::string_view box : {resources::kBoxIconError, resources::kBoxIconWarning,
                                     resources::kBoxIconInformation, resources::kBoxIconQuestion}) {
    const auto images = icon_of(box);
    ASSERT_EQ(images.size(), 5u);
    for (std::size_t i = 0; i < images.size(); ++i) {
      EXPECT_EQ(images[i].width, (std::array<int, 5>{16, 24, 32, 48, 0})[i]);
      EXPECT_EQ(images[i].bit_count, 32);
      EXPECT_EQ(images[i].data.substr(0, 4), i < 4 ? "\x28\0\0\0"s : "\x89PNG"s);
      EXPECT_NE(box.find(images[i].data), std::string_view::npos);
    }
  }
  const std::string good(resources::kBoxIconQuestion);
  const std::size_t bitmap = u32(good, 6 + 12), png = u32(good, 6 + 4 * 16 + 12);
  const auto changed = [&](std::size_t at, std::uint32_t value, int bytes = 4) {
    std::string b = good;
    Sample::set(b, at, value, bytes);
    return b;
  };
  std::string spoilt = good;
  spoilt[png + 60] ^= 1;
  for (const auto& [file, why] : std::vector<std::pair<std::string, std::string>>{
           {"", "это не файл значка (.ico)"},
           {changed(0, 1, 2), "это не файл значка (.ico)"},
           {changed(2, 2, 2), "это курсор, а не значок"},
           {changed(4, 0, 2), "в нём нет ни одного рисунка"},
           {changed(4, 300, 2), "в нём больше 256 рисунков"},
           {good.substr(0, 6 + 16 * 5 - 1), "его каталог рисунков обрывается"},
           {changed(6 + 16 + 12, static_cast<std::uint32_t>(good.size()) - 10),
            "рисунок 2 лежит за концом файла"},
           {changed(6 + 16 + 8, 0), "рисунок 2 пуст"},
           {changed(6 + 8, static_cast<std::uint32_t>(good.size() - bitmap)),
            "рисунок 2 занимает те же байты, что и другой рисунок"},
           {changed(bitmap + 4, 300), "рисунок 1 больше 256 точек (300 × 16)"},
           {changed(bitmap + 12, 0, 2), "рисунок 1 повреждён"},
           {changed(bitmap + 8, 64), "рисунок 1 повреждён"},  // its rows pass its end
           {spoilt, "рисунок 5 в формате PNG повреждён"},
           {good + std::string(ico::kMaxFileBytes, '\0'), "он больше 1 МБ"}}) {
    std::vector<pe::IconImage> images{{}};
    std::string problem;
    EXPECT_FALSE(ico::ReadIcon(file, images, problem)) << why;
    EXPECT_EQ(problem, why);
    EXPECT_TRUE(images.empty());
  }
  // A directory that leaves the depth to the image takes the image's own.
  EXPECT_EQ(icon_of(changed(6 + 6, 0, 2))[0].bit_count, 32);
  EXPECT_EQ(icon_of(changed(6 + 4 * 16 + 6, 0, 2))[4].bit_count, 32);
}

// The chosen icon replaces the player's, as its only group; the script and the
// manifest stay; the version is the program's own.
TEST(OneFile, TheProgramCarriesTheIconItsAuthorChose) {
  const auto images = icon_of(resources::kBoxIconInformation);
  std::string problem;
  const std::string program =
      build::OneFileProgram(Sample::bytes(), "s", "Викторина.exe", images, problem);
  ASSERT_FALSE(program.empty()) << problem;
  std::vector<pe::Resource> expected;
  for (std::uint16_t i = 0; i < images.size(); ++i)
    expected.push_back({{3, {}}, {static_cast<std::uint16_t>(i + 1), {}}, 0, 0, images[i].data});
  expected.push_back(carried("s"));
  expected.push_back({{14, {}}, kNumber1, 0, 0, pe::IconGroup(images, 1)});
  expected.push_back(kManifest);
  EXPECT_EQ(program_resources(program, "Викторина.exe"), expected);
  EXPECT_EQ(build::OneFileProgram(program, "s", "Викторина.exe", images, problem), program);
}

TEST(OneFile, TheProgramIsNamedAfterTheProject) {
  for (const auto& [project, name] :
       std::vector<std::pair<std::string, std::string>>{{"викторина.dlg", "викторина.exe"},
                                                        {"C:\\Мои проекты\\v1.2.dlg", "v1.2.exe"},
                                                        {"a.dlg.dlg", "a.dlg.exe"},
                                                        {"STORY.DLG", "STORY.exe"},
                                                        {"notes", "notes.exe"},
                                                        {"a.dlg ", "a.dlg .exe"},
                                                        {"console.dlg", "console.exe"},
                                                        {"com10.dlg", "com10.exe"},
                                                        {"nul_.dlg", "nul_.exe"}})
    EXPECT_EQ(build::OneFileName(project), name) << project;
  for (const std::string& project : std::vector<std::string>{
           ".dlg", "C:\\x\\.DLG", "con.dlg", "NUL.dlg", "Lpt1.dlg", "com9.x.dlg", "aux .dlg",
           "com\u00B9.dlg", "a?b.dlg", "a:b.dlg", "a*.dlg", "a|b.dlg", "a\"b.dlg", "a<b>.dlg",
           "tab\t.dlg", std::string(252, 'x') + ".dlg"})
    EXPECT_EQ(build::OneFileName(project), "") << project;
  EXPECT_EQ(build::OneFileName(std::string(251, 'x') + ".dlg"), std::string(251, 'x') + ".exe");
}

TEST_F(CommandLineTest, OneFileBuildsOneProgramNamedAfterTheProject) {
  folder.put("run.exe", Sample::bytes());
  const std::string project = script({"Викторина; Вопрос 1; Вопрос; Да и Нет"});
  folder.put("projects/quiz.dlg", project);
  EXPECT_EQ(run({"/compile", "quiz.dlg", "/onefile"}), kExitOk) << report;
  const std::string out = here_ + "\\quiz.dlg_compile";
  EXPECT_EQ(
      lines_of(report),
      (std::vector<std::string>{"Preparations...", "Started building quiz.dlg...",
                                "Writing a Data-file... OK", "Compiling an EXE-file... OK",
                                "Building Finished.", "", "EXE-Path: " + out + "\\quiz.exe", ""}));
  EXPECT_EQ(folder.entries("projects/quiz.dlg_compile"), std::vector<std::string>{"quiz.exe"});
  const std::string program = folder.get("projects/quiz.dlg_compile/quiz.exe");
  EXPECT_EQ(program_resources(program, "quiz.exe"),
            (std::vector<pe::Resource>{kIcon, carried(project), kManifest}));

  // Into another folder, the switch first: the same bytes.
  EXPECT_EQ(run({"/compile", "/onefile", folder / "projects\\quiz.dlg", "other"}), kExitOk);
  EXPECT_EQ(folder.get("projects/other/quiz.exe"), program);

  {
    SCOPED_TRACE("a box icon, an icon file, and icons refused before anything is made");
    EXPECT_EQ(run({"/compile", "quiz.dlg", "box", "/onefile", "/icon", "Информация"}), kExitOk);
    const std::vector<pe::IconImage> box = icon_of(resources::kBoxIconInformation);
    std::string problem;
    const std::string expected =
        build::OneFileProgram(Sample::bytes(), project, "quiz.exe", box, problem);
    EXPECT_EQ(folder.get("projects/box/quiz.exe"), expected);
    folder.put("projects/mine.ico", std::string(resources::kBoxIconInformation));
    EXPECT_EQ(run({"/compile", "quiz.dlg", "file", "/onefile", "/icon", "mine.ico"}), kExitOk);
    EXPECT_EQ(folder.get("projects/file/quiz.exe"), expected);
    folder.put("projects/bad.ico", "not an icon");
    EXPECT_EQ(run({"/compile", "quiz.dlg", "no", "/onefile", "/icon", "bad.ico"}), kExitBadIcon);
    expect_stop("Started building quiz.dlg...",
                "Файл " + here_ + "\\bad.ico не годится как значок: это не файл значка (.ico)");
    EXPECT_EQ(run({"/compile", "quiz.dlg", "no", "/onefile", "/icon", "missing.ico"}),
              kExitBadIcon);
    expect_stop("Started building quiz.dlg...", "Не удалось прочитать значок " + here_ +
                                                    "\\missing.ico: Файл не найден (ошибка 53)");
    EXPECT_FALSE(folder.has("projects/no"));
  }
  {
    SCOPED_TRACE("a project name that makes no file name");
    folder.put("projects/.dlg", project);
    EXPECT_EQ(run({"/compile", ".dlg", "/onefile"}), kExitCopyFailed);
    expect_stop("Compiling an EXE-file...", "Из имени проекта .dlg не получается имя программы");
    EXPECT_TRUE(std::filesystem::is_empty(folder.native("projects/.dlg_compile")));
  }
  {
    SCOPED_TRACE("a folder where the program should be");
    std::filesystem::create_directories(folder.native("projects/held/quiz.exe"));
    EXPECT_EQ(run({"/compile", "quiz.dlg", "held", "/onefile"}), kExitCopyFailed);
    expect_stop("Compiling an EXE-file...",
                "Не удалось записать программу " + here_ + "\\held\\quiz.exe: ");
    EXPECT_EQ(folder.entries("projects/held"), std::vector<std::string>{"quiz.exe"});
  }
  {
    SCOPED_TRACE("the player's own file");
    EXPECT_EQ(run({"/compile", folder / "projects\\quiz.dlg", folder.str(), "/onefile"}), kExitOk);
    folder.put("projects/run.dlg", project);
    EXPECT_EQ(run({"/compile", "run.dlg", folder.str(), "/onefile"}), kExitCopyFailed);
    EXPECT_EQ(folder.get("run.exe"), Sample::bytes());
  }
  for (const auto& [player, why] : std::vector<std::pair<std::string, std::string>>{
           {kPlayer, "это не программа Windows"},
           {headers_moved_behind(), "заголовки программы лежат не перед секциями"},
           {relocations_at(Sample::kResourcesAt + 0x100),
            "таблица перемещений лежит в ресурсах"}}) {
    SCOPED_TRACE("a player the writer does not understand: " + why);
    folder.put("run.exe", player);
    EXPECT_EQ(run({"/compile", "quiz.dlg", "bad", "/onefile"}), kExitPlayerMissing);
    expect_stop("Compiling an EXE-file...",
                "Проигрыватель " + folder / "run.exe" + " не годится: " + why);
    EXPECT_TRUE(std::filesystem::is_empty(folder.native("projects/bad")));
    EXPECT_EQ(folder.get("run.exe"), player);
  }
}

// The program folder "Квиллет" spelled any other way is still the designer's: a
// one-file program named run.exe or quillet.exe would replace its own files.
TEST_F(CommandLineTest, OneFileNeverReplacesTheDesignersOwnFiles) {
  const std::string program = folder / "Квиллет";
  ASSERT_EQ(platform::create_folder(program), platform::FileError::None);
  platform::set_program_folder(program);
  const std::vector<std::pair<std::string, std::string>> own = {{"quillet.exe", "the designer"},
                                                                {"run.exe", Sample::bytes()}};
  for (const auto& [name, bytes] : own)
    ASSERT_EQ(platform::write_file(program + "\\" + name, bytes), platform::FileError::None);
  const auto read = [](const std::string& path) {
    platform::FileError error;
    const auto in = platform::open_for_reading(path, error);
    std::string bytes;
    char buf[4096];
    for (std::int64_t got; in && (got = in->read(buf, sizeof buf)) > 0;)
      bytes.append(buf, static_cast<std::size_t>(got));
    return bytes;
  };

  std::vector<std::string> spellings = {program, program + "\\", folder / "projects\\..\\Квиллет"};
#ifdef _WIN32
  spellings.push_back(program + "\\.");  // Windows tidies "." parts away, POSIX keeps them
  spellings.push_back(folder / "квиллет");
  spellings.push_back(folder / "КВИЛЛЕТ");
  const std::wstring wide = utf::widen(program);
  std::wstring short_name(MAX_PATH, L'\0');
  short_name.resize(GetShortPathNameW(wide.c_str(), short_name.data(), MAX_PATH));
  if (!short_name.empty() && short_name != wide)
    spellings.push_back(utf::narrow(short_name));
  else
    std::printf("The program folder has no short name here; that spelling is left out.\n");
#else
  std::filesystem::create_directory_symlink(folder.native("Квиллет"), folder.native("ярлык"));
  spellings.push_back(folder / "ярлык");
#endif
  for (const auto& [project, own] :
       {std::pair{"run.dlg", "run.exe"}, {"quillet.dlg", "quillet.exe"}}) {
    folder.put("projects/" + std::string(project), script({"Свой; Файл"}));
    for (const std::string& spelling : spellings) {
      SCOPED_TRACE(project + (" into " + spelling));
      EXPECT_EQ(run({"/compile", project, spelling, "/onefile"}), kExitCopyFailed);
      expect_stop("Compiling an EXE-file...", "Программа ");
      EXPECT_NE(report.find(" заменила бы " + std::string(own) +
                            " самого конструктора; выберите другую папку или другое имя "
                            "проекта.\r\n"),
                std::string::npos)
          << report;
    }
  }
  for (const auto& [name, bytes] : own) EXPECT_EQ(read(program + "\\" + name), bytes) << name;
  // Each spelling does reach the folder: another program is built into it.
  for (const std::string& spelling : spellings)
    EXPECT_EQ(run({"/compile", "story.dlg", spelling, "/onefile"}), kExitOk) << spelling;
  auto names = platform::dir_all(program + "\\*", platform::Normal);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"quillet.exe", "run.exe", "story.exe"}));
}

// "Одним файлом" in the prompt: off whenever the prompt loads, kept while it stays
// loaded; ticked, the console builds one program named after the project, with the
// same transcript, or stops on the program's line and leaves the target as it was.
TEST_F(BuildTest, TheBoxBuildsOneProgramNamedAfterTheProject) {
  folder.put("run.exe", Sample::bytes());
  main_form& m = saved_story();
  {
    SCOPED_TRACE("one program, the box ticked by keys");
    ui.on_modal("comp_form", [this](ui::Form& f) {
      auto& p = static_cast<comp_form&>(f);
      EXPECT_FALSE(p.one_file.value());
      EXPECT_EQ(p.focused_control(), &p.cmp);
      ui.key(p, ui::key::Tab);
      EXPECT_EQ(p.focused_control(), &p.one_file);
      ui.key(p, ui::key::Space);
      EXPECT_TRUE(p.one_file.value());
      ui.key(p, ui::key::Enter);  // the default button, from the box too
    });
    ui.click(m.sd[3]);
    ASSERT_TRUE(console());
    compile_form& c = *console();
    ticks(12);
    const std::string out = folder / "story.dlg_compile";
    const auto l = lines(c);
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(l.begin() + 3, l.end()),
              (std::vector<std::string>{
                  folder.str() + "\\Quillet.exe /compile %1", "Preparations...",
                  "Started building story.dlg...", "Writing a Data-file... OK",
                  "Compiling an EXE-file... OK", "Building Finished.", "",
                  "EXE-Path: " + out + "\\story.exe", "Press Any Key To Continue..."}));
    EXPECT_EQ(folder.entries("story.dlg_compile"), std::vector<std::string>{"story.exe"});
    EXPECT_EQ(program_resources(folder.get("story.dlg_compile/story.exe"), "story.exe"),
              (std::vector<pe::Resource>{kIcon, carried(folder.get("story.dlg")), kManifest}));
    EXPECT_FALSE(ui::Single<comp_form>::loaded());
    ui.press_key(c, U'x');
  }
  {
    SCOPED_TRACE("the icon: the project's own beside it, a file refused, another taken");
    folder.put("story.ico", std::string(resources::kBoxIconWarning));
    folder.put("bad.ico", "MZ");
    folder.put("mine.ico", std::string(resources::kBoxIconQuestion));
    ui.answer(ui::IdOk);
    ui.on_modal("comp_form", [this](ui::Form& f) {
      auto& p = static_cast<comp_form&>(f);
      EXPECT_EQ(p.comp_icon.items(),
                (std::vector<std::string>{"Как у проигрывателя", "Ошибка", "Восклицание",
                                          "Информация", "Вопрос", "story.ico", "Из файла..."}));
      EXPECT_EQ(p.comp_icon.text(), "story.ico");
      EXPECT_EQ(p.comp_icon.accessible().name, "Значок программы:");
      // Usable only for one file.
      EXPECT_FALSE(p.Label2.enabled());
      EXPECT_THROW(ui.choose(p.comp_icon, 1), std::logic_error);
      ui.click(p.one_file);
      ui.answer_open(folder / "bad.ico");
      ui.choose(p.comp_icon, 6);
      EXPECT_EQ(ui.boxes().back().text, "Файл " + folder / "bad.ico" +
                                            " не годится как значок: это не файл значка (.ico).");
      EXPECT_EQ(p.comp_icon.text(), "story.ico");
      ui.answer_open(folder / "mine.ico");
      ui.choose(p.comp_icon, 6);
      ui.answer_open(std::nullopt);
      ui.choose(p.comp_icon, 6);
      EXPECT_EQ(p.comp_icon.text(), "mine.ico");
      EXPECT_EQ(ui.open_questions().back().file_name, folder / "mine.ico");
      EXPECT_EQ(ui.open_questions().front().folder, folder.str());
      ui.click(p.comp);
    });
    ui.click(m.sd[3]);
    ticks(12);
    std::string problem;
    EXPECT_EQ(folder.get("story.dlg_compile/story.exe"),
              build::OneFileProgram(Sample::bytes(), folder.get("story.dlg"), "story.exe",
                                    icon_of(resources::kBoxIconQuestion), problem));
    ui.press_key(*console(), U'x');

    for (const char* icon : {"story.ico", "bad.ico", "mine.ico"})
      std::filesystem::remove(folder.native(icon));
  }
  {
    SCOPED_TRACE("the next prompt comes with the box off");
    compile_form& c = build(folder / "plain");
    EXPECT_FALSE(one_file_shown);
    ticks(12);
    EXPECT_EQ(lines(c).at(10), "EXE-Path: " + (folder / "plain") + "\\exe.exe");
    EXPECT_EQ(folder.entries("plain"), (std::vector<std::string>{"exe.exe", "main.dlg"}));
    ui.press_key(c, U'x');
  }
  {
    SCOPED_TRACE("a folder where the program should be");
    std::filesystem::create_directories(folder.native("held") / "story.exe");
    compile_form& c = build(folder / "held", true);
    ticks(12);
    expect_error_stop(c, 9, "Compiling an EXE-file...");
    EXPECT_TRUE(std::filesystem::is_directory(folder.native("held") / "story.exe"));
    EXPECT_EQ(folder.entries("held"), std::vector<std::string>{"story.exe"});
    ui.press_key(c, U'x');
  }
  {
    SCOPED_TRACE("a project whose program would be the player itself");
    folder.put("run.dlg", script({"run; r"}));
    open("run.dlg");
    const auto before = folder.entries();
    compile_form& c = build(folder.str(), true);
    ticks(12);
    expect_error_stop(c, 9, "Compiling an EXE-file...");
    EXPECT_EQ(folder.get("run.exe"), Sample::bytes());
    EXPECT_EQ(folder.entries(), before);
    ui.press_key(c, U'x');
  }
  {
    SCOPED_TRACE("a prompt kept loaded by the missing-project stop keeps its box");
    ui.click(m.sd[0]);
    ui.on_modal("save_form",
                [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_close); });
    compile_form& c = build(folder / "none", true);
    ticks(6);
    EXPECT_EQ(c.step, 5);
    ASSERT_NE(prompt(), nullptr);
    EXPECT_TRUE(prompt()->one_file.value());
    ui.press_key(c, U'x');
    ui.on_modal("save_form",
                [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_close); });
    ui.on_modal("comp_form", [this](ui::Form& f) {
      auto& p = static_cast<comp_form&>(f);
      EXPECT_EQ(p.cmp.text(), folder / "none");
      EXPECT_TRUE(p.one_file.value());
      ui.click(p.cls);
    });
    ui.click(m.sd[3]);
    EXPECT_FALSE(folder.has("none"));
  }
}
