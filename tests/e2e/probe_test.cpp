// The probe library itself, on windows of this test's own process: if these hold, a
// failing end-to-end test points at the program under test, not at the probe.

#include "probe.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using probe::BoxIcon;

HWND wait_own_box(const std::wstring& caption) {
  for (int i = 0; i < 2000; ++i) {
    const auto found = probe::top_windows(GetCurrentProcessId(), {L"#32770", caption, true});
    if (!found.empty()) return found.front();
    Sleep(5);
  }
  return nullptr;
}

// Shows a box on a second thread, reads it from this one and answers it; the box
// must return the answer.
probe::MessageBoxView show_and_read(UINT style, int answer) {
  const std::wstring caption = L"Проба " + std::to_wstring(style);
  int result = 0;
  std::thread shower(
      [&] { result = MessageBoxW(nullptr, L"Строка 1\rСтрока 2", caption.c_str(), style); });
  HWND box = wait_own_box(caption);
  probe::MessageBoxView view;
  if (box) {
    view = probe::read_message_box(box);
    probe::answer(box, answer);
  }
  shower.join();
  EXPECT_TRUE(box) << "no box with caption " << probe::to_utf8(caption);
  EXPECT_EQ(result, answer);
  return view;
}

TEST(Probe, ReadsEveryKindOfMessageBox) {
  struct Case {
    UINT style;
    BoxIcon icon;
    std::vector<int> buttons;
    int answer;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONHAND | MB_SYSTEMMODAL, BoxIcon::Hand, {IDOK}, IDOK},
      {MB_OKCANCEL | MB_ICONQUESTION, BoxIcon::Question, {IDOK, IDCANCEL}, IDCANCEL},
      {MB_YESNO | MB_ICONEXCLAMATION | MB_SYSTEMMODAL, BoxIcon::Exclamation, {IDYES, IDNO}, IDNO},
      {MB_YESNOCANCEL | MB_ICONASTERISK, BoxIcon::Asterisk, {IDCANCEL, IDYES, IDNO}, IDYES},
      {MB_OK | MB_SYSTEMMODAL, BoxIcon::None, {IDOK}, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    const probe::MessageBoxView view = show_and_read(c.style, c.answer);
    EXPECT_EQ(view.text, L"Строка 1\rСтрока 2");
    EXPECT_EQ(view.buttons, c.buttons);
    EXPECT_EQ(view.topmost, (c.style & MB_SYSTEMMODAL) != 0);
    EXPECT_STREQ(probe::to_string(view.icon), probe::to_string(c.icon));
  }
}

TEST(Probe, FindsControlsByTheirNameProperty) {
  HWND top = CreateWindowExW(0, L"Static", L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_TRUE(top);
  HWND frame = CreateWindowExW(0, L"Static", L"frame", WS_CHILD, 0, 0, 100, 50, top, nullptr,
                               nullptr, nullptr);
  HWND row = CreateWindowExW(0, L"Static", L"row 3", WS_CHILD, 0, 0, 50, 20, frame,
                             reinterpret_cast<HMENU>(7), nullptr, nullptr);
  HWND other = CreateWindowExW(0, L"Static", L"row 4", WS_CHILD, 0, 20, 50, 20, frame, nullptr,
                               nullptr, nullptr);
  const ATOM row_atom = GlobalAddAtomW(L"str_str(3)");
  const ATOM other_atom = GlobalAddAtomW(L"str_str(4)");
  SetPropW(row, L"Name", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(row_atom)));
  SetPropW(other, L"Name", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(other_atom)));

  EXPECT_EQ(probe::find_by_name(top, L"str_str(3)"), row);
  EXPECT_EQ(probe::find_by_name(top, L"str_str(4)"), other);
  EXPECT_EQ(probe::find_by_name(top, L"str_str"), nullptr);
  EXPECT_EQ(probe::find_by_name(top, L"STR_STR(3)"), nullptr);
  EXPECT_EQ(probe::control_name(row), L"str_str(3)");
  EXPECT_EQ(probe::control_name(frame), L"");
  EXPECT_EQ(probe::find_child(top, 7), row);
  EXPECT_EQ(probe::text(row), L"row 3");

  DestroyWindow(top);
  GlobalDeleteAtom(row_atom);
  GlobalDeleteAtom(other_atom);
}

TEST(Probe, WritesPngFilesWithStoredBlocks) {
  probe::Image small;
  small.width = 2;
  small.height = 2;
  small.rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
  // The same picture written by a reference encoder at compression level 0.
  const std::string want(
      "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x02\x08\x02\0\0\0\xfd\xd4\x9a\x73"
      "\0\0\0\x19IDAT\x78\x01\x01\x0e\0\xf1\xff\0\xff\0\0\0\xff\0\0\0\0\xff\x0a\x14\x1e"
      "\x1a\x58\x03\x3a\xcd\x98\xdb\x4b\0\0\0\0IEND\xae\x42\x60\x82",
      82);
  EXPECT_EQ(probe::encode_png(small), want);

  // A picture larger than one stored block (65535 bytes): blocks of the right
  // lengths, only the last one marked final.
  probe::Image big;
  big.width = 300;
  big.height = 100;
  big.rgb.assign(300 * 100 * 3, 0x5A);
  const std::string png = probe::encode_png(big);
  const std::size_t idat = png.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  std::size_t pos = idat + 4 + 2, raw = 0;
  for (;;) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(png[i]); };
    const unsigned len = byte(pos + 1) | byte(pos + 2) << 8;
    const unsigned nlen = byte(pos + 3) | byte(pos + 4) << 8;
    EXPECT_EQ(len ^ 0xFFFF, nlen);
    raw += len;
    const bool final = byte(pos) == 1;
    pos += 5 + len;
    if (final) break;
    EXPECT_EQ(len, 65535u);
    ASSERT_LT(pos, png.size());
  }
  EXPECT_EQ(raw, (300u * 3 + 1) * 100);
}

}  // namespace
