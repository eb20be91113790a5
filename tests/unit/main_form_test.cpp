// The main window: start-up, the list, row editing and the save-changes prompt.

#include <fstream>
#include <iterator>

#include "../answers.h"
#include "designer/app.h"
#include "designer_fixture.h"
#include "script/row.h"

using namespace designer;
using ui::Rect;

TEST_F(DesignerTest, StartUpLaysOutTheWindow) {
  main_form& m = start();
  EXPECT_EQ(m.caption(), "Tervan Quillet - [Новый диалог]");
  EXPECT_EQ(m.client_width(), 500);
  EXPECT_EQ(m.client_height(), 426);
  EXPECT_EQ(m.ToolBar.rect(), (Rect{0, 0, 500, 20}));
  EXPECT_EQ(m.Picture1.rect(), (Rect{0, 406, 500, 20}));
  EXPECT_EQ(m.TextBox.rect(), (Rect{2, 24, 496, 377}));

  // Toolbar buttons side by side in creation order, the picture-only one at the right.
  int next_left = 1;
  for (int i : {0, 1, 2, 5, 3}) {
    const auto& b = m.sd[i];
    EXPECT_EQ(b.top(), 1) << i;
    EXPECT_EQ(b.height(), 18) << i;
    EXPECT_EQ(b.left(), next_left) << i;
    const int caption = ui::headless::Headless::text_size(b.Caption(), ui.interface_font()).width;
    EXPECT_EQ(b.width(), caption + 27) << i;
    next_left = b.left() + b.width() + 1;
  }
  EXPECT_EQ(m.sd[4].width(), 22);
  EXPECT_EQ(m.sd[4].left(), 477);
  // The scheme's button comes next; its caption would run under About, so it
  // shows its picture alone, and a reader still hears its caption.
  EXPECT_EQ(m.sd_scheme.left(), next_left);
  EXPECT_EQ(m.sd_scheme.Caption(), "");
  EXPECT_LT(m.sd_scheme.left() + m.sd_scheme.width(), m.sd[4].left());
  EXPECT_EQ(m.sd_scheme.accessible().name, "Схема...");
  EXPECT_EQ(m.sd_scheme.accessible().shortcut, "F8");
  // Captions measured anew (on a display of another scale) lay the bar out again.
  m.sd[1].set_Caption("Открыть проект...");
  m.text_metrics_changed();
  next_left = 1;
  for (int i : {0, 1, 2, 5, 3}) {
    EXPECT_EQ(m.sd[i].left(), next_left) << i;
    next_left = m.sd[i].left() + m.sd[i].width() + 1;
  }
  EXPECT_EQ(m.sd_scheme.left(), next_left);
  EXPECT_EQ(m.sd[1].width(),
            ui::headless::Headless::text_size("Открыть проект...", ui.interface_font()).width + 27);
  EXPECT_EQ(m.sd[4].left(), 477);

  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(m.str_str[i].rect(), (Rect{48, 8 + 24 * i, 403, 17}));
    EXPECT_EQ(m.str_num[i].rect(), (Rect{8, 8 + 24 * i, 33, 17}));
    EXPECT_FALSE(m.str_str[i].visible());
    EXPECT_EQ(m.str_str[i].border(), i == 0);
  }
  EXPECT_EQ(m.sd_edit.rect(), (Rect{456, 8, 25, 17}));
  EXPECT_EQ(m.sd_new.rect(), (Rect{456, 8, 25, 17}));
  EXPECT_TRUE(m.sd_new.visible());
  EXPECT_TRUE(m.sd_edit.visible());
  // sd_new lies in front of sd_edit, the rows in front of the hint.
  const auto& order = m.TextBox.children();
  const auto at = [&](const ui::Control& c) { return std::find(order.begin(), order.end(), &c); };
  EXPECT_LT(at(m.sd_new), at(m.sd_edit));
  EXPECT_LT(at(m.str_str[0]), at(m.Label1));
  EXPECT_EQ(m.Label1.caption(), "Щелкните эту кнопку, чтобы начать файл >");
  EXPECT_EQ(m.status.caption(), tips()[4]);  // 0.5 x 9 = 4.5, rounded to even
}

TEST_F(DesignerTest, TipIndexRoundsHalfToEven) {
  const std::vector<std::pair<double, int>> cases = {{0.0, 0},     {0.5 / 9, 0}, {0.06, 1},
                                                     {1.5 / 9, 2}, {2.5 / 9, 2}, {8.5 / 9, 8},
                                                     {0.95, 9},    {0.999, 9}};
  for (auto [r, tip] : cases) {
    main_form::random_unit = [r] { return r; };
    EXPECT_EQ(start().status.caption(), tips()[static_cast<std::size_t>(tip)]) << r;
    ui::unload_all();
  }
}

TEST_F(DesignerTest, StartDeletesALeftoverPreviewCopyOnly) {
  folder.put("main.dlg", "old preview");
  folder.put("story.dlg", script({"a; b; Вопрос; ОК"}));
  start();
  EXPECT_FALSE(folder.has("main.dlg"));
  EXPECT_TRUE(folder.has("story.dlg"));
}

TEST_F(DesignerTest, ListShowsRowsUpToTheFirstEmptyOne) {
  main_form& m = start();
  for (int i = 0; i < 15; ++i) m.dlg_rows[static_cast<std::size_t>(i)] = "row " + std::to_string(i);
  m.UpdateText();
  EXPECT_EQ(shown_rows().size(), 15u);
  EXPECT_FALSE(m.sd_new.visible());
  EXPECT_EQ(m.str_num[14].caption(), "14");
  EXPECT_EQ(m.str_str[3].tooltip(), "row 3");

  m.dlg_rows[3].clear();
  m.UpdateText();
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"row 0", "row 1", "row 2"}));
  EXPECT_TRUE(m.sd_new.visible());
  EXPECT_EQ(m.sd_new.top(), m.str_str[3].top());
  EXPECT_FALSE(m.str_num[4].visible());

  m.dlg_rows = {};
  m.UpdateText();
  EXPECT_TRUE(shown_rows().empty());
  EXPECT_TRUE(m.sd_edit.visible());  // the list never hides it
  EXPECT_EQ(m.sd_new.top(), 8);
}

TEST_F(DesignerTest, AddingADialogThroughTheEditor) {
  main_form& m = start();
  ui.answer(ui::IdOk);  // "#" typed by hand is refused
  add(U"Привет\r#мир", "Заголовок", 2, 0);
  EXPECT_EQ(m.dlg_rows[0], "Привет#мир; Заголовок; Информация; ОК");
  EXPECT_EQ(ui.boxes().at(0).text, "Недопустиный символ.");
  EXPECT_EQ(ui.boxes().at(0).style, ui::mb::Exclamation | ui::mb::Ok);
  EXPECT_EQ(ui.boxes().at(0).title, "Quillet");
  EXPECT_EQ(m.str_num[0].caption(), "0");
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"Привет#мир; Заголовок; Информация; ОК"}));
  EXPECT_EQ(m.sd_new.top(), m.str_str[1].top());
  EXPECT_EQ(m.dlg_index, 0);
  EXPECT_TRUE(m.changed);
  EXPECT_FALSE(ui::Single<make_form>::loaded());

  // A new row confirmed untouched: empty text, the editor's defaults.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.caption(), "Создать диалог");
    ui.click(e.SDButton1);
  });
  ui.click(m.sd_new);
  EXPECT_EQ(m.dlg_rows[1], "; Диалог; Без значка; ОК");
  EXPECT_EQ(m.dlg_index, 1);
  EXPECT_TRUE(m.str_str[1].border());
  EXPECT_FALSE(m.str_str[0].border());
  EXPECT_EQ(m.sd_edit.top(), m.str_str[1].top());
}

TEST_F(DesignerTest, EditorFilterAndCleaning) {
  start();
  ui.answer(ui::IdOk);  // the typed ";"
  ui.answer(ui::IdOk);  // the characters a project cannot hold
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_text, U"a;b");
    EXPECT_EQ(e.dlg_text.text(), "ab");
    ui.paste(e.dlg_text, "c;d\r\ne#f 世界 😀");
    e.dlg_title.set_text("T;i\rt#le é ß 世");
    ui.click(e.SDButton1);
    // Refused by name, each once: the editor stays, with the text as typed.
    EXPECT_EQ(ui.boxes().back().text,
              "В проекте нельзя сохранить символы «世» (U+4E16), «界» (U+754C), «😀» (U+1F600), "
              "«é» (U+00E9), «ß» (U+00DF).\r\n\r\n"
              "Проект хранит текст в кодировке Windows-1251 (кириллица), а в ней их нет. "
              "Замените или удалите их и нажмите OK ещё раз.");
    EXPECT_EQ(ui.boxes().back().style, ui::mb::Exclamation | ui::mb::Ok);
    EXPECT_TRUE(e.visible());
    EXPECT_EQ(e.dlg_text.text(), "abc;d\r\ne#f 世界 😀");
    EXPECT_EQ(e.dlg_title.text(), "T;i\rt#le é ß 世");
    EXPECT_TRUE(main().dlg_rows[0].empty());
    // A long list is cut after twelve.
    e.dlg_title.set_text("αβγδεζηθικλμνξ");
    ui.answer(ui::IdOk);
    ui.click(e.SDButton1);
    EXPECT_NE(ui.boxes().back().text.find("«ι» (U+03B9) и ещё 5."), std::string::npos)
        << ui.boxes().back().text;
    e.dlg_text.set_text("abc;d\r\ne#f ™ € №");
    e.dlg_title.set_text("T;i\rt#le");
    ui.click(e.SDButton1);
  });
  ui.click(main().sd_new);
  // Pasted text keeps its "#" and line feeds; ";" goes and CR becomes "#".
  EXPECT_EQ(main().dlg_rows[0], "abcd#\ne#f ™ € №; Ti#t#le; Без значка; ОК");
  EXPECT_EQ(ui.boxes().size(), 3u);
}

TEST_F(DesignerTest, EditingARowInPlace) {
  main_form& m = start();
  m.dlg_rows = {"one; 1; Ошибка; ОК", "two; 2; Вопрос; Да и Нет",
                "three; 3; Восклицание; ОК и Отмена"};
  m.UpdateText();
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.caption(), "Изменить диалог");
    EXPECT_EQ(e.dlg_text.text(), "three");
    EXPECT_EQ(e.dlg_title.text(), "3");
    EXPECT_TRUE(e.dlg_icon[1].value());
    EXPECT_FALSE(e.dlg_icon[4].value());
    EXPECT_TRUE(e.dlg_button[1].value());
    EXPECT_FALSE(e.dlg_button[0].value());
    ui.choose(e.dlg_button[3]);
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[2]);
  EXPECT_EQ(m.dlg_rows[2], "three; 3; Восклицание; Да, Нет и Отмена");
  EXPECT_EQ(shown_rows().size(), 3u);
  EXPECT_EQ(m.dlg_index, 2);

  // Fields past the fourth come back as they were.
  m.dlg_rows[0] = "one; 1; Ошибка; ОК; later; ";
  m.UpdateText();
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_text, U"!");
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[0]);
  EXPECT_EQ(m.dlg_rows[0], "one!; 1; Ошибка; ОК; later; ");
}

// What screen readers hear besides the captions: the list area is a list of rows
// read with their numbers, the selected one marked; picture-only buttons and the
// icon options say what they stand for; a row's default action is a double click.
TEST_F(DesignerTest, ScreenReadersHearTheListAndWhatPicturesStandFor) {
  main_form& m = start();
  m.dlg_rows = {"Привет#мир; Диалог; Информация; ОК", "two; 2; Вопрос; Да и Нет"};
  m.UpdateText();
  // Name, role and default action as one line, for readable failures.
  const auto heard = [](const ui::Control& c) {
    const ui::Accessible a = c.accessible();
    return a.name + "; " + std::to_string(static_cast<int>(a.role)) + "; " + a.default_action +
           (a.selected ? "; selected" : "");
  };
  const auto line = [](std::string name, ui::Role role, std::string action) {
    return name + "; " + std::to_string(static_cast<int>(role)) + "; " + action;
  };
  EXPECT_EQ(heard(m.TextBox), line("Диалоги", ui::Role::List, ""));
  EXPECT_EQ(heard(m.str_str[0]),
            line("0: Привет#мир; Диалог; Информация; ОК", ui::Role::ListItem, "Двойной щелчок") +
                "; selected");
  EXPECT_EQ(heard(m.str_str[1]),
            line("1: two; 2; Вопрос; Да и Нет", ui::Role::ListItem, "Двойной щелчок"));
  EXPECT_EQ(m.str_num[0].accessible_role(), ui::Role::None) << "the number is read with the row";
  // A reader meets the shown rows as the list's items, then the buttons and the hint.
  using Controls = std::vector<ui::Control*>;
  EXPECT_EQ(m.TextBox.shown_items(), (Controls{&m.str_str[0], &m.str_str[1]}));
  EXPECT_EQ(m.TextBox.shown_others(), (Controls{&m.sd_new, &m.sd_edit, &m.Label1}));
  for (auto [button, name] : {std::pair{&m.sd[4], "О программе"},
                              {&m.sd_new, "Добавить диалог"},
                              {&m.sd_edit, "Удалить диалог"},
                              {&m.sd[0], "Создать"}})
    EXPECT_EQ(heard(*button), line(name, ui::Role::PushButton, "Нажать"));
  // The buttons whose commands have keys tell them.
  for (auto [index, key] :
       {std::pair{0, "Ctrl+N"}, {1, "Ctrl+O"}, {2, "Ctrl+S"}, {5, "F5"}, {3, "F7"}, {4, "F1"}})
    EXPECT_EQ(m.sd[index].accessible().shortcut, key) << index;
  EXPECT_EQ(m.sd_new.accessible().shortcut, "Insert");
  EXPECT_EQ(m.sd_edit.accessible().shortcut, "");

  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_text.text(), "two");
    for (int k = 0; k < 5; ++k) {
      const ui::Accessible heard = e.dlg_icon[k].accessible();
      EXPECT_EQ(heard.name, script::kIconNames[static_cast<std::size_t>(k)]) << k;
      EXPECT_EQ(heard.role, ui::Role::RadioButton) << k;
      EXPECT_EQ(heard.checked, k == 3) << k;
    }
    EXPECT_TRUE(e.SDButton1.accessible().is_default) << "Enter is OK";
    EXPECT_FALSE(e.sd_cancel.accessible().is_default);
    EXPECT_TRUE(ui.default_action(e.sd_cancel));
  });
  EXPECT_TRUE(ui.default_action(m.str_str[1]));
  EXPECT_EQ(m.dlg_index, 1);
  EXPECT_EQ(m.TextBox.selected_item(), &m.str_str[1]);
  EXPECT_TRUE(m.str_str[1].accessible().selected);
  EXPECT_FALSE(m.str_str[0].accessible().selected);
  // The arrows move the selection a reader hears.
  m.TextBox.set_focus();
  ui.key(m, ui::key::Up);
  EXPECT_EQ(m.TextBox.selected_item(), &m.str_str[0]);
}

TEST_F(DesignerTest, HandEditedRowsKeepTheEditorDefaultsForWhatTheyLack) {
  main_form& m = start();
  m.dlg_rows = {"only a text", "x; y; ошибка; OK"};
  m.UpdateText();
  ui.on_modal("make_form", [](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_text.text(), "only a text");
    EXPECT_EQ(e.dlg_title.text(), "Диалог");
    EXPECT_TRUE(e.dlg_icon[4].value());
    f.unload();
  });
  ui.double_click(m.str_str[0]);
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_TRUE(e.dlg_icon[4].value());    // "ошибка" names no icon
    EXPECT_TRUE(e.dlg_button[0].value());  // nor does a Latin "OK"
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[1]);
  EXPECT_EQ(m.dlg_rows[1], "x; y; Без значка; ОК");
}

TEST_F(DesignerTest, CancellingTheEditorChangesNothing) {
  main_form& m = start();
  add(U"first");
  add(U"second");
  m.WriteFile(folder / "p.dlg");
  ui.click(m.str_str[0]);
  ui.on_modal("make_form", [this](ui::Form& f) {
    ui.type(static_cast<make_form&>(f).dlg_text, U"typed");
    ui.click(static_cast<make_form&>(f).sd_cancel);
  });
  ui.click(m.sd_new);
  EXPECT_EQ(shown_rows().size(), 2u);
  EXPECT_FALSE(m.changed);
  // dlg_index names the first empty row while the border stays on row 0; a delete
  // then empties an empty row, which changes nothing.
  EXPECT_EQ(m.dlg_index, 2);
  EXPECT_TRUE(m.str_str[0].border());
  ui.click(m.sd_edit);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"first; Диалог; Без значка; ОК",
                                                    "second; Диалог; Без значка; ОК"}));
  EXPECT_FALSE(m.changed);
  ui.on_modal("make_form", [this](ui::Form& f) { ui.close(f); });
  ui.double_click(m.str_str[1]);
  EXPECT_EQ(m.dlg_rows[1], "second; Диалог; Без значка; ОК");
}

TEST_F(DesignerTest, DeletingARowClosesTheGap) {
  main_form& m = start();
  add(U"a");
  add(U"b");
  add(U"c");
  m.WriteFile(folder / "p.dlg");
  ui.click(m.str_str[1]);
  ui.click(m.sd_edit);
  EXPECT_EQ(m.dlg_rows[1], "c; Диалог; Без значка; ОК");
  EXPECT_TRUE(m.dlg_rows[2].empty());
  EXPECT_TRUE(m.changed);  // a delete is an edit: closing now asks
  EXPECT_EQ(m.dlg_index, 1);
  EXPECT_TRUE(m.str_str[1].border());

  ui.click(m.str_str[1]);
  ui.click(m.sd_edit);
  ui.click(m.sd_edit);  // the border and sd_edit stay at the now hidden row
  EXPECT_EQ(shown_rows().size(), 1u);
  EXPECT_EQ(m.sd_edit.top(), m.str_str[1].top());
  ui.click(m.str_str[0]);
  ui.click(m.sd_edit);
  EXPECT_TRUE(shown_rows().empty());
  EXPECT_TRUE(m.sd_edit.visible());
  ui.answer(ui::IdNo);
  ui.close(m);
  EXPECT_EQ(ui.boxes().back().text, "Сохранить изменения?");
  EXPECT_FALSE(ui::Single<main_form>::loaded());
}

TEST_F(DesignerTest, FullListHidesTheAddButton) {
  main_form& m = start();
  for (int i = 0; i < 15; ++i) add(U"d" + std::u32string(1, U'a' + i));
  EXPECT_FALSE(m.sd_new.visible());
  EXPECT_EQ(shown_rows().size(), 15u);
}

TEST_F(DesignerTest, ClosingAsksAboutUnsavedChanges) {
  main_form& m = start();
  add(U"x");
  ui.answer(ui::IdCancel);
  ui.close(m);
  EXPECT_TRUE(m.loaded());
  EXPECT_EQ(m.dlg_rows[0], "x; Диалог; Без значка; ОК");
  EXPECT_EQ(ui.boxes().back().text, "Сохранить изменения?");
  EXPECT_EQ(ui.boxes().back().style, ui::mb::YesNoCancel | ui::mb::Question);

  ui.answer(ui::IdNo);
  ui.close(m);
  EXPECT_FALSE(ui::Single<main_form>::loaded());
  EXPECT_TRUE(folder.entries().empty());
}

TEST_F(DesignerTest, YesWithoutASaveKeepsTheWindowOpen) {
  main_form& m = start();
  add(U"x");
  ui.answer(ui::IdYes);
  ui.on_modal("save_form", [this](ui::Form& f) { ui.close(f); });
  ui.close(m);
  EXPECT_TRUE(ui::Single<main_form>::loaded());
  EXPECT_TRUE(m.changed);

  ui.answer(ui::IdYes);
  ui.on_modal("save_form", save_as(U"kept"));
  ui.close(m);
  EXPECT_FALSE(ui::Single<main_form>::loaded());
  EXPECT_EQ(folder.get("kept.dlg"), script({"x; Диалог; Без значка; ОК"}));
}

TEST_F(DesignerTest, TheListAndTheEditorByKeys) {
  main_form& m = start();
  EXPECT_EQ(m.focused_control(), &m.sd[0]);
  // Insert adds a dialog; the editor opens at Отмена and is used by keys alone.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.focused_control(), &e.sd_cancel);
    ui.key(e, ui::key::Tab);
    ui.key(e, ui::key::Tab);
    ui.key(e, ui::key::Left);  // from the chosen icon to the one before it
    ui.key(e, ui::key::Tab);
    ui.type(e.dlg_title, U"Первый");
    ui.key(e, ui::key::Tab);
    ui.type(e.dlg_text, U"a");
    ui.key(e, ui::key::Enter);
    ui.type(e.dlg_text, U"b");
    ui.key(e, ui::key::Tab);
    ui.key(e, ui::key::Right);
    ui.key(e, ui::key::Enter, ui::shift::Ctrl);
  });
  ui.key(m, ui::key::Insert);
  EXPECT_EQ(m.dlg_rows[0], "a#b; Первый; Вопрос; ОК и Отмена");
  // Enter in the title box is OK; Esc stores nothing.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    e.dlg_title.set_focus();
    ui.key(e, ui::key::Enter);
  });
  ui.key(m, ui::key::Insert);
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_text, U"lost");
    ui.key(e, ui::key::Escape);
  });
  ui.key(m, ui::key::Insert);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"a#b; Первый; Вопрос; ОК и Отмена",
                                                    "; Диалог; Без значка; ОК"}));
  EXPECT_EQ(m.focused_control(), &m.sd[0]) << "the focus comes back after the editor";

  // The list is one tab stop after the toolbar; dlg_index is the empty row now.
  for (int i = 0; i < 7; ++i) ui.key(m, ui::key::Tab);
  EXPECT_EQ(m.focused_control(), &m.TextBox);
  EXPECT_TRUE(m.TextBox.shows_focus_mark());
  EXPECT_EQ(m.TextBox.focus_rect(), Rect{}) << "around the whole list";
  const auto select = [&](int key) {
    ui.key(m, key);
    return m.dlg_index;
  };
  EXPECT_EQ(select(ui::key::Up), 1);
  EXPECT_TRUE(m.str_str[1].border());
  EXPECT_FALSE(m.str_str[0].border());
  EXPECT_EQ(m.sd_edit.top(), m.str_str[1].top());
  EXPECT_EQ(m.TextBox.focus_rect(), (Rect{4, 30, 449, 21})) << "number and text of row 1";
  EXPECT_EQ(select(ui::key::Up), 0);
  EXPECT_EQ(select(ui::key::Up), 0);
  EXPECT_EQ(select(ui::key::Down), 1);
  EXPECT_EQ(select(ui::key::Down), 1) << "only filled rows";
  EXPECT_EQ(select(ui::key::Home), 0);
  EXPECT_EQ(select(ui::key::End), 1);

  // Enter edits the selected row, Delete deletes it.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.caption(), "Изменить диалог");
    EXPECT_EQ(e.dlg_title.text(), "Диалог");
    ui.key(e, ui::key::Escape);
  });
  ui.key(m, ui::key::Enter);
  EXPECT_EQ(m.focused_control(), &m.TextBox);
  ui.key(m, ui::key::Delete);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"a#b; Первый; Вопрос; ОК и Отмена"}));
  EXPECT_EQ(m.TextBox.focus_rect(), Rect{});
  EXPECT_EQ(select(ui::key::Up), 0);

  // A click on a row gives the list the keys.
  m.sd[0].set_focus();
  ui.click(m.str_str[0]);
  EXPECT_EQ(m.focused_control(), &m.TextBox);
}

TEST_F(DesignerTest, ShortcutsAndTheKeysOfEachWindow) {
  main_form& m = start();
  add(U"x");
  ui.on_modal("save_form", [this](ui::Form& f) {
    auto& s = static_cast<save_form&>(f);
    ui.type(s.Text1, U"story");
    ui.key(s, ui::key::Enter);
  });
  ui.key(m, 'S', ui::shift::Ctrl);
  EXPECT_EQ(folder.get("story.dlg"), script({"x; Диалог; Без значка; ОК"}));
  ui.key(m, 'N', ui::shift::Ctrl);
  EXPECT_TRUE(shown_rows().empty());

  ui.on_modal("file_form", [this](ui::Form& f) { ui.key(f, ui::key::Escape); });
  ui.key(m, 'O', ui::shift::Ctrl);
  EXPECT_TRUE(shown_rows().empty());
  ui.on_modal("file_form", [this](ui::Form& f) {
    auto& o = static_cast<file_form&>(f);
    o.filebox.set_focus();
    ui.select(o.filebox, 0);
    ui.key(o, ui::key::Enter);
  });
  ui.key(m, 'O', ui::shift::Ctrl);
  EXPECT_EQ(m.caption(), "Quillet - [story.dlg]");

  // About: Enter and Esc close it; the links are tab stops that Enter opens.
  ui.on_modal("about_form", [this](ui::Form& f) {
    auto& a = static_cast<about_form&>(f);
    EXPECT_EQ(a.focused_control(), &a.SDButton1);
    ui.key(a, ui::key::Tab);
    EXPECT_TRUE(a.mail.shows_focus_mark());
    ui.key(a, ui::key::Enter);
    ui.key(a, ui::key::Tab);
    ui.key(a, ui::key::Enter);
    EXPECT_TRUE(a.visible());
    ui.key(a, ui::key::Escape);
  });
  ui.key(m, ui::key::F1);
  ui.on_modal("about_form", [this](ui::Form& f) { ui.key(f, ui::key::Enter); });
  ui.key(m, ui::key::F1);
  ASSERT_EQ(ui.shell_calls().size(), 2u);
  EXPECT_EQ(ui.shell_calls()[0].target, "mailto:" + std::string(kContactMail));
  EXPECT_EQ(ui.shell_calls()[1].target, kContactSite);

  ui.on_modal("comp_form", [this](ui::Form& f) { ui.key(f, ui::key::Escape); });
  ui.key(m, ui::key::F7);
  EXPECT_FALSE(ui::Single<comp_form>::loaded());
  EXPECT_FALSE(ui::Single<compile_form>::loaded());

  folder.put("run.exe", "player");
  ui.key(m, ui::key::F5);
  EXPECT_EQ(started(), (std::vector<std::string>{folder / "run.exe"}));
}

// The editor's section "Что дальше:": a row's jumps and timeout shown and given
// back, byte for byte when nothing changed; lines per button of the chosen set,
// relabelled at once; a choice follows its answer from set to set, kept while
// the editor is open and dropped by OK when the set has no such answer.
TEST_F(DesignerTest, TheEditorShowsAndGivesBackWhatComesNext) {
  main_form& m = start();
  const std::string question = "Вопрос?; Викторина; Вопрос; Да и Нет; Нет>0, Да>2, 5 с>конец";
  m.dlg_rows = {question, "Неверно; Викторина; Ошибка; ОК; ОК>0",
                "Верно; Викторина; Информация; ОК; ОК>9"};
  m.UpdateText();
  using Items = std::vector<std::string>;
  const auto shown_lines = [](make_form& e) {
    Items lines;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(e.answer[k].visible(), e.dlg_next[k].visible()) << k;
      EXPECT_EQ(e.dlg_caption[k].visible(), e.dlg_next[k].visible()) << k;
      const std::string caption = e.dlg_caption[k].text();
      if (e.dlg_next[k].visible())
        lines.push_back(e.answer[k].caption() + " " + e.dlg_next[k].text() +
                        (caption.empty() ? "" : " «" + caption + "»"));
    }
    return lines;
  };
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_next[0].items(),
              (Items{"дальше", "диалог 0", "диалог 1", "диалог 2", "конец"}));
    EXPECT_EQ(e.dlg_wait_next.items(), e.dlg_next[0].items());
    EXPECT_EQ(shown_lines(e), (Items{"Кнопка «Да»: диалог 2", "Кнопка «Нет»: диалог 0"}));
    EXPECT_EQ(e.dlg_wait.text(), "5");
    EXPECT_EQ(e.dlg_wait_next.text(), "конец");
    EXPECT_EQ(e.dlg_next[0].accessible().name, "Кнопка «Да»:") << "named by its label";
    EXPECT_EQ(e.dlg_next[0].accessible().value, "диалог 2");
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[0]);
  EXPECT_EQ(m.dlg_rows[0], question) << "confirmed unchanged: the same bytes";

  // A target past the sequence, from a file edited by hand, is offered and kept.
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_next[0].items(),
              (Items{"дальше", "диалог 0", "диалог 1", "диалог 2", "диалог 9", "конец"}));
    EXPECT_EQ(shown_lines(e), (Items{"Кнопка «ОК»: диалог 9"}));
    EXPECT_EQ(e.dlg_wait.text(), "");
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[2]);
  EXPECT_EQ(m.dlg_rows[2], "Верно; Викторина; Информация; ОК; ОК>9");

  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.choose(e.dlg_next[1], 4);  // Нет: конец
    ui.type(e.dlg_caption[1], U"Нет уж");
    ui.choose(e.dlg_button[1]);
    EXPECT_EQ(shown_lines(e), (Items{"Кнопка «ОК»: дальше", "Кнопка «Отмена»: дальше"}))
        << "a choice follows its answer, not its line";
    // An empty caption shows the button's own name in grey, and a reader hears
    // whose caption the box holds.
    EXPECT_EQ(e.dlg_caption[1].cue_banner(), "Отмена");
    EXPECT_EQ(e.dlg_caption[1].accessible().name, "Надпись на кнопке «Отмена»");
    ui.choose(e.dlg_next[1], 2);
    ui.type(e.dlg_caption[1], U"Не надо");
    ui.choose(e.dlg_button[3]);
    EXPECT_EQ(shown_lines(e), (Items{"Кнопка «Да»: диалог 2", "Кнопка «Нет»: конец «Нет уж»",
                                     "Кнопка «Отмена»: диалог 1 «Не надо»"}));
    ui.choose(e.dlg_button[0]);
    ui.choose(e.dlg_next[0], 3);
    ui.click(e.SDButton1);  // only ОК is left: the others go
  });
  ui.double_click(m.str_str[0]);
  EXPECT_EQ(m.dlg_rows[0], "Вопрос?; Викторина; Вопрос; ОК; ОК>2, 5 с>конец");
  m.dlg_rows[1] = "Снова?; Викторина; Вопрос; Да, Нет и Отмена; Нет>3, Отмена>4";
  m.UpdateText();
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.choose(e.dlg_button[1]);
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[1]);
  EXPECT_EQ(m.dlg_rows[1], "Снова?; Викторина; Вопрос; ОК и Отмена; Отмена>4");

  // Every choice back to "дальше" and no timeout: four fields again.
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.choose(e.dlg_next[0], 0);
    e.dlg_wait.set_text("");
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[0]);
  EXPECT_EQ(m.dlg_rows[0], "Вопрос?; Викторина; Вопрос; ОК");

  // A new row may lead to itself; its lists start at "дальше".
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_next[0].items(),
              (Items{"дальше", "диалог 0", "диалог 1", "диалог 2", "диалог 3", "конец"}));
    EXPECT_EQ(shown_lines(e), (Items{"Кнопка «ОК»: дальше"}));
    EXPECT_EQ(e.dlg_wait_next.text(), "дальше");
    ui.choose(e.dlg_button[2]);
    ui.choose(e.dlg_next[0], 5);
    ui.type(e.dlg_caption[0], U"Конечно");
    ui.type(e.dlg_caption[1], U"Нет уж");
    ui.type(e.dlg_wait, U"5");
    ui.click(e.dlg_countdown);
    ui.type(e.dlg_pause, U"2");
    ui.click(e.SDButton1);
  });
  ui.click(m.sd_new);
  const std::string made =
      "; Диалог; Без значка; Да и Нет; Да «Конечно»>конец, Нет «Нет уж», 5 с, отсчёт, пауза 2 с";
  EXPECT_EQ(m.dlg_rows[3], made);
  // Read back into the same controls, and confirmed unchanged: the same bytes.
  ui.on_modal("make_form", [&](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(shown_lines(e),
              (Items{"Кнопка «Да»: конец «Конечно»", "Кнопка «Нет»: дальше «Нет уж»"}));
    EXPECT_EQ(e.dlg_wait.text(), "5");
    EXPECT_TRUE(e.dlg_countdown.value());
    EXPECT_EQ(e.dlg_pause.text(), "2");
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[3]);
  EXPECT_EQ(m.dlg_rows[3], made);
}

// The timeout box takes digits only, and OK refuses seconds outside 1 to 3600 with
// the editor left open as it was.
TEST_F(DesignerTest, TheEditorRefusesATimeoutThatCannotWork) {
  main_form& m = start();
  ui.answer(ui::IdOk);  // the typed "a"
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_wait, U"1a2\b5");
    EXPECT_EQ(e.dlg_wait.text(), "15");
    EXPECT_EQ(ui.boxes().back().text, "Недопустиный символ.");
    EXPECT_EQ(ui.boxes().back().style, ui::mb::Exclamation | ui::mb::Ok);
    for (const char* refused : {"0", "3601", "99999999999", "5 с", "x"}) {
      SCOPED_TRACE(refused);
      e.dlg_wait.set_text(refused);  // as pasted
      ui.answer(ui::IdOk);
      ui.click(e.SDButton1);
      EXPECT_EQ(ui.boxes().back().text,
                "Диалог может закрыться сам через целое число секунд от 1 до 3600, а в поле "
                "«Закрыть само через» указано «" +
                    std::string(refused) +
                    "».\r\n\r\nИсправьте число или очистите поле, чтобы диалог ждал ответа.");
      EXPECT_EQ(ui.boxes().back().style, ui::mb::Exclamation | ui::mb::Ok);
      EXPECT_TRUE(e.visible());
      EXPECT_EQ(e.dlg_wait.text(), refused);
      EXPECT_EQ(e.focused_control(), &e.dlg_wait);
    }
    // A long paste is named by its start.
    e.dlg_wait.set_text(std::string(40, '7'));
    ui.answer(ui::IdOk);
    ui.click(e.SDButton1);
    EXPECT_NE(ui.boxes().back().text.find("«" + std::string(20, '7') + "…»"), std::string::npos);
    EXPECT_TRUE(main().dlg_rows[0].empty());
    e.dlg_wait.set_text("03600");  // a zero in front counts for nothing
    ui.click(e.SDButton1);
  });
  ui.click(m.sd_new);
  EXPECT_EQ(m.dlg_rows[0], "; Диалог; Без значка; ОК; 3600 с");
}

// A caption refuses the characters a row uses as marks, typed at once and pasted on
// OK, and what a project cannot hold; the pause is checked as the timeout is, and a
// countdown needs a timeout. The editor stays open, the focus where to mend it.
TEST_F(DesignerTest, TheEditorRefusesCaptionsAndPausesThatCannotWork) {
  main_form& m = start();
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    for (int i = 0; i < 5; ++i) ui.answer(ui::IdOk);
    ui.type(e.dlg_caption[0], U"Ни за что на свете, ни за что!!!");
    EXPECT_EQ(e.dlg_caption[0].text(), "Ни за что на свете, ни за что!") << "30 characters";
    e.dlg_caption[0].set_text("");
    ui.type(e.dlg_caption[0], U"«Я»;#");
    ui.type(e.dlg_pause, U"1x");
    EXPECT_EQ(e.dlg_caption[0].text(), "Я");
    EXPECT_EQ(e.dlg_pause.text(), "1");
    ASSERT_EQ(ui.boxes().size(), 5u);
    for (const auto& box : ui.boxes()) EXPECT_EQ(box.text, "Недопустиный символ.");
    const auto refused = [&](const ui::Control& at) {
      ui.answer(ui::IdOk);
      ui.click(e.SDButton1);
      EXPECT_TRUE(e.visible());
      EXPECT_EQ(e.focused_control(), &at);
      return ui.boxes().back().text;
    };
    ui.paste(e.dlg_caption[0], ";#");
    EXPECT_EQ(
        refused(e.dlg_caption[0]),
        "Надпись на кнопке «ОК» содержит символы «;» (U+003B), «#» (U+0023).\r\n\r\n"
        "В строке проекта кавычки «» обрамляют надпись, «;» разделяет поля, «#» переносит "
        "строку, а управляющих символов на кнопке не бывает. Удалите их и нажмите OK ещё раз.");
    e.dlg_caption[0].set_text(std::string(31, 'x'));  // as another program puts it in
    EXPECT_EQ(refused(e.dlg_caption[0]),
              "Надпись на кнопке «ОК» длиннее 30 символов.\r\n\r\nСократите её и нажмите OK ещё "
              "раз.");
    e.dlg_caption[0].set_text("Café");
    ui.answer(ui::IdOk);
    ui.click(e.SDButton1);
    EXPECT_NE(ui.boxes().back().text.find("«é» (U+00E9)"), std::string::npos);
    e.dlg_caption[0].set_text("Понятно");

    ui.click(e.dlg_countdown);
    EXPECT_EQ(refused(e.dlg_wait),
              "Отсчёт показывает диалог, который закрывается сам, а поле «Закрыть само через» "
              "пусто.\r\n\r\nУкажите, через сколько секунд закрыть диалог, или снимите флажок "
              "«показывать отсчёт».");
    ui.click(e.dlg_countdown);
    for (const char* typed : {"0", "3601", "5 с"}) {
      e.dlg_pause.set_text(typed);
      EXPECT_EQ(refused(e.dlg_pause),
                "Диалог может появиться с задержкой в целое число секунд от 1 до 3600, а в поле "
                "«Показать через» указано «" +
                    std::string(typed) +
                    "».\r\n\r\nИсправьте число или очистите поле, чтобы диалог появлялся сразу.");
    }
    EXPECT_TRUE(main().dlg_rows[0].empty());
    e.dlg_pause.set_text("3600");
    ui.click(e.SDButton1);
  });
  ui.click(m.sd_new);
  EXPECT_EQ(m.dlg_rows[0], "; Диалог; Без значка; ОК; ОК «Понятно», пауза 3600 с");
}

// Deleting a row moves the jumps of the rows that stay with them: a target after
// it goes down by one, a target at it names the row that takes its place. The
// delete marks the sequence changed; the selection stays.
TEST_F(DesignerTest, DeletingARowRenumbersTheJumps) {
  main_form& m = start();
  m.dlg_rows = {"Старт; 0; Вопрос; Да и Нет; Да>2, Нет>3", "Лишний; 1; Информация; ОК",
                "Два; 2; Информация; ОК; ОК>1, 9 с>конец", "Три; 3; Информация; ОК"};
  m.UpdateText();
  ui.click(m.str_str[1]);
  ui.click(m.sd_edit);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{"Старт; 0; Вопрос; Да и Нет; Да>1, Нет>2",
                                                    "Два; 2; Информация; ОК; ОК>1, 9 с>конец",
                                                    "Три; 3; Информация; ОК"}));
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(m.dlg_index, 1);
  EXPECT_TRUE(m.str_str[1].border());
}

namespace {

std::string quiz_bytes() {
  std::string path = QUILLET_SOURCE_DIR "/examples/quiz.dlg";
#ifdef _WIN32
  if (path.starts_with("/")) path = "Z:" + path;  // the source tree seen from Wine
#endif
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

// What the end-to-end test of the edits leaves out: a new dialog before the
// selection, its jumps given as the list numbers the rows and renumbered with them;
// greyed menu items; a block pasted into another project, its jumps out of it
// become «дальше»; plain text on the clipboard; a fresh history after New.
TEST_F(DesignerTest, NewDialogsBeforeOthersAndPastesFromElsewhere) {
  folder.put("quiz.dlg", quiz_bytes());
  main_form& m = start();
  open("quiz.dlg");
  const std::set<std::string> opened = answers::by_text(m.dlg_rows);
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_text, U"Новый");
    ui.choose(e.dlg_next[0], 2);  // диалог 1, as the list numbers it now
    ui.click(e.SDButton1);
  });
  ui.answer_menu(11);
  ui.right_click(m.str_str[1]);
  EXPECT_FALSE(ui.menu_items().back()[1].enabled) << "nothing to redo";
  EXPECT_EQ(ui.menu_items().back()[11].text, "&Новый диалог перед этим");
  EXPECT_EQ(m.dlg_rows[1], "Новый; Диалог; Без значка; ОК; ОК>2");
  EXPECT_EQ(m.selection(), (script::Selection{1, 1}));
  for (const std::string& a : answers::by_text(m.dlg_rows))
    EXPECT_TRUE(a.starts_with("Новый") || opened.count(a)) << a;

  ui.key(m, ui::key::Home);
  ui.key(m, ui::key::Down, ui::shift::Shift);
  ui.key(m, 'X', ui::shift::Ctrl);
  ui.answer(ui::IdNo);
  ui.key(m, 'N', ui::shift::Ctrl);
  ui.key(m, 'V', ui::shift::Ctrl);
  EXPECT_EQ(shown_rows(), (std::vector<std::string>{
                              "Небольшая викторина: три вопроса.#Начнём?; Викторина; Вопрос; Да "
                              "и Нет; Да «Начнём!», Нет «В другой раз»",
                              "Новый; Диалог; Без значка; ОК"}));
  EXPECT_EQ(m.status.caption(),
            "Выполнено: вставка диалогов 0, 1; переходов к диалогам вне вставленных, ставших "
            "«дальше»: 2");
  ui.put_on_clipboard("a; b\r\n\r\nc; 日本");
  ui.answer(ui::IdOk);
  ui.key(m, 'V', ui::shift::Ctrl);
  EXPECT_EQ(ui.boxes().back().text,
            "Строка 3 текста в буфере обмена («c; 日本») не может стать диалогом: в кодировке "
            "проекта (Windows-1251) нет символов «日», «本».\r\n\r\nНичего не вставлено.");
  ui.put_on_clipboard("a; b\r\n\r\nc; d");
  ui.key(m, 'V', ui::shift::Ctrl);
  EXPECT_EQ(m.dlg_rows[3], "c; d");
  for (int i = 0; i < 3; ++i) ui.key(m, 'Z', ui::shift::Ctrl);
  EXPECT_TRUE(shown_rows().empty()) << "New started the history afresh";
  EXPECT_FALSE(m.changed);
}

// The status strip tells, in place of the tip and without a box, what was last
// done, which rows can never be shown and when the sequence can never end; it
// follows every change and a reader hears it as the strip's name.
TEST_F(DesignerTest, TheStatusStripTellsWhereTheSequenceCannotGo) {
  main_form& m = start();
  const std::string tip = tips()[4];
  const auto notice = [&] {
    EXPECT_EQ(m.status.accessible().name, m.status.caption());
    return m.status.caption();
  };
  EXPECT_EQ(notice(), tip);
  add(U"a");
  add(U"b");
  EXPECT_EQ(notice(), "Выполнено: добавление диалога 1");
  const ui::Color tip_color = m.status.fore_color();

  // Row 0 leads to itself on OK: row 1 is never shown and nothing ends.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.choose(e.dlg_next[0], 1);
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[0]);
  // The fullest wording that fits the strip, and all of it in the tooltip.
  EXPECT_EQ(notice(), "Программа не закончится (все пути по кругу); диалог 1 не будет показан.");
  EXPECT_EQ(m.status.tooltip(),
            "Программа никогда не закончится: все пути ведут по кругу; диалог 1 не будет показан.");
  EXPECT_NE(m.status.fore_color(), tip_color) << "a notice stands out from a tip";
  EXPECT_TRUE(ui.boxes().empty());

  // A timeout to "конец" is a way out; rows 1 to 4 stay unreachable.
  for (int i = 0; i < 3; ++i) add(U"c");
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_wait, U"5");
    ui.choose(e.dlg_wait_next, static_cast<int>(e.dlg_wait_next.items().size()) - 1);
    ui.click(e.SDButton1);
  });
  ui.double_click(m.str_str[0]);
  EXPECT_EQ(notice(), "Выполнено: изменение диалога 0. Диалоги 1–4 никогда не будут показаны.");
  EXPECT_EQ(m.status.tooltip(), "Диалоги 1–4 никогда не будут показаны.");
  m.dlg_rows[0] = "a; Диалог; Без значка; ОК; ОК>2, 5 с>конец";
  m.dlg_rows[3] = "c; Диалог; Без значка; ОК; ОК>0";
  m.UpdateText();
  EXPECT_EQ(notice(), "Выполнено: изменение диалога 0. Диалоги 1, 4 никогда не будут показаны.");

  // Deleting row 1 leaves one row that no path reaches.
  ui.click(m.str_str[1]);
  ui.click(m.sd_edit);
  EXPECT_EQ(notice(), "Выполнено: удаление диалога 1. Диалог 3 никогда не будет показан.");
  ui.click(m.str_str[3]);
  ui.click(m.sd_edit);  // 0 -> 1 -> 2 -> 0, and the timeout ends
  EXPECT_EQ(notice(), "Выполнено: удаление диалога 3");
  EXPECT_EQ(m.status.fore_color(), tip_color);
  EXPECT_EQ(m.status.tooltip(), "");

  // Every second row passed over in a loop: the shortest wording.
  for (int i = 0; i < 15; ++i)
    m.dlg_rows[static_cast<std::size_t>(i)] =
        "d; " + std::to_string(i) +
        (i % 2 ? "" : "; Информация; ОК; ОК>" + std::to_string(i == 14 ? 0 : i + 2));
  m.UpdateText();
  EXPECT_EQ(notice(), "Программа не закончится; диалоги 1, 3, 5, 7, 9, 11, 13 не будут показаны.");

  // A trap: the run can end, but never once row 1 is shown.
  m.dlg_rows = {"Начало; A; Вопрос; Да и Нет; Да>1, Нет>2", "Ловушка; B; Информация; ОК; ОК>1",
                "Выход; C; Информация; ОК"};
  m.UpdateText();
  // Beside what was done, the wording that fits.
  EXPECT_EQ(notice(), "Выполнено: удаление диалога 3. После диалога 1 программа не закончится.");
  EXPECT_EQ(m.status.tooltip(),
            "После диалога 1 программа никогда не закончится: все пути от него ведут по кругу.");
  m.dlg_rows[1] = "Ловушка; B; Информация; ОК; ОК>2";
  m.dlg_rows[2] = "Круг; C; Информация; ОК; ОК>1";
  m.dlg_rows[3] = "Выход; D; Информация; ОК; ОК>конец";
  m.dlg_rows[4] = "Скрыт; E; Информация; ОК; ОК>4";  // a trap no path leads into
  m.dlg_rows[0] = "Начало; A; Вопрос; Да и Нет; Да>1, Нет>3";
  m.UpdateText();
  EXPECT_EQ(notice(), "После диалогов 1, 2 программа не закончится; диалог 4 не будет показан.");
  EXPECT_EQ(m.status.tooltip(),
            "После диалогов 1, 2 программа никогда не закончится: все пути от них ведут по кругу; "
            "диалог 4 не будет показан.");

  // Opening a project and New follow too.
  folder.put("loop.dlg", script({"a; b; Информация; ОК; ОК>0"}));
  ui.answer(ui::IdNo);
  open("loop.dlg");
  EXPECT_EQ(notice(), "Программа никогда не закончится: все пути ведут по кругу.");
  ui.click(m.sd[0]);  // nothing to save since the open: no question
  EXPECT_EQ(notice(), tip);
}

// A small project for the scheme: the start asks (Да goes on, Нет leads to 3), 1
// loops back on Нет, 2 ends the run, 3 goes back to the start on Отмена.
class SchemeTest : public DesignerTest {
 protected:
  scheme_form& open_scheme() {
    main_form& m = start();
    m.dlg_rows = {"Начнём?; Старт; Вопрос; Да и Нет; Нет>3",
                  "Паук?; Вопрос; Вопрос; Да и Нет; Нет>1", "Верно; Ура; Информация; ОК; ОК>конец",
                  "Жаль; Пока; Без значка; ОК и Отмена; Отмена>0"};
    m.UpdateText();
    ui.click(m.sd_scheme);
    return *ui::Single<scheme_form>::if_loaded();
  }
  scheme_form& s() { return *ui::Single<scheme_form>::if_loaded(); }
  // The middle of a row's card, in pixels of the drawing.
  ui::Point card(int row) {
    for (const auto& c : s().layout().cards)
      if (c.row == row) return {c.box.x + c.box.width / 2, c.box.y + c.box.height / 2};
    ADD_FAILURE() << "no card for row " << row;
    return {};
  }
  // The middle of the grip of a row's way out (its place among the row's ways out).
  ui::Point exit_at(int row, int exit) {
    for (const auto& a : s().layout().arrows)
      if (a.from == row && a.exit == exit)
        return {a.grip.x + a.grip.width / 2, a.grip.y + a.grip.height / 2};
    ADD_FAILURE() << "no way out " << exit << " of row " << row;
    return {};
  }
  int item_of(int row) {
    const auto& cards = s().layout().cards;
    for (std::size_t i = 0; i < cards.size(); ++i)
      if (cards[i].row == row) return static_cast<int>(i);
    return -1;
  }
  // The row of the card the scheme shows selected, checked against the main window.
  int selected() {
    const int item = s().scheme.selected();
    const int row = item < 0 ? -1 : s().layout().cards[static_cast<std::size_t>(item)].row;
    EXPECT_EQ(row, s().selected_row());
    if (row >= 0) {
      EXPECT_EQ(main().dlg_index, row) << "the main window's selection";
    }
    return row;
  }
};

TEST_F(SchemeTest, OpensBesideTheMainWindowAndFollowsEveryChange) {
  scheme_form& scheme = open_scheme();
  main_form& m = main();
  EXPECT_TRUE(scheme.visible());
  EXPECT_FALSE(scheme.modal());
  EXPECT_EQ(scheme.owner(), &m);
  EXPECT_EQ(scheme.border(), ui::Border::Sizable);
  EXPECT_EQ(scheme.caption(), "Схема - [Новый диалог]");
  EXPECT_EQ(scheme.focused_control(), &scheme.scheme) << "the scheme takes the keys";
  // As large as the scheme, the scheme filling it; one item a card, read by its name.
  EXPECT_EQ(scheme.client_width(), scheme.layout().width);
  EXPECT_EQ(scheme.client_height(), scheme.layout().height);
  EXPECT_EQ(scheme.scheme.rect(), (Rect{0, 0, scheme.client_width(), scheme.client_height()}));
  ASSERT_EQ(scheme.scheme.items().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_EQ(scheme.scheme.items()[i].name, scheme.layout().cards[i].name);
  EXPECT_EQ(scheme.scheme.accessible().role, ui::Role::List);
  EXPECT_EQ(selected(), 0);
  // The pointer over a card shows its whole text.
  ui.move(scheme.scheme, card(0));
  EXPECT_EQ(scheme.scheme.tooltip(), "Начнём?");

  // The selection is one: a card clicked selects its row, a row clicked its card.
  ui.click(scheme.scheme, card(2));
  EXPECT_EQ(selected(), 2);
  EXPECT_TRUE(m.str_str[2].border());
  ui.click(m.str_str[1]);
  EXPECT_EQ(selected(), 1);
  // A window of another size keeps the scheme filling it.
  scheme.client_resized(300, 200);
  EXPECT_EQ(scheme.scheme.rect(), (Rect{0, 0, 300, 200}));

  // A double click edits the row in the main window's editor; the scheme follows
  // and has the keys back.
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    EXPECT_EQ(e.dlg_title.text(), "Пока");
    e.dlg_title.set_text("Другой");
    ui.click(e.SDButton1);
  });
  ui.double_click(scheme.scheme, card(3));
  EXPECT_EQ(m.dlg_rows[3], "Жаль; Другой; Без значка; ОК и Отмена; Отмена>0");
  EXPECT_NE(
      scheme.scheme.items()[static_cast<std::size_t>(scheme.scheme.selected())].name.find("Другой"),
      std::string::npos);
  EXPECT_EQ(ui.active_form(), &scheme);
  // Deleting, saving and clearing in the main window show at once.
  ui.click(m.sd_edit);
  EXPECT_EQ(scheme.scheme.items().size(), 3u);
  ui.on_modal("save_form", save_as(U"story"));
  ui.click(m.sd[2]);
  EXPECT_EQ(scheme.caption(), "Схема - [story.dlg]");
  ui.click(m.sd[0]);
  EXPECT_TRUE(scheme.scheme.items().empty());
  EXPECT_TRUE(scheme.scheme.shapes().empty());
  EXPECT_EQ(scheme.caption(), "Схема - [Новый диалог]");
  // F8 brings the open scheme forward, Esc closes it; it was loaded once.
  ui.key(m, ui::key::F8);
  EXPECT_EQ(ui.active_form(), &scheme);
  ui.key(scheme, ui::key::Escape);
  EXPECT_FALSE(ui::Single<scheme_form>::loaded());
  EXPECT_EQ(std::count(ui.log().begin(), ui.log().end(), "load scheme_form"), 1);
  add(U"после");  // the main window goes on without it
  EXPECT_EQ(m.dlg_rows[0], "после; Диалог; Без значка; ОК");
}

TEST_F(SchemeTest, KeysWalkTheArrowsAndBackspaceGoesBack) {
  scheme_form& scheme = open_scheme();
  const auto key = [&](int code, unsigned shift = ui::shift::None) {
    ui.key(scheme, code, shift);
    return selected();
  };
  const auto letter = [&](char32_t c) {
    ui.press_key(scheme, c);
    return selected();
  };
  ui.click(scheme.scheme, card(2));
  EXPECT_EQ(key(ui::key::Home), 0) << "the start";
  // The keys of О, Д, Н and М on a Russian keyboard, and the letters typed.
  EXPECT_EQ(key('L'), 1);      // Да goes on
  EXPECT_EQ(key('Y'), 1);      // Нет loops back to itself
  EXPECT_EQ(letter(U'д'), 2);  // Да goes on
  EXPECT_EQ(letter(U'О'), 2);  // ОК ends the run: nowhere to go
  EXPECT_EQ(key(ui::key::Backspace), 1);
  EXPECT_EQ(key(ui::key::Backspace), 0);
  EXPECT_EQ(letter(U'н'), 3);  // Нет leads to 3
  EXPECT_EQ(key('V'), 0);      // Отмена back to the start
  EXPECT_EQ(key('J'), 0) << "the start has no ОК";
  EXPECT_EQ(letter(U'м'), 0);
  EXPECT_EQ(key(ui::key::Backspace), 3);
  // The arrows go to the nearest card that way: down from the start, then back up.
  EXPECT_EQ(key(ui::key::Home), 0);
  const int below = key(ui::key::Down);
  EXPECT_TRUE(below == 1 || below == 3) << below << ": the next layer, not one beyond";
  EXPECT_EQ(key(ui::key::Up), 0);
  ui.click(scheme.scheme, card(1));
  EXPECT_EQ(key(card(3).x > card(1).x ? ui::key::Right : ui::key::Left), 3) << "beside it";
  EXPECT_EQ(key(ui::key::Up), 0) << "nothing above the start";
  // Enter edits the selected row.
  ui.on_modal("make_form", [](ui::Form& f) { f.unload(); });
  ui.key(scheme, ui::key::Enter);
  EXPECT_TRUE(ui.log().end() !=
              std::find(ui.log().begin(), ui.log().end(), "show make_form modal"));
  // The scheme never changes the project by itself.
  EXPECT_FALSE(main().changed);
}

// The ways out are the cards' parts; dragged onto a card, onto empty space (a
// menu) or chosen in the context menu or a reader's, each leads where asked, as
// one step of the main window's history, and undo gives back the rows opened.
TEST_F(SchemeTest, ConnectsByThePointerTheKeysAndAReader) {
  scheme_form& scheme = open_scheme();
  main_form& m = main();
  folder.put("small.dlg", script({m.dlg_rows.begin(), m.dlg_rows.begin() + 4}));
  open("small.dlg");
  const script::Rows opened = m.dlg_rows;
  const auto& card0 = scheme.scheme.items()[static_cast<std::size_t>(item_of(0))];
  ASSERT_EQ(card0.parts.size(), 2u);
  EXPECT_EQ(card0.parts[0].name, "Да → дальше");
  EXPECT_EQ(card0.parts[1].name, "Нет → диалог 3");

  // Held and moved: a line to the pointer, the card under it ringed; Esc lets go.
  ui.press(scheme.scheme, exit_at(0, 1));
  ui.move(scheme.scheme, card(2));
  const auto line_to = [&](ui::Point p) {
    const auto* last = std::get_if<ui::shape::Path>(&scheme.scheme.shapes().back());
    return last && last->points.back() == p;
  };
  EXPECT_TRUE(line_to(card(2)));
  EXPECT_EQ(std::count_if(scheme.scheme.shapes().begin(), scheme.scheme.shapes().end(),
                          [](const ui::Shape& s) {
                            const auto* b = std::get_if<ui::shape::Box>(&s);
                            return b && b->fill == ui::Color::rgb(0, 90, 200);
                          }),
            1);
  ui.key(scheme, ui::key::Escape);
  EXPECT_FALSE(line_to(card(2)));
  ui.release(scheme.scheme, card(2));
  EXPECT_EQ(m.dlg_rows, opened);
  EXPECT_TRUE(ui::Single<scheme_form>::loaded()) << "Esc let go of the drag only";

  ui.drag(scheme.scheme, exit_at(0, 1), card(2));
  EXPECT_EQ(m.dlg_rows[0], "Начнём?; Старт; Вопрос; Да и Нет; Нет>2");
  EXPECT_EQ(m.history().undo_what(), "подключение «Нет» диалога 0 → диалог 2");
  EXPECT_EQ(selected(), 0);
  // On empty space: the end, or a new dialog (one step with its connection).
  const ui::Point empty{2, scheme.layout().height - 2};
  ui.answer_menu(1);
  ui.drag(scheme.scheme, exit_at(0, 0), empty);
  EXPECT_EQ(ui.menus().back(), (std::vector<std::string>{"&Новый диалог...", "&Конец", "&Дальше"}));
  EXPECT_EQ(m.dlg_rows[0], "Начнём?; Старт; Вопрос; Да и Нет; Да>конец, Нет>2");
  ui.answer_menu(0);
  ui.on_modal("make_form", [this](ui::Form& f) {
    auto& e = static_cast<make_form&>(f);
    ui.type(e.dlg_text, U"Новый");
    ui.click(e.SDButton1);
  });
  ui.drag(scheme.scheme, exit_at(3, 0), empty);
  EXPECT_EQ(m.dlg_rows[3], "Жаль; Пока; Без значка; ОК и Отмена; ОК>4, Отмена>0");
  EXPECT_EQ(m.dlg_rows[4], "Новый; Диалог; Без значка; ОК");
  EXPECT_EQ(selected(), 4);
  EXPECT_EQ(ui.active_form(), &scheme) << "the keys come back to the scheme";
  ui.key(scheme, 'Z', ui::shift::Ctrl);
  EXPECT_EQ(m.dlg_rows[3], opened[3]);
  EXPECT_EQ(m.dlg_rows[4], "");

  // The menu key: each way out with the dialogs, the end and the next one, where
  // it leads now checked.
  ui.click(scheme.scheme, card(1));
  ui.answer_menu(7);  // Да, then dialog 3
  ui.key(scheme, ui::key::Apps);
  const std::vector<ui::MenuItem>& menu = ui.menu_items().back();
  ASSERT_EQ(menu.size(), 11u);
  EXPECT_EQ(menu[3].text, "&Да → дальше");
  EXPECT_EQ(menu[4].text, "&Нет → диалог 1");
  const auto checked = [](const std::vector<ui::MenuItem>& targets) {
    std::string out;
    for (const ui::MenuItem& target : targets) out += target.checked ? target.text : "";
    return out;
  };
  EXPECT_EQ(checked(menu[3].submenu), "&дальше");
  EXPECT_EQ(checked(menu[4].submenu), "&1: Вопрос");
  EXPECT_EQ(menu[3].submenu[3].text, "&3: Пока");
  EXPECT_EQ(m.dlg_rows[1], "Паук?; Вопрос; Вопрос; Да и Нет; Да>3, Нет>1");
  // A reader's default action on a way out opens where it may lead.
  ui.answer_menu(6);  // дальше
  EXPECT_TRUE(ui.default_action(scheme.scheme, item_of(3), 1));
  EXPECT_EQ(checked(ui.menu_items().back()), "&0: Старт");
  EXPECT_EQ(m.dlg_rows[3], "Жаль; Пока; Без значка; ОК и Отмена");
  // Delete on a card deletes its row; undone step by step, the rows are those opened.
  ui.click(scheme.scheme, card(2));
  ui.key(scheme, ui::key::Delete);
  EXPECT_EQ(m.dlg_rows[2], "Жаль; Пока; Без значка; ОК и Отмена");
  for (int i = 0; i < 5; ++i) ui.key(scheme, 'Z', ui::shift::Ctrl);
  EXPECT_EQ(m.dlg_rows, opened);
  EXPECT_FALSE(m.changed);
  ui.key(scheme, 'Y', ui::shift::Ctrl);
  EXPECT_EQ(m.dlg_rows[0], "Начнём?; Старт; Вопрос; Да и Нет; Нет>2");
  EXPECT_EQ(m.history().undo_what(), "подключение «Нет» диалога 0 → диалог 2");
}

TEST_F(SchemeTest, CopiesAndSavesItsPictureAndSaysWhyNot) {
  scheme_form& scheme = open_scheme();
  const ui::Size twice{2 * scheme.layout().width, 2 * scheme.layout().height};
  // The context menu by the menu key; Ctrl+C does the same.
  ui.answer_menu(-1);
  ui.key(scheme, ui::key::F10, ui::shift::Shift);
  ASSERT_EQ(ui.menus().size(), 1u);
  const std::vector<std::string>& menu = ui.menus()[0];
  ASSERT_GE(menu.size(), 2u);
  EXPECT_EQ(menu.back(), "&Сохранить картинку...\tCtrl+S");
  EXPECT_EQ(menu[menu.size() - 2], "&Копировать\tCtrl+C");
  ui.answer_menu(static_cast<int>(menu.size()) - 2);
  ui.key(scheme, ui::key::F10, ui::shift::Shift);
  EXPECT_EQ(ui.clipboard_text(), scheme::copy_text(scheme.layout()));
  ASSERT_TRUE(ui.clipboard_picture());
  EXPECT_EQ(ui.clipboard_picture()->width, twice.width);
  EXPECT_EQ(ui.clipboard_picture()->height, twice.height);
  ui.set_clipboard_held(true);
  ui.answer(ui::IdOk);
  ui.key(scheme, 'C', ui::shift::Ctrl);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_NE(ui.boxes()[0].text.find("буфер обмена занят"), std::string::npos);
  // Short of memory for the picture: the text goes alone, and the window says so.
  ui.set_clipboard_held(false);
  ui.set_clipboard_refuses_pictures(true);
  ui.answer(ui::IdOk);
  ui.key(scheme, 'C', ui::shift::Ctrl);
  ASSERT_EQ(ui.boxes().size(), 2u);
  EXPECT_EQ(ui.boxes()[1].text,
            "Скопирован только текст схемы, без картинки: не хватило памяти для картинки.");
  EXPECT_EQ(ui.clipboard_text(), scheme::copy_text(scheme.layout()));
  EXPECT_FALSE(ui.clipboard_picture());

  // Saved as PNG where the user says, proposed under the project's name.
  main().file_name = "story.dlg";
  ui.answer_save(folder / "scheme.png");
  ui.key(scheme, 'S', ui::shift::Ctrl);
  ASSERT_EQ(ui.save_questions().size(), 1u);
  EXPECT_EQ(ui.save_questions()[0].file_name, "story.png");
  EXPECT_EQ(ui.save_questions()[0].extension, "png");
  EXPECT_EQ(folder.get("scheme.png"),
            "png " + std::to_string(twice.width) + "x" + std::to_string(twice.height));
  ui.answer_save(std::nullopt);  // cancelled: nothing written, nothing said
  ui.key(scheme, 'S', ui::shift::Ctrl);
  EXPECT_EQ(ui.boxes().size(), 2u);
  ui.answer_save(folder / "missing\\scheme.png");
  ui.answer(ui::IdOk);
  ui.key(scheme, 'S', ui::shift::Ctrl);
  ASSERT_EQ(ui.boxes().size(), 3u);
  EXPECT_NE(ui.boxes()[2].text.find("Картинка не сохранена"), std::string::npos);
  EXPECT_NE(ui.boxes()[2].text.find(ErrorDescription(76)), std::string::npos) << ui.boxes()[2].text;
  ui.set_png_failure("Кодировщик PNG системы недоступен");
  ui.answer_save(folder / "other.png");
  ui.answer(ui::IdOk);
  ui.key(scheme, 'S', ui::shift::Ctrl);
  ASSERT_EQ(ui.boxes().size(), 4u);
  EXPECT_EQ(ui.boxes()[3].text, "Картинка не сохранена: Кодировщик PNG системы недоступен.");
  EXPECT_FALSE(folder.has("other.png"));
}
