// The log files themselves: whole-line appends under a lock, the size limit
// with its one ".old" file, and the page files cut from a log for display.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "core/sys.h"

namespace nexa {

inline constexpr const char* kAdminLog = "/var/log/log.admin";
inline constexpr const char* kDebugLog = "/var/log/log.odbd";
// A log larger than this is rotated before the next entry.
inline constexpr long long kLogSizeLimit = 1024000;

// "2026.12.8-09:05:03 ": local time, as every admin entry starts.
std::string time_stamp(time_t moment);

// Renames a log larger than the limit to "<path>.old"; fails only when the
// rename does (a log that cannot be read is left alone).
sys::Status check_log_size(std::string_view path);
// Appends the text (line breaks turned into blanks, time-stamped when asked)
// as one whole line with one write, after rotating a full log; a failure
// when the entry was lost (the file cannot be opened or written).
sys::Status append_entry(std::string_view path, std::string_view text, bool stamped);

}  // namespace nexa
