#pragma once
// The designer's windows in a program folder of their own, driven headless.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "designer/about_form.h"
#include "designer/comp_form.h"
#include "designer/compile_form.h"
#include "designer/file_form.h"
#include "designer/main_form.h"
#include "designer/make_form.h"
#include "designer/save_form.h"
#include "designer/scheme_form.h"
#include "platform/platform.h"
#include "script/cp1251.h"
#include "test_folder.h"
#include "ui/headless/headless.h"

class DesignerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::set_program_folder(folder.str());
    platform::set_process_starter(&DesignerTest::record_start);
    started().clear();
    designer::main_form::random_unit = [] { return 0.5; };
  }
  void TearDown() override {
    ui::unload_all();
    platform::set_process_starter(nullptr);
    EXPECT_TRUE(ui.scripts_used_up()) << "a scripted window or answer was not used";
  }

  // The main window, started as the program starts it.
  designer::main_form& start() {
    auto& m = ui::Single<designer::main_form>::get();
    m.show();
    return m;
  }
  designer::main_form& main() { return ui::Single<designer::main_form>::get(); }

  // Adds a dialog through sd_new and the editor.
  void add(std::u32string text, std::string title = "Диалог", int icon = 4, int buttons = 0) {
    ui.on_modal("make_form", [=, this](ui::Form& f) {
      auto& e = static_cast<designer::make_form&>(f);
      ui.type(e.dlg_text, text);
      e.dlg_title.set_text(title);
      ui.choose(e.dlg_icon[icon]);
      ui.choose(e.dlg_button[buttons]);
      ui.click(e.SDButton1);
    });
    ui.click(main().sd_new);
  }

  // For the save-as window: types a name and saves.
  std::function<void(ui::Form&)> save_as(std::u32string name) {
    return [this, name](ui::Form& f) {
      auto& s = static_cast<designer::save_form&>(f);
      ui.type(s.Text1, name);
      ui.click(s.sd_save);
    };
  }

  // In the open window: chooses an entry and confirms.
  void open_entry(ui::Form& f, const std::string& entry) {
    auto& o = static_cast<designer::file_form&>(f);
    const auto& items = o.filebox.items();
    const auto at = std::find(items.begin(), items.end(), entry);
    ASSERT_NE(at, items.end()) << entry;
    ui.select(o.filebox, static_cast<int>(at - items.begin()));
    ui.click(o.sd_open);
  }

  // Opens a project of the program folder through the toolbar and the open window.
  void open(const std::string& entry) {
    ui.on_modal("file_form", [this, entry](ui::Form& f) { open_entry(f, entry); });
    ui.click(main().sd[1]);
  }

  // The captions of the visible rows, top to bottom.
  std::vector<std::string> shown_rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < 15; ++i)
      if (main().str_str[i].visible()) rows.push_back(main().str_str[i].caption());
    return rows;
  }

  // A script file of the given rows, as the designer writes it.
  static std::string script(std::vector<std::string> rows) {
    std::string bytes;
    rows.resize(15);
    for (const auto& r : rows) bytes += script::to_cp1251(r) + "\r\n";
    return bytes;
  }

  static std::vector<std::string>& started() {
    static std::vector<std::string> paths;
    return paths;
  }

  ui::headless::Headless ui;
  TestFolder folder;

 private:
  // The program's path, then its arguments after a space when it has any.
  static platform::FileError record_start(std::string_view path, std::string_view arguments) {
    started().push_back(std::string(path) + (arguments.empty() ? "" : " ") +
                        std::string(arguments));
    return platform::FileError::None;
  }
};
