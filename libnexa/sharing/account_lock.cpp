// Appends to the account files, made under the system's account lock.
#include "sharing/account_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace nexa {

namespace {

struct flock whole_file_write_lock() {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return lock;
}

}  // namespace

sys::Status try_lock_whole_file(int fd) {
  struct flock lock = whole_file_write_lock();
  return sys::Status::from_call(::fcntl(fd, F_SETLK, &lock));
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
