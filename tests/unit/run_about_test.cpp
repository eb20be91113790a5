// The toolbar's Run (a preview with the player) and About commands.

#include <filesystem>

#include "designer/app.h"
#include "designer_fixture.h"

using namespace designer;

namespace {

constexpr std::string_view kRefusal = "Невозможно открыть файл!";

class RunTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    folder.put("run.exe", "player");
  }

  // Run, expecting the refusal box last (after the save's own boxes) and no player.
  void expect_refused(std::size_t save_boxes = 0) {
    const std::size_t boxes_before = ui.boxes().size();
    ui.answer(ui::IdOk);
    ui.click(main().sd[5]);
    ASSERT_EQ(ui.boxes().size(), boxes_before + save_boxes + 1);
    EXPECT_EQ(ui.boxes().back().text, kRefusal);
    EXPECT_EQ(ui.boxes().back().style, ui::mb::Critical | ui::mb::Ok);
    EXPECT_EQ(ui.boxes().back().title, "Quillet");
    EXPECT_TRUE(started().empty());
  }
};

class AboutTest : public DesignerTest {};

}  // namespace

TEST_F(RunTest, AnUntitledSequenceNotSavedIsRefused) {
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_close); });
  expect_refused();
  EXPECT_TRUE(m.file_name.empty());
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"run.exe"}));
}

TEST_F(RunTest, SavedInTheSaveAsWindowAndPreviewedInOneGo) {
  main_form& m = start();
  add(U"Привет", "Окно", 2, 0);
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[5]);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(m.file_name, "story.dlg");
  EXPECT_EQ(folder.get("story.dlg"), script({"Привет; Окно; Информация; ОК"}));
  EXPECT_EQ(folder.get("main.dlg"), folder.get("story.dlg"));
  EXPECT_EQ(started(), (std::vector<std::string>{folder / "run.exe"}));
}

TEST_F(RunTest, ASavedProjectIsSavedAgainCopiedAndPlayed) {
  main_form& m = start();
  add(U"one");
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  folder.put("main.dlg", "an older preview");
  add(U"two");
  m.dlg_rows[1] += "; ОК>0, 5 с>конец";  // the preview carries the jumps as they are
  ui.click(m.sd[5]);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_FALSE(m.changed);
  const std::string saved =
      script({"one; Диалог; Без значка; ОК", "two; Диалог; Без значка; ОК; ОК>0, 5 с>конец"});
  EXPECT_EQ(folder.get("story.dlg"), saved);
  EXPECT_EQ(folder.get("main.dlg"), saved);
  EXPECT_EQ(started(), (std::vector<std::string>{folder / "run.exe"}));
}

TEST_F(RunTest, TheNameOfThePreviewCopyIsRefusedInAnyCase) {
  start();
  for (const std::string name : {"main.dlg", "MAIN.DLG", "Main.Dlg"}) {
    for (const auto& e : folder.entries())
      if (e != "run.exe") std::filesystem::remove(folder.native(e));
    folder.put(name, script({"preview; p"}));
    open(name);
    ASSERT_EQ(main().file_name, name);
    expect_refused();
  }
}

TEST_F(RunTest, AMissingPlayerLeavesTheCopyAndSaysNothing) {
  std::filesystem::remove(folder.native("run.exe"));
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  // The real start: on every system a missing program is reported, not started.
  platform::set_process_starter(nullptr);
  EXPECT_EQ(platform::start_minimized(folder / "run.exe"), platform::FileError::FileNotFound);
  ui.click(m.sd[5]);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(folder.get("main.dlg"), folder.get("story.dlg"));
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"main.dlg", "story.dlg"}));
}

TEST_F(RunTest, NoFreshCopyNoPlayer) {
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  // A folder of that name: the search for a file to delete does not see it, and
  // the copy cannot replace it.
  std::filesystem::create_directory(folder.native("main.dlg"));
  expect_refused();
  EXPECT_TRUE(std::filesystem::is_directory(folder.native("main.dlg")));
}

TEST_F(RunTest, AProjectFileThatCannotBeWrittenIsNotPreviewed) {
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  std::filesystem::remove(folder.native("story.dlg"));
  std::filesystem::create_directory(folder.native("story.dlg"));
  ui.answer(ui::IdOk);  // the save's error box
  expect_refused(1);
  ASSERT_EQ(ui.boxes().size(), 2u);
  EXPECT_EQ(ui.boxes()[0].title, "Quillet - Errorик");
  EXPECT_FALSE(folder.has("main.dlg"));
}

TEST_F(AboutTest, LayoutAndLooks) {
  main_form& m = start();
  ui.on_modal("about_form", [&](ui::Form& f) {
    auto& a = static_cast<about_form&>(f);
    EXPECT_EQ(a.caption(), "О программе");
    EXPECT_EQ(a.client_width(), 5685);
    EXPECT_EQ(a.client_height(), 4470);
    EXPECT_FALSE(a.show_in_taskbar());
    EXPECT_EQ(a.back_color(), ui::Color::rgb(240, 240, 240));
    EXPECT_EQ(a.owner(), &m);

    EXPECT_EQ(a.title.caption(), "Tervan Quillet v. 1.0.5");
    EXPECT_EQ(a.title.font(), (ui::Font{"Arial", 12, true, false, 204}));
    EXPECT_EQ(a.description.caption(),
              "Программа для создания приложений, выдающих диалоговые окна.");
    EXPECT_TRUE(a.description.word_wrap());
    EXPECT_EQ(a.site_caption.caption(), "Web-site:");
    EXPECT_EQ(a.mail_caption.caption(), "E-Mail:");
    EXPECT_FALSE(a.site_caption.font().bold);
    EXPECT_EQ(a.console.caption().substr(0, 31), "Tervan Quillet Console v. 1.0\r\n");
    EXPECT_EQ(a.author.caption().rfind("Автор программы и компонентов - ", 0), 0u);
    EXPECT_EQ(a.SDButton1.Caption(), "Закрыть");
    EXPECT_EQ(a.SDButton1.rect(), (ui::Rect{3720, 3960, 1815, 300}));

    // The links: blue, bold, underlined, a pointing hand, and as large as their text.
    for (auto [link, text, at] :
         {std::tuple{&a.mail, std::string(kContactMail), ui::Point{1800, 2880}},
          std::tuple{&a.site, std::string(kContactSite), ui::Point{1800, 3120}}}) {
      EXPECT_EQ(link->caption(), text);
      EXPECT_EQ(link->fore_color(), ui::Color::rgb(0, 0, 255)) << text;
      EXPECT_TRUE(link->font().bold) << text;
      EXPECT_TRUE(link->font().underline) << text;
      EXPECT_EQ(link->font().name, "MS Sans Serif") << text;
      EXPECT_EQ(link->pointer(), ui::MousePointer::Hand) << text;
      EXPECT_TRUE(link->autosize()) << text;
      EXPECT_TRUE(link->transparent()) << text;
      const ui::Size px = ui::headless::Headless::text_size(text, link->font());
      EXPECT_EQ(link->rect(), (ui::Rect{at.x, at.y, px.width * 15, px.height * 15})) << text;
    }
    ui.click(a.SDButton1);
    EXPECT_FALSE(a.loaded());
  });
  ui.click(m.sd[4]);
  EXPECT_FALSE(ui::Single<about_form>::loaded());
  EXPECT_TRUE(ui.shell_calls().empty());
}

TEST_F(AboutTest, LinksOpenThroughTheShellWhileTheWindowStays) {
  main_form& m = start();
  ui.on_modal("about_form", [&](ui::Form& f) {
    auto& a = static_cast<about_form&>(f);
    // Clicked, then through an accessibility tool, which meets them as links.
    for (ui::Label* link : {&a.mail, &a.site}) {
      ui.click(*link);
      EXPECT_TRUE(a.loaded() && a.visible() && a.modal()) << link->name();
      const ui::Accessible heard = link->accessible();
      EXPECT_EQ(heard.role, ui::Role::Link);
      EXPECT_EQ(heard.name, link->caption());
      EXPECT_EQ(heard.default_action, "Перейти");
      EXPECT_TRUE(ui.default_action(*link));
      EXPECT_TRUE(a.loaded() && a.visible() && a.modal()) << link->name();
    }
    ui.click(a.SDButton1);
  });
  ui.click(m.sd[4]);
  const std::string mail = "mailto:" + std::string(kContactMail);
  const std::string site(kContactSite);
  ASSERT_EQ(ui.shell_calls().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& call = ui.shell_calls()[i];
    EXPECT_EQ(call.target, i < 2 ? mail : site) << i;
    EXPECT_EQ(call.owner, "about_form") << i;
    EXPECT_EQ(call.directory, "C:\\") << i;
    EXPECT_EQ(call.show, 1) << i;
  }
  EXPECT_FALSE(ui::Single<about_form>::loaded());
  EXPECT_TRUE(ui.boxes().empty());
}
