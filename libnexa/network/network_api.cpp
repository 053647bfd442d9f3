// The C boundary of the network operations: each exported function converts
// its arguments, calls the library's C++ code and converts the result.
#include "nexalib.h"

#include <string>

#include "core/c_strings.h"
#include "network/dhcp_server.h"
#include "network/interfaces.h"
#include "network/network_objects.h"
#include "network/resolver.h"

using namespace nexa;

namespace {

// The C boundary's buffers are as large as the C++ code assumes.
static_assert(NEXALIB_ADDRESS_SIZE == kAddressRoom);
static_assert(NEXALIB_DNS_SERVERS_SIZE == kDnsServersRoom);

GString* to_gstring(const std::string& text) {
  return g_string_new_len(text.data(), static_cast<gssize>(text.size()));
}

}  // namespace

// ---- Interface names and default network objects -----------------------------

const char* nexalib_get_landevname(OdbHandle* h) {
  return h ? network_role_device(*h, "landevname") : nullptr;
}
const char* nexalib_get_wandevname(OdbHandle* h) {
  return h ? network_role_device(*h, "wandevname") : nullptr;
}
const char* nexalib_get_hw_wlandevname(OdbHandle* h) {
  return h ? network_role_device(*h, "hw_wlandevname") : nullptr;
}
const char* nexalib_get_hw_landevname(OdbHandle* h) {
  return h ? network_role_device(*h, "hw_landevname") : nullptr;
}
const char* nexalib_get_hw_wandevname(OdbHandle* h) {
  return h ? network_role_device(*h, "hw_wandevname") : nullptr;
}
int nexalib_set_landevname(OdbHandle* h, const char* dev_name) {
  if (h && dev_name) set_network_role_device(*h, "landevname", "/tmp/landevname", dev_name);
  return 0;
}
int nexalib_set_wandevname(OdbHandle* h, const char* dev_name) {
  if (h && dev_name) set_network_role_device(*h, "wandevname", "/tmp/wandevname", dev_name);
  return 0;
}
void construct_network_prepare_default_lan_ipaddress(OdbHandle* h, OdbProps* props,
                                                     const char* dev_name) {
  if (h && props && dev_name) prepare_lan_defaults(*h, *props, dev_name);
}
void construct_network_prepare_default_wan_ipaddress(OdbHandle* h, OdbProps* props,
                                                     const char* dev_name) {
  if (h && props && dev_name) prepare_wan_defaults(*h, *props, dev_name);
}
void construct_network_set_default_lan_ip_address(OdbHandle* h, const char* dev_name) {
  if (h && dev_name) reset_lan_network(*h, dev_name);
}
void construct_network_set_default_system(OdbHandle* h) {
  if (h) clear_system_routing(*h);
}
int construct_network_create_network_lan_object(OdbHandle* h, const char* dev_name) {
  return h && dev_name && create_lan_network(*h, dev_name) ? 0 : 1;
}
int construct_network_create_network_wan_object(OdbHandle* h, const char* dev_name) {
  if (h && dev_name) create_wan_network(*h, dev_name);
  return 0;
}
int construct_network_get_IP_from_DHCP_server(OdbHandle* /*h*/, const char* dev_name) {
  return dev_name ? request_address_by_dhcp(dev_name) : -1;
}
int construct_network_set_dhclientfail_flag(OdbHandle* h, int flag) {
  if (h) set_dhclientfail_flag(*h, flag);
  return 0;
}
int construct_network_refresh_network_object(OdbHandle* h, const char* dev_name) {
  if (h && dev_name) flip_network_refresh(*h, dev_name);
  return 0;
}
int construct_network_get_bootproto(OdbHandle* h, const char* dev_name) {
  if (!h || !dev_name) return BOOTPROTO_UNKNOWN;
  return static_cast<int>(network_bootproto(*h, dev_name));
}
void nexalib_get_etc_resolve_dns_string(char* buf) {
  if (!buf) return;
  const std::string list = read_resolver_dns_list(NEXALIB_RESOLV_DNS_SIZE);
  copy_bounded(buf, list.c_str(), NEXALIB_RESOLV_DNS_SIZE);
}

// ---- DHCP server and DNS ------------------------------------------------------

GString* nexalib_prepare_dhcpd_conf(OdbHandle* h) {
  return h ? to_gstring(compose_dhcpd_conf(*h, PoolMove::kKeep)) : nullptr;
}
GString* nexalib_ipchange_dhcpd_conf(OdbHandle* h) {
  return h ? to_gstring(compose_dhcpd_conf(*h, PoolMove::kIntoLan)) : nullptr;
}
void nexalib_prepare_dhcpd_static(OdbHandle* h, GString* text) {
  if (!h || !text) return;
  const std::string hosts = dhcpd_static_hosts(*h);
  g_string_append_len(text, hosts.data(), static_cast<gssize>(hosts.size()));
}
char* nexalib_prepare_dns(char* list, char* out) {
  if (!list || !out || !*list) return out;
  const std::string servers = dns_comma_list(list, NEXALIB_DNS_SERVERS_SIZE);
  copy_bounded(out, servers.c_str(), NEXALIB_DNS_SERVERS_SIZE);
  return out;
}
int nexalib_get_broadcast_and_subnet_ip(const char* address, const char* mask, char* broadcast,
                                        char* subnet) {
  if (!address || !mask || !broadcast || !subnet) return -1;
  const std::optional<SubnetAddresses> found = broadcast_and_subnet(address, mask);
  copy_bounded(broadcast, found ? found->broadcast.c_str() : "", NEXALIB_ADDRESS_SIZE);
  copy_bounded(subnet, found ? found->subnet.c_str() : "", NEXALIB_ADDRESS_SIZE);
  return found ? static_cast<int>(found->broadcast.size()) : -1;
}

// ---- Routing table and default gateway ----------------------------------------

// ---- Port redirection, remote access and web server port ---------------------

// ---- Dynamic DNS --------------------------------------------------------------

// ---- Wireless configuration ---------------------------------------------------

// ---- UWB link status -----------------------------------------------------------
