// Building the test LAN out of namespaces and veth pairs.
#include "private_lan.h"

namespace presence::integration {

namespace {

void configure_end(const NetworkNamespace& ns, const std::string& interface,
                   const std::string& address_with_prefix) {
  ns.ip({"address", "add", address_with_prefix, "dev", interface});
  ns.ip({"link", "set", interface, "up"});
}

// Multicast sends without IP_MULTICAST_IF need a route for the group.
void add_multicast_route(const NetworkNamespace& ns, const std::string& interface) {
  ns.ip({"route", "add", "224.0.0.0/4", "dev", interface});
}

}  // namespace

PrivateLan::PrivateLan() {
  remove_namespaces_of_dead_test_processes();
  client_ = std::make_unique<NetworkNamespace>(namespace_name_for_this_process("c"));
  daemon_ = std::make_unique<NetworkNamespace>(namespace_name_for_this_process("d"));
  for (const NetworkNamespace* ns : {client_.get(), daemon_.get()})
    ns->ip({"link", "set", "lo", "up"});
  // Made inside the daemon's namespace with its peer placed straight into the
  // client's, so no interface ever appears in the main namespace.
  daemon_->ip({"link", "add", kDaemonInterface, "type", "veth", "peer", "name", kClientInterface,
               "netns", client_->name()});
  configure_end(*client_, kClientInterface, std::string(kClientAddress) + "/24");
  configure_end(*daemon_, kDaemonInterface, std::string(kDaemonAddress) + "/24");
  add_multicast_route(*client_, kClientInterface);
  add_multicast_route(*daemon_, kDaemonInterface);
}

void PrivateLan::add_second_link() {
  daemon_->ip({"link", "add", kSecondDaemonInterface, "type", "veth", "peer", "name",
               kSecondClientInterface, "netns", client_->name()});
  // The client's end first, so the link is fully up by the time the daemon's
  // end (the one it watches for) is.
  configure_end(*client_, kSecondClientInterface, std::string(kSecondClientAddress) + "/24");
  configure_end(*daemon_, kSecondDaemonInterface, std::string(kSecondDaemonAddress) + "/24");
}

void PrivateLan::remove_second_link() {
  daemon_->ip({"link", "del", kSecondDaemonInterface});
}

}  // namespace presence::integration
