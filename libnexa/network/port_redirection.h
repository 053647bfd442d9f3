// Packet-filter rules for virtual servers and for the redirect of the LAN
// address's port 80 to the web administration server.
#pragma once
#include <string_view>

#include "odb.h"

namespace nexa {

enum class VirtualServerResult { kDone = 0, kNoProtocol = 1 };

// Adds (mode 1) or removes (any other mode) the DNAT rules of one entry.
VirtualServerResult virtual_server_handler(OdbHandle& h, OdbProps& entry, int mode);
// With address translation on: the server's configured port into its
// configuration file, a restart when it runs, and the redirect rules.
void remote_access_redirect(OdbHandle& h);
// The same for a port change, removing the rules of the old port.
void remote_access_redirect_to_port(OdbHandle& h, std::string_view old_port,
                                    std::string_view new_port);

}  // namespace nexa
