#include "designer/build.h"

#include <algorithm>
#include <array>
#include <vector>

#include "designer/app.h"
#include "designer/pe_resources.h"
#include "script/carried_script.h"

namespace designer::build {
namespace {

using platform::FileError;

constexpr std::string_view kOk = " OK";
constexpr std::size_t kMaxOneFilePart = 64u << 20;  // run.exe or a project read whole

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

std::string player_path() { return platform::program_folder() + "\\run.exe"; }

// Whether writing `target` would replace the designer's own run.exe or quillet.exe,
// however the build path spells the program folder (letter case, a short name,
// "." or a trailing "\"): by the files' identity, and by name for a file not there.
bool own_file(std::string_view target) {
  for (const std::string& own : {player_path(), platform::program_folder() + "\\quillet.exe"})
    if (same_file_name(target, own) || platform::same_file(target, own)) return true;
  return false;
}

Stop no_player_or(Stop otherwise) {
  return platform::dir(player_path(), platform::Normal).empty() ? Stop::PlayerMissing : otherwise;
}

// Copies the program folder's run.exe to build_path\exe.exe, then the project
// file to build_path\main.dlg. A copy made before a failing one stays.
Stop CopyFiles(std::string_view project_path, std::string_view build_path, FileError& error) {
  const std::string folder(build_path);
  error = platform::copy_file(player_path(), folder + "\\exe.exe");
  if (error != FileError::None) return no_player_or(Stop::CopyFailed);
  error = platform::copy_file(project_path, folder + "\\main.dlg");
  return error == FileError::None ? Stop::None : Stop::CopyFailed;
}

FileError read_whole(std::string_view path, std::string& bytes) {
  FileError error;
  const auto in = platform::open_for_reading(path, error);
  if (!in) return error;
  bytes.clear();
  std::array<char, 1 << 16> buf;
  for (;;) {
    const std::int64_t got = in->read(buf.data(), buf.size());
    if (got < 0) return FileError::DeviceIo;
    if (got == 0) return FileError::None;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxOneFilePart)
      return FileError::OutOfMemory;
    bytes.append(buf.data(), static_cast<std::size_t>(got));
  }
}

// Writes build_path\OneFileName(project_path): the program folder's run.exe with
// the project file inside it, through a temporary file in build_path that is then
// moved over the target, so a target held open (a running copy) or a read-only
// folder fails with the old file intact and nothing left beside it. A target that
// is the designer's own run.exe or quillet.exe is refused.
Stop WriteOneFile(std::string_view project_path, std::string_view build_path, FileError& error,
                  std::string& problem) {
  const std::string name = OneFileName(project_path);
  const std::string target = std::string(build_path) + "\\" + name;
  error = FileError::BadFileName;
  if (name.empty()) return Stop::BadProgramName;
  if (own_file(target)) return Stop::OwnProgram;
  std::string player, script;
  error = read_whole(player_path(), player);
  if (error != FileError::None) return no_player_or(Stop::CopyFailed);
  error = read_whole(project_path, script);
  if (error != FileError::None) return Stop::CopyFailed;
  const std::string program = OneFileProgram(player, script, problem);
  if (program.empty()) return Stop::BadPlayer;
  error = platform::write_file(target, program);
  return error == FileError::None ? Stop::None : Stop::CopyFailed;
}

Stop CheckProject(const Job& job, FileError& error) {
  if (job.open_project_first)
    return platform::open_for_reading(job.project_path, error) ? Stop::None
                                                               : Stop::ProjectUnreadable;
  return job.project_name.empty() ? Stop::NoProject : Stop::None;
}

Stop Step(int step, const Job& job, const Output& out, FileError& error, std::string& problem) {
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
      if (const Stop stop = job.one_file
                                ? WriteOneFile(job.project_path, job.folder(), error, problem)
                                : CopyFiles(job.project_path, job.folder(), error);
          stop != Stop::None)
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

Stop RunStep(int step, const Job& job, const Output& out, FileError& error,
             std::string* problem) {
  error = FileError::None;
  std::string why;
  const Stop stop = Step(step, job, out, error, why);
  if (problem) *problem = std::move(why);
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

std::string ProgramName(const Job& job) {
  return job.one_file ? OneFileName(job.project_path) : "exe.exe";
}

std::string ExePath(const Job& job) {
  return "\r\n\r\nEXE-Path: " + job.folder() + "\\" + ProgramName(job);
}

std::string OneFileName(std::string_view project) {
  std::string_view base = file_name_part(project);
  if (base.size() >= 4 && same_file_name(base.substr(base.size() - 4), ".dlg"))
    base.remove_suffix(4);
  std::string name = std::string(base) + ".exe";
  return !base.empty() && is_file_name(name) ? name : std::string();
}

std::string OneFileProgram(std::string_view player, std::string_view script, std::string& problem) {
  std::vector<pe::Resource> resources;
  if (!pe::ReadResources(player, resources, problem)) return {};
  const pe::ResourceId type{script::kCarriedScriptType, {}};
  const pe::ResourceId number{script::kCarriedScriptNumber, {}};
  std::erase_if(resources,
                [&](const pe::Resource& r) { return r.type == type && r.name == number; });
  resources.push_back({type, number, 0, 0, std::string(script)});
  return pe::WithResources(player, std::move(resources), problem);
}

}  // namespace designer::build
