// The parts of the platform layer that are the same on every system.

#include "platform/platform.h"

#include <cstdint>
#include <cstdio>

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

namespace native {

std::string temporary_path(std::string_view target) {
  constexpr std::string_view kSuffix = ".~qlt";
  constexpr std::size_t kLongestName = 255;
  const std::size_t name_at = target.find_last_of("\\/") + 1;  // npos + 1 is 0
  const std::string_view name = target.substr(name_at);
  if (name.size() + kSuffix.size() <= kLongestName)
    return std::string(target) + std::string(kSuffix);
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const unsigned char c : name) hash = (hash ^ c) * 16777619u;
  char mark[10];
  std::snprintf(mark, sizeof mark, "~%08x", static_cast<unsigned>(hash));
  std::size_t keep = kLongestName - kSuffix.size() - (sizeof mark - 1);
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  return std::string(target.substr(0, name_at + keep)) + mark + std::string(kSuffix);
}

}  // namespace native

void set_process_starter(ProcessStarter starter) { g_starter = starter; }

FileError start_minimized(std::string_view path, std::string_view arguments) {
  return g_starter ? g_starter(path, arguments) : native::start_minimized(path, arguments);
}

}  // namespace platform
