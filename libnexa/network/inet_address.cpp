// IPv4 socket addresses to and from text: the route file's hex form,
// numeric addresses, and host and network names with a cache of names.
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <forward_list>

#include "network/routes.h"

namespace nexa {
namespace {

// A name looked up once is kept for the life of the process.
struct CachedName {
  sockaddr_in address;
  std::string name;
  int host;
};
std::forward_list<CachedName> address_name_cache;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void clear_to_inet(sockaddr_in& address) {
  address.sin_family = AF_INET;
  address.sin_port = 0;
}

std::string dotted_quad(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return text;
}

std::string looked_up_name(const sockaddr_in& address, int host) {
  if (host) {
    const hostent* entry = ::gethostbyaddr(&address.sin_addr, 4, AF_INET);
    if (entry && entry->h_name) return entry->h_name;
  } else {
    const netent* entry = ::getnetbyaddr(ntohl(address.sin_addr.s_addr), AF_INET);
    if (entry && entry->n_name) return entry->n_name;
  }
  return dotted_quad(address);
}

}  // namespace

int parse_hex_address(std::string_view text, sockaddr_in& address) {
  clear_to_inet(address);
  if (text.size() < 8) return -1;
  uint32_t value = 0;
  for (size_t k = 0; k < 4; ++k) {
    const int high = hex_digit(text[2 * k]);
    const int low = hex_digit(text[(2 * k) + 1]);
    if (high < 0 || low < 0) return -1;
    // Byte k of the text is bit 8k of a little-endian number.
    value |= static_cast<uint32_t>((high << 4) | low) << (8 * k);
  }
  address.sin_addr.s_addr = htonl(value);
  return 8;
}

int resolve_address(std::string_view text, sockaddr_in& address, bool hosts_first) {
  clear_to_inet(address);
  const std::string name(text);
  if (name == "default") {
    address.sin_addr.s_addr = INADDR_ANY;
    return 1;
  }
  if (::inet_aton(name.c_str(), &address.sin_addr)) return 0;
  const auto by_host = [&]() {
    const hostent* entry = ::gethostbyname(name.c_str());
    if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list[0]) {
      std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
      return 0;
    }
    errno = h_errno;
    return -1;
  };
  if (hosts_first && by_host() == 0) return 0;
  if (const netent* net = ::getnetbyname(name.c_str())) {
    address.sin_addr.s_addr = htonl(net->n_net);
    return 1;
  }
  if (hosts_first) {
    errno = h_errno;
    return -1;
  }
  return by_host();
}

std::optional<std::string> reverse_resolve_address(const sockaddr_in& address, int options,
                                                   uint32_t netmask) {
  if (address.sin_family != AF_INET) {
    errno = EAFNOSUPPORT;
    return std::nullopt;
  }
  if (address.sin_addr.s_addr == INADDR_ANY && !(options & kAddrNumeric))
    return std::string((options & kAddrDefault) ? "default" : "*");
  if (options & kAddrNumeric) return dotted_quad(address);
  const int host = ((address.sin_addr.s_addr & ~netmask) != 0 || (options & kAddrHost)) ? 1 : 0;
  for (const CachedName& entry : address_name_cache) {
    if (entry.host == host && entry.address.sin_addr.s_addr == address.sin_addr.s_addr)
      return entry.name;
  }
  std::string name = looked_up_name(address, host);
  address_name_cache.push_front({address, name, host});
  return name;
}

std::optional<std::string> format_with_mask(const sockaddr_in& address, int options,
                                            uint32_t netmask) {
  if (address.sin_family == 0 || address.sin_family == 0xFFFF) return std::string("[NONE SET]");
  return reverse_resolve_address(address, options, netmask);
}

}  // namespace nexa
