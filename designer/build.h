#pragma once
// The build's file work and its transcript, shared by the console window's timed
// steps and the command line: the build folder is made (or found already there),
// then the player is copied in as exe.exe and the project as main.dlg, each
// replacing an old file whole, so a target held open stops the build intact.
//
// Transcript pieces begin with their own line break, as the console appends them.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace designer::build {

inline constexpr std::string_view kPreparations = "\r\nPreparations...";
inline constexpr std::string_view kWriting = "\r\nWriting a Data-file...";
inline constexpr std::string_view kCompiling = "\r\nCompiling an EXE-file...";
inline constexpr std::string_view kFinished = "\r\nBuilding Finished.";
inline constexpr std::string_view kOk = " OK";
inline constexpr std::string_view kAlreadyThere = " FAILED\r\nWARNING: Path is already exits.";
inline constexpr std::string_view kErrorStop = " ERROR\r\n\r\nError while building.";

// "Started building story.dlg..." for the project's file name.
std::string Started(std::string_view project_name);
// The line that names the built program, after an empty line.
std::string ExePath(std::string_view build_path);

enum class Folder { Made, AlreadyThere, Failed };
// Looks for the build path with the directory attribute (a folder or a file of
// that name counts as there) and makes the folder, one level, when it is not.
// An empty path fails.
Folder MakeFolder(std::string_view build_path, platform::FileError& error);

// BadPlayer: run.exe is no program file the one-file build can put a script into.
enum class Copy { Done, NoPlayer, Failed, BadPlayer };
// Copies the program folder's run.exe to build_path\exe.exe, then the project
// file to build_path\main.dlg. A copy made before a failing one stays.
Copy CopyFiles(std::string_view project_path, std::string_view build_path,
               platform::FileError& error);

// The one-file build writes, in place of the two copies, one program named after
// the project: the player with the project file inside it (script/carried_script.h).

// The one-file program's name for a project file's path or name: the file name
// without its last ".dlg" (in any case), followed by ".exe": "викторина.dlg" ->
// "викторина.exe", "v1.2.dlg" -> "v1.2.exe", "a.dlg.dlg" -> "a.dlg.exe", "notes" ->
// "notes.exe". Empty when that is no name Windows gives a file: nothing before
// ".dlg", a device name before the first dot ("con.dlg", "LPT1.dlg", "nul.x.dlg"),
// a character Windows forbids in names (< > : " / \ | ? * and control characters)
// or more than 255 UTF-16 characters.
std::string OneFileName(std::string_view project);
// The line that names the built one-file program, as ExePath does for exe.exe.
std::string OneFilePath(std::string_view build_path, std::string_view project);

// The bytes of a one-file program: the player with `script` inside it, replacing
// a script it carried already; its icon, manifest, version and code kept. Empty,
// with the reason in `problem`, when the player is no program file the writer
// understands (designer/pe_resources.h).
std::string OneFileProgram(std::string_view player, std::string_view script, std::string& problem);

// Writes build_path\OneFileName(project_path): the program folder's run.exe with
// the project file inside it, through a temporary file in build_path that is then
// moved over the target, so a target held open (a running copy) or a read-only
// folder fails with the old file intact and nothing left beside it. NoPlayer: no
// run.exe; BadPlayer: `problem` tells what the writer refused in it; Failed:
// `error` tells why: BadFileName for a project name that makes no file name (or a
// target that is the program folder's run.exe itself), else the file error of
// reading run.exe or the project (OutOfMemory past 64 MiB) or of the write.
Copy WriteOneFile(std::string_view project_path, std::string_view build_path,
                  platform::FileError& error, std::string& problem);

}  // namespace designer::build
