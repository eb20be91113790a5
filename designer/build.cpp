#include "designer/build.h"

namespace designer::build {
namespace {

using platform::FileError;

constexpr std::string_view kOk = " OK";

enum class Folder { Made, AlreadyThere, Failed };

// Looks for the build path with the directory attribute (a folder or a file of
// that name counts as there) and makes the folder, one level, when it is not.
// An empty path fails.
Folder MakeFolder(std::string_view build_path, FileError& error) {
  error = FileError::None;
  if (build_path.empty()) {
    error = FileError::PathNotFound;
    return Folder::Failed;
  }
  if (!platform::dir(build_path, platform::Directory).empty()) return Folder::AlreadyThere;
  error = platform::create_folder(build_path);
  return error == FileError::None ? Folder::Made : Folder::Failed;
}

// Copies the program folder's run.exe to build_path\exe.exe, then the project
// file to build_path\main.dlg. A copy made before a failing one stays.
Stop CopyFiles(std::string_view project_path, std::string_view build_path, FileError& error) {
  const std::string player = platform::program_folder() + "\\run.exe";
  const std::string folder(build_path);
  error = platform::copy_file(player, folder + "\\exe.exe");
  if (error != FileError::None)
    return platform::dir(player, platform::Normal).empty() ? Stop::PlayerMissing : Stop::CopyFailed;
  error = platform::copy_file(project_path, folder + "\\main.dlg");
  return error == FileError::None ? Stop::None : Stop::CopyFailed;
}

Stop CheckProject(const Job& job, FileError& error) {
  if (job.open_project_first)
    return platform::open_for_reading(job.project_path, error) ? Stop::None
                                                               : Stop::ProjectUnreadable;
  return job.project_name.empty() ? Stop::NoProject : Stop::None;
}

Stop Step(int step, const Job& job, const Output& out, FileError& error) {
  switch (step) {
    case 1:
      out("\r\nPreparations...");
      return Stop::None;
    case 3:
      out("\r\nStarted building " + job.project_name + "...");
      return Stop::None;
    case 5:
      if (const Stop stop = CheckProject(job, error); stop != Stop::None) return stop;
      out("\r\nWriting a Data-file...");
      return Stop::None;
    case 6:
      switch (MakeFolder(job.folder(), error)) {
        case Folder::Made:
          out(kOk);
          return Stop::None;
        case Folder::AlreadyThere:
          out(" FAILED\r\nWARNING: Path is already exits.");
          return Stop::None;
        case Folder::Failed:
          return Stop::FolderNotMade;
      }
      return Stop::None;
    case 7:
      out("\r\nCompiling an EXE-file...");
      return Stop::None;
    case 9:
      if (const Stop stop = CopyFiles(job.project_path, job.folder(), error); stop != Stop::None)
        return stop;
      out(kOk);
      return Stop::None;
    case 10:
      out("\r\nBuilding Finished.");
      return Stop::None;
    default:
      return Stop::None;
  }
}

}  // namespace

Stop RunStep(int step, const Job& job, const Output& out, FileError& error) {
  error = FileError::None;
  const Stop stop = Step(step, job, out, error);
  if (stop != Stop::None) out(StopText(stop));
  return stop;
}

std::string_view StopText(Stop why) {
  switch (why) {
    case Stop::None:
      return {};
    case Stop::NoProject:
      return " ERROR\r\n\r\nError while building: Null-File was trying to built.";
    default:
      return " ERROR\r\n\r\nError while building.";
  }
}

std::string ExePath(std::string_view build_path) {
  return "\r\n\r\nEXE-Path: " + std::string(build_path) + "\\exe.exe";
}

}  // namespace designer::build
