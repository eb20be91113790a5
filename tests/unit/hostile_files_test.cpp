// Projects that someone else edited, or that are no text at all: each either opens
// with its first fifteen lines or gives the open error box; none crashes or hangs.

#include <cstdio>
#include <random>

#include "designer_fixture.h"

using namespace designer;

namespace {

std::string lines(int n, const std::string& body, const std::string& ending = "\r\n") {
  std::string s;
  for (int i = 0; i < n; ++i) s += body + std::to_string(i) + ending;
  return s;
}

struct Hostile {
  std::string name;
  std::string bytes;
  int error;  // the error number of the open box, or 0 when the project opens
};

}  // namespace

TEST_F(DesignerTest, HostileProjectsOpenOrAreRefused) {
  std::mt19937 random(1251);
  std::string binary(65536, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  std::string long_field4 = script::to_cp1251("Поле; 4; Вопрос; Да и Нет; ");
  while (long_field4.size() < (1u << 20)) long_field4 += script::to_cp1251("Да «, ");
  const std::vector<Hostile> cases = {
      {"empty.dlg", "", 62},
      {"fourteen.dlg", lines(14, "row; "), 62},
      {"lone_cr.dlg", lines(15, "row; ", "\r"), 0},
      {"lone_lf.dlg", lines(40, "row; ", "\n"), 62},  // one long line
      {"zeros.dlg", lines(15, std::string("a\0b; t", 6)), 0},
      {"eof_mark.dlg", lines(15, "\x1A; \x1A") + "\x1A" + lines(3, "after"), 0},
      {"ten_mb_line.dlg", std::string(10 << 20, 'x') + "\r\n" + lines(14, "row; "), 0},
      {"binary.dlg", binary, 0},  // short lines between its random CR bytes
      // Field 4 of a Yes/No box: 1 MB of "Да «" items whose quotes never close.
      {"long_field4.dlg", long_field4 + "\r\n" + lines(14, "row; "), 0},
  };
  for (const Hostile& h : cases) folder.put(h.name, h.bytes);
  // A 2 GB file of zeros that takes no room: its first line never ends. Some disks
  // refuse a file that large ("File too large"); the other cases still run there.
  std::vector<Hostile> all = cases;
  std::error_code refused;
  std::filesystem::resize_file((folder.put("sparse.dlg", ""), folder.native("sparse.dlg")),
                               std::uintmax_t{2} << 30, refused);
  if (refused) {
    std::printf("sparse.dlg left out: %s\n", refused.message().c_str());
  } else {
    all.push_back({"sparse.dlg", "", 7});
  }

  main_form& m = start();
  for (const Hostile& h : all) {
    const std::size_t boxes = ui.boxes().size();
    m.file_name.clear();
    if (h.error != 0) ui.answer(ui::IdOk);
    ui.on_modal("file_form", [&](ui::Form& f) { open_entry(f, h.name); });
    ui.click(m.sd[1]);
    const bool opened = m.file_name == h.name;
    EXPECT_EQ(opened, h.error == 0) << h.name;
    EXPECT_EQ(ui.boxes().size(), boxes + (opened ? 0 : 1)) << h.name;
    if (h.error != 0) {
      EXPECT_NE(ui.boxes().back().text.find("№" + std::to_string(h.error)), std::string::npos)
          << h.name << ": " << ui.boxes().back().text;
    }
    if (h.name == "ten_mb_line.dlg") {
      EXPECT_EQ(m.dlg_rows[0].size(), std::size_t{10} << 20);
      EXPECT_EQ(m.dlg_rows[14], "row; 13");
      EXPECT_EQ(shown_rows()[0], std::string(1000, 'x') + "…");  // no line shows more
    }
    if (h.name == "long_field4.dlg") {
      // The editor takes the whole row and gives it back unchanged; a delete
      // renumbers it; all in time linear in its length.
      const std::string row = m.dlg_rows[0];
      ui.on_modal("make_form",
                  [this](ui::Form& f) { ui.click(static_cast<make_form&>(f).SDButton1); });
      ui.double_click(m.str_str[0]);
      EXPECT_EQ(m.dlg_rows[0], row);
      ui.click(m.str_str[1]);
      ui.click(m.sd_edit);
      EXPECT_EQ(m.dlg_rows[0], row);
      EXPECT_EQ(m.dlg_rows[1], "row; 1");
      m.changed = false;  // for the next open
    }
  }
}
