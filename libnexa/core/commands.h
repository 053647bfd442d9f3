// Running shell commands: output discarded, or the first line read back.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "core/command_line.h"

namespace nexa {

// Room for the formatted part of a caller's printf-style command,
// terminator included; what does not fit is cut before the suffix is added.
inline constexpr size_t kCommandRoom = 1007;
// Room for the first line read back, terminator included.
inline constexpr size_t kResultRoom = 100;

// The caller's printf-style command, cut to kCommandRoom - 1 characters.
std::string format_command(const char* format, va_list args);
// Runs the command with its output discarded; the status as system(3)
// gives it.
int run_discarding_output(CommandLine command);
// Runs "command > path" and reads the first line of the file back (at most
// 99 characters, one trailing line feed removed); empty when the file is
// unreadable. A link planted at the path is not followed: nothing runs.
std::string run_for_first_line(CommandLine command, std::string_view path);

}  // namespace nexa
