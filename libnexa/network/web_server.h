// The web administration server: the port line of its configuration file
// and its restart when it runs.
#pragma once
#include <string_view>

namespace nexa {

inline constexpr const char* kThttpdConf = "/etc/thttpd.conf";
inline constexpr const char* kThttpdPidFile = "/var/run/thttpd.pid";

// Replaces the first line starting (after blanks and tabs) with "port" by
// "port=<port>"; a file without such a line is left alone.
void set_thttpd_port(int port);
// Stops and starts the server when it runs, then gives it a second.
void restart_running_web_server();
// Whether the text is a TCP port, 1 to 65535 in decimal.
bool is_port(std::string_view text);

}  // namespace nexa
