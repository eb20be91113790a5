#include "designer/build.h"

#include <algorithm>
#include <array>
#include <vector>

#include "designer/app.h"
#include "designer/icon_file.h"
#include "designer/pe_resources.h"
#include "resources/box_icons.h"
#include "resources/version.h"
#include "script/carried_script.h"

namespace designer::build {
namespace {

using platform::FileError;

constexpr std::string_view kOk = " OK";
constexpr std::size_t kMaxOneFilePart = 64u << 20;  // run.exe or a project read whole
constexpr std::uint16_t kVersionLanguage = 0x0419;  // Russian, as the programs' own

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

// Reads a file whole; one larger than `most` bytes fails as out of memory.
FileError read_whole(std::string_view path, std::string& bytes,
                     std::size_t most = kMaxOneFilePart) {
  FileError error;
  const auto in = platform::open_for_reading(path, error);
  if (!in) return error;
  bytes.clear();
  std::array<char, 1 << 16> buf;
  for (;;) {
    const std::int64_t got = in->read(buf.data(), buf.size());
    if (got < 0) return FileError::DeviceIo;
    if (got == 0) return FileError::None;
    if (bytes.size() + static_cast<std::size_t>(got) > most) return FileError::OutOfMemory;
    bytes.append(buf.data(), static_cast<std::size_t>(got));
  }
}

// Writes build_path\OneFileName(project_path): the program folder's run.exe with
// the project file and the icon inside it, through a temporary file in build_path
// that is then moved over the target, so a target held open (a running copy) or a
// read-only folder fails with the old file intact and nothing left beside it. A
// target that is the designer's own run.exe or quillet.exe is refused.
Stop WriteOneFile(std::string_view project_path, const ProgramIcon& icon,
                  std::string_view build_path, FileError& error, std::string& problem) {
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
  std::vector<pe::IconImage> images;
  if (!IconImages(icon, images, error, problem)) return Stop::BadIcon;
  const std::string program = OneFileProgram(player, script, name, images, problem);
  if (program.empty()) return Stop::BadPlayer;
  error = platform::write_file(target, program);
  return error == FileError::None ? Stop::None : Stop::CopyFailed;
}

// The project is there, and so is the icon of a one-file program, before anything
// is written.
Stop CheckProject(const Job& job, FileError& error, std::string& problem) {
  if (job.open_project_first && !platform::open_for_reading(job.project_path, error))
    return Stop::ProjectUnreadable;
  if (!job.open_project_first && job.project_name.empty()) return Stop::NoProject;
  std::vector<pe::IconImage> images;
  if (job.one_file && !IconImages(job.icon, images, error, problem)) return Stop::BadIcon;
  return Stop::None;
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
      if (const Stop stop = CheckProject(job, error, problem); stop != Stop::None) return stop;
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
      if (const Stop stop =
              job.one_file ? WriteOneFile(job.project_path, job.icon, job.folder(), error, problem)
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

bool IconImages(const ProgramIcon& icon, std::vector<pe::IconImage>& images, FileError& error,
                std::string& problem) {
  static constexpr std::array<const std::string_view*, 4> kBoxIcons = {
      &resources::kBoxIconError, &resources::kBoxIconWarning, &resources::kBoxIconInformation,
      &resources::kBoxIconQuestion};
  images.clear();
  error = FileError::None;
  if (icon.box >= 0 && icon.box < static_cast<int>(kBoxIcons.size()))
    return ico::ReadIcon(*kBoxIcons[static_cast<std::size_t>(icon.box)], images, problem);
  if (icon.file.empty()) return true;
  std::string bytes;
  error = read_whole(icon.file, bytes, ico::kMaxFileBytes);
  if (error == FileError::OutOfMemory) {
    error = FileError::None;
    problem = "он больше 1 МБ";
    return false;
  }
  return error == FileError::None && ico::ReadIcon(bytes, images, problem);
}

std::string IconRefusal(std::string_view path, FileError error, std::string_view problem) {
  if (error == FileError::None)
    return "Файл " + std::string(path) + " не годится как значок: " + std::string(problem);
  const int number = static_cast<int>(error);
  return "Не удалось прочитать значок " + std::string(path) + ": " + ErrorDescription(number) +
         " (ошибка " + std::to_string(number) + ")";
}

std::string OneFileProgram(std::string_view player, std::string_view script, std::string_view name,
                           const std::vector<pe::IconImage>& icon, std::string& problem) {
  std::vector<pe::Resource> resources;
  if (!pe::ReadResources(player, resources, problem)) return {};
  const pe::ResourceId carried{script::kCarriedScriptType, {}};
  const pe::ResourceId number{script::kCarriedScriptNumber, {}};
  // The player's icon goes when there is another, and so does its version, whose
  // names and copyright are the player's maker's; the icon keeps its language.
  std::uint16_t icon_language = 0;
  for (const pe::Resource& r : resources)
    if (r.type.number == pe::kIconGroupType && r.type.name.empty()) {
      icon_language = r.language;
      break;
    }
  std::erase_if(resources, [&](const pe::Resource& r) {
    if (!r.type.name.empty()) return false;
    const std::uint16_t t = r.type.number;
    return (r.type == carried && r.name == number) || t == pe::kVersionType ||
           (!icon.empty() && (t == pe::kIconType || t == pe::kIconGroupType));
  });
  resources.push_back({carried, number, 0, 0, std::string(script)});
  for (std::size_t i = 0; i < icon.size(); ++i)
    resources.push_back({{pe::kIconType, {}},
                         {static_cast<std::uint16_t>(i + 1), {}},
                         icon_language,
                         0,
                         icon[i].data});
  if (!icon.empty())
    resources.push_back(
        {{pe::kIconGroupType, {}}, {1, {}}, icon_language, 0, pe::IconGroup(icon, 1)});

  std::string_view title = name;
  if (title.size() >= 4 && same_file_name(title.substr(title.size() - 4), ".exe"))
    title.remove_suffix(4);
  pe::VersionInfo version;
  version.file_version = version.product_version = {1, 0, 0, 0};
  version.language = kVersionLanguage;
  version.strings = {{"Comments", "Сделано в Quillet " QUILLET_VERSION},
                     {"FileDescription", std::string(title)},
                     {"FileVersion", "1.0.0.0"},
                     {"InternalName", std::string(name)},
                     {"OriginalFilename", std::string(name)},
                     {"ProductName", std::string(title)},
                     {"ProductVersion", "1.0.0.0"}};
  resources.push_back(
      {{pe::kVersionType, {}}, {1, {}}, kVersionLanguage, 0, pe::VersionResource(version)});
  return pe::WithResources(player, std::move(resources), problem);
}

}  // namespace designer::build
