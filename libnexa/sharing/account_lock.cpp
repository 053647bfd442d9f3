// The system's account-file lock and the appends made under it.
#include "sharing/account_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <thread>

namespace nexa {

namespace {

struct flock whole_file_write_lock() {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return lock;
}

bool is_held_elsewhere(int error) {
  return error == EAGAIN || error == EACCES;
}

}  // namespace

sys::Status try_lock_whole_file(int fd) {
  struct flock lock = whole_file_write_lock();
  return sys::Status::from_call(::fcntl(fd, F_SETLK, &lock));
}

// Polled rather than waited for with F_SETLKW, which only an alarm signal
// could bound, and a library must leave the process's signals alone.
sys::Result<AccountLock> AccountLock::acquire(std::chrono::milliseconds wait) {
  const std::string path = sys::map_path(kAccountLockFile);
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  if (!fd) return sys::Status::from_errno();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::chrono::microseconds pause{200};
  for (;;) {
    const sys::Status locked = try_lock_whole_file(fd.get());
    if (locked) return AccountLock(std::move(fd));
    if (!is_held_elsewhere(locked.error()) && locked.error() != EINTR) return locked;
    if (std::chrono::steady_clock::now() >= deadline) return sys::Status::failure(EAGAIN);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds{20000});
  }
}

sys::Result<UniqueFd> open_for_append(std::string_view path, mode_t mode) {
  const std::string mapped = sys::map_path(path);
  UniqueFd fd(::open(mapped.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, mode));
  if (!fd) return sys::Status::from_errno();
  return fd;
}

sys::Status append_line(int fd, std::string_view line) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return sys::Status::from_errno();
  std::string text;
  char last = '\n';
  if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1)
    return sys::Status::from_errno();
  if (last != '\n') text = "\n";
  text += line;
  const ssize_t written = ::write(fd, text.data(), text.size());
  if (written == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0)
    return sys::Status::success();
  const int error = written >= 0 && written < static_cast<ssize_t>(text.size()) ? ENOSPC : errno;
  // Whatever reached the file goes again: a part of a line must not stay.
  (void)::ftruncate(fd, st.st_size);
  return sys::Status::failure(error);
}

}  // namespace nexa
