// Named network namespaces made with ip(8), and entering one for a while.
#pragma once

#include <string>
#include <vector>

#include "unique_fd.h"

namespace presence::integration {

inline constexpr const char* kIpTool = "/usr/sbin/ip";

// Runs ip(8) with the given arguments; throws std::runtime_error with ip's
// own message when it fails.
void run_ip(const std::vector<std::string>& args);

// A namespace under /run/netns, deleted again when dropped.
class NetworkNamespace {
 public:
  // Throws std::runtime_error, naming the likely cause, when it cannot be made.
  explicit NetworkNamespace(std::string name);
  NetworkNamespace(const NetworkNamespace&) = delete;
  NetworkNamespace& operator=(const NetworkNamespace&) = delete;
  ~NetworkNamespace();

  const std::string& name() const { return name_; }
  std::string path() const { return "/run/netns/" + name_; }
  // ip -n NAME ARGS...
  void ip(const std::vector<std::string>& args) const;

 private:
  std::string name_;
};

// Moves the calling thread into a namespace and back to where it was when
// dropped. The test process is single-threaded, so this moves the sockets it
// opens meanwhile, and the children it forks, into that namespace.
class NamespaceEntry {
 public:
  explicit NamespaceEntry(const NetworkNamespace& ns);
  NamespaceEntry(const NamespaceEntry&) = delete;
  NamespaceEntry& operator=(const NamespaceEntry&) = delete;
  ~NamespaceEntry();

 private:
  UniqueFd original_;
};

// Namespaces left by earlier test processes that died before cleaning up
// (killed by a timeout, say) are removed; the name carries the owner's pid.
std::string namespace_name_for_this_process(const std::string& suffix);
void remove_namespaces_of_dead_test_processes();

}  // namespace presence::integration
