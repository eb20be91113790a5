// Saving and opening projects: the save-as and open windows, the file bytes, the
// error boxes, and the save-changes prompt before New and Open.

#include "designer/app.h"
#include "designer_fixture.h"

using namespace designer;

namespace {

std::string error_text(std::string_view what, int number, std::string_view description) {
  return std::string(what) + "\r\nОперация не выполнена.\r\n\r\nОшибка программы №" +
         std::to_string(number) + "\r\n" + std::string(description);
}

}  // namespace

TEST_F(DesignerTest, SaveAsWritesFifteenLinesInTheCodePage) {
  main_form& m = start();
  add(U"Первая строка\rВторая строка", "Диалог", 2, 0);
  add(U"Удалить?", "Вопрос", 3, 3);
  ui.on_modal("save_form", [this](ui::Form& f) {
    auto& s = static_cast<save_form&>(f);
    EXPECT_EQ(s.caption(), "Сохранить файл как...");
    EXPECT_EQ(s.info.caption(), "Нажмите Сохранить для записи.");
    ui.type(s.Text1, U"story");
    EXPECT_EQ(s.info.caption(), "Нажмите сохранить для записи.");
    ui.click(s.sd_save);
  });
  ui.click(m.sd[2]);

  const std::string expected =
      "\xCF\xE5\xF0\xE2\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0#\xC2\xF2\xEE\xF0\xE0\xFF "
      "\xF1\xF2\xF0\xEE\xEA\xE0; \xC4\xE8\xE0\xEB\xEE\xE3; "
      "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF; \xCE\xCA\r\n"
      "\xD3\xE4\xE0\xEB\xE8\xF2\xFC?; \xC2\xEE\xEF\xF0\xEE\xF1; \xC2\xEE\xEF\xF0\xEE\xF1; "
      "\xC4\xE0, \xCD\xE5\xF2 \xE8 \xCE\xF2\xEC\xE5\xED\xE0\r\n";
  std::string thirteen_empty;
  for (int i = 0; i < 13; ++i) thirteen_empty += "\r\n";
  EXPECT_EQ(folder.get("story.dlg"), expected + thirteen_empty);
  EXPECT_EQ(m.file_name, "story.dlg");
  EXPECT_EQ(m.caption(), "Quillet - [story.dlg]");
  EXPECT_FALSE(m.changed);
  EXPECT_FALSE(ui::Single<save_form>::loaded());

  // Saving again goes straight to the file, without a question.
  add(U"third");
  ui.click(m.sd[2]);
  EXPECT_EQ(folder.get("story.dlg"),
            script({m.dlg_rows[0], m.dlg_rows[1], "third; Диалог; Без значка; ОК"}));
}

TEST_F(DesignerTest, SaveAsNoticeAndNames) {
  folder.put("story.dlg", script({"a; b"}));
  main_form& m = start();
  ui.on_modal("save_form", [this](ui::Form& f) {
    auto& s = static_cast<save_form&>(f);
    ui.type(s.Text1, U"stor");
    EXPECT_EQ(s.info.caption(), "Нажмите сохранить для записи.");
    ui.type(s.Text1, U"y");
    EXPECT_EQ(s.info.caption(), "Существует. Заменить?");
    ui.type(s.Text1, U"2");
    EXPECT_EQ(s.info.caption(), "Нажмите сохранить для записи.");
    s.Text1.set_text("*");
    EXPECT_EQ(s.info.caption(), "Существует. Заменить?");
    s.Text1.set_text("a<b>|c");  // not a possible name: simply not there
    EXPECT_EQ(s.info.caption(), "Нажмите сохранить для записи.");
    s.Text1.set_text("story.dlg");
    ui.click(s.sd_save);
  });
  ui.click(m.sd[2]);
  EXPECT_EQ(m.file_name, "story.dlg.dlg");
  EXPECT_TRUE(folder.has("story.dlg.dlg"));
  // An empty sequence is an empty file.
  EXPECT_EQ(folder.get("story.dlg.dlg"), "");

  ui.click(m.sd[0]);
  ui.on_modal("save_form", [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_save); });
  ui.click(m.sd[2]);
  EXPECT_EQ(m.file_name, ".dlg");
  EXPECT_TRUE(folder.has(".dlg"));
}

// Names that are no file of the program folder, and the preview copy's name, are
// refused with a box that says why; the window stays with the name, and nothing
// is written.
TEST_F(DesignerTest, NamesThatCannotBeAProjectFileAreRefused) {
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", [this](ui::Form& f) {
    auto& s = static_cast<save_form&>(f);
    const auto refusal = [&](const std::string& name) {
      s.Text1.set_text(name);
      ui.answer(ui::IdOk);
      ui.click(s.sd_save);
      EXPECT_TRUE(s.visible()) << name;
      EXPECT_EQ(s.Text1.text(), name);
      EXPECT_EQ(s.focused_control(), &s.Text1) << "back to the name, to put it right";
      EXPECT_EQ(ui.boxes().back().style, ui::mb::Exclamation | ui::mb::Ok) << name;
      EXPECT_EQ(ui.boxes().back().title, "Quillet") << name;
      return ui.boxes().back().text;
    };
    const std::string device = " Windows оставляет за устройством, и файла с таким именем, с "
                               "любым расширением, быть не может. Введите другое имя.";
    EXPECT_EQ(refusal("NUL.txt"), "Имя «NUL.txt» нельзя дать проекту: имя NUL" + device);
    // In any case, with trailing dots or spaces, the ports with any digit.
    for (auto [name, named] : {std::pair{"con", "CON"}, {"aux.", "AUX"}, {"Com1", "COM1"},
                               {"lpt9 ", "LPT9"}, {"prn", "PRN"}, {"COM²", "COM²"}})
      EXPECT_EQ(refusal(name), "Имя «" + std::string(name) + "» нельзя дать проекту: имя " +
                                   named + device);
    const std::string no_path =
        " Проект всегда сохраняется в папке программы, поэтому в имени не может быть пути.";
    EXPECT_EQ(refusal("..\\вне"), "Имя «..\\вне» нельзя дать проекту: Windows не допускает в "
                                  "имени файла символ «\\»." +
                                      no_path + " Введите другое имя.");
    EXPECT_EQ(refusal("/abs"), "Имя «/abs» нельзя дать проекту: Windows не допускает в имени "
                               "файла символ «/»." +
                                   no_path + " Введите другое имя.");
    EXPECT_EQ(refusal("x:y"), "Имя «x:y» нельзя дать проекту: Windows не допускает в имени "
                              "файла символ «:». Введите другое имя.");
    EXPECT_EQ(refusal("a*b?c\"d<e>f|g*"),
              "Имя «a*b?c\"d<e>f|g*» нельзя дать проекту: Windows не допускает в имени файла "
              "символы «*», «?», «\"», «<», «>» и «|». Введите другое имя.");
    EXPECT_EQ(refusal("a\tb\x01:"), "Имя «a\tb\x01:» нельзя дать проекту: Windows не допускает "
                                     "в имени файла символ «:» и управляющие символы с кодами 9 "
                                     "и 1. Введите другое имя.");
    EXPECT_EQ(refusal(std::string(252, 'a')),
              "Имя слишком длинное: вместе с «.dlg» в имени файла может быть не больше 255 "
              "символов, а здесь 256. Введите имя короче.");
    for (const char* name : {"main", "MAIN", "Main"})
      EXPECT_EQ(refusal(name),
                "Имя main занято файлом предварительного просмотра. Введите другое имя.");
    EXPECT_TRUE(folder.entries().empty()) << "a refused name wrote a file";
    // Names that only look alike are files like any other.
    s.Text1.set_text("console. ");
    ui.click(s.sd_save);
  });
  ui.click(m.sd[2]);
  EXPECT_EQ(m.file_name, "console. .dlg");
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"console. .dlg"}));
}

// The longest name saves and opens again in a folder deeper than the 260
// characters of a Windows path without its long form; a path longer than any
// system takes is refused before writing.
TEST_F(DesignerTest, TheLongestNameSavesInADeepFolder) {
  const std::string deep = folder / std::string(100, 'd'), name(251, 'n');
  ASSERT_EQ(platform::create_folder(deep), platform::FileError::None);
  platform::set_program_folder(deep);
  main_form& m = start();
  add(U"Глубоко");
  ui.on_modal("save_form", save_as(std::u32string(name.begin(), name.end())));
  ui.click(m.sd[2]);
  ui.click(m.sd[0]);
  open(name + ".dlg");
  EXPECT_EQ(shown_rows(), std::vector<std::string>{"Глубоко; Диалог; Без значка; ОК"});
  EXPECT_EQ(platform::delete_file(deep + "\\" + name + ".dlg"), platform::FileError::None);

  platform::set_program_folder(deep + "\\" + std::string(kLongestPath, 'z'));
  ui.click(m.sd[0]);
  add(U"x");
  ui.answer(ui::IdOk);
  ui.on_modal("save_form", [this](ui::Form& f) {
    ui.click(static_cast<save_form&>(f).sd_save);
    ui.click(static_cast<save_form&>(f).sd_close);
  });
  ui.click(m.sd[2]);
  EXPECT_EQ(ui.boxes().back().text.rfind("Путь к файлу проекта слишком длинный", 0), 0u);
}

TEST_F(DesignerTest, OpenListsProjectsAndReadsTheFirstFifteenLines) {
  std::string sixteen = script({"r0; t", "r1; t"});
  sixteen += "dropped; t\r\n";
  folder.put("long.dlg", sixteen);
  folder.put("main.dlg", "");  // listed like any project (after the start deleted it: put back)
  folder.put("notes.txt", "");
  std::filesystem::create_directory(folder.native("dir.dlg"));
  main_form& m = start();
  folder.put("main.dlg", script({}));
  m.changed = true;  // as after an edit answered No before
  ui.answer(ui::IdNo);
  ui.on_modal("file_form", [this](ui::Form& f) {
    auto& o = static_cast<file_form&>(f);
    EXPECT_EQ(o.filebox.items(), (std::vector<std::string>{"long.dlg", "main.dlg"}));
    EXPECT_EQ(o.caption(), "Открыть");
    ui.click(o.sd_open);  // nothing selected: nothing happens
    EXPECT_TRUE(o.visible());
    open_entry(f, "long.dlg");
  });
  ui.click(m.sd[1]);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"r0; t", "r1; t"}));
  EXPECT_EQ(m.file_name, "long.dlg");
  EXPECT_EQ(m.caption(), "Quillet - [long.dlg]");
  EXPECT_FALSE(m.changed);  // the rows are the file's: nothing to save
  EXPECT_FALSE(ui::Single<file_form>::loaded());
}

TEST_F(DesignerTest, OpenFailuresShowTheErrorBoxAndKeepEverything) {
  folder.put("short.dlg", "one; line\r\n");
  folder.put("gone.dlg", script({"a; b"}));
  main_form& m = start();
  add(U"mine");

  ui.answer(ui::IdNo);  // not saved: the edit stays a change when the open fails
  ui.answer(ui::IdOk);
  ui.on_modal("file_form", [this](ui::Form& f) { open_entry(f, "short.dlg"); });
  ui.click(m.sd[1]);
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(ui.boxes().back().text,
            error_text("Произошла ошибка при открытии файла.", 62, "Попытка чтения за концом файла"));
  EXPECT_EQ(ui.boxes().back().style, ui::mb::Critical | ui::mb::Ok);
  EXPECT_EQ(ui.boxes().back().title, "Quillet - Errorик");
  EXPECT_EQ(m.dlg_rows[0], "mine; Диалог; Без значка; ОК");
  EXPECT_TRUE(m.dlg_rows[1].empty());
  EXPECT_EQ(m.caption(), "Tervan Quillet - [Новый диалог]");
  EXPECT_TRUE(m.file_name.empty());

  m.changed = false;  // and a mark that was off stays off
  ui.answer(ui::IdOk);
  ui.on_modal("file_form", [this](ui::Form& f) {
    std::filesystem::remove(folder.native("gone.dlg"));  // deleted while the list is open
    open_entry(f, "gone.dlg");
  });
  ui.click(m.sd[1]);
  EXPECT_EQ(ui.boxes().back().text,
            error_text("Произошла ошибка при открытии файла.", 53, "Файл не найден"));
  EXPECT_FALSE(ui::Single<file_form>::loaded());
  EXPECT_EQ(shown_rows().size(), 1u);
  EXPECT_FALSE(m.changed);
}

TEST_F(DesignerTest, AnEmptySequenceSavedCannotBeOpenedAgain) {
  main_form& m = start();
  ui.on_modal("save_form", save_as(U"empty"));
  ui.click(m.sd[2]);
  EXPECT_EQ(folder.get("empty.dlg"), "");
  ui.answer(ui::IdOk);
  ui.on_modal("file_form", [this](ui::Form& f) { open_entry(f, "empty.dlg"); });
  ui.click(m.sd[1]);
  EXPECT_EQ(ui.boxes().back().title, "Quillet - Errorик");
}

TEST_F(DesignerTest, AFailedWriteKeepsNameCaptionAndChanges) {
  std::filesystem::create_directory(folder.native("taken.dlg"));
  main_form& m = start();
  add(U"x");
  ui.answer(ui::IdOk);
  ui.on_modal("save_form", save_as(U"taken"));
  ui.click(m.sd[2]);
  EXPECT_EQ(ui.boxes().back().text,
            error_text("Произошла ошибка при записи файла.", 75, "Ошибка доступа к пути или файлу"));
  EXPECT_TRUE(m.file_name.empty());
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(m.caption(), "Tervan Quillet - [Новый диалог]");
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"taken.dlg"}));
}

TEST_F(DesignerTest, HandEditedFilesKeepTheirRowsOnSave) {
  // A gap, and an empty first line, survive a save unchanged.
  const std::string gapped = script({"", "b; 1", "", "d; 2"});
  folder.put("gapped.dlg", gapped);
  main_form& m = start();
  ui.on_modal("file_form", [this](ui::Form& f) { open_entry(f, "gapped.dlg"); });
  ui.click(m.sd[1]);
  EXPECT_TRUE(shown_rows().empty());
  EXPECT_EQ(m.sd_new.top(), 8);
  ui.click(m.sd[2]);
  EXPECT_EQ(folder.get("gapped.dlg"), gapped);
}

TEST_F(DesignerTest, NewAsksFirstAndClears) {
  main_form& m = start();
  ui.click(m.sd[0]);  // nothing changed: no question
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(m.caption(), "Quillet - [Новый диалог]");
  EXPECT_FALSE(m.sd_edit.visible());

  add(U"x");
  EXPECT_TRUE(m.sd_edit.visible());
  ui.answer(ui::IdCancel);
  ui.click(m.sd[0]);
  EXPECT_EQ(shown_rows().size(), 1u);

  // Yes, then the save-as window closed without saving: nothing is lost.
  ui.answer(ui::IdYes);
  ui.on_modal("save_form", [this](ui::Form& f) { ui.click(static_cast<save_form&>(f).sd_close); });
  ui.click(m.sd[0]);
  EXPECT_EQ(shown_rows().size(), 1u);
  EXPECT_TRUE(m.changed);

  ui.answer(ui::IdYes);
  ui.on_modal("save_form", save_as(U"first"));
  ui.click(m.sd[0]);
  EXPECT_TRUE(shown_rows().empty());
  EXPECT_TRUE(m.file_name.empty());
  EXPECT_FALSE(m.changed);
  EXPECT_TRUE(folder.has("first.dlg"));

  add(U"y");
  ui.answer(ui::IdNo);
  ui.click(m.sd[0]);
  EXPECT_TRUE(m.dlg_rows[0].empty());
}

TEST_F(DesignerTest, OpenAsksFirstAndCancelReadsNothing) {
  folder.put("other.dlg", script({"other; o"}));
  main_form& m = start();
  add(U"x");
  ui.answer(ui::IdCancel);
  ui.on_modal("file_form", [this](ui::Form& f) { open_entry(f, "other.dlg"); });
  ui.click(m.sd[1]);
  EXPECT_EQ(m.dlg_rows[0], "x; Диалог; Без значка; ОК");
  EXPECT_FALSE(ui::Single<file_form>::loaded());

  // No: the opened rows replace the edits and count as unchanged, so closing asks
  // nothing and the opened file is not written over.
  folder.put("other.dlg", script({"other; o"}) + "a sixteenth line, dropped by a save\r\n");
  ui.answer(ui::IdNo);
  ui.on_modal("file_form", [this](ui::Form& f) { open_entry(f, "other.dlg"); });
  ui.click(m.sd[1]);
  EXPECT_EQ(m.dlg_rows[0], "other; o");
  EXPECT_FALSE(m.changed);
  ui.close(m);  // an unscripted question would fail the test
  EXPECT_FALSE(ui::Single<main_form>::loaded());
  EXPECT_EQ(folder.get("other.dlg"),
            script({"other; o"}) + "a sixteenth line, dropped by a save\r\n");
}
