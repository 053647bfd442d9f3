// Running shell commands: output discarded, or the first line read back.
#include "core/commands.h"

#include <cstdio>

#include "core/sys.h"

namespace nexa {

std::string format_command(const char* format, va_list args) {
  char room[kCommandRoom];
  std::vsnprintf(room, sizeof room, format, args);
  return room;
}

int run_discarding_output(CommandLine command) {
  return sys::run_command(command.discard_output());
}

std::string run_for_first_line(CommandLine command, std::string_view path) {
  // Made here first, so the shell's redirect finds our own regular file
  // and never follows a link someone planted in a shared directory.
  if (!sys::create_output_file(path)) return "";
  sys::run_command(command.redirect_to(path));
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return "";
  char line[kResultRoom] = {};
  if (!std::fgets(line, sizeof line, file->get())) return "";
  std::string first(line);
  if (!first.empty() && first.back() == '\n') first.pop_back();
  return first;
}

}  // namespace nexa
