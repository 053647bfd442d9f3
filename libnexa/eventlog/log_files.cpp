// The log files: whole-line appends under a lock, and rotation at the limit.
#include "eventlog/log_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "core/config_values.h"
#include "core/owners.h"
#include "core/sys.h"

namespace nexa {
namespace {

// A log opened and locked against the other writers; the lock also covers
// the size check and the rename, so no entry lands in a file being rotated.
struct LockedLog {
  UniqueFd fd;
  off_t size = 0;
};

// Opens and locks the file that is at the path once the lock is held: a
// writer that waited while another rotated holds the renamed file and opens
// the new one instead.
sys::Result<LockedLog> lock_log(std::string_view path, int flags) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    // Non-blocking, so that a FIFO planted at the path cannot hang a writer.
    sys::Result<UniqueFd> fd = sys::open_descriptor(path, flags | O_NONBLOCK);
    if (!fd) return fd.status();
    if (const sys::Status locked = sys::lock_open_file(fd->get()); !locked) return locked;
    const sys::Result<struct stat> held = sys::status_of(fd->get());
    if (!held) return held.status();
    const sys::Result<struct stat> named = sys::status_of(path);
    if (named && named->st_dev == held->st_dev && named->st_ino == held->st_ino)
      return LockedLog{std::move(*fd), held->st_size};
  }
  // Renamed under us every time: another writer keeps rotating.
  return sys::Status::failure(EAGAIN);
}

enum class Rotation { kNotNeeded, kDone, kFailed };

// Renames a locked log that is over the limit to the whole "<path>.old".
Rotation rotate_if_full(std::string_view path, const LockedLog& log) {
  if (log.size <= kLogSizeLimit) return Rotation::kNotNeeded;
  std::string old_name(path);
  old_name += ".old";
  return sys::rename_file(path, old_name) ? Rotation::kDone : Rotation::kFailed;
}

}  // namespace

std::string time_stamp(time_t moment) {
  struct tm local {};
  ::localtime_r(&moment, &local);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%d.%d.%d-%02d:%02d:%02d ", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return stamp;
}

sys::Status check_log_size(std::string_view path) {
  // A log that cannot be read counts as a failed status read: no rotation.
  const sys::Result<LockedLog> log = lock_log(path, O_RDONLY);
  return log && rotate_if_full(path, *log) == Rotation::kFailed ? sys::Status::failure(EIO)
                                                                : sys::Status::success();
}

sys::Status append_entry(std::string_view path, std::string_view text, bool stamped) {
  std::string line = stamped ? time_stamp(sys::now()) : std::string();
  line += flattened(ValueKind::kFreeText, text);
  line += '\n';
  constexpr int kFlags = O_RDWR | O_APPEND | O_CREAT;
  sys::Result<LockedLog> log = lock_log(path, kFlags);
  // After a rotation the entry starts the new file; a failed rename leaves
  // the entry to the full file, as before. The renamed file's lock goes
  // first: a second lock on one file would wait for this very writer.
  if (log && rotate_if_full(path, *log) == Rotation::kDone) {
    log->fd.reset();
    log = lock_log(path, kFlags);
  }
  if (!log) return log.status();
  // A piece of an entry that a killed writer left goes first; a failed
  // write is cut off again, so no entry runs into the next.
  return sys::append_lines(log->fd.get(), line, sys::TornLine::kRemove, false);
}

}  // namespace nexa
