// The programs as released: the version resources Explorer shows, and quillet.exe
// driven from cmd the way a script drives it: /compile builds a program with no
// window and tells the outcome in its exit code, which becomes ERRORLEVEL, as does
// the answer the built program was given; /compile ... /onefile builds one program
// that carries its script, its own version and the icon asked for, as the system
// reads and runs it.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "probe.h"
#include "resources/version.h"

// <imagehlp.h> and <shellapi.h> need the types of <windows.h>, which probe.h
// includes.
// clang-format off
#include <imagehlp.h>
#include <shellapi.h>
// clang-format on

namespace {

using probe::cp1251;
using probe::from_utf8;
using probe::read_file;

constexpr DWORD kCommandTimeoutMs = 30000;

std::wstring version_string(const std::vector<char>& info, const wchar_t* name) {
  struct Translation {
    WORD language, code_page;
  }* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) ||
      size < sizeof *translation)
    return L"(no translation)";
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
           translation->code_page, name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&value), &size) || !value)
    return L"(missing)";
  return value;
}

TEST(Release, BothProgramsCarryTheVersionExplorerShows) {
  struct Program {
    const char* path;
    const wchar_t* file_name;
    const wchar_t* description;
  };
  for (const Program& p :
       {Program{QUILLET_EXE, L"quillet.exe", L"Quillet: конструктор программ из диалоговых окон"},
        Program{QUILLET_RUN_EXE, L"run.exe", L"Quillet: проигрыватель диалоговых окон"}}) {
    SCOPED_TRACE(probe::to_utf8(p.file_name));
    const std::wstring path = probe::windows_path(p.path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = (QUILLET_VERSION_MAJOR << 16) | QUILLET_VERSION_MINOR;
    const DWORD low = QUILLET_VERSION_PATCH << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const std::wstring version = from_utf8(QUILLET_VERSION);
    EXPECT_EQ(version_string(info, L"ProductName"), L"Tervan Quillet");
    EXPECT_EQ(version_string(info, L"ProductVersion"), version);
    EXPECT_EQ(version_string(info, L"FileVersion"), version);
    EXPECT_EQ(version_string(info, L"FileDescription"), p.description);
    EXPECT_EQ(version_string(info, L"OriginalFilename"), p.file_name);
    EXPECT_EQ(version_string(info, L"CompanyName"), L"Проект Quillet");
    EXPECT_EQ(version_string(info, L"LegalCopyright"), L"© 2008 Проект Quillet, команда Quillet");
  }
}

// A program folder with quillet.exe and run.exe, and a project folder elsewhere
// that commands run in.
class CommandLine : public testing::Test {
 protected:
  void SetUp() override {
    program_ = probe::make_temp_folder(L"quillet-program");
    projects_ = probe::make_temp_folder(L"quillet-projects");
    ASSERT_FALSE(program_.empty());
    ASSERT_FALSE(projects_.empty());
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_EXE), program_ + L"\\quillet.exe"));
    ASSERT_TRUE(probe::copy_file(probe::windows_path(QUILLET_RUN_EXE), program_ + L"\\run.exe"));
    ASSERT_TRUE(probe::write_file(project(), story_));
  }
  void TearDown() override {
    probe::remove_tree(program_);
    probe::remove_tree(projects_);
  }

  std::wstring project() const { return projects_ + L"\\story.dlg"; }
  std::wstring quillet() const { return L"\"" + program_ + L"\\quillet.exe\""; }

  // Starts `cmd /c line` in the project folder.
  probe::Process start_cmd(const std::wstring& line) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    probe::Process shell =
        probe::start(std::wstring(system) + L"\\cmd.exe", projects_, L"/c " + line);
    EXPECT_TRUE(shell) << "cannot start cmd: " << GetLastError();
    return shell;
  }

  // Runs `cmd /c line` and returns its exit code, or -1 when it does not end in time.
  int cmd(const std::wstring& line) {
    const probe::Process shell = start_cmd(line);
    DWORD code = 0;
    return shell.wait(kCommandTimeoutMs, &code) ? static_cast<int>(code) : -1;
  }

  // Runs a batch file of these lines in the project folder; its output goes to
  // report. Returns the exit code of cmd /c.
  int batch(const std::wstring& lines) {
    EXPECT_TRUE(probe::write_file(projects_ + L"\\job.bat", probe::to_utf8(lines)));
    const int code = cmd(L"job.bat > report.txt 2>&1");
    report = read_file(projects_ + L"\\report.txt");
    return code;
  }

  std::wstring program_;
  std::wstring projects_;
  std::string report;
  const std::string story_ = cp1251(L"Продолжить?; Установка; Вопрос; Да и Нет\r\n");
};

// The built program's box, shown by a process that cmd started.
HWND wait_box(const std::wstring& caption) {
  const ULONGLONG until = GetTickCount64() + kCommandTimeoutMs;
  while (GetTickCount64() < until) {
    HWND box = FindWindowW(L"#32770", caption.c_str());
    if (box && IsWindowVisible(box)) return box;
    Sleep(10);
  }
  return nullptr;
}

TEST_F(CommandLine, BuildsAProgramWhoseAnswerABatchFileReads) {
  const std::wstring built = projects_ + L"\\story.dlg_compile";
  EXPECT_EQ(cmd(quillet() + L" /compile story.dlg > report.txt"), 0);
  EXPECT_EQ(read_file(built + L"\\exe.exe"), read_file(program_ + L"\\run.exe"));
  EXPECT_EQ(read_file(built + L"\\main.dlg"), story_);
  const std::string transcript = read_file(projects_ + L"\\report.txt");
  EXPECT_NE(transcript.find("Compiling an EXE-file... OK\r\nBuilding Finished.\r\n\r\nEXE-Path: " +
                            probe::to_utf8(built) + "\\exe.exe\r\n"),
            std::string::npos)
      << transcript;

  // The three lines of the README: cmd waits for the program's answer.
  for (const int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    probe::write_file(projects_ + L"\\job.bat",
                      "@echo off\r\nstory.dlg_compile\\exe.exe\r\n"
                      "if %ERRORLEVEL%==6 (echo Yes) else (echo Not yes: %ERRORLEVEL%)\r\n");
    const probe::Process shell = start_cmd(L"job.bat > answer.txt");
    HWND box = wait_box(L"Установка");
    ASSERT_TRUE(box) << "the built program showed no box";
    EXPECT_TRUE(shell.running()) << "cmd did not wait for the program";
    probe::answer(box, answer);
    ASSERT_TRUE(shell.wait(kCommandTimeoutMs));
    EXPECT_EQ(read_file(projects_ + L"\\answer.txt"),
              answer == IDYES ? "Yes\r\n" : "Not yes: 7\r\n");
  }
}

TEST_F(CommandLine, EachFailureEndsWithItsOwnCode) {
  {
    SCOPED_TRACE("usage");
    EXPECT_EQ(batch(L"@" + quillet() + L" /?"), 0);
    EXPECT_NE(report.find("quillet.exe /compile <проект.dlg> [<папка>]"), std::string::npos);
    EXPECT_EQ(batch(L"@" + quillet() + L" /compile"), 1);
    EXPECT_NE(report.find("Неверная командная строка"), std::string::npos) << report;
  }
  {
    SCOPED_TRACE("no such project");
    EXPECT_EQ(batch(L"@" + quillet() + L" /compile missing.dlg"), 2);
    EXPECT_NE(report.find("Не удалось прочитать проект"), std::string::npos) << report;
  }
  {
    SCOPED_TRACE("a folder whose parent is missing");
    EXPECT_EQ(batch(L"@" + quillet() + L" /compile story.dlg no\\such"), 3);
    EXPECT_EQ(GetFileAttributesW((projects_ + L"\\no").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  {
    SCOPED_TRACE("a built program that is running keeps its exe.exe");
    const std::wstring held = projects_ + L"\\held";
    ASSERT_TRUE(CreateDirectoryW(held.c_str(), nullptr));
    ASSERT_TRUE(probe::write_file(held + L"\\exe.exe", "the program, running"));
    const HANDLE open = CreateFileW((held + L"\\exe.exe").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ(batch(L"@" + quillet() + L" /compile \"" + project() + L"\" \"" + held + L"\""), 5);
    CloseHandle(open);
    EXPECT_EQ(read_file(held + L"\\exe.exe"), "the program, running");
    EXPECT_EQ(GetFileAttributesW((held + L"\\exe.exe.~qlt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((held + L"\\main.dlg").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  {
    SCOPED_TRACE("no run.exe beside quillet.exe");
    ASSERT_TRUE(DeleteFileW((program_ + L"\\run.exe").c_str()));
    EXPECT_EQ(batch(L"@" + quillet() + L" /compile story.dlg"), 4);
    EXPECT_NE(report.find("Нет проигрывателя"), std::string::npos) << report;
  }
}

// The names in a folder.
std::vector<std::wstring> entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..")
      names.push_back(found.cFileName);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

// A resource of a type, number 1 unless told, as the system's resource functions
// read it.
std::string resource(const std::wstring& program, const wchar_t* type, WORD number = 1) {
  const HMODULE m = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) return "(not loaded)";
  std::string bytes;
  if (const HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(number), type))
    if (const HGLOBAL g = LoadResource(m, r))
      bytes.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
  FreeLibrary(m);
  return bytes;
}

// Starts a program in a folder and answers its boxes with these buttons; their
// captions and texts, and the program's exit code last.
std::vector<std::wstring> play(const std::wstring& program, const std::wstring& folder,
                               const std::vector<int>& answers) {
  std::vector<std::wstring> seen_boxes;
  const probe::Process p = probe::start(program, folder);
  EXPECT_TRUE(p) << "cannot start " << probe::to_utf8(program);
  std::vector<HWND> seen;
  for (const int answer : answers) {
    HWND box = probe::wait_window(p, {L"#32770", L"", true}, kCommandTimeoutMs, seen);
    if (!box) break;
    seen.push_back(box);
    const probe::MessageBoxView view = probe::read_message_box(box);
    seen_boxes.push_back(view.caption + L": " + view.text);
    probe::answer(box, answer);
  }
  DWORD code = 99;
  EXPECT_TRUE(p.wait(kCommandTimeoutMs, &code)) << "the program did not end";
  seen_boxes.push_back(std::to_wstring(code));
  return seen_boxes;
}

TEST_F(CommandLine, BuildsOneProgramThatCarriesItsScript) {
  const std::string script =
      cp1251(L"Первый#вопрос; Викторина; Вопрос; Да и Нет\r\nКонец; Викторина; Информация; ОК\r\n");
  ASSERT_TRUE(probe::write_file(projects_ + L"\\викторина.dlg", script));
  const auto compile = [&](const std::wstring& arguments) {
    const probe::Process q = probe::start(program_ + L"\\quillet.exe", projects_, arguments);
    DWORD code = 99;
    EXPECT_TRUE(q.wait(kCommandTimeoutMs, &code)) << "quillet.exe did not end";
    return static_cast<int>(code);
  };
  const std::wstring built = projects_ + L"\\викторина.dlg_compile";
  const std::wstring path = built + L"\\викторина.exe";
  ASSERT_EQ(compile(L"/compile викторина.dlg /onefile"), 0);
  EXPECT_EQ(entries(built), std::vector<std::wstring>{L"викторина.exe"});
  const std::string program = read_file(path);
  ASSERT_FALSE(program.empty());

  // Built again, later, into another folder: the same bytes.
  EXPECT_EQ(compile(L"/compile /onefile \"" + projects_ + L"\\викторина.dlg\" again"), 0);
  EXPECT_EQ(read_file(projects_ + L"\\again\\викторина.exe"), program);

  // The system reads it as a program file: its checksum, the script, run.exe's
  // icon and manifest as they were, and a version of its own.
  DWORD header_sum = 0, sum = 0;
  ASSERT_EQ(MapFileAndCheckSumW(path.c_str(), &header_sum, &sum),
            static_cast<DWORD>(CHECKSUM_SUCCESS));
  EXPECT_EQ(header_sum, sum);
  const std::wstring run = program_ + L"\\run.exe";
  EXPECT_EQ(resource(path, RT_RCDATA), script);
  EXPECT_EQ(resource(run, RT_RCDATA), "");
  for (const wchar_t* type : {RT_ICON, RT_GROUP_ICON, RT_MANIFEST}) {
    EXPECT_FALSE(resource(run, type).empty());
    EXPECT_EQ(resource(path, type), resource(run, type));
  }
  EXPECT_NE(resource(path, RT_VERSION), resource(run, RT_VERSION));

  // Alone in an empty folder, started from elsewhere, it shows its script; beside
  // a main.dlg it still does.
  const std::wstring alone = probe::make_temp_folder(L"quillet-alone");
  ASSERT_TRUE(probe::write_file(alone + L"\\викторина.exe", program));
  const std::vector<std::wstring> own = {L"Викторина: Первый\rвопрос", L"Викторина: Конец", L"1"};
  EXPECT_EQ(play(alone + L"\\викторина.exe", projects_, {IDYES, IDOK}), own);
  ASSERT_TRUE(
      probe::write_file(alone + L"\\main.dlg", cp1251(L"Не тот; Приманка; Ошибка; ОК\r\n")));
  EXPECT_EQ(play(alone + L"\\викторина.exe", alone, {IDYES, IDOK}), own);
  probe::remove_tree(alone);

  // A copy that is running keeps its file: the build stops and leaves it whole.
  const HANDLE open =
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(probe::write_file(projects_ + L"\\викторина.dlg", cp1251(L"Другой; Текст\r\n")));
  EXPECT_EQ(compile(L"/compile викторина.dlg /onefile"), 5);
  CloseHandle(open);
  EXPECT_EQ(read_file(path), program);
  EXPECT_EQ(entries(built), std::vector<std::wstring>{L"викторина.exe"});

  // Programs named run or quillet built into the program folder, however it is
  // spelled, would replace the designer's own files: refused, both kept.
  const std::string own_run = read_file(run), own_quillet = read_file(program_ + L"\\quillet.exe");
  std::wstring upper = program_;
  CharUpperW(upper.data());
  std::vector<std::wstring> spellings = {upper, program_ + L"\\.", program_ + L"\\"};
  wchar_t short_name[MAX_PATH];
  const DWORD length = GetShortPathNameW(program_.c_str(), short_name, MAX_PATH);
  if (length > 0 && length < MAX_PATH && program_ != short_name) spellings.push_back(short_name);
  for (const wchar_t* project : {L"run", L"quillet"}) {
    ASSERT_TRUE(probe::write_file(projects_ + L"\\" + project + L".dlg", script));
    for (const std::wstring& spelling : spellings) {
      // A "\" before the closing quote is doubled, or it would escape the quote.
      const std::wstring quoted = L"\"" + spelling + (spelling.back() == L'\\' ? L"\\\"" : L"\"");
      EXPECT_EQ(compile(L"/compile " + std::wstring(project) + L".dlg " + quoted + L" /onefile"), 5)
          << probe::to_utf8(spelling);
    }
  }
  EXPECT_EQ(read_file(run), own_run);
  EXPECT_EQ(read_file(program_ + L"\\quillet.exe"), own_quillet);
  EXPECT_EQ(entries(program_).size(), 2u);

  // A player whose headers lie behind its resources would be written past its end:
  // refused with exit code 4, and nothing is written.
  std::string moved = own_run;
  const std::uint32_t pe = *reinterpret_cast<const std::uint32_t*>(moved.data() + 0x3C);
  const std::uint16_t sections = *reinterpret_cast<const std::uint16_t*>(moved.data() + pe + 6);
  const std::uint16_t optional = *reinterpret_cast<const std::uint16_t*>(moved.data() + pe + 20);
  const std::string headers = moved.substr(pe, 24 + optional + 40 * sections);
  const auto behind = static_cast<std::uint32_t>(moved.size());
  moved.replace(0x3C, 4, reinterpret_cast<const char*>(&behind), 4);
  ASSERT_TRUE(probe::write_file(run, moved + headers));
  EXPECT_EQ(compile(L"/compile викторина.dlg moved /onefile"), 4);
  EXPECT_EQ(entries(projects_ + L"\\moved"), std::vector<std::wstring>{});
}

// The images of an .ico file, in the order of its directory.
std::vector<std::string> ico_images(const std::string& ico) {
  const auto get = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(ico.at(at + i));
    return v;
  };
  std::vector<std::string> images;
  for (std::uint32_t i = 0; i < get(4, 2); ++i)
    images.push_back(ico.substr(get(6 + 16 * i + 12, 4), get(6 + 16 * i + 8, 4)));
  return images;
}

// A one-file program introduces itself by its project's name, in Properties and
// Task Manager, with the icon asked for: an .ico file's images byte for byte, or
// a box icon of the editor; Explorer's way to its icon finds them; it still plays
// its script. An .ico file that is none stops the build before anything is made.
TEST_F(CommandLine, BuildsOneProgramWithItsOwnNameVersionAndIcon) {
  ASSERT_TRUE(probe::write_file(projects_ + L"\\Викторина.dlg", story_));
  const std::string icon = read_file(probe::windows_path(QUILLET_ICON_FILE));
  ASSERT_TRUE(probe::write_file(projects_ + L"\\своё.ico", icon));
  ASSERT_TRUE(probe::write_file(projects_ + L"\\плохое.ico", "MZ, not an icon"));
  const auto compile = [&](const std::wstring& arguments) {
    DWORD code = 99;
    const probe::Process q = probe::start(program_ + L"\\quillet.exe", projects_, arguments);
    EXPECT_TRUE(q.wait(kCommandTimeoutMs, &code)) << "quillet.exe did not end";
    return static_cast<int>(code);
  };
  ASSERT_EQ(compile(L"/compile Викторина.dlg own /onefile /icon своё.ico"), 0);
  ASSERT_EQ(compile(L"/compile Викторина.dlg box /onefile /icon Вопрос"), 0);
  EXPECT_EQ(compile(L"/compile Викторина.dlg bad /onefile /icon плохое.ico"), 6);
  EXPECT_EQ(GetFileAttributesW((projects_ + L"\\bad").c_str()), INVALID_FILE_ATTRIBUTES);

  const std::wstring path = projects_ + L"\\own\\Викторина.exe";
  {
    SCOPED_TRACE("the resource functions: the file's images");
    const std::string group = resource(path, RT_GROUP_ICON);
    const std::vector<std::string> images = ico_images(icon);
    ASSERT_EQ(group.size(), 6 + 14 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
      WORD number;
      std::memcpy(&number, group.data() + 6 + 14 * i + 12, 2);
      EXPECT_TRUE(resource(path, RT_ICON, number) == images[i]) << "image " << i;
    }
    const std::string box = resource(projects_ + L"\\box\\Викторина.exe", RT_GROUP_ICON);
    ASSERT_EQ(box.size(), 6u + 14 * 5);
    EXPECT_EQ(box[6 + 14 * 4], 0) << "no 256-pixel image";
  }
  {
    SCOPED_TRACE("the version Properties and Task Manager show");
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x10000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    for (const auto& [name, value] : std::vector<std::pair<const wchar_t*, std::wstring>>{
             {L"FileDescription", L"Викторина"},
             {L"ProductName", L"Викторина"},
             {L"OriginalFilename", L"Викторина.exe"},
             {L"InternalName", L"Викторина.exe"},
             {L"FileVersion", L"1.0.0.0"},
             {L"Comments", L"Сделано в Quillet " + from_utf8(QUILLET_VERSION)},
             {L"CompanyName", L"(missing)"},
             {L"LegalCopyright", L"(missing)"}})
      EXPECT_EQ(version_string(info, name), value) << probe::to_utf8(name);
  }
  {
    SCOPED_TRACE("Explorer's way to the icon: one group, its large and small images");
    EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 1u);
    HICON large = nullptr, small = nullptr;
    ExtractIconExW(path.c_str(), 0, &large, &small, 1);
    ICONINFO parts{};
    BITMAP bitmap{};
    ASSERT_TRUE(large && small && GetIconInfo(large, &parts));
    GetObjectW(parts.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(large);
    DestroyIcon(small);
  }
  EXPECT_EQ(play(path, projects_, {IDYES}),
            (std::vector<std::wstring>{L"Установка: Продолжить?", L"6"}));
}

// Any other argument is ignored: the designer starts as it always does.
TEST_F(CommandLine, AnyOtherArgumentStartsTheDesigner) {
  probe::Process designer = probe::start(program_ + L"\\quillet.exe", projects_, L"story.dlg");
  ASSERT_TRUE(designer);
  HWND main = probe::wait_window(
      designer, {L"QuilletForm", L"Tervan Quillet - [Новый диалог]", true}, kCommandTimeoutMs);
  ASSERT_TRUE(main) << "no main window";
  PostMessageW(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(designer.wait(kCommandTimeoutMs, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
