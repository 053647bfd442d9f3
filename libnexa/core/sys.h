// The one layer between the library and the operating system: every path
// it touches, every shell command it runs and every whole-file write.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nexa::sys {

// ---- Paths. With NEXALIB_ROOT set, every path is resolved under that
// directory (like --root of system tools); unset, paths are used as given.
std::string map_path(std::string_view path);

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr open_file(std::string_view path, const char* mode);
bool is_directory(std::string_view path);
bool is_regular_file(std::string_view path);
bool exists(std::string_view path);
// Names in a directory (without "." and ".."); empty when unreadable.
std::vector<std::string> list_directory(std::string_view path);
// mkdir(2) and chmod(2) on the mapped path: 0 or -1 with errno.
int make_directory(std::string_view path, mode_t mode);
int change_mode(std::string_view path, mode_t mode);
int remove_file(std::string_view path);
std::optional<std::string> read_file(std::string_view path);

// Replaces the file with content atomically: a temporary file in the same
// directory, written, given the mode, flushed to disk and renamed over the
// target, then the directory flushed. A crash or a failed write leaves the
// old file whole. False when the file could not be replaced.
bool replace_file(std::string_view path, std::string_view content, mode_t mode);

// ---- Commands. Every shell command goes through run_command, which hands
// it to the current runner (system(3) unless a test installed another) and
// returns the status as system(3) gives it.
using CommandRunner = std::function<int(const std::string& command_line)>;
int run_command(const std::string& command_line);
// Installs a runner (an empty one restores system(3)); returns the previous.
CommandRunner set_command_runner(CommandRunner runner);

// A value the shell sees as exactly one literal word. Ordinary values
// (letters, digits and . - _ : / @ , + = %) come back unchanged, so command
// lines read as written; anything else is single-quoted.
std::string shell_quote(std::string_view value);

}  // namespace nexa::sys
