#pragma once
// What each system implements for platform.h.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::native {

std::string program_folder();
FileError start_minimized(std::string_view path, std::string_view arguments);

}  // namespace platform::native
