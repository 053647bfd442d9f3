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

// Directories made to hold a file: everybody may enter and list them,
// whatever the file's own mode and the process's mask.
inline constexpr mode_t kParentMode = 0755;
// Makes the missing directories above a file with kParentMode; the open
// of the file then tells whether they are there.
void create_parent_directories(std::string_view file);

}  // namespace nexa
