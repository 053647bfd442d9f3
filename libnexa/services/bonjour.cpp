// Multicast DNS announcement, its route and the Bonjour debugging log.
#include "services/bonjour.h"

#include <cstdio>
#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/sys.h"

namespace nexa {

void start_mdns_responder(std::string_view name) {
  run_discarding_output(
      CommandLine("/sbin/mDNSResponderPosix -n ").word(name).text(" -t _http._tcp. -p 80 -b"));
}

void stop_mdns_responder() {
  run_discarding_output(CommandLine("/usr/bin/killall -SIGINT ").word("mDNSResponderPosix"));
}

void add_multicast_route(std::string_view interface) {
  run_discarding_output(
      CommandLine("/sbin/route add default dev ").operand(interface).text(" metric 99"));
}

void delete_multicast_route(std::string_view interface) {
  run_discarding_output(
      CommandLine("/sbin/route delete default dev ").operand(interface).text(" metric 99"));
}

void bonjour_debug(std::string_view text) {
  const std::string line = flattened(ValueKind::kFreeText, text) + "\n";
  (void)sys::append_to_file(kBonjourLog, line, 0644, sys::TornLine::kRemove);
}

}  // namespace nexa
