// The daemon under test, run inside the daemon's side of a PrivateLan.
#pragma once

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "namespaces.h"

namespace presence::integration {

inline constexpr const char* kDaemonPath = PRESENCE_DAEMON_PATH;

// What start-up waits for: a daemon with no usable interface never joins
// the SSDP group.
enum class ReadyWhen { JoinedSsdpGroup, ListeningForHttp };

class PresenceDaemon {
 public:
  // Starts the daemon with these arguments in the namespace and waits until it
  // is ready. Throws std::runtime_error (with the daemon's output) when it does
  // not get there.
  PresenceDaemon(const NetworkNamespace& ns, const std::vector<std::string>& args,
                 ReadyWhen ready_when);

  // The random port the daemon serves HTTP on.
  uint16_t http_port() const { return http_port_; }

  bool running() { return process_.running(); }
  void interrupt() const { process_.signal(SIGINT); }
  std::optional<int> wait_for_exit(milliseconds timeout) { return process_.wait_for_exit(timeout); }
  std::string output() const { return process_.output(); }
  std::string errors() const { return process_.errors(); }

 private:
  ChildProcess process_;
  uint16_t http_port_ = 0;
};

}  // namespace presence::integration
