// Virtual servers forwarded from the WAN side, and the LAN address's port
// 80 redirected to the web administration server's port.
#include "network/port_redirection.h"

#include <glib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/odb_access.h"
#include "core/string_lists.h"
#include "core/sys.h"
#include "network/interfaces.h"
#include "network/web_server.h"

namespace nexa {
namespace {

constexpr const char* kPptpPort = "1723";

std::string network_setting(OdbHandle& h, const char* key) {
  const char* value = network_role_device(h, key);
  return value ? value : "";
}

bool same_text_any_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

CommandLine iptables(bool add) {
  return add ? CommandLine("/sbin/iptables -A") : CommandLine("/sbin/iptables -D");
}

// One DNAT rule; the command's output is not discarded.
void dnat_rule(bool add, std::string_view device, std::string_view protocol,
               std::string_view wan_port, const std::string& destination) {
  sys::run_command(iptables(add)
                       .text(" PREROUTING -t nat -i ")
                       .word(device)
                       .text(" -p ")
                       .word(protocol)
                       .text(" --dport ")
                       .word(wan_port)
                       .text(" -j DNAT --to ")
                       .word(destination));
}

void gre_rule(bool add, std::string_view device, std::string_view lan_address) {
  sys::run_command(iptables(add)
                       .text(" PREROUTING -t nat -p 47 -i ")
                       .word(device)
                       .text(" -j DNAT --to-destination ")
                       .word(lan_address));
}

struct Forward {
  std::vector<std::string> lan_ports, wan_ports;
  std::string lan_address, wan_device;
};

void forward_protocol(bool add, std::string_view protocol, const Forward& f) {
  for (const std::string& lan : f.lan_ports) {
    for (std::string wan : f.wan_ports) {
      std::replace(wan.begin(), wan.end(), '-', ':');
      const std::string destination = f.lan_address + ":" + lan;
      dnat_rule(add, f.wan_device, protocol, wan, destination);
      dnat_rule(add, "ppp0", protocol, wan, destination);
    }
  }
}

bool holds(const std::vector<std::string>& items, std::string_view item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

// "-t nat -A PREROUTING -i D -p tcp -d A --dport 80 -j REDIRECT ..."
void redirect_rule(bool add, std::string_view device, std::string_view address,
                   std::string_view port) {
  CommandLine line = add ? CommandLine("/sbin/iptables -t nat -A PREROUTING -i ")
                         : CommandLine("/sbin/iptables -t nat -D PREROUTING -i ");
  run_discarding_output(line.word(device)
                            .text(" -p tcp -d ")
                            .word(address)
                            .text(" --dport 80 -j REDIRECT --to-ports ")
                            .word(port)
                            .text(" "));
}

struct LanSide {
  std::string device, address;
};

// The LAN device and its address; nothing to redirect without both.
std::optional<LanSide> lan_side(OdbHandle& h) {
  LanSide lan{network_setting(h, "landevname"), ""};
  if (lan.device.empty()) return std::nullopt;
  lan.address = prop_or_empty(network_by_device(h, lan.device).props, "ipaddr");
  if (lan.address.empty()) return std::nullopt;
  return lan;
}

bool translation_off(OdbHandle& h) {
  return network_setting(h, "nat") == "0";
}

void move_web_server(int port) {
  set_thttpd_port(port);
  restart_running_web_server();
}

}  // namespace

VirtualServerResult virtual_server_handler(OdbHandle& h, OdbProps& entry, int mode) {
  const bool add = mode == 1;
  if (add && same_text_any_case(prop_or_empty(&entry, "enabled"), "0"))
    return VirtualServerResult::kDone;
  const std::vector<std::string> protocols = split_odb_array(prop_or_empty(&entry, "protocol"));
  if (protocols.empty()) return VirtualServerResult::kNoProtocol;
  const Forward f{split_odb_array(prop_or_empty(&entry, "lan_port")),
                  split_odb_array(prop_or_empty(&entry, "wan_port")),
                  std::string(prop_or_empty(&entry, "lan_ipaddr")),
                  network_setting(h, "wandevname")};
  bool pptp = false;
  for (const std::string& protocol : protocols) {
    if (same_text_any_case(protocol, "tcp")) {
      forward_protocol(add, "tcp", f);
      pptp = pptp || (holds(f.lan_ports, kPptpPort) && holds(f.wan_ports, kPptpPort));
    }
    if (same_text_any_case(protocol, "udp")) forward_protocol(add, "udp", f);
  }
  if (pptp) {
    gre_rule(add, f.wan_device, f.lan_address);
    gre_rule(add, "ppp0", f.lan_address);
  }
  return VirtualServerResult::kDone;
}

void remote_access_redirect(OdbHandle& h) {
  if (translation_off(h)) return;
  const Found remote = system_namespace(h, "RemoteManagement");
  if (!remote.props) return;
  const std::string port(prop_or_empty(remote.props, "port"));
  if (!is_port(port)) return;
  move_web_server(std::stoi(port));
  const std::optional<LanSide> lan = lan_side(h);
  if (!lan) return;
  redirect_rule(false, lan->device, lan->address, port);
  redirect_rule(true, lan->device, lan->address, port);
  redirect_rule(false, "br0", lan->address, port);
  redirect_rule(true, "br0", lan->address, port);
}

void remote_access_redirect_to_port(OdbHandle& h, std::string_view old_port,
                                    std::string_view new_port) {
  if (translation_off(h) || !is_port(new_port)) return;
  move_web_server(std::stoi(std::string(new_port)));
  const std::optional<LanSide> lan = lan_side(h);
  if (!lan) return;
  redirect_rule(false, lan->device, lan->address, old_port);
  redirect_rule(false, "br0", lan->address, old_port);
  redirect_rule(false, lan->device, lan->address, new_port);
  redirect_rule(true, lan->device, lan->address, new_port);
  redirect_rule(false, "br0", lan->address, new_port);
  redirect_rule(true, "br0", lan->address, new_port);
}

}  // namespace nexa
