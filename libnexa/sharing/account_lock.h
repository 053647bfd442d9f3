// Appends to the account files, made under the system's account lock.
#pragma once

#include <sys/types.h>

#include <string_view>

#include "core/owners.h"
#include "core/sys.h"

namespace nexa {

// A whole-file write lock on fd, refused at once when another holds one.
sys::Status try_lock_whole_file(int fd);

// An account file opened for appending (created with mode when missing).
sys::Result<UniqueFd> open_for_append(std::string_view path, mode_t mode);
// Appends line with one write, after a line feed when the file's last line
// lacks one; a failed or short write is cut off again, so the file stays as
// it was.
sys::Status append_line(int fd, std::string_view line);

}  // namespace nexa
