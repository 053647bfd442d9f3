// The library's edit lock, the system's account lock, and the holds that
// models keep across calls.
#include "core/file_locks.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/directories.h"
#include "core/owners.h"

namespace nexa {
namespace {

// A lock file and how many holds of this process stand on it.
struct ProcessLock {
  const char* path;
  mode_t mode;  // of a lock file made here
  UniqueFd fd;
  int holds = 0;
};

struct KeptHold {
  std::string path;
  LockScope scope;
  const void* anchor;
};

struct Locks {
  pid_t owner = 0;
  std::chrono::milliseconds wait = kLockWait;
  ProcessLock files{kEditLockFile, 0644, UniqueFd(), 0};
  ProcessLock accounts{kAccountLockFile, 0600, UniqueFd(), 0};
  std::vector<KeptHold> kept;
  std::set<std::string, std::less<>> refused;
};

void forget_holds(Locks& state) {
  for (ProcessLock* lock : {&state.files, &state.accounts}) {
    lock->fd.reset();
    lock->holds = 0;
  }
  state.kept.clear();
  state.refused.clear();
}

// Locks are not inherited: a child of fork starts with none, whatever its
// parent held.
Locks& locks() {
  static Locks* const state = new Locks;  // outlives every hold, even at exit
  if (state->owner != ::getpid()) {
    forget_holds(*state);
    state->owner = ::getpid();
  }
  return *state;
}

// A process that may not write the lock file (a CGI program running as a
// user) takes a read lock: it waits for writers, and cannot write the
// configuration files anyway.
UniqueFd open_lock_file(const ProcessLock& lock, short& type) {
  const std::string mapped = sys::map_path(lock.path);
  UniqueFd fd(::open(mapped.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, lock.mode));
  if (!fd && errno == ENOENT) {
    create_parent_directories(lock.path);
    fd.reset(::open(mapped.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, lock.mode));
  }
  type = F_WRLCK;
  if (!fd && (errno == EACCES || errno == EROFS)) {
    fd.reset(::open(mapped.c_str(), O_RDONLY | O_CLOEXEC));
    type = F_RDLCK;
  }
  return fd;
}

// Polled rather than waited for with F_SETLKW, which only an alarm signal
// could bound, and a library must leave the process's signals alone.
sys::Status lock(ProcessLock& lock, std::chrono::milliseconds wait) {
  if (lock.holds > 0) {
    ++lock.holds;
    return sys::Status::success();
  }
  short type = F_WRLCK;
  UniqueFd fd = open_lock_file(lock, type);
  if (!fd) return sys::Status::from_errno();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::chrono::microseconds pause{200};
  for (;;) {
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    if (::fcntl(fd.get(), F_SETLK, &request) == 0) break;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) return sys::Status::from_errno();
    if (std::chrono::steady_clock::now() >= deadline) return sys::Status::failure(EAGAIN);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds{20000});
  }
  lock.fd = std::move(fd);
  lock.holds = 1;
  return sys::Status::success();
}

// The edit that waited in vain is refused; the system log says why.
sys::Status refused(const ProcessLock& lock, sys::Status failure) {
  sys::log(LOG_ERR, std::string("file edit refused: lock ") + lock.path + ": " +
                        std::strerror(failure.error()) + "\n");
  return failure;
}

void unlock(ProcessLock& lock) {
  if (lock.holds > 0 && --lock.holds == 0) lock.fd.reset();  // closing unlocks
}

void release(LockScope scope) {
  Locks& state = locks();
  if (scope == LockScope::kAccounts) unlock(state.accounts);
  unlock(state.files);
}

}  // namespace

LockScope scope_of(std::string_view path) {
  return path == sys::kPasswdFile || path == sys::kGroupFile ? LockScope::kAccounts
                                                             : LockScope::kFiles;
}

sys::Result<LockHold> LockHold::take(LockScope scope) {
  Locks& state = locks();
  if (const sys::Status taken = lock(state.files, state.wait); !taken)
    return refused(state.files, taken);
  if (scope == LockScope::kAccounts) {
    if (const sys::Status taken = lock(state.accounts, state.wait); !taken) {
      unlock(state.files);
      return refused(state.accounts, taken);
    }
  }
  return LockHold(scope);
}

LockHold& LockHold::operator=(LockHold&& other) noexcept {
  if (this != &other) {
    if (scope_) release(*scope_);
    scope_ = std::exchange(other.scope_, std::nullopt);
  }
  return *this;
}

LockHold::~LockHold() {
  if (scope_) release(*scope_);
}

void release_all_holds() {
  forget_holds(locks());
}

std::chrono::milliseconds set_lock_wait(std::chrono::milliseconds wait) {
  return std::exchange(locks().wait, wait);
}

sys::Result<LockHold> hold_for_edit(std::string_view path) {
  if (locks().refused.contains(path)) return sys::Status::failure(ENOLCK);
  return LockHold::take(scope_of(path));
}

sys::Result<LockHold> hold_for_load(std::string_view path) {
  Locks& state = locks();
  state.refused.erase(std::string(path));
  sys::Result<LockHold> hold = LockHold::take(scope_of(path));
  if (!hold) state.refused.emplace(path);
  return hold;
}

void keep_for_model(std::string_view path, LockHold hold, const void* anchor) {
  // The kept hold stands on the locks by itself; this one goes quietly.
  const std::optional<LockScope> scope = std::exchange(hold.scope_, std::nullopt);
  if (scope) locks().kept.push_back({std::string(path), *scope, anchor});
}

void release_written(std::string_view path, const GSList* written) {
  std::vector<KeptHold>& kept = locks().kept;
  const auto of_path = [&](const KeptHold& hold) { return hold.path == path; };
  auto found = std::ranges::find_if(kept, [&](const KeptHold& hold) {
    return of_path(hold) && hold.anchor && g_slist_find(const_cast<GSList*>(written), hold.anchor);
  });
  if (found == kept.end()) found = std::ranges::find_if(kept, of_path);
  if (found == kept.end()) return;
  const LockScope scope = found->scope;
  kept.erase(found);
  release(scope);
}

void release_models_in(const GSList* list) {
  std::vector<KeptHold>& kept = locks().kept;
  if (kept.empty()) return;
  for (const GSList* node = list; node; node = node->next) {
    const auto found =
        std::ranges::find(kept, static_cast<const void*>(node->data), &KeptHold::anchor);
    if (!node->data || found == kept.end()) continue;
    const LockScope scope = found->scope;
    kept.erase(found);
    release(scope);
  }
}

}  // namespace nexa
