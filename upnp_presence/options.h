// The command line and the device identity built from it.
#pragma once

#include <string>
#include <string_view>

namespace presence {

inline constexpr int kDefaultWebAdminPort = 8088;
inline constexpr size_t kMaxNameLength = 255;

struct Options {
  std::string name;  // empty: use the host name
  int web_admin_port = kDefaultWebAdminPort;
};

// Prints the usage text to standard output and ends the process.
[[noreturn]] void usage(const char* program, int status);

// Scans the arguments left to right; later options win, unknown ones are
// ignored. "--help", "--version" and an option without its value end the
// process.
Options parse_options(int argc, char** argv);

// "--name" as given, or "<host> (Zentra Lite)", with "Media Server" for an
// empty or unset ("(none)") host name.
std::string make_friendly_name(const std::string& name, const std::string& host_name);

// "f6edff09-71a4-47df-<port>-"
std::string make_udn_prefix(int web_admin_port);

// At most max bytes, cut before a UTF-8 sequence rather than through it.
std::string truncate_utf8(std::string_view text, size_t max);

std::string read_host_name();

}  // namespace presence
