#pragma once
// What each system implements for platform.h.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::native {

std::string program_folder();
FileError start_minimized(std::string_view path, std::string_view arguments);

// The temporary file of a safe write of `target`, beside it: the target's name
// followed by ".~qlt". A name that would pass 255 bytes so (the longest file name
// either system takes, in bytes on POSIX, in UTF-16 units, never more, on Windows)
// is cut at a character and marked with a hash of the whole name instead, so that
// every name a file can have has its own temporary file.
std::string temporary_path(std::string_view target);

}  // namespace platform::native
