// Processes named by pid files.
#include "core/processes.h"

#include <string>

#include "core/commands.h"
#include "core/sys.h"

namespace nexa {
namespace {

// Longest decimal process id we take from a pid file.
constexpr size_t kPidDigits = 10;

}  // namespace

bool is_decimal(std::string_view text, size_t max_digits) {
  if (text.empty() || text.size() > max_digits) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

bool process_is_die(std::string_view pid_file) {
  // Only a bare decimal id may name a directory under /proc: "../1" or
  // "1 2" would name something else, and id 0 is no process.
  const std::string pid = first_line_of(pid_file, kPidDigits + 2);
  if (!is_decimal(pid, kPidDigits) || pid.find_first_not_of('0') == std::string::npos) return true;
  return !sys::is_directory("/proc/" + pid);
}

}  // namespace nexa
