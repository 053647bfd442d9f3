// Directories: existence and creation along a path.
#include "core/directories.h"

#include <sys/stat.h>

#include <string>

#include "core/sys.h"

namespace nexa {

bool is_dir(const char* path) {
  return path && sys::is_directory(path);
}

int create_directories(const char* path, mode_t mode) {
  if (!path) return 0;
  const std::string whole(path);
  // A path without "/" after its first character names no directory to make.
  if (whole.size() < 2 || whole.find('/', 1) == std::string::npos) return 0;

  // The owner keeps write and search permission on what is made from now on
  // in this process.
  const mode_t previous = ::umask(0);
  ::umask(previous & ~static_cast<mode_t>(0300));

  int result = 0;
  for (size_t slash = whole.find('/', 1); slash != std::string::npos;
       slash = whole.find('/', slash + 1)) {
    const std::string prefix = whole.substr(0, slash);
    if (sys::is_directory(prefix)) continue;
    if (!sys::make_directory(prefix, 0777)) {
      result = -1;
      ::umask(previous);
    } else if (!sys::change_mode(prefix, mode)) {
      result = -2;
    }
  }
  if (!sys::change_mode(whole, mode)) result = -2;
  return result;
}

}  // namespace nexa
