// Running shell commands: output discarded, or the first line read back.
#include "core/commands.h"

#include <cstdio>

#include "core/sys.h"

namespace nexa {

void run_with_argument(std::string_view command, std::string_view argument) {
  std::string line(command);
  line += ' ';
  line += argument;
  line += kDiscardOutput;
  sys::run_command(line);
}

int run_formatted_discarding_output(const char* format, va_list args) {
  char room[kCommandRoom];
  std::vsnprintf(room, sizeof room, format, args);
  return sys::run_command(std::string(room) + std::string(kDiscardOutput));
}

std::string run_for_first_line(std::string_view command, std::string_view path) {
  // The shell writes where the library then reads, so both use the same
  // (mapped) path.
  sys::run_command(std::string(command) + " > " + sys::shell_quote(sys::map_path(path)));
  sys::FilePtr file = sys::open_file(path, "r");
  if (!file) return "";
  char line[100] = {};
  if (!std::fgets(line, sizeof line, file.get())) return "";
  std::string first(line);
  if (!first.empty() && first.back() == '\n') first.pop_back();
  return first;
}

}  // namespace nexa
