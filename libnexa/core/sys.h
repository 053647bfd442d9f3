// The one layer between the library and the operating system: every path
// it touches, every shell command it runs, every whole-file write, the
// account files, the clock, the system log and the few kernel calls.
#pragma once

#include <net/if.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

#include <cerrno>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/command_line.h"
#include "core/owners.h"

namespace nexa::sys {

// ---- Results. Every call of this layer that can fail gives a Status or a
// Result: success (with its value), or the errno of the failure. The topic
// functions above it follow the same rule: a Status or a Result for
// anything that can fail, one small enum where there are more than two
// outcomes a caller tells apart, bool only for a question (is_..., a
// lookup that found something or not) and std::optional only for a parse
// or lookup whose one other outcome is "none". The exported shells alone
// turn these into the documented 0/-1/-2, null and exits.
class Status {
 public:
  static Status success() { return Status(0); }
  static Status failure(int error) { return Status(error ? error : EIO); }
  // The failure errno describes right now.
  static Status from_errno() { return failure(errno); }
  static Status from_call(int result) { return result == 0 ? success() : from_errno(); }

  explicit operator bool() const { return error_ == 0; }
  int error() const { return error_; }

 private:
  explicit Status(int error) : error_(error) {}
  int error_;
};

template <typename T>
class Result {
 public:
  // Implicit, so that a function returns a value or a failure alike.
  Result(T value) : value_(std::move(value)) {}
  Result(Status failure) : error_(failure.error()) {}

  explicit operator bool() const { return value_.has_value(); }
  int error() const { return error_; }
  // The failure as a Status, to pass on from a function of another type.
  Status status() const { return value_ ? Status::success() : Status::failure(error_); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  int error_ = 0;
};

// ---- Paths. With NEXALIB_ROOT set, every path resolves inside that
// directory, like --root of the system's tools: each component is looked up
// under the root, a symbolic link is followed inside it (an absolute target
// starts again at the root) and ".." never climbs above it. Unset, paths
// are used as given. An empty result names nothing (a loop of links).
enum class LastLink { kFollow, kKeep };
std::string map_path(std::string_view path, LastLink last = LastLink::kFollow);

// Opens with fopen's mode plus close-on-exec.
Result<FilePtr> open_file(std::string_view path, const char* mode);
// Creates or empties a file for writing without following a link at its
// place: a link planted there (in /tmp, say) makes this fail with ELOOP.
Result<FilePtr> create_output_file(std::string_view path);
bool is_directory(std::string_view path);
bool is_regular_file(std::string_view path);
// Whether anything is there, a dangling link included.
bool exists(std::string_view path);
// Names in a directory (without "." and ".."), or why it could not be read
// to the end.
Result<std::vector<std::string>> list_directory(std::string_view path);
Status make_directory(std::string_view path, mode_t mode);
Status change_mode(std::string_view path, mode_t mode);
Status change_mode(int fd, mode_t mode);
// stat(2) of what the path names (a link followed), or of an open file.
Result<struct stat> status_of(std::string_view path);
Result<struct stat> status_of(int fd);
// The permission bits (07777) of what the path names.
Result<mode_t> permissions(std::string_view path);
// Removes the name itself (a link, not what it points to).
Status remove_file(std::string_view path);
Result<std::string> read_file(std::string_view path);

// Replaces the file with content atomically: a temporary file named after
// the target (".#group.1a2B3c") in the same directory, written, given the
// owner and group of the file it replaces and the mode, flushed to disk and
// renamed over the target, then the directory flushed. A crash or a failed
// write leaves the old file whole, and the next replacement in that
// directory removes such leftovers that no live writer holds.
Status replace_file(std::string_view path, std::string_view content, mode_t mode);

// ---- Descriptors, and appends that a kill cannot spoil.
// open(2) of the mapped path with the flags plus close-on-exec.
Result<UniqueFd> open_descriptor(std::string_view path, int flags, mode_t mode = 0644,
                                 LastLink last = LastLink::kFollow);
// Reads the open file from where it stands to its end.
Result<std::string> read_all(int fd);
// Moves the open file's offset back to its start.
Status seek_to_start(int fd);
// One read(2) of at most limit bytes, for files the kernel makes up on each
// read (under /proc) and whose first part is all that is wanted.
Result<std::string> read_once(int fd, size_t limit);
// Writes all of data; the errno of the write that failed.
Status write_all(int fd, std::string_view data);
// Flushes the file's data to disk.
Status sync(int fd);
// An exclusive lock on the open file (flock), waited for.
Status lock_open_file(int fd);
// A whole-file write lock (fcntl), refused at once when another holds one.
Status try_lock_whole_file(int fd);
// rename(2) of the mapped paths.
Status rename_file(std::string_view from, std::string_view to);

// A writer killed in the middle of an append (or a power cut) leaves the
// start of its text as an unterminated last line. Before it writes, the
// next append removes such a piece, or terminates a last line that a
// person typed without its line feed.
enum class TornLine {
  kRemove,  // logs: only our entries are there, so the piece is torn
  // Account files: a kill stops a write at a page boundary of the file, so
  // only a piece ending there goes; a line ending elsewhere was typed.
  kRemoveAtPageEnd,
};
// Appends text (whole lines) to the file open for appending at fd, which
// the caller has locked against the other writers, after mending its last
// line; synced when asked. A failed or short write is cut off again, so the
// file stays as it was.
Status append_lines(int fd, std::string_view text, TornLine torn, bool synced);
// Opens the file for appending (made with mode when missing), locks it and
// appends; a FIFO planted at the path cannot hang the writer.
Status append_to_file(std::string_view path, std::string_view text, mode_t mode, TornLine torn);

// ---- Faults, for tests: the Nth write, sync, rename or unlink since the
// fault was set fails with its error, or the process dies there as if
// killed (a write first copies its text up to the next page boundary of the
// file, as the kernel does when a kill interrupts it).
enum class Step { kWrite, kSync, kRename, kUnlink };
struct Fault {
  Step step = Step::kWrite;
  int nth = 1;
  int error = EIO;
  bool kill = false;
};
// Sets the fault (none: every step runs) and starts counting afresh.
void set_fault(std::optional<Fault> fault);
// The steps of this kind taken since the fault was set.
int steps_taken(Step step);

// ---- Commands. Every shell command goes through run_command, which hands
// it to the current runner (system(3) unless a test installed another) and
// returns the status as system(3) gives it; a line holding a refused value
// is not run and gives -1. Without an installed runner and with
// NEXALIB_COMMAND_LOG naming a file, each line is appended to that file
// (not mapped) instead of run, with status 0 (-1 when it cannot be
// written).
using CommandRunner = std::function<int(const std::string& command_line)>;
int run_command(const CommandLine& command);
// Installs a runner (an empty one restores system(3)); returns the previous.
CommandRunner set_command_runner(CommandRunner runner);

// ---- Accounts, read from the (mapped) /etc/passwd and /etc/group, never
// from the running system's name service.
inline constexpr const char* kPasswdFile = "/etc/passwd";
inline constexpr const char* kGroupFile = "/etc/group";
struct User {
  std::string name, password;
  uid_t uid = 0;
  gid_t gid = 0;
  std::string gecos, home, shell;
};
struct Group {
  std::string name, password;
  gid_t gid = 0;
  std::vector<std::string> members;
};
Result<std::vector<User>> read_users();
Result<std::vector<Group>> read_groups();
// The same read from the files' texts.
std::vector<User> users_in(std::string_view passwd);
std::vector<Group> groups_in(std::string_view group);
std::optional<User> find_user(std::string_view name);
std::optional<Group> find_group(std::string_view name);

// ---- The environment the program was started with (a CGI's request).
// The value, or null when unset.
const char* environment(const char* name);
Status set_environment(const char* name, const char* value);

// ---- The clock and the system log.
using Clock = std::function<time_t()>;
time_t now();
// Installs a clock (an empty one restores time(2)); returns the previous.
Clock set_clock(Clock clock);

using LogSink = std::function<void(int priority, const std::string& message)>;
void log(int priority, std::string_view message);
// Installs a sink (an empty one restores syslog(3)); returns the previous.
LogSink set_log_sink(LogSink sink);

// ---- Kernel calls, one seam each; tests install fakes.
// statfs(2) of the mapped path.
Result<struct statfs> file_system_stats(std::string_view path);
// quotactl(2); the special device is not mapped (it names a device).
Status quota_control(int command, std::string_view special, int id, void* data);
// ioctl(2) with an interface request on a datagram socket of its own.
Status interface_control(unsigned long request, struct ifreq& data);

struct KernelCalls {
  std::function<int(const char* path, struct statfs* out)> statfs;
  std::function<int(int command, const char* special, int id, void* data)> quotactl;
  std::function<int(unsigned long request, struct ifreq* data)> interface_ioctl;
};
// Installs fakes (empty members use the real calls); returns the previous.
KernelCalls set_kernel_calls(KernelCalls calls);

}  // namespace nexa::sys
