// The kernel's route table read by column names, and the default route
// replaced when the configured gateway changes.
#include <cstdio>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/messages.h"
#include "core/sys.h"
#include "network/routes.h"

namespace nexa {
namespace {

constexpr const char* kRouteFile = "/proc/net/route";
// The header and data lines are read up to these lengths.
constexpr size_t kHeaderRoom = 511;
constexpr size_t kLineRoom = 1023;
constexpr int kRouteUp = 1;
constexpr int kRouteGateway = 2;

// The columns of the route file in their order; the buffers below hold
// what each string conversion can store, terminator included.
const std::vector<ScanColumn> kRouteColumns = {
    {"Iface", "%16s"}, {"Destination", "%128s"}, {"Gateway", "%128s"},
    {"Flags", "%X"},   {"RefCnt", "%d"},         {"Use", "%d"},
    {"Metric", "%d"},  {"Mask", "%128s"},        {"MTU", "%d"},
    {"Window", "%d"},  {"IRTT", "%d"},
};

struct RouteLine {
  char iface[17];
  char destination[129];
  char gateway[129];
  unsigned flags;
  int refcnt, use, metric;
  char mask[129];
  int mtu, window, irtt;
};

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '|';
}

// The gateway of one data line, when it is an up gateway route whose
// gateway column is exactly eight hex digits.
std::optional<std::string> line_gateway(const std::string& format, const std::string& line) {
  RouteLine r{};
  // The format holds only the conversions of kRouteColumns, in order.
  // NOLINTNEXTLINE(cert-err34-c)
  const int scanned =
      std::sscanf(line.c_str(), format.c_str(), r.iface, r.destination, r.gateway, &r.flags,
                  &r.refcnt, &r.use, &r.metric, r.mask, &r.mtu, &r.window, &r.irtt);
  if (scanned < 10 || !(r.flags & kRouteUp) || !(r.flags & kRouteGateway)) return std::nullopt;
  sockaddr_in address{};
  if (std::string_view(r.gateway).size() != 8 || parse_hex_address(r.gateway, address) != 8)
    return std::nullopt;
  return format_with_mask(address, 1, 0xFFFFFF00);
}

}  // namespace

std::optional<std::string> scan_format(std::string_view file_name, std::string_view header,
                                       bool tolerant, const std::vector<ScanColumn>& columns) {
  const std::string line = std::string(header.substr(0, kHeaderRoom)) + ' ';
  std::string format;
  size_t next = 0;
  size_t at = 0;
  while (next < columns.size()) {
    while (at < line.size() && (is_separator(line[at]) || line[at] == '\r')) ++at;
    if (at == line.size()) break;
    const size_t end = line.find_first_of(" \t\n|", at);
    const std::string_view word = std::string_view(line).substr(at, end - at);
    at = end;
    if (word == columns[next].title) {
      format += columns[next].conversion;
      if (++next == columns.size()) break;
    } else {
      format += "%*s";
    }
    format += ' ';
  }
  if (next < columns.size() && !tolerant) {
    warn("warning: %.*s does not contain required field %.*s\n", static_cast<int>(file_name.size()),
         file_name.data(), static_cast<int>(columns[next].title.size()),
         columns[next].title.data());
    return std::nullopt;
  }
  return format;
}

std::optional<std::string> gateway_in_route_table(std::string_view text) {
  size_t end = text.find('\n');
  const std::optional<std::string> format =
      scan_format(kRouteFile, text.substr(0, end), false, kRouteColumns);
  if (!format) return std::nullopt;
  std::optional<std::string> gateway;
  while (end != std::string_view::npos) {
    const size_t start = end + 1;
    end = text.find('\n', start);
    const std::string_view line = text.substr(start, end - start);
    // A longer line is skipped whole rather than read as several routes.
    if (line.empty() || line.size() > kLineRoom) continue;
    if (std::optional<std::string> found = line_gateway(*format, std::string(line)))
      gateway = std::move(found);
  }
  return gateway;
}

sys::Result<std::string> route_gateway() {
  const sys::Result<std::string> text = sys::read_file(kRouteFile);
  if (!text) {
    say("INET (IPv4) not configured in this system.\n");
    return text.status();
  }
  std::optional<std::string> gateway = gateway_in_route_table(*text);
  if (!gateway) return sys::Status::failure(ENODATA);
  return std::move(*gateway);
}

void delete_gateway(std::optional<std::string_view> old, std::optional<std::string_view> now) {
  if (!old || (now && *now == *old)) return;
  run_discarding_output(CommandLine("/sbin/route del -net 0.0.0.0 netmask 0.0.0.0"));
}

void add_gateway(std::optional<std::string_view> old, std::optional<std::string_view> now) {
  if (!now || (old && *old == *now)) return;
  run_discarding_output(CommandLine("/sbin/route add default gw ").operand(*now));
}

void change_gateway(OdbProps& props, bool enabled, std::optional<std::string_view> old) {
  const char* gateway = odb_props_get(&props, "gateway");
  std::optional<std::string_view> now;
  if (gateway && *gateway && enabled) now = gateway;
  delete_gateway(old, now);
  add_gateway(old, now);
}

}  // namespace nexa
