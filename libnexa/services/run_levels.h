// Run-level switches: KEY="YES"/"NO" lines of a run-level file, and the
// telnet entries of "/etc/services" and "/etc/inetd.conf".
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_files.h"
#include "odb.h"
#include "services/line_files.h"

namespace nexa {

inline constexpr const char* kServicesFile = "/etc/services";
inline constexpr const char* kInetdConf = "/etc/inetd.conf";
inline constexpr std::string_view kTelnetEnabled =
    "telnet\tstream\ttcp\tnowait\troot\t/usr/sbin/telnetd\ttelnetd";
inline constexpr std::string_view kTelnetDisabled =
    "###telnet\tstream\ttcp\tnowait\troot\t/usr/sbin/telnetd\ttelnetd";

// The run-level text with key="YES" (or "NO") in place of the first line
// that holds the key followed by "=" after leading blanks and tabs, or
// appended on a line of its own.
std::string with_run_level_line(std::string_view text, std::string_view key, bool yes);
// The services text with the telnet tcp entry (the first line that holds
// the word "telnet" after leading blanks and tabs) and the udp entry after
// it set to the port; the udp entry is added after the tcp one when the
// next line is no telnet entry. Nothing without a telnet entry.
std::optional<std::string> with_telnet_ports(std::string_view text, std::string_view port);
// The inetd text with its telnet line (enabled or "###" form, after
// leading blanks and tabs) in the form asked for; nothing without one.
std::optional<std::string> with_telnet_switched(std::string_view text, bool enabled);

// Writes the namespace's "enabled" as key="YES"/"NO" into the run-level
// file with the mode: -1 (after the documented message) when the "System"
// object lacks the namespace, 0 without "enabled"; -1 for a key holding a
// line break or a file that cannot be read or written.
int update_rc_conf(OdbHandle& h, std::string_view ns, std::string_view key, std::string_view path,
                   mode_t mode);
// Sets the telnet entries' port in the services file, or switches the
// telnet line of inetd.conf on or off; fails when the file cannot be read
// or the port holds a line break.
LineEdit modify_inetd_services(std::string_view port);
LineEdit modify_inetd_conf(std::string_view value);

}  // namespace nexa
