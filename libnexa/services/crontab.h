// Root's crontab: one line per kind of job, and the weekly time job.
#pragma once

#include <cstddef>
#include <string_view>

namespace nexa {

inline constexpr const char* kCrontabFile = "/var/spool/cron/crontabs/root";
// A crontab line holds at most this many characters, its line feed
// included.
inline constexpr size_t kCrontabLineRoom = 199;
inline constexpr const char* kNtpdate = "/usr/bin/ntpdate";
inline constexpr const char* kWeekly = "0 0 * * 0";

// Removes the job lines holding pattern and, when add is set, appends
// "schedule command"; then restarts the cron daemon in the background.
// The restart's status; -1 (nothing written, nothing run) for a schedule or
// command that would add a line or does not fit a crontab line.
int update_crontab(std::string_view schedule, std::string_view command, std::string_view pattern,
                   bool add);
// "none" (any letter case) removes the weekly time job; another server
// replaces it and sets the clock from that server at once. A server
// holding a line break is refused.
void set_ntp_server(std::string_view server);

}  // namespace nexa
