// Running shell commands: output discarded, or the first line read back.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace nexa {

// Room for the formatted part of a discarded-output command, terminator
// included; what does not fit is cut before the suffix is added.
inline constexpr size_t kCommandRoom = 1007;
inline constexpr std::string_view kDiscardOutput = " >/dev/null 2>&1";

// "command argument >/dev/null 2>&1"; the status is not looked at.
void run_with_argument(std::string_view command, std::string_view argument);
// The formatted command cut to kCommandRoom - 1 characters, output discarded;
// returns the status as system(3) gives it.
int run_formatted_discarding_output(const char* format, va_list args);
// Runs "command > path" and reads the first line of the file back (at most
// 99 characters, one trailing line feed removed); empty when unreadable.
std::string run_for_first_line(std::string_view command, std::string_view path);

}  // namespace nexa
