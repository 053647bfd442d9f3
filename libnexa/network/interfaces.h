// Which device plays the LAN and WAN roles, and the per-device state kept in
// "Network" objects: boot protocol, refresh flag, the DHCP client run.
#pragma once

#include <string_view>

#include "odb.h"

namespace nexa {

// A property of the "System" object's "Network" namespace; nullptr when
// there is no such object, namespace or property. Points into the client
// library's props.
const char* network_role_device(OdbHandle& h, const char* key);
// Stores the role's device name ("landevname" or "wandevname") and mirrors
// it into the file (mode 0755). A name holding a line break is refused with
// a message and changes nothing.
void set_network_role_device(OdbHandle& h, std::string_view key, std::string_view path,
                             std::string_view dev_name);

// Runs the DHCP client once for the device; the shell's status.
int request_address_by_dhcp(std::string_view dev_name);
void set_dhclientfail_flag(OdbHandle& h, int flag);
void flip_network_refresh(OdbHandle& h, std::string_view dev_name);

enum class BootProto { kUnknown = -1, kDhcp = 1, kNone = 2, kPppoe = 3 };
BootProto network_bootproto(OdbHandle& h, std::string_view dev_name);

}  // namespace nexa
