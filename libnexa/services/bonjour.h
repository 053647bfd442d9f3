// Multicast DNS announcement of the web interface, the default route it
// needs, and the Bonjour debugging log.
#pragma once

#include <string_view>

namespace nexa {

inline constexpr const char* kBonjourLog = "/var/log/log.bj";

// Announces the web interface as an HTTP service on port 80 under the name.
void start_mdns_responder(std::string_view name);
void stop_mdns_responder();
// The default route through the interface that multicast announcements use.
void add_multicast_route(std::string_view interface);
void delete_multicast_route(std::string_view interface);
// Appends the text as one line to the debugging log (line breaks inside it
// become blanks).
void bonjour_debug(std::string_view text);

}  // namespace nexa
