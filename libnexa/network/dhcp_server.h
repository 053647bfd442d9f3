// The DHCP server's configuration text, composed from the configuration
// objects, and the address arithmetic it needs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "odb.h"

namespace nexa {

// Room of a computed address text, terminator included.
inline constexpr size_t kAddressRoom = 20;
// Room of the comma list of name servers, terminator included.
inline constexpr size_t kDnsServersRoom = 80;

struct SubnetAddresses {
  std::string broadcast;
  std::string subnet;
};
// Both addresses of a dotted-quad address and mask; nothing unless each is
// exactly four decimal octets.
std::optional<SubnetAddresses> broadcast_and_subnet(std::string_view address,
                                                    std::string_view mask);
// The pool bound moved into the network of the address: the address up to
// its last ".", then the bound from its last "."; nothing when either has
// no "." or the result does not fit kAddressRoom.
std::optional<std::string> moved_bound(std::string_view address, std::string_view bound);

// Whether the composition also moves the address pool into the LAN's
// network and stores the moved bounds.
enum class PoolMove { kKeep, kIntoLan };
std::string compose_dhcpd_conf(OdbHandle& h, PoolMove move);
// The "host" blocks of every "DhcpStatic" object.
std::string dhcpd_static_hosts(OdbHandle& h);

}  // namespace nexa
