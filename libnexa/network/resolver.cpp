// Name-server lists: read from the resolver file into the "&"-list form the
// configuration stores, and turned into dhcpd's comma list.
#include "network/resolver.h"

#include <algorithm>
#include <cstdio>

#include "core/config_values.h"
#include "core/messages.h"
#include "core/sys.h"

namespace nexa {

namespace {

// The resolver file is read in pieces of this many characters, a longer
// line giving several pieces.
constexpr size_t kPiece = 79;
// Where the address starts on a "nameserver" line: after the keyword and
// one separator.
constexpr size_t kAddressOffset = 11;

// The address a piece names, or "" when it names none.
std::string_view piece_address(std::string_view piece) {
  if (piece.find("nameserver") == std::string_view::npos || piece.size() <= kAddressOffset)
    return {};
  std::string_view address = piece.substr(kAddressOffset);
  if (address.ends_with('\n')) address.remove_suffix(1);
  return address;
}

}  // namespace

std::string resolver_dns_list(std::string_view text, size_t room) {
  std::string list;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const size_t line = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view piece = text.substr(0, std::min(line, kPiece));
    text.remove_prefix(piece.size());
    const std::string_view address = piece_address(piece);
    // An "&" or line break inside an address would split or end the list.
    if (address.empty() || !is_acceptable(ValueKind::kOdbArrayItem, address)) continue;
    const size_t grown = list.size() + (list.empty() ? 1 : 0) + address.size() + 1;
    if (grown >= room) break;
    if (list.empty()) list = "&";
    list.append(address).append("&");
  }
  return list;
}

std::string read_resolver_dns_list(size_t room) {
  const sys::Result<std::string> text = sys::read_file("/etc/resolv.conf");
  if (!text) {
    say("can't open resolve.conf\n");
    return {};
  }
  return resolver_dns_list(*text, room);
}

std::string dns_comma_list(std::string_view list, size_t room) {
  std::string servers;
  if (list.empty()) return servers;
  list.remove_prefix(1);
  for (size_t end = list.find('&'); end != std::string_view::npos; end = list.find('&')) {
    const std::string_view item = list.substr(0, end);
    list.remove_prefix(end + 1);
    if (item.empty() || !is_acceptable(ValueKind::kListItem, item)) continue;
    const size_t grown = servers.size() + (servers.empty() ? 0 : 1) + item.size();
    if (grown >= room) break;
    if (!servers.empty()) servers += ',';
    servers += item;
  }
  return servers;
}

}  // namespace nexa
