// The system's account-file lock and the appends made under it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string_view>

#include "core/owners.h"
#include "core/sys.h"

namespace nexa {

inline constexpr const char* kAccountLockFile = "/etc/.pwd.lock";
// As long as the system's own account tools wait for it.
inline constexpr std::chrono::milliseconds kAccountLockWait{15000};

// A write lock on the (mapped) "/etc/.pwd.lock", the one lckpwdf takes, so
// our writers and the system's tools take turns on the account files.
class AccountLock {
 public:
  // Waits at most `wait` for the lock; the failure is EAGAIN after that.
  static sys::Result<AccountLock> acquire(std::chrono::milliseconds wait = kAccountLockWait);

 private:
  explicit AccountLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;  // closing it releases the lock
};

// A whole-file write lock on fd, refused at once when another holds one.
sys::Status try_lock_whole_file(int fd);

// An account file opened for appending (created with mode when missing).
sys::Result<UniqueFd> open_for_append(std::string_view path, mode_t mode);
// Appends line with one write, after a line feed when the file's last line
// lacks one; a failed or short write is cut off again, so the file stays as
// it was.
sys::Status append_line(int fd, std::string_view line);

}  // namespace nexa
