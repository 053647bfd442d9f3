// The IPv4 addresses of the usable network interfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace presence {

// Addresses in network byte order, in the kernel's interface order.
using InterfaceAddressList = std::vector<uint32_t>;

// Interfaces that are up, not loopback, with an IPv4 address other than
// 127.0.0.1; at most 16 are looked at. Ends the process with status 1 when
// the interface list cannot be read at all.
InterfaceAddressList get_interface_addresses();

// Dotted-quad text of an address in network byte order.
std::string address_text(uint32_t address);

}  // namespace presence
