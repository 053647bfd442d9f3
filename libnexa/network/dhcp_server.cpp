// The DHCP server's configuration text, composed from the configuration
// objects, and the address arithmetic it needs.
#include "network/dhcp_server.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "core/config_values.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "network/interfaces.h"
#include "network/resolver.h"

namespace nexa {

namespace {

std::optional<uint32_t> parse_dotted_quad(std::string_view text) {
  uint32_t value = 0;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && (at == end || *at++ != '.')) return std::nullopt;
    unsigned octet = 256;
    const auto [next, error] = std::from_chars(at, end, octet);
    if (error != std::errc() || octet > 255) return std::nullopt;
    value = (value << 8) | octet;
    at = next;
  }
  if (at != end) return std::nullopt;
  return value;
}

std::string dotted_quad(uint32_t value) {
  return std::to_string(value >> 24) + '.' + std::to_string((value >> 16) & 255) + '.' +
         std::to_string((value >> 8) & 255) + '.' + std::to_string(value & 255);
}

// A value counts as absent when it is missing or empty.
std::string_view first_present(std::string_view preferred, std::string_view fallback) {
  return preferred.empty() ? fallback : preferred;
}

// Whether the value may stand unquoted in a statement; a refused one leaves
// its statement out with a message.
bool usable(std::string_view value, const char* statement) {
  if (is_acceptable(ValueKind::kDhcpWord, value)) return true;
  say("nexalib: %s left out of dhcpd.conf: its value holds a blank, a line break or "
      "one of ; { } # \"\n",
      statement);
  return false;
}

void add_statement(std::string& text, const char* statement, std::string_view value) {
  if (value.empty() || !usable(value, statement)) return;
  text.append(statement).append(" ").append(value).append(";\n");
}

// The domain goes into double quotes, where a quote or backslash of its own
// would end the string early or escape what follows.
void add_domain(std::string& text, std::string_view domain) {
  if (domain.empty()) return;
  if (!is_acceptable(ValueKind::kFreeText, domain)) {
    say("nexalib: option domain-name left out of dhcpd.conf: its value holds a line "
        "break\n");
    return;
  }
  text += "option domain-name \"";
  for (const char c : domain) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  text += "\";\n";
}

struct Pool {
  std::string low, high;
};

// The pool bounds to write, moved into the LAN's network when asked and
// then stored; nothing when a bound is absent or cannot be used.
std::optional<Pool> pool_of(OdbHandle& h, const Found& param, std::string_view lan_address,
                            PoolMove move) {
  Pool pool{std::string(prop_or_empty(param.props, "ipaddrlo")),
            std::string(prop_or_empty(param.props, "ipaddrhi"))};
  if (pool.low.empty() || pool.high.empty()) return std::nullopt;
  if (move == PoolMove::kIntoLan) {
    const std::optional<std::string> low = moved_bound(lan_address, pool.low);
    const std::optional<std::string> high = moved_bound(lan_address, pool.high);
    if (!low || !high) {
      say("nexalib: address pool not moved: an address holds no \".\" or is too long\n");
      return std::nullopt;
    }
    pool = {*low, *high};
  }
  if (!usable(pool.low, "range") || !usable(pool.high, "range")) return std::nullopt;
  if (move == PoolMove::kIntoLan) {
    PropsPtr changes = new_props();
    odb_props_set(changes.get(), "ipaddrlo", pool.low.c_str());
    odb_props_set(changes.get(), "ipaddrhi", pool.high.c_str());
    odb_set_cmnd(&h, param.oid, "", changes.get());
  }
  return pool;
}

}  // namespace

std::optional<SubnetAddresses> broadcast_and_subnet(std::string_view address,
                                                    std::string_view mask) {
  const std::optional<uint32_t> a = parse_dotted_quad(address);
  const std::optional<uint32_t> m = parse_dotted_quad(mask);
  if (!a || !m) return std::nullopt;
  return SubnetAddresses{dotted_quad(~*m | *a), dotted_quad(*a & *m)};
}

std::optional<std::string> moved_bound(std::string_view address, std::string_view bound) {
  const size_t prefix = address.rfind('.');
  const size_t host = bound.rfind('.');
  if (prefix == std::string_view::npos || host == std::string_view::npos) return std::nullopt;
  std::string moved(address.substr(0, prefix));
  moved += bound.substr(host);
  if (moved.size() >= kAddressRoom) return std::nullopt;
  return moved;
}

std::string dhcpd_static_hosts(OdbHandle& h) {
  std::string text;
  for (GSList* node = find_class_oids(h, "DhcpStatic"); node; node = node->next) {
    OdbProps* host = get_main_props(h, oid_of(node));
    const std::string_view name = prop_or_empty(host, "name");
    const std::string_view mac = prop_or_empty(host, "mac");
    if (name.empty() || mac.empty() || !usable(name, "host") || !usable(mac, "host")) continue;
    text.append("host ").append(name).append(" {\n");
    text.append("  hardware ethernet ").append(mac).append(";\n");
    text.append("  fixed-address ").append(name).append(";\n}\n");
  }
  return text;
}

std::string compose_dhcpd_conf(OdbHandle& h, PoolMove move) {
  const guint32 param_oid = first_oid(find_class_oids(h, "DhcpParam"));
  const Found param{param_oid ? get_main_props(h, param_oid) : nullptr, param_oid};
  const guint32 system = system_oid(h);
  OdbProps* sys_props = system ? get_main_props(h, system) : nullptr;
  const char* lan_dev = network_role_device(h, "landevname");
  const char* wan_dev = network_role_device(h, "wandevname");
  OdbProps* lan = lan_dev ? network_by_device(h, lan_dev).props : nullptr;
  const bool has_wan = wan_dev && network_by_device(h, wan_dev).props;

  std::string text;
  const std::string_view lease = prop_or_empty(param.props, "lease");
  add_statement(text, "default-lease-time", lease);
  add_statement(text, "max-lease-time", lease);
  add_domain(text, first_present(prop_or_empty(param.props, "domain"),
                                 prop_or_empty(sys_props, "domain")));
  const std::string_view dns =
      first_present(prop_or_empty(param.props, "dns"), prop_or_empty(sys_props, "dns"));
  add_statement(text, "option domain-name-servers", dns_comma_list(dns, kDnsServersRoom));
  const std::string_view lan_address = prop_or_empty(lan, "ipaddr");
  const std::string_view router =
      first_present(prop_or_empty(param.props, "gateway"),
                    has_wan ? lan_address : prop_or_empty(sys_props, "gateway"));
  add_statement(text, "option routers", router);
  const std::string_view mask =
      move == PoolMove::kIntoLan
          ? prop_or_empty(lan, "netmask")
          : first_present(prop_or_empty(param.props, "netmask"), prop_or_empty(lan, "netmask"));
  add_statement(text, "option subnet-mask", mask);

  if (const auto addresses = broadcast_and_subnet(lan_address, mask)) {
    add_statement(text, "option broadcast-address", addresses->broadcast);
    if (const std::optional<Pool> pool = pool_of(h, param, lan_address, move)) {
      text.append("\n\nsubnet ").append(addresses->subnet).append(" netmask ").append(mask);
      text.append(" {\n\t\trange ").append(pool->low).append(" ").append(pool->high);
      text.append(";\n}\n");
    }
  }
  text += dhcpd_static_hosts(h);
  return text;
}

}  // namespace nexa
