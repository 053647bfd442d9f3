// "Network" objects made from the factory defaults, and the clearing of the
// system-wide gateway and name servers.
#include "network/network_objects.h"

#include <cstdio>
#include <string>

#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"

namespace nexa {

namespace {

// Copies a default into props; an absent default adds nothing.
void copy_default(OdbProps& props, OdbProps& defaults, const char* from, const char* to) {
  if (const char* value = odb_props_get(&defaults, from)) odb_props_set(&props, to, value);
}

void announce_defaults(std::string_view dev_name) {
  say("%s: set Network object default values for %s\r\n", "nexalib", std::string(dev_name).c_str());
}

PropsPtr lan_defaults(OdbHandle& h, std::string_view dev_name) {
  PropsPtr props = new_props();
  prepare_lan_defaults(h, *props, dev_name);
  return props;
}

}  // namespace

void prepare_lan_defaults(OdbHandle& h, OdbProps& props, std::string_view dev_name) {
  const Found network = system_namespace(h, "Network");
  announce_defaults(dev_name);
  if (network.props) {
    copy_default(props, *network.props, "default_lan_ipaddr", "ipaddr");
    copy_default(props, *network.props, "default_lan_netmask", "netmask");
    copy_default(props, *network.props, "default_lan_bootproto", "bootproto");
  } else {
    odb_props_set(&props, "ipaddr", "10.22.33.44");
    odb_props_set(&props, "netmask", "255.0.0.0");
  }
  odb_props_set(&props, "enabled", "1");
  odb_props_set(&props, "devName", std::string(dev_name).c_str());
}

void prepare_wan_defaults(OdbHandle& h, OdbProps& props, std::string_view dev_name) {
  const Found network = system_namespace(h, "Network");
  if (!network.props) return;
  announce_defaults(dev_name);
  copy_default(props, *network.props, "default_wan_bootproto", "bootproto");
  copy_default(props, *network.props, "default_wan_enabled", "enabled");
  odb_props_set(&props, "devName", std::string(dev_name).c_str());
}

void reset_lan_network(OdbHandle& h, std::string_view dev_name) {
  const Found existing = network_by_device(h, dev_name);
  if (!existing.props) say("%s: create Network object\r\n", "nexalib");
  PropsPtr props = lan_defaults(h, dev_name);
  if (existing.props)
    odb_set_cmnd(&h, existing.oid, "", props.get());
  else
    odb_create_cmnd(&h, "Network", props.get());
}

sys::Status create_lan_network(OdbHandle& h, std::string_view dev_name) {
  PropsPtr props = lan_defaults(h, dev_name);
  odb_create_cmnd(&h, "Network", props.get());
  if (network_by_device(h, dev_name).props) return sys::Status::success();
  say_at(NEXA_ORIGIN("nexalib"), "Create network object fail.\n");
  return sys::Status::failure(ENOENT);
}

void create_wan_network(OdbHandle& h, std::string_view dev_name) {
  if (network_by_device(h, dev_name).props) return;
  say("%s: create Network object for device=%s\r\n", "nexalib", std::string(dev_name).c_str());
  PropsPtr props = new_props();
  prepare_wan_defaults(h, *props, dev_name);
  odb_create_cmnd(&h, "Network", props.get());
}

void clear_system_routing(OdbHandle& h) {
  const Found system = system_and_oid(h);
  if (!system.props) {
    say("system object was not found !\n");
    return;
  }
  const auto is_set = [&](const char* key) {
    const char* value = odb_props_get(system.props, key);
    return value && *value;
  };
  PropsPtr changes = new_props();
  bool changed = false;
  if (is_set("gateway")) {
    odb_props_set(changes.get(), "gateway", "");
    changed = true;
  }
  if (is_set("dns")) {
    odb_props_set(changes.get(), "dns", "");
    odb_props_set(changes.get(), "domain", "");
    changed = true;
  }
  if (changed) odb_set_cmnd(&h, system.oid, "", changes.get());
}

}  // namespace nexa
