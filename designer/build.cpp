#include "designer/build.h"

#include <array>

#include "designer/app.h"
#include "designer/pe_resources.h"
#include "script/carried_script.h"
#include "script/cp1251.h"

namespace designer::build {

using platform::FileError;

namespace {

constexpr std::size_t kMaxOneFilePart = 64u << 20;  // run.exe or a project read whole

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

std::string_view file_name_part(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whether Windows gives a file this name (UTF-8), in any folder.
bool valid_file_name(std::string_view name) {
  std::size_t utf16 = 0;
  for (std::string_view rest = name; !rest.empty();) {
    char32_t c;
    rest.remove_prefix(script::decode_utf8(rest, c));
    if (c < 32 || std::u32string_view(U"<>:\"/\\|?*").find(c) != std::u32string_view::npos)
      return false;
    utf16 += c >= 0x10000 ? 2 : 1;
  }
  if (name.empty() || utf16 > 255 || name.back() == '.' || name.back() == ' ') return false;
  // Device names stand for the device whatever follows their first dot, and
  // spaces before that dot do not count.
  std::string device(name.substr(0, name.find('.')));
  while (!device.empty() && device.back() == ' ') device.pop_back();
  for (const std::string_view reserved : {"con", "prn", "aux", "nul"})
    if (same_file_name(device, reserved)) return false;
  for (const std::string_view port : {"com", "lpt"})
    for (const std::string_view digit :
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "\u00B9", "\u00B2", "\u00B3"})
      if (same_file_name(device, std::string(port) + std::string(digit))) return false;
  return true;
}

}  // namespace

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

std::string OneFileName(std::string_view project) {
  std::string_view base = file_name_part(project);
  if (base.size() >= 4 && same_file_name(base.substr(base.size() - 4), ".dlg"))
    base.remove_suffix(4);
  std::string name = std::string(base) + ".exe";
  return !base.empty() && valid_file_name(name) ? name : std::string();
}

std::string OneFilePath(std::string_view build_path, std::string_view project) {
  return "\r\n\r\nEXE-Path: " + std::string(build_path) + "\\" + OneFileName(project);
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

Copy WriteOneFile(std::string_view project_path, std::string_view build_path, FileError& error,
                  std::string& problem) {
  const std::string player_path = platform::program_folder() + "\\run.exe";
  const std::string name = OneFileName(project_path);
  const std::string target = std::string(build_path) + "\\" + name;
  error = FileError::BadFileName;
  if (name.empty() || same_file_name(target, player_path)) return Copy::Failed;
  std::string player, script;
  error = read_whole(player_path, player);
  if (error != FileError::None)
    return platform::dir(player_path, platform::Normal).empty() ? Copy::NoPlayer : Copy::Failed;
  error = read_whole(project_path, script);
  if (error != FileError::None) return Copy::Failed;
  const std::string program = OneFileProgram(player, script, problem);
  if (program.empty()) return Copy::BadPlayer;
  error = platform::write_file(target, program);
  return error == FileError::None ? Copy::Done : Copy::Failed;
}

}  // namespace designer::build
