// The kernel's IPv4 routing table, the default gateway and the address
// conversions that go with them.
#pragma once
#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

// Address-formatting options: any numeric bit prints the dotted quad.
inline constexpr int kAddrNumeric = 0x0FFF;
inline constexpr int kAddrHost = 0x4000;
inline constexpr int kAddrDefault = 0x8000;

// Eight hex digits of the kernel's route file ("0101A8C0" is 192.168.1.1):
// 8, or -1 for a shorter text or a character that is no hex digit.
int parse_hex_address(std::string_view text, sockaddr_in& address);
// "default", a numeric address, then host and network names in the order
// asked: 0 for a host, 1 for a network or "default", -1 (errno set).
int resolve_address(std::string_view text, sockaddr_in& address, bool hosts_first);
// The address as text (numeric, "default"/"*", or a looked-up name that is
// kept in the process's cache); nothing for another family (errno set).
std::optional<std::string> reverse_resolve_address(const sockaddr_in& address, int options,
                                                   uint32_t netmask);
// As reverse_resolve_address, but "[NONE SET]" for an unset family.
std::optional<std::string> format_with_mask(const sockaddr_in& address, int options,
                                            uint32_t netmask);

struct ScanColumn {
  std::string_view title;
  std::string_view conversion;
};
// The scan format for a header line (cut to 511 characters): the columns'
// conversions where their titles stand, "%*s" for other words. Nothing when
// a title is missing and not tolerant; then the warning naming file_name
// goes to standard error.
std::optional<std::string> scan_format(std::string_view file_name, std::string_view header,
                                       bool tolerant, const std::vector<ScanColumn>& columns);
// The dotted-quad gateway of the last up gateway route in a route file's
// text; nothing when there is none or the header lacks a column.
std::optional<std::string> gateway_in_route_table(std::string_view text);
// gateway_in_route_table of "/proc/net/route" (ENODATA without a default
// route); an unreadable file prints the documented message on standard
// output.
sys::Result<std::string> route_gateway();

// The default route: deleted when the gateway went away or changed, added
// when there is a new one; an unchanged gateway runs nothing.
void delete_gateway(std::optional<std::string_view> old, std::optional<std::string_view> now);
void add_gateway(std::optional<std::string_view> old, std::optional<std::string_view> now);
void change_gateway(OdbProps& props, bool enabled, std::optional<std::string_view> old);

}  // namespace nexa
