// Directories: existence and creation along a path.
#include "core/directories.h"

#include <sys/stat.h>

#include <string>

#include "core/sys.h"

namespace nexa {

namespace {

// Calls make(prefix) for each directory along path, up to its last "/",
// that is not there yet.
template <typename Make>
void for_each_missing(const std::string& whole, Make make) {
  for (size_t slash = whole.find('/', 1); slash != std::string::npos;
       slash = whole.find('/', slash + 1)) {
    const std::string prefix = whole.substr(0, slash);
    if (!sys::is_directory(prefix)) make(prefix);
  }
}

}  // namespace

DirectoriesMade create_directories(std::string_view path, mode_t mode) {
  const std::string whole(path);
  // A path without "/" after its first character names no directory to make.
  if (whole.size() < 2 || whole.find('/', 1) == std::string::npos) return DirectoriesMade::kAll;

  // The owner keeps write and search permission on what is made from now on
  // in this process.
  const mode_t previous = ::umask(0);
  ::umask(previous & ~static_cast<mode_t>(0300));

  auto result = DirectoriesMade::kAll;
  for_each_missing(whole, [&](const std::string& prefix) {
    if (!sys::make_directory(prefix, 0777)) {
      result = DirectoriesMade::kNotMade;
      ::umask(previous);
    } else if (!sys::change_mode(prefix, mode)) {
      result = DirectoriesMade::kModeNotSet;
    }
  });
  if (!sys::change_mode(whole, mode)) result = DirectoriesMade::kModeNotSet;
  return result;
}

void create_parent_directories(std::string_view file) {
  for_each_missing(std::string(file), [](const std::string& prefix) {
    if (sys::make_directory(prefix, kParentMode)) sys::change_mode(prefix, kParentMode);
  });
}

}  // namespace nexa
