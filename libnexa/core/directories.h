// Directories: existence and creation along a path.
#pragma once

#include <sys/types.h>

#include <string_view>

namespace nexa {

enum class DirectoriesMade {
  kAll,
  kNotMade,     // a directory could not be made
  kModeNotSet,  // a mode could not be set (also when the path itself does not exist in the end)
};

// Makes every missing directory along path (up to its last "/") with mode.
DirectoriesMade create_directories(std::string_view path, mode_t mode);

}  // namespace nexa
