// The one layer between the library and the operating system.
#include "core/sys.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace nexa::sys {

namespace {

CommandRunner& current_runner() {
  static CommandRunner runner;
  return runner;
}

std::string parent_directory(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void sync_directory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool is_plain_shell_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view(".-_:/@,+=%").find(c) != std::string_view::npos;
}

}  // namespace

std::string map_path(std::string_view path) {
  const char* root = std::getenv("NEXALIB_ROOT");
  if (!root || !*root) return std::string(path);
  std::string mapped(root);
  while (mapped.size() > 1 && mapped.back() == '/') mapped.pop_back();
  if (!path.starts_with('/')) mapped += '/';
  mapped += path;
  return mapped;
}

FilePtr open_file(std::string_view path, const char* mode) {
  return FilePtr(std::fopen(map_path(path).c_str(), mode));
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
  return ::lstat(map_path(path).c_str(), &st) == 0;
}

std::vector<std::string> list_directory(std::string_view path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(map_path(path).c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

int make_directory(std::string_view path, mode_t mode) {
  return ::mkdir(map_path(path).c_str(), mode);
}

int change_mode(std::string_view path, mode_t mode) {
  return ::chmod(map_path(path).c_str(), mode);
}

int remove_file(std::string_view path) {
  return ::unlink(map_path(path).c_str());
}

std::optional<std::string> read_file(std::string_view path) {
  FilePtr file = open_file(path, "rb");
  if (!file) return std::nullopt;
  std::string content;
  char buf[8192];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) content.append(buf, n);
  if (std::ferror(file.get())) return std::nullopt;
  return content;
}

bool replace_file(std::string_view path, std::string_view content, mode_t mode) {
  // A symlinked file (say /etc/group kept on persistent storage) is replaced
  // where it really lives; the link stays.
  std::string target = map_path(path);
  if (char* real = ::realpath(target.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  const std::string dir = parent_directory(target);
  std::string temp = dir + "/.nexa-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // O_EXCL: never someone else's file
  if (fd < 0) return false;
  const bool written = write_all(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  sync_directory(dir);
  return true;
}

int run_command(const std::string& command_line) {
  if (const CommandRunner& runner = current_runner()) return runner(command_line);
  return std::system(command_line.c_str());
}

CommandRunner set_command_runner(CommandRunner runner) {
  return std::exchange(current_runner(), std::move(runner));
}

std::string shell_quote(std::string_view value) {
  if (!value.empty()) {
    bool plain = true;
    for (const char c : value) plain = plain && is_plain_shell_character(c);
    if (plain) return std::string(value);
  }
  std::string quoted = "'";
  for (const char c : value) {
    if (c == '\0') continue;  // would end the command line early
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += '\'';
  return quoted;
}

}  // namespace nexa::sys
