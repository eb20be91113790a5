#pragma once
// quillet.exe's command line. "/compile <project> [<folder>]" builds a program as
// the Компиляция... command does, without any window, and ends with an exit code
// a script can branch on; "/onefile" after "/compile", anywhere among its words,
// makes it one program named after the project, and "/icon <name or file>" gives
// that program one of the editor's box icons or an .ico file's. "/?" tells how.
// Anything else starts the designer.
// Everything but finding the console to write to lives here.

#include <string>
#include <string_view>
#include <vector>

#include "designer/build.h"

namespace designer {

struct CommandLine {
  enum class Kind { Designer, Help, Compile, BadUsage };
  Kind kind = Kind::Designer;
  std::string project;    // Compile: the project file as given
  std::string folder;     // Compile: the build folder as given; empty for the default
  bool one_file = false;  // Compile: one program named after the project
  build::ProgramIcon icon;  // Compile: its icon; a file as given
  std::string problem;    // BadUsage: what is wrong, in Russian
};

// The arguments after the program's name, in UTF-8. Only the first one decides:
// "/compile" or "/?" ("-" works as well as "/", in any case, "/onefile" and "/icon"
// too). The word after "/icon" is a box icon's name (script::kIconNames, in any
// case) or else a file.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The exit codes of quillet.exe for the commands.
enum ExitCode : int {
  kExitOk = 0,  // built, or the usage shown
  kExitBadUsage = 1,
  kExitProjectUnreadable = 2,
  kExitFolderNotMade = 3,
  kExitPlayerMissing = 4,
  kExitCopyFailed = 5,
  kExitBadIcon = 6,
};

// Receives what a command reports: UTF-8 text with CR LF line ends.
using Output = build::Output;

// Carries out a Help, Compile or BadUsage command and returns its exit code.
// A build goes to <folder>, or to the project's path followed by "_compile";
// relative paths start from the current folder.
int RunCommandLine(const CommandLine& command, const Output& out);

}  // namespace designer
