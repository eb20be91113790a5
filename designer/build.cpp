#include "designer/build.h"

namespace designer::build {

using platform::FileError;

std::string Started(std::string_view project_name) {
  return "\r\nStarted building " + std::string(project_name) + "...";
}

std::string ExePath(std::string_view build_path) {
  return "\r\n\r\nEXE-Path: " + std::string(build_path) + "\\exe.exe";
}

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

Copy CopyFiles(std::string_view project_path, std::string_view build_path, FileError& error) {
  const std::string player = platform::program_folder() + "\\run.exe";
  const std::string folder(build_path);
  error = platform::copy_file(player, folder + "\\exe.exe");
  if (error != FileError::None)
    return platform::dir(player, platform::Normal).empty() ? Copy::NoPlayer : Copy::Failed;
  error = platform::copy_file(project_path, folder + "\\main.dlg");
  return error == FileError::None ? Copy::Done : Copy::Failed;
}

}  // namespace designer::build
