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
  const std::vector<Hostile> cases = {
      {"empty.dlg", "", 62},
      {"fourteen.dlg", lines(14, "row; "), 62},
      {"lone_cr.dlg", lines(15, "row; ", "\r"), 0},
      {"lone_lf.dlg", lines(40, "row; ", "\n"), 62},  // one long line
      {"zeros.dlg", lines(15, std::string("a\0b; t", 6)), 0},
      {"eof_mark.dlg", lines(15, "\x1A; \x1A") + "\x1A" + lines(3, "after"), 0},
      {"ten_mb_line.dlg", std::string(10 << 20, 'x') + "\r\n" + lines(14, "row; "), 0},
      {"binary.dlg", binary, 0},  // short lines between its random CR bytes
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
    }
  }
}
