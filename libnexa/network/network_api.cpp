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

// ---- Interface names and default network objects -----------------------------

// ---- DHCP server and DNS ------------------------------------------------------

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
  const std::optional<std::string> gateway = nexa::route_gateway();
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

// ---- UWB link status -----------------------------------------------------------
