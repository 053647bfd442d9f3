// Two private network namespaces joined by a veth pair: the daemon's side and
// the client's side of a small LAN that reaches nothing else.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "namespaces.h"

namespace presence::integration {

inline constexpr const char* kDaemonAddress = "192.168.1.20";
inline constexpr const char* kClientAddress = "192.168.1.10";
inline constexpr const char* kDaemonInterface = "lan-d";
inline constexpr const char* kClientInterface = "lan-c";

// The link added while the daemon runs.
inline constexpr const char* kSecondDaemonAddress = "10.0.0.20";
inline constexpr const char* kSecondClientAddress = "10.0.0.10";
inline constexpr const char* kSecondDaemonInterface = "lan2-d";
inline constexpr const char* kSecondClientInterface = "lan2-c";

inline constexpr const char* kSsdpGroup = "239.255.255.250";
inline constexpr uint16_t kSsdpPort = 1900;

class PrivateLan {
 public:
  // Throws std::runtime_error when the namespaces or links cannot be made;
  // whatever was made by then is removed again.
  PrivateLan();

  const NetworkNamespace& daemon_side() const { return *daemon_; }
  const NetworkNamespace& client_side() const { return *client_; }

  // A second veth pair between the two sides, 10.0.0.20/24 and 10.0.0.10/24.
  void add_second_link();
  // Deletes that pair again, as when a USB adapter is pulled.
  void remove_second_link();

 private:
  // Declared client first so the daemon side, where the links were made, is
  // deleted first.
  std::unique_ptr<NetworkNamespace> client_;
  std::unique_ptr<NetworkNamespace> daemon_;
};

}  // namespace presence::integration
