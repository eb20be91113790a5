#pragma once
// The build: its steps, their transcript and how each result reads, shared by
// the console window, which runs one step per tick of its timer, and the command
// line, which runs them in a row. The build folder is made (or found already
// there), then the player is copied in as exe.exe and the project as main.dlg,
// each replacing an old file whole, so a target held open stops the build intact.
// A one-file build writes, in place of the two copies, one program named after
// the project: the player with the project file inside it
// (script/carried_script.h), with version information of its own and the icon
// the author chose.
//
// Transcript pieces begin with their own line break, as the console appends them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "designer/pe_resources.h"
#include "platform/platform.h"

namespace designer::build {

// Receives a piece of the transcript: UTF-8 text with CR LF line ends.
using Output = std::function<void(std::string_view)>;

// The icon of a one-file program: the player's own, one of the dialog editor's
// four box icons, or an .ico file.
struct ProgramIcon {
  int box = -1;  // 0 to 3: the icons named by script::kIconNames, drawn as the editor draws them
  std::string file;  // when box is -1: an .ico file's path; neither: the player's own
  friend bool operator==(const ProgramIcon&, const ProgramIcon&) = default;
};

// What a step reads, taken afresh each time one runs.
struct Job {
  std::string project_name;  // the project's file name as the transcript shows it
  std::string project_path;  // the project file that becomes main.dlg
  // The build path, asked for only by the steps that use it (6 and 9).
  std::function<std::string()> folder;
  // How the project check knows there is a project: by its name (the console,
  // where an untitled project has none, finds a missing file only when it
  // copies it) or by opening its file (the command line).
  bool open_project_first = false;
  // One program named after the project instead of exe.exe and main.dlg.
  bool one_file = false;
  // Its icon, read at the project check and again when the program is written.
  ProgramIcon icon;
};

// Why a build stopped. BadPlayer: run.exe is no program file the one-file build
// can put a script into; BadProgramName: the project's name makes no file name
// for a one-file program; OwnProgram: the one-file program would replace the
// designer's own run.exe or quillet.exe; BadIcon: the one-file program's .ico file
// cannot be read or is no icon it can carry.
enum class Stop {
  None,
  NoProject,
  ProjectUnreadable,
  FolderNotMade,
  PlayerMissing,
  BadPlayer,
  BadProgramName,
  OwnProgram,
  BadIcon,
  CopyFailed
};

// The steps, numbered as the console runs them: 1 "Preparations...", 3 "Started
// building <name>...", 5 the project check (and the icon's, for one file) and
// "Writing a Data-file...", 6 the
// folder (" OK", or " FAILED" and the warning when it is there already), 7
// "Compiling an EXE-file...", 9 the copies (or the one-file program) and " OK",
// 10 "Building Finished.". Steps 2, 4 and 8 are pauses, and 0 and 11 are the
// console's own. Runs one step, appending its transcript; a step that fails
// appends the stop text (StopText) and says why, with the file error in error and,
// for BadPlayer and BadIcon, what the writer or the icon reader refused in
// `problem`.
Stop RunStep(int step, const Job& job, const Output& out, platform::FileError& error,
             std::string* problem = nullptr);

// The text that ends the transcript's last line when a build stops.
std::string_view StopText(Stop why);
// The file the build makes that the user starts: exe.exe, or the one-file
// program's name.
std::string ProgramName(const Job& job);
// The line that names the built program, after an empty line.
std::string ExePath(const Job& job);

// The one-file program's name for a project file's path or name: the file name
// without its last ".dlg" (in any case), followed by ".exe": "викторина.dlg" ->
// "викторина.exe", "v1.2.dlg" -> "v1.2.exe", "a.dlg.dlg" -> "a.dlg.exe", "notes" ->
// "notes.exe". Empty when that is no name Windows gives a file: nothing before
// ".dlg", a device name before the first dot ("con.dlg", "LPT1.dlg", "nul.x.dlg"),
// a character Windows forbids in names or more than 255 UTF-16 characters.
std::string OneFileName(std::string_view project);

// The images of a one-file program's icon: a box icon's, or an .ico file's as
// designer/icon_file.h reads it; none for the player's own. False, with the file
// error in `error` or the reader's reason in `problem`, when the file cannot be
// read or is refused.
bool IconImages(const ProgramIcon& icon, std::vector<pe::IconImage>& images,
                platform::FileError& error, std::string& problem);
// Why an icon file is refused, in a sentence that names it.
std::string IconRefusal(std::string_view path, platform::FileError error, std::string_view problem);

// The bytes of a one-file program `name` ("викторина.exe", from OneFileName): the
// player with `script` inside it, replacing a script it carried already; version
// information of its own (the name without ".exe" as its description and
// product, version 1.0.0.0, made in this Quillet, and nothing of the player's
// maker); these icon images as its only icon, in place of the player's, unless
// there are none; its manifest and code kept. Empty, with the reason in
// `problem`, when the player is no program file the writer understands
// (designer/pe_resources.h).
std::string OneFileProgram(std::string_view player, std::string_view script, std::string_view name,
                           const std::vector<pe::IconImage>& icon, std::string& problem);

}  // namespace designer::build
