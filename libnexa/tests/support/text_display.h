// Texts written on one line, in case tables and goldens and in failure
// messages, so that invisible bytes can be seen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nexa::testing {

// The text on one line: "\n", "\r", "\t", "\0" and "\\" escapes, "\xNN"
// for the other control bytes, "{120c}" for a run of 16 or more copies of
// c, and "" for the empty text.
std::string shown(std::string_view text);
// Reads what shown writes, and "\s" for a blank.
std::string unescape(std::string_view text);
// For failure messages: the text shown, in double quotes; longer texts
// are cut after limit bytes and their length given.
std::string display(std::string_view text, size_t limit = 120);

}  // namespace nexa::testing
