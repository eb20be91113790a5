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

enum class Copy { Done, NoPlayer, Failed };
// Copies the program folder's run.exe to build_path\exe.exe, then the project
// file to build_path\main.dlg. A copy made before a failing one stays.
Copy CopyFiles(std::string_view project_path, std::string_view build_path,
               platform::FileError& error);

}  // namespace designer::build
