// Running shell commands: output discarded, or the first line read back.
#include "core/commands.h"

#include <cstdio>
#include <cstring>

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

std::optional<int> run_into_file(CommandLine command, std::string_view path, Literal after) {
  // Made here first, so the shell's redirect finds our own regular file
  // and never follows a link someone planted in a shared directory.
  if (!sys::create_output_file(path)) return std::nullopt;
  command.redirect_to(path).text(after);
  if (!command.valid()) return std::nullopt;
  return sys::run_command(command);
}

std::string first_line_of(std::string_view path, size_t room) {
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return "";
  std::string line(room, '\0');
  if (!std::fgets(line.data(), static_cast<int>(room), file->get())) return "";
  line.resize(std::strlen(line.c_str()));
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

std::string run_for_first_line(CommandLine command, std::string_view path) {
  if (!run_into_file(std::move(command), path)) return "";
  return first_line_of(path, kResultRoom);
}

}  // namespace nexa
