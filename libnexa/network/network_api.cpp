// The C boundary of the network operations: each exported function converts
// its arguments, calls the library's C++ code and converts the result.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "network/routes.h"
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

// ---- Dynamic DNS --------------------------------------------------------------

// ---- Wireless configuration ---------------------------------------------------

// ---- UWB link status -----------------------------------------------------------
