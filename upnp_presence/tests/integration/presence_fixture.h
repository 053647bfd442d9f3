// Test fixture: a private LAN with the test process on its client side and
// the daemon, once started, on its daemon side.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "http_client.h"
#include "namespaces.h"
#include "presence_daemon.h"
#include "private_lan.h"

namespace presence::integration {

class PresenceTest : public ::testing::Test {
 protected:
  // Fails the test, saying why, when the namespaces cannot be made.
  void SetUp() override;
  // Stops the daemon with SIGINT if it still runs and checks that it ended
  // cleanly and reported nothing; then removes the LAN.
  void TearDown() override;

  // Throws std::runtime_error (failing the test) when the daemon does not start.
  PresenceDaemon& start_daemon(const std::vector<std::string>& args = {},
                               ReadyWhen ready_when = ReadyWhen::JoinedSsdpGroup);
  PresenceDaemon& daemon() { return *daemon_; }
  PrivateLan& lan() { return *lan_; }

  // One request on a fresh connection to the daemon, and all of its answer.
  ReadResult exchange(std::string_view request);
  HttpConnection connect() { return HttpConnection(kDaemonAddress, daemon_->http_port()); }

  // The name the daemon uses without --name.
  static std::string default_friendly_name();

 private:
  // Dropped in reverse: the daemon first, then the way back to the original
  // namespace, then the LAN itself.
  std::optional<PrivateLan> lan_;
  std::optional<NamespaceEntry> in_client_side_;
  std::optional<PresenceDaemon> daemon_;
};

}  // namespace presence::integration
