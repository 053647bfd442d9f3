// The C boundary of the network operations: each exported function converts
// its arguments, calls the library's C++ code and converts the result.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "network/dynamic_dns.h"
#include "network/port_redirection.h"
#include "network/routes.h"
#include "network/upnp_description.h"
#include "network/web_server.h"
#include "nexalib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/c_strings.h"
#include "network/dhcp_server.h"
#include "network/interfaces.h"
#include "network/network_objects.h"
#include "network/resolver.h"
#include "network/uwbtzero.h"
#include "network/wireless.h"
#include "network/wireless_files.h"
#include "odb.h"

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

namespace {

// Copies text into malloc'ed memory for a caller that frees it.
char* to_malloced(const std::string& text) {
  return strdup(text.c_str());
}

std::optional<std::string_view> optional_text(const char* text) {
  if (!text) return std::nullopt;
  return std::string_view(text);
}

}  // namespace

int INET_input(int type, const char* text, struct sockaddr* sa) {
  if (!text || !sa) return -1;
  sockaddr_in address{};
  int result = 0;
  if (type == 1)
    result = nexa::parse_hex_address(text, address);
  else
    result = nexa::resolve_address(text, address, type == 256);
  std::memcpy(sa, &address, sizeof address);
  return result;
}

const char* INET_sprintmask(struct sockaddr* sa, int options, uint32_t netmask) {
  static char buffer[128];
  if (!sa) return nullptr;
  sockaddr_in address{};
  std::memcpy(&address, sa, sizeof address);
  const std::optional<std::string> text = nexa::format_with_mask(address, options, netmask);
  if (!text) return nullptr;
  nexalib_safe_strncpy(buffer, text->c_str(), sizeof buffer);
  return buffer;
}

char* proc_gen_fmt(const char* name, int more, FILE* fh, ...) {
  if (!fh) return nullptr;
  char header[512];
  if (!std::fgets(header, sizeof header, fh)) return nullptr;
  std::vector<nexa::ScanColumn> columns;
  va_list args;
  va_start(args, fh);
  while (const char* title = va_arg(args, const char*)) {
    const char* conversion = va_arg(args, const char*);
    columns.push_back({title, conversion ? conversion : ""});
  }
  va_end(args);
  const std::optional<std::string> format =
      nexa::scan_format(name ? name : "", header, more != 0, columns);
  return format ? to_malloced(*format) : nullptr;
}

char* nexalib_getroute_info(void) {
  const nexa::sys::Result<std::string> gateway = nexa::route_gateway();
  return gateway ? to_malloced(*gateway) : nullptr;
}

void delete_gateway(const char* old_gw, const char* new_gw) {
  nexa::delete_gateway(optional_text(old_gw), optional_text(new_gw));
}

int add_gateway(const char* old_gw, const char* new_gw) {
  nexa::add_gateway(optional_text(old_gw), optional_text(new_gw));
  return 0;
}

int nexalib_change_gateway(OdbProps* p, int enabled, const char* old_gw) {
  if (p) nexa::change_gateway(*p, enabled != 0, optional_text(old_gw));
  return 0;
}

// ---- Port redirection, remote access and web server port ---------------------

int nexalib_virtual_server_handler(OdbHandle* h, OdbProps* p, int mode) {
  if (!h || !p) return 1;
  return static_cast<int>(nexa::virtual_server_handler(*h, *p, mode));
}

void nexalib_set_iptables_remote_access_redirect(OdbHandle* h) {
  if (h) nexa::remote_access_redirect(*h);
}

void nexalib_set_iptables_remote_access_redirect_to_port(OdbHandle* h, const char* old_port,
                                                         const char* new_port) {
  if (h && old_port && new_port) nexa::remote_access_redirect_to_port(*h, old_port, new_port);
}

void nexalib_set_etc_thttpd_port(int port) {
  nexa::set_thttpd_port(port);
}

void nexalib_modify_upnp_xml(OdbHandle* h) {
  if (h) nexa::write_upnp_description(*h);
}

// ---- Dynamic DNS --------------------------------------------------------------

GString* nexalib_prepare_ddns_conf(OdbHandle* h) {
  if (!h) return nullptr;
  const std::string text = nexa::ddns_configuration(*h);
  return g_string_new_len(text.data(), static_cast<gssize>(text.size()));
}

void parse_ddns_status(char* buf) {
  if (!buf) return;
  std::string status(buf, strnlen(buf, nexa::kDdnsStatusRoom - 1));
  nexa::append_ddns_log(status);
  nexalib_safe_strncpy(buf, status.c_str(), nexa::kDdnsStatusRoom);
}

void nexalib_set_ddns_status(OdbHandle* h, int* oid, OdbProps* p, const char* enabled) {
  if (!h || !oid) return;
  nexa::set_ddns_status(*h, static_cast<guint32>(*oid), p, enabled ? enabled : "");
}

// ---- Wireless configuration ---------------------------------------------------

int nexalib_set_wireless_conf(OdbHandle* h, int oid) {
  if (h) nexa::apply_wireless_conf(*h, static_cast<guint32>(oid), nexa::WirelessDriver::kRt61);
  return 0;
}
int nexalib_set_wireless_2860_conf(OdbHandle* h, int oid) {
  if (h) nexa::apply_wireless_conf(*h, static_cast<guint32>(oid), nexa::WirelessDriver::kRt2860);
  return 0;
}
void nexalib_set_wireless_Ralink_conf(OdbHandle* h, int oid) {
  if (h) nexa::apply_wireless_conf(*h, static_cast<guint32>(oid), nexa::WirelessDriver::kImage);
}
int nexalib_setCmd(OdbProps* props, const char* name, const char* param) {
  if (!name || !param) return -1;
  return nexa::set_driver_parameter(props, name, param);
}
int modify_wireless_conf(OdbProps* props, const char* name, const char* param, int* flag,
                         const char* path) {
  if (!name || !param || !path) return -1;
  const char* value = props ? odb_props_get(props, name) : nullptr;
  const nexa::LineEdit edit = nexa::set_parameter_line(path, param, value ? value : "");
  if (flag) *flag = nexa::edit_state(edit);
  return nexa::edit_result(edit);
}
const char* wireless_dbg(const char* text) {
  return text;
}

// ---- UWB link status -----------------------------------------------------------

namespace {

// Writes text cut to size - 1 characters, as every UWB text output is.
void copy_out(char* buf, int size, std::string_view text) {
  if (!buf || size <= 0) return;
  const size_t room = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buf, text.data(), room);
  buf[room] = '\0';
}

nexa::Eui eui_of(const unsigned char* bytes) {
  nexa::Eui eui{};
  std::memcpy(eui.data(), bytes, eui.size());
  return eui;
}

int figure_into(nexa::LinkFigure figure, const char* eui_bin, char* buf, int size, int index) {
  const auto text = nexa::read_link_figure(figure, eui_bin ? eui_bin : "", index);
  if (text) copy_out(buf, size, *text);
  return text || text.error() == ENODATA ? 0 : -1;
}

}  // namespace

int uwbtzero_get_mac(const char* ifname, char* eui, char* eui_bin, char* serial, int size) {
  const auto address = nexa::radio_address(ifname ? ifname : "");
  if (!address && address.error() != ENODEV) return -1;
  if (address) {
    copy_out(eui, size, nexa::display_form(*address));
    copy_out(eui_bin, size, nexa::tool_form(*address));
    copy_out(serial, size, nexa::serial_number(*address));
  } else {
    copy_out(eui, size, nexa::display_form({0, 1, 2, 3, 4, 5}));
    copy_out(eui_bin, size, "000000000000");
    copy_out(serial, size, "0000");
  }
  return 0;
}
GSList* get_neighbors_eui_list(int index) {
  GSList* list = nullptr;
  for (const nexa::Eui& eui : nexa::scan_neighbors(index)) {
    auto* record = static_cast<unsigned char*>(std::calloc(1, eui.size() + 1));
    if (!record) std::abort();
    std::memcpy(record, eui.data(), eui.size());
    list = g_slist_prepend(list, record);
  }
  return g_slist_reverse(list);
}
int uwbtzero_get_eui_str(const unsigned char* eui, char* buf, int size) {
  if (eui) copy_out(buf, size, nexa::display_form(eui_of(eui)));
  return 0;
}
int uwbtzero_get_eui_bin(const unsigned char* eui, char* buf, int size) {
  if (eui) copy_out(buf, size, nexa::tool_form(eui_of(eui)));
  return 0;
}
int uwbtzero_get_serialnum(const unsigned char* eui, char* buf, int size) {
  if (eui) copy_out(buf, size, nexa::serial_number(eui_of(eui)));
  return 0;
}
int uwbtzero_get_tx_rate(const char* eui_bin, char* buf, int size, int index) {
  return figure_into(nexa::LinkFigure::kTxRate, eui_bin, buf, size, index);
}
int uwbtzero_get_selected_ack(const char* eui_bin, char* buf, int size, int index) {
  return figure_into(nexa::LinkFigure::kSelectedAck, eui_bin, buf, size, index);
}
int uwbtzero_get_rx_diversity(const char* eui_bin, char* buf, int size, int index) {
  return figure_into(nexa::LinkFigure::kRxDiversity, eui_bin, buf, size, index);
}
int uwbtzero_get_link_signal_strength(const char* eui_bin, char* buf, int size, int index) {
  return figure_into(nexa::LinkFigure::kSignalStrength, eui_bin, buf, size, index);
}
int uwbtzero_get_connection_manager_state(char* buf, int size, int index) {
  return figure_into(nexa::LinkFigure::kConnectionState, nullptr, buf, size, index);
}
int uwbtzero_get_device_mode(char* buf, int size, int index) {
  const nexa::sys::Result<char> state = nexa::read_device_mode(index);
  copy_out(buf, size, state ? std::string(1, *state) : "0");
  return state ? 0 : -1;
}
int uwbtzero_set_rxdiversity(const char* eui_bin, const char* value, int index) {
  nexa::set_rx_diversity(eui_bin ? eui_bin : "", value ? value : "", index);
  return 0;
}
int uwbtzero_set_txrate(const char* eui_bin, const char* rate, const char* extra, int index) {
  nexa::set_tx_rate(eui_bin ? eui_bin : "", rate ? rate : "", extra ? extra : "", index);
  return 0;
}
int uwbtzero_get_neighbors(OdbHandle* h, int oid) {
  if (h) nexa::record_neighbors(*h, static_cast<guint32>(oid));
  return 0;
}
int uwbtzero_remove_all_neighbors_object(OdbHandle* h) {
  if (h) nexa::remove_neighbor_objects(*h);
  return 0;
}
int uwbtzero_refresh(OdbHandle* h) {
  if (h) nexa::refresh_radios(*h);
  return 0;
}
int uwbtzero_neighbor_refresh(OdbHandle* h) {
  if (h) nexa::refresh_neighbors(*h);
  return 0;
}
int uwbtzero_neighbor_dev_refresh(OdbHandle* h, const char* device) {
  if (h && device) nexa::refresh_device_neighbors(*h, device);
  return 0;
}
