// "Network" objects made from the factory defaults, and the clearing of the
// system-wide gateway and name servers.
#pragma once

#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

// Fill props with the defaults of a new LAN or WAN "Network" object.
void prepare_lan_defaults(OdbHandle& h, OdbProps& props, std::string_view dev_name);
void prepare_wan_defaults(OdbHandle& h, OdbProps& props, std::string_view dev_name);

// Creates the device's object from the LAN defaults, or overwrites the
// existing one with them.
void reset_lan_network(OdbHandle& h, std::string_view dev_name);
// Creates an object from the LAN defaults; fails (ENOENT) when the device's
// object is not found afterwards.
sys::Status create_lan_network(OdbHandle& h, std::string_view dev_name);
// Creates an object from the WAN defaults unless the device has one.
void create_wan_network(OdbHandle& h, std::string_view dev_name);
// Clears "gateway", and "dns" with "domain", where they are set.
void clear_system_routing(OdbHandle& h);

}  // namespace nexa
