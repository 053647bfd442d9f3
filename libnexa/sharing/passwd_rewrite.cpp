// Replacing or removing a user's passwd line under the file locks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/messages.h"
#include "sharing/accounts.h"

namespace nexa {

namespace {

bool is_record_of(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line.starts_with(name) && line[name.size()] == ':';
}

sys::Status report_lock_failure(const char* path, sys::Status failure) {
  warn("%s: %s\n", path, std::strerror(failure.error()));
  return failure;
}

}  // namespace

std::string rewrite_lines(std::string_view text, std::string_view name,
                          std::string_view replacement) {
  std::string result;
  result.reserve(text.size() + replacement.size());
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const size_t length = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(0, length);
    result += is_record_of(line, name) ? replacement : line;
    text.remove_prefix(length);
  }
  return result;
}

sys::Status update_passwd(const Account& account, bool keep) {
  const bool acceptable =
      keep ? is_writable(account)
           : !account.name.empty() && is_acceptable(ValueKind::kAccountName, account.name);
  if (!acceptable) return sys::Status::failure(EINVAL);
  // The system's lock first, so that the file cannot be replaced between
  // opening it and locking it; a writer that holds the file's own lock
  // makes this fail at once, as it always has.
  const sys::Result<LockHold> lock = LockHold::take(LockScope::kAccounts);
  if (!lock) return report_lock_failure(kAccountLockFile, lock.status());
  const sys::Result<UniqueFd> fd = sys::open_descriptor(sys::kPasswdFile, O_RDWR);
  if (!fd) return fd.status();
  const sys::Result<struct stat> st = sys::status_of(fd->get());
  if (!st) return st.status();
  if (const sys::Status locked = sys::try_lock_whole_file(fd->get()); !locked)
    return report_lock_failure(sys::kPasswdFile, locked);
  const sys::Result<std::string> text = sys::read_all(fd->get());
  if (!text) return text.status();
  const std::string updated =
      rewrite_lines(*text, account.name, keep ? passwd_line(account) : std::string());
  if (updated == *text) return sys::Status::success();
  return sys::replace_file(sys::kPasswdFile, updated, st->st_mode & 07777);
}

}  // namespace nexa
