// The one layer between the library and the operating system: paths,
// files and directories, whole-file replacement and command running.
#include "core/sys.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace nexa::sys {

// The appliance is 32-bit: dates after 2038 and files past 2 GiB need
// 64-bit time and offsets in every build of the library.
static_assert(sizeof(time_t) == 8, "build with _TIME_BITS=64");
static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a lookup

const char* root_directory() {
  const char* root = std::getenv("NEXALIB_ROOT");
  return root && *root ? root : nullptr;
}

// Takes the first component off a path ("" when none is left).
std::string next_component(std::string& rest) {
  const size_t start = rest.find_first_not_of('/');
  if (start == std::string::npos) {
    rest.clear();
    return "";
  }
  const size_t end = rest.find('/', start);
  std::string part = rest.substr(start, end == std::string::npos ? end : end - start);
  rest.erase(0, end);
  return part;
}

std::optional<std::string> link_target(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::nullopt;
  std::string target(PATH_MAX, '\0');
  const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
  if (n < 0) return std::nullopt;
  target.resize(static_cast<size_t>(n));
  return target;
}

// Resolves each component inside root: links are followed there (an
// absolute target starts again at the root), ".." stops at the root.
// resolved holds "/a/b" below the root.
std::string resolve_in_root(std::string root, std::string_view path, LastLink last) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::string resolved;
  std::string rest(path);
  int links = 0;
  for (std::string part = next_component(rest); !part.empty(); part = next_component(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      resolved.erase(std::min(resolved.rfind('/'), resolved.size()));
      continue;
    }
    const size_t parent_end = resolved.size();
    resolved += "/" + part;
    if (last == LastLink::kKeep && rest.find_first_not_of('/') == std::string::npos) break;
    const std::optional<std::string> target = link_target(root + resolved);
    if (!target) continue;
    if (++links > kMaxLinks) return "";
    resolved.erase(target->starts_with('/') ? 0 : parent_end);
    rest.insert(0, 1, '/').insert(0, *target);
  }
  return resolved.empty() ? root : root + resolved;
}

std::string parent_directory(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- Faults set by tests.
struct FaultState {
  std::optional<Fault> fault;
  int taken[4] = {};
};

FaultState& faults() {
  static FaultState state;
  return state;
}

// Counts a step; the fault set for it, when this is its turn.
std::optional<Fault> fault_at(Step step) {
  FaultState& state = faults();
  const int taken = ++state.taken[static_cast<int>(step)];
  if (!state.fault || state.fault->step != step || state.fault->nth != taken) return std::nullopt;
  return state.fault;
}

// Whether the step fails here (with errno set); a kill ends the process.
bool fails_here(Step step) {
  const std::optional<Fault> fault = fault_at(step);
  if (!fault) return false;
  if (fault->kill) ::kill(::getpid(), SIGKILL);
  errno = fault->error;
  return true;
}

constexpr off_t kPageSize = 4096;

// A kill that interrupts a write: the text up to the next page boundary of
// the file goes out, then the process dies.
[[noreturn]] void killed_while_writing(int fd, std::string_view data) {
  struct stat st {};
  const bool appending = (::fcntl(fd, F_GETFL) & O_APPEND) != 0;
  const off_t at = appending && ::fstat(fd, &st) == 0 ? st.st_size : ::lseek(fd, 0, SEEK_CUR);
  const size_t room = static_cast<size_t>(kPageSize - (at < 0 ? 0 : at % kPageSize));
  (void)!::write(fd, data.data(), std::min(room, data.size()));
  ::kill(::getpid(), SIGKILL);
  std::abort();
}

// A file made to be renamed into place: removed again unless kept.
class TemporaryFile {
 public:
  TemporaryFile(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  TemporaryFile(TemporaryFile&&) = default;
  TemporaryFile& operator=(TemporaryFile&&) = delete;
  ~TemporaryFile() {
    if (!path_.empty() && !fails_here(Step::kUnlink)) ::unlink(path_.c_str());
  }
  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }
  // After the rename: the name now belongs to the target.
  void keep() { path_.clear(); }
  void close() { fd_.reset(); }

 private:
  UniqueFd fd_;
  std::string path_;
};

void sync_directory(const std::string& dir) {
  const UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd) ::fsync(fd.get());
}

// The real file behind a path: inside the root the mapping already
// followed the links; without one, a symlinked file (say /etc/group kept on
// persistent storage) is replaced where it really lives and the link stays.
std::string replacement_target(std::string_view path) {
  std::string target = map_path(path);
  if (root_directory() || target.empty()) return target;
  if (char* real = ::realpath(target.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  return target;
}

// Temporary files are ".#" + the target's name + "." + six characters from
// mkstemp, so a leftover says whose it is.
constexpr size_t kMaxTargetPart = 200;  // keeps the name within NAME_MAX
constexpr size_t kUniquePart = 6;

bool is_temporary_name(std::string_view name) {
  if (name.size() < 2 + 1 + 1 + kUniquePart || !name.starts_with(".#")) return false;
  if (name[name.size() - kUniquePart - 1] != '.') return false;
  for (const char c : name.substr(name.size() - kUniquePart))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// A writer holds a lock on its temporary file until it is renamed, so a
// temporary file whose lock can be taken belongs to a writer that died.
void remove_stale_temporaries(const std::string& dir) {
  const DirPtr listing(::opendir(dir.c_str()));
  if (!listing) return;
  while (const dirent* entry = ::readdir(listing.get())) {
    if (!is_temporary_name(entry->d_name)) continue;
    const UniqueFd fd(::openat(dirfd(listing.get()), entry->d_name,
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && !fails_here(Step::kUnlink))
      ::unlinkat(dirfd(listing.get()), entry->d_name, 0);
  }
}

Result<TemporaryFile> create_temporary(const std::string& target) {
  const std::string dir = parent_directory(target);
  const std::string name = base_name(target).substr(0, kMaxTargetPart);
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string path = dir;
    path.append("/.#").append(name).append(".XXXXXX");
    UniqueFd fd(::mkostemp(path.data(), O_CLOEXEC));
    if (!fd) return Status::from_errno();
    TemporaryFile temp(std::move(fd), std::move(path));
    // Between creating and locking, a cleaner may have taken the file for a
    // leftover and removed it; then make another.
    struct stat st {};
    if (::flock(temp.fd(), LOCK_EX) == 0 && ::fstat(temp.fd(), &st) == 0 && st.st_nlink > 0)
      return temp;
    temp.keep();  // its name is gone or someone else's now
  }
  return Status::failure(EAGAIN);
}

// The replacement belongs to whoever owned the file it replaces (say
// root:shadow), not to the process that wrote it.
bool keep_owner(int fd, const std::string& target) {
  struct stat old {};
  struct stat now {};
  if (::stat(target.c_str(), &old) != 0) return errno == ENOENT;
  if (::fstat(fd, &now) != 0) return false;
  if (old.st_uid == now.st_uid && old.st_gid == now.st_gid) return true;
  return ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

CommandRunner& current_runner() {
  static CommandRunner runner;
  return runner;
}

// With NEXALIB_COMMAND_LOG naming a file, commands are appended to it, one
// line each, instead of being run: a host program can then drive the
// library against a sandbox root without restarting the machine's services
// or touching its real paths (commands name them unmapped). A log that
// cannot be written gives -1; the command still does not run.
const char* command_log() {
  const char* file = std::getenv("NEXALIB_COMMAND_LOG");
  return file && *file ? file : nullptr;
}

int record_command(const char* log_file, const std::string& command_line) {
  const UniqueFd fd(::open(log_file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  return fd && write_all(fd.get(), command_line + "\n") ? 0 : -1;
}

}  // namespace

std::string map_path(std::string_view path, LastLink last) {
  const char* root = root_directory();
  if (!root) return std::string(path);
  return resolve_in_root(root, path, last);
}

Result<FilePtr> open_file(std::string_view path, const char* mode) {
  const std::string with_cloexec = std::string(mode) + "e";
  FilePtr file(std::fopen(map_path(path).c_str(), with_cloexec.c_str()));
  if (!file) return Status::from_errno();
  return file;
}

Result<FilePtr> create_output_file(std::string_view path) {
  const std::string mapped = map_path(path, LastLink::kKeep);
  UniqueFd fd(::open(mapped.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!fd) return Status::from_errno();
  FilePtr file(::fdopen(fd.get(), "w"));
  if (!file) return Status::from_errno();
  fd.release();
  return file;
}

bool is_directory(std::string_view path) {
  struct stat st {};
  return ::stat(map_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_regular_file(std::string_view path) {
  struct stat st {};
  return ::stat(map_path(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(std::string_view path) {
  struct stat st {};
  return ::lstat(map_path(path, LastLink::kKeep).c_str(), &st) == 0;
}

Result<std::vector<std::string>> list_directory(std::string_view path) {
  const DirPtr dir(::opendir(map_path(path).c_str()));
  if (!dir) return Status::from_errno();
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  if (errno != 0) return Status::from_errno();
  return names;
}

Status make_directory(std::string_view path, mode_t mode) {
  return Status::from_call(::mkdir(map_path(path).c_str(), mode));
}

Result<mode_t> permissions(std::string_view path) {
  struct stat st {};
  if (::stat(map_path(path).c_str(), &st) != 0) return Status::from_errno();
  return static_cast<mode_t>(st.st_mode & 07777);
}

Status change_mode(std::string_view path, mode_t mode) {
  return Status::from_call(::chmod(map_path(path).c_str(), mode));
}

Status change_mode(int fd, mode_t mode) {
  return Status::from_call(::fchmod(fd, mode));
}

Result<struct stat> status_of(std::string_view path) {
  struct stat st {};
  if (::stat(map_path(path).c_str(), &st) != 0) return Status::from_errno();
  return st;
}

Result<struct stat> status_of(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::from_errno();
  return st;
}

Status remove_file(std::string_view path) {
  if (fails_here(Step::kUnlink)) return Status::from_errno();
  return Status::from_call(::unlink(map_path(path, LastLink::kKeep).c_str()));
}

Result<std::string> read_file(std::string_view path) {
  Result<FilePtr> file = open_file(path, "rb");
  if (!file) return file.status();
  std::string content;
  // Room for what the file holds now, so reading it copies it once.
  struct stat st {};
  if (::fstat(::fileno(file->get()), &st) == 0 && st.st_size > 0)
    content.reserve(static_cast<size_t>(st.st_size));
  char buf[8192];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file->get())) > 0) content.append(buf, n);
  if (std::ferror(file->get())) return Status::failure(EIO);
  return content;
}

Status replace_file(std::string_view path, std::string_view content, mode_t mode) {
  const std::string target = replacement_target(path);
  if (target.empty()) return Status::failure(ELOOP);
  const std::string dir = parent_directory(target);
  remove_stale_temporaries(dir);
  Result<TemporaryFile> temp = create_temporary(target);
  if (!temp) return temp.status();
  if (const Status written = write_all(temp->fd(), content); !written) return written;
  if (!keep_owner(temp->fd(), target) || ::fchmod(temp->fd(), mode) != 0)
    return Status::from_errno();
  if (const Status synced = sync(temp->fd()); !synced) return synced;
  // Renamed while still locked, so no cleaner takes it for a leftover.
  if (fails_here(Step::kRename) || ::rename(temp->path().c_str(), target.c_str()) != 0)
    return Status::from_errno();
  temp->keep();
  temp->close();
  sync_directory(dir);
  return Status::success();
}

Result<UniqueFd> open_descriptor(std::string_view path, int flags, mode_t mode, LastLink last) {
  const std::string mapped = map_path(path, last);
  if (mapped.empty()) return Status::failure(ELOOP);
  UniqueFd fd(::open(mapped.c_str(), flags | O_CLOEXEC, mode));
  if (!fd) return Status::from_errno();
  return fd;
}

Result<std::string> read_all(int fd) {
  std::string text;
  char buf[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::from_errno();
    if (n == 0) return text;
    text.append(buf, static_cast<size_t>(n));
  }
}

Status seek_to_start(int fd) {
  return ::lseek(fd, 0, SEEK_SET) < 0 ? Status::from_errno() : Status::success();
}

Result<std::string> read_once(int fd, size_t limit) {
  std::string text(limit, '\0');
  ssize_t n;
  do {
    n = ::read(fd, text.data(), text.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0) return Status::from_errno();
  text.resize(static_cast<size_t>(n));
  return text;
}

Status write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    if (const std::optional<Fault> fault = fault_at(Step::kWrite)) {
      if (fault->kill) killed_while_writing(fd, data);
      return Status::failure(fault->error);
    }
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::from_errno();
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return Status::success();
}

Status sync(int fd) {
  if (fails_here(Step::kSync)) return Status::from_errno();
  return Status::from_call(::fsync(fd));
}

Status lock_open_file(int fd) {
  int result;
  do result = ::flock(fd, LOCK_EX);
  while (result != 0 && errno == EINTR);
  return Status::from_call(result);
}

Status try_lock_whole_file(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return Status::from_call(::fcntl(fd, F_SETLK, &lock));
}

Status rename_file(std::string_view from, std::string_view to) {
  if (fails_here(Step::kRename)) return Status::from_errno();
  return Status::from_call(::rename(map_path(from).c_str(), map_path(to).c_str()));
}

namespace {

// Where the file's last whole line ends (0 when it has none).
Result<off_t> end_of_last_line(int fd, off_t size) {
  char buf[4096];
  for (off_t end = size; end > 0;) {
    const off_t start = std::max<off_t>(0, end - static_cast<off_t>(sizeof buf));
    const ssize_t n = ::pread(fd, buf, static_cast<size_t>(end - start), start);
    if (n != end - start) return n < 0 ? Status::from_errno() : Status::failure(EIO);
    for (ssize_t i = n; i > 0; --i)
      if (buf[i - 1] == '\n') return start + i;
    end = start;
  }
  return off_t{0};
}

// Mends the last line for an append; the size the file then has, and in
// prefix a line feed to write first when a typed line is kept.
Result<off_t> mend_last_line(int fd, TornLine torn, std::string& prefix) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::from_errno();
  if (!S_ISREG(st.st_mode) || st.st_size == 0) return st.st_size;
  char last = '\n';
  if (::pread(fd, &last, 1, st.st_size - 1) != 1) return Status::from_errno();
  if (last == '\n') return st.st_size;
  if (torn == TornLine::kRemoveAtPageEnd && st.st_size % kPageSize != 0) {
    prefix = "\n";
    return st.st_size;
  }
  const Result<off_t> end = end_of_last_line(fd, st.st_size);
  if (!end) return end;
  if (::ftruncate(fd, *end) != 0) return Status::from_errno();
  return *end;
}

}  // namespace

Status append_lines(int fd, std::string_view text, TornLine torn, bool synced) {
  std::string out;
  const Result<off_t> size = mend_last_line(fd, torn, out);
  if (!size) return size.status();
  out += text;
  Status done = write_all(fd, out);
  if (done && synced) done = sync(fd);
  // Whatever reached the file goes again: a part of a line must not stay.
  if (!done) (void)!::ftruncate(fd, *size);
  return done;
}

Status append_to_file(std::string_view path, std::string_view text, mode_t mode, TornLine torn) {
  const Result<UniqueFd> fd = open_descriptor(path, O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK, mode);
  if (!fd) return fd.status();
  if (const Status locked = lock_open_file(fd->get()); !locked) return locked;
  return append_lines(fd->get(), text, torn, false);
}

void set_fault(std::optional<Fault> fault) {
  faults() = FaultState{fault, {}};
}

int steps_taken(Step step) {
  return faults().taken[static_cast<int>(step)];
}

int run_command(const CommandLine& command) {
  if (!command.valid()) {
    log(LOG_ERR, "command refused: a value holds a line break or would read as an option\n");
    return -1;
  }
  if (const CommandRunner& runner = current_runner()) return runner(command.str());
  if (const char* log_file = command_log()) return record_command(log_file, command.str());
  return std::system(command.str().c_str());
}

CommandRunner set_command_runner(CommandRunner runner) {
  return std::exchange(current_runner(), std::move(runner));
}

}  // namespace nexa::sys
