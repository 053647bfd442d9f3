// Running shell commands: output discarded, or the first line read back.
#pragma once

#include <cstdarg>
#include <optional>
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
// Runs "command > path" (then the text after) into a file made here first;
// its status, or nothing when it did not run: a link planted at the path is
// not followed, a refused value runs nothing.
std::optional<int> run_into_file(CommandLine command, std::string_view path, Literal after = "");
// The first line of a file, at most room - 1 characters, one trailing line
// feed removed; empty when the file is unreadable.
std::string first_line_of(std::string_view path, size_t room);
// run_into_file, then the first line of the file (kResultRoom); empty when
// the command did not run.
std::string run_for_first_line(CommandLine command, std::string_view path);

}  // namespace nexa
