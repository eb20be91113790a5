// Files and folders as the designer uses them, on the real file system.

#include <gtest/gtest.h>

#include "platform/long_path.h"
#include "platform/platform.h"
#include "test_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

using platform::FileError;

TEST(Platform, DirectorySearch) {
  TestFolder f;
  f.put("story.dlg", "x");
  f.put("Other.DLG", "y");
  f.put("notes.txt", "z");
  std::filesystem::create_directory(f.native("folder.dlg"));

  EXPECT_EQ(platform::dir_all(f / "*.dlg", platform::Normal),
            (std::vector<std::string>{"Other.DLG", "story.dlg"}));
  EXPECT_EQ(platform::dir(f / "story.dlg", platform::Normal), "story.dlg");
  EXPECT_EQ(platform::dir(f / "missing.dlg", platform::Normal), "");
  // A folder counts only for the directory search.
  EXPECT_EQ(platform::dir(f / "folder.dlg", platform::Normal), "");
  EXPECT_EQ(platform::dir(f / "folder.dlg", platform::Directory), "folder.dlg");
  EXPECT_EQ(platform::dir(f / "story.dlg", platform::Directory), "story.dlg");
  // Wildcards in a typed name match any project; names the system refuses match none.
  EXPECT_EQ(platform::dir(f / "*.dlg", platform::Normal), "Other.DLG");
  EXPECT_EQ(platform::dir(f / "a\"b<c>.dlg", platform::Normal), "");
  EXPECT_EQ(platform::dir("", platform::Directory), "");
  EXPECT_EQ(platform::dir(f / "", platform::Directory), "");
}

#ifdef _WIN32
TEST(Platform, HiddenAndSystemFilesAreNotListed) {
  TestFolder f;
  f.put("hidden.dlg", "x");
  f.put("system.dlg", "x");
  SetFileAttributesW(f.native("hidden.dlg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(f.native("system.dlg").c_str(), FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(platform::dir_all(f / "*.dlg", platform::Normal).empty());
  EXPECT_TRUE(platform::dir_all(f / "*.dlg", platform::Directory).empty());
}
#endif

TEST(Platform, WritingReplacesWholeAndLeavesNoTemporaryFile) {
  TestFolder f;
  EXPECT_EQ(platform::write_file(f / "p.dlg", "first"), FileError::None);
  EXPECT_EQ(f.get("p.dlg"), "first");
  EXPECT_EQ(platform::write_file(f / "p.dlg", "second, longer"), FileError::None);
  EXPECT_EQ(platform::write_file(f / "e.dlg", ""), FileError::None);
  EXPECT_EQ(f.get("p.dlg"), "second, longer");
  EXPECT_EQ(f.entries(), (std::vector<std::string>{"e.dlg", "p.dlg"}));

  EXPECT_EQ(platform::write_file(f / "no\\such\\p.dlg", "x"), FileError::PathNotFound);
  std::filesystem::create_directory(f.native("dir.dlg"));
  EXPECT_NE(platform::write_file(f / "dir.dlg", "x"), FileError::None);
  EXPECT_EQ(f.entries(), (std::vector<std::string>{"dir.dlg", "e.dlg", "p.dlg"}));
}

TEST(Platform, ReadingAFile) {
  TestFolder f;
  f.put("a.dlg", "bytes");
  FileError e;
  auto in = platform::open_for_reading(f / "a.dlg", e);
  ASSERT_TRUE(in);
  EXPECT_EQ(e, FileError::None);
  char buf[16];
  EXPECT_EQ(in->read(buf, sizeof buf), 5);
  EXPECT_EQ(in->read(buf, sizeof buf), 0);

  EXPECT_FALSE(platform::open_for_reading(f / "missing.dlg", e));
  EXPECT_EQ(e, FileError::FileNotFound);
  EXPECT_FALSE(platform::open_for_reading(f / "nowhere\\a.dlg", e));
  EXPECT_EQ(e, FileError::PathNotFound);
}

TEST(Platform, CopyDeleteAndCreateFolder) {
  TestFolder f;
  f.put("run.exe", std::string(100000, 'r'));
  f.put("exe.exe", "old");
  EXPECT_EQ(platform::copy_file(f / "run.exe", f / "exe.exe"), FileError::None);
  EXPECT_EQ(f.get("exe.exe"), std::string(100000, 'r'));
  EXPECT_EQ(platform::copy_file(f / "missing", f / "x"), FileError::FileNotFound);
  EXPECT_FALSE(f.has("x"));

  EXPECT_EQ(platform::create_folder(f / "built"), FileError::None);
  EXPECT_EQ(platform::create_folder(f / "built"), FileError::PathFileAccess);
  EXPECT_EQ(platform::create_folder(f / "no\\parent"), FileError::PathNotFound);
  EXPECT_EQ(platform::copy_file(f / "run.exe", f / "built"), FileError::PathFileAccess);

  EXPECT_EQ(platform::delete_file(f / "exe.exe"), FileError::None);
  EXPECT_EQ(platform::delete_file(f / "exe.exe"), FileError::FileNotFound);
  EXPECT_EQ(f.entries(), (std::vector<std::string>{"built", "run.exe"}));
}

namespace {
std::string g_started;
FileError record(std::string_view path, std::string_view arguments) {
  g_started = std::string(path) + "|" + std::string(arguments);
  return FileError::None;
}
}  // namespace

TEST(Platform, ProcessStartCanBeObserved) {
  platform::set_process_starter(record);
  EXPECT_EQ(platform::start_minimized("C:\\Tools\\run.exe"), FileError::None);
  EXPECT_EQ(g_started, "C:\\Tools\\run.exe|");
  EXPECT_EQ(platform::start_minimized("C:\\Tools\\run.exe", "/from 3"), FileError::None);
  EXPECT_EQ(g_started, "C:\\Tools\\run.exe|/from 3");
  platform::set_process_starter(nullptr);
}

TEST(Platform, LongFormOfPaths) {
  const std::pair<std::wstring, std::wstring> paths[] = {
      {L"C:\\a.dlg", L"\\\\?\\C:\\a.dlg"}, {L"\\\\s\\share\\a", L"\\\\?\\UNC\\s\\share\\a"}};
  for (const auto& [plain, long_form] : paths) {
    EXPECT_EQ(platform::long_form(plain), long_form);
    EXPECT_EQ(platform::long_form(long_form), long_form);
    EXPECT_EQ(platform::plain_form(long_form), plain);
  }
  for (const std::wstring path : {L"\\\\.\\COM1", L"a.dlg", L"C:a.dlg", L"\\a"})
    EXPECT_EQ(platform::long_form(path), path);
}
