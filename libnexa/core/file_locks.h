// The locks that keep two callers from losing each other's edits of the
// files the library keeps: a load, the edits and the write back happen
// under one hold, so a second caller loads only what the first has
// written.
#pragma once

#include <glib.h>

#include <chrono>
#include <optional>
#include <string_view>
#include <utility>

#include "core/sys.h"

namespace nexa {

// One lock, the library's own, covers every file the library edits, so a
// caller holding one file and loading another never waits for a caller
// that holds them the other way round. Edits of the account files take in
// addition, always after it, the system's account lock (the one lckpwdf
// takes), so our writers and the system's own tools take turns on them.
inline constexpr const char* kEditLockFile = "/var/lock/nexalib.lock";
inline constexpr const char* kAccountLockFile = "/etc/.pwd.lock";
// How long a caller waits for a lock before its operation fails (EAGAIN):
// as long as the system's account tools wait for theirs.
inline constexpr std::chrono::milliseconds kLockWait{15000};

enum class LockScope { kFiles, kAccounts };
// kAccounts for the (unmapped) account files, kFiles for any other.
LockScope scope_of(std::string_view path);

// One hold on the locks of a scope. The locks belong to the process and
// count their holds: the last hold released unlocks, and a process that
// ends unlocks whatever it still held.
class LockHold {
 public:
  static sys::Result<LockHold> take(LockScope scope);
  LockHold(LockHold&& other) noexcept : scope_(std::exchange(other.scope_, std::nullopt)) {}
  LockHold& operator=(LockHold&& other) noexcept;
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;
  ~LockHold();

 private:
  friend void keep_for_model(std::string_view path, LockHold hold, const void* anchor);
  explicit LockHold(LockScope scope) : scope_(scope) {}
  std::optional<LockScope> scope_;
};

// Ends every hold of the process at once (a test harness whose root goes
// away between tests).
void release_all_holds();

// Sets how long take() waits; returns the previous wait.
std::chrono::milliseconds set_lock_wait(std::chrono::milliseconds wait);

// ---- Edits that span calls. An exported load hands the caller a model of
// the file (a line or section list) and keeps its hold until the caller
// writes the file back, frees the model or ends.

// The hold for an edit of path. Fails where a load of the path failed for
// want of the lock: the caller's model is then empty, and writing it back
// would wipe the file.
sys::Result<LockHold> hold_for_edit(std::string_view path);
// Takes the hold for a load of path; on failure, refuses the path's writes
// (above) until a load of it succeeds.
sys::Result<LockHold> hold_for_load(std::string_view path);
// Keeps the hold for the model whose first item is anchor (null for an
// empty model, which only a write or the end of the process releases).
void keep_for_model(std::string_view path, LockHold hold, const void* anchor);
// After a write of path, the hold kept for the model written goes (when
// the written list is that model), else the oldest kept for the path.
void release_written(std::string_view path, const GSList* written = nullptr);
// Before list is freed, the holds kept for the models it holds go.
void release_models_in(const GSList* list);

// Loads a model of path (load gives the list) under a hold kept with it;
// null when the lock cannot be had.
template <typename Load>
GSList* load_model(std::string_view path, Load load) {
  sys::Result<LockHold> hold = hold_for_load(path);
  if (!hold) return nullptr;
  GSList* model = load();
  keep_for_model(path, std::move(*hold), model ? model->data : nullptr);
  return model;
}

// Writes path back (write gives the status) under its hold, which ends the
// caller's edit of it (of the model written, when it is a list).
template <typename Write>
sys::Status write_back(std::string_view path, Write write, const GSList* model = nullptr) {
  const sys::Result<LockHold> hold = hold_for_edit(path);
  if (!hold) return sys::Status::failure(hold.error());
  const sys::Status written = write();
  release_written(path, model);
  return written;
}

}  // namespace nexa
