// Processes named by pid files: whether the one recorded is still alive.
#pragma once

#include <cstddef>
#include <string_view>

namespace nexa {

// Whether the text is a decimal number of 1 to max_digits digits, nothing
// else (no sign, no blank).
bool is_decimal(std::string_view text, size_t max_digits);
// Whether the process named on the pid file's first line is gone: a
// missing file, a first line that is no decimal process id, or no
// "/proc/<id>" all count as gone.
bool process_is_die(std::string_view pid_file);

}  // namespace nexa
