// The parts of the platform layer that are the same on every system.

#include "platform/platform.h"

#include "platform/native.h"

namespace platform {
namespace {
std::string g_program_folder;
ProcessStarter g_starter = nullptr;
}  // namespace

std::string program_folder() {
  if (g_program_folder.empty()) g_program_folder = native::program_folder();
  return g_program_folder;
}

void set_program_folder(std::string folder) { g_program_folder = std::move(folder); }

std::string dir(std::string_view pattern, unsigned attributes) {
  auto names = dir_all(pattern, attributes);
  return names.empty() ? std::string() : names.front();
}

void set_process_starter(ProcessStarter starter) { g_starter = starter; }

FileError start_minimized(std::string_view path, std::string_view arguments) {
  return g_starter ? g_starter(path, arguments) : native::start_minimized(path, arguments);
}

}  // namespace platform
