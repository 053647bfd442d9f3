// Directories: existence and creation along a path.
#pragma once

#include <sys/types.h>

namespace nexa {

bool is_dir(const char* path);
// Makes every missing directory along path (up to its last "/") with mode;
// 0, -1 when a directory could not be made, -2 when a mode could not be set
// (also when path itself does not exist in the end).
int create_directories(const char* path, mode_t mode);

}  // namespace nexa
