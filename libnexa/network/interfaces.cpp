// Which device plays the LAN and WAN roles, and the per-device state kept in
// "Network" objects.
#include "network/interfaces.h"

#include <cstdio>
#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/text_files.h"

namespace nexa {

const char* network_role_device(OdbHandle& h, const char* key) {
  const Found network = system_namespace(h, "Network");
  return network.props ? odb_props_get(network.props, key) : nullptr;
}

void set_network_role_device(OdbHandle& h, std::string_view key, std::string_view path,
                             std::string_view dev_name) {
  // The file holds the name as its whole content: a line break would add a
  // line that readers take for something else.
  if (!is_acceptable(ValueKind::kFreeText, dev_name)) {
    say("nexalib: device name refused: it holds a line break\n");
    return;
  }
  const std::string name(dev_name);
  if (const guint32 system = system_oid(h)) {
    PropsPtr changes = new_props();
    odb_props_set(changes.get(), std::string(key).c_str(), name.c_str());
    odb_set_cmnd(&h, system, "Network", changes.get());
  }
  (void)write_text_file(name, path, 0755);
}

int request_address_by_dhcp(std::string_view dev_name) {
  say("Running dhcp client to get IP from DHCP server\n");
  std::fflush(stdout);
  return run_discarding_output(
      CommandLine("/sbin/udhcpc -n -s /etc/dhcpcd.script -i ").word(dev_name));
}

void set_dhclientfail_flag(OdbHandle& h, int flag) {
  const guint32 system = system_oid(h);
  if (system == 0) return;
  PropsPtr changes = new_props();
  odb_props_set(changes.get(), "dhclientfail", std::to_string(flag).c_str());
  odb_set_cmnd(&h, system, "", changes.get());
}

void flip_network_refresh(OdbHandle& h, std::string_view dev_name) {
  const Found network = network_by_device(h, dev_name);
  if (!network.props) return;
  const char* refresh = odb_props_get(network.props, "refresh");
  PropsPtr changes = new_props();
  odb_props_set(changes.get(), "refresh", refresh && refresh[0] == '0' ? "1" : "0");
  odb_set_cmnd(&h, network.oid, "", changes.get());
}

BootProto network_bootproto(OdbHandle& h, std::string_view dev_name) {
  const Found network = network_by_device(h, dev_name);
  const char* proto = network.props ? odb_props_get(network.props, "bootproto") : nullptr;
  if (text_is(proto, "dhcp")) return BootProto::kDhcp;
  if (text_is(proto, "none")) return BootProto::kNone;
  if (text_is(proto, "pppoe")) return BootProto::kPppoe;
  return BootProto::kUnknown;
}

}  // namespace nexa
