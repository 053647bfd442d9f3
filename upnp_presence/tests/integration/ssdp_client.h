// The client side of SSDP: a listener for the daemon's NOTIFY messages and a
// searcher that sends M-SEARCH and collects the unicast answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "unique_fd.h"

namespace presence::integration {

using std::chrono::milliseconds;

struct Datagram {
  std::string text;
  std::string source;  // sender's address, dotted
  milliseconds at{};   // since the socket's clock started (creation or send)
};

// Bound to 0.0.0.0:1900 and joined to 239.255.255.250 on the given client
// addresses, as a control point listens. Keeps only NOTIFY messages.
class NotifyListener {
 public:
  explicit NotifyListener(const std::vector<std::string>& interface_addresses);
  void join(const std::string& interface_address);

  // Collects NOTIFY messages until `count` have arrived or the time is up.
  std::vector<Datagram> collect(size_t count, milliseconds limit);
  // Collects NOTIFY messages for the whole time.
  std::vector<Datagram> collect_for(milliseconds time) { return collect(SIZE_MAX, time); }

 private:
  UniqueFd socket_;
  std::chrono::steady_clock::time_point started_;
};

// A socket on the client's LAN address that multicasts one search and
// receives the answers sent back to it.
class SearchClient {
 public:
  SearchClient();
  // Sends the datagram to 239.255.255.250:1900 and restarts the clock.
  void send(std::string_view datagram);
  // Collects answers until `count` have arrived or the time is up.
  std::vector<Datagram> collect(size_t count, milliseconds limit);
  std::vector<Datagram> collect_for(milliseconds time) { return collect(SIZE_MAX, time); }

 private:
  UniqueFd socket_;
  std::chrono::steady_clock::time_point sent_;
};

// An M-SEARCH request; `man` is the MAN value as sent, quotes included.
std::string m_search(std::string_view search_target, std::string_view mx,
                     std::string_view man = "\"ssdp:discover\"");

}  // namespace presence::integration
