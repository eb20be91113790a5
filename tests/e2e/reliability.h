#pragma once
// What the saver and the reliability tests agree on: the two contents of the
// project that is saved while being killed.

#include <string>

#include "script/script_file.h"

namespace reliability {

// Fifteen long rows of one letter, so that a save takes a while.
inline script::Rows rows(char letter) {
  script::Rows r;
  for (int i = 0; i < script::kRowCount; ++i)
    r[static_cast<std::size_t>(i)] = std::string(8000, letter) + "; " + std::to_string(i);
  return r;
}

}  // namespace reliability
