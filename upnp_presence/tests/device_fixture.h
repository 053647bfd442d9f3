// A device without sockets of its own, with connections on socket pairs.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>

#include "device.h"

namespace presence::testing {

inline uint32_t device_clock_now = 0;
inline uint32_t device_clock() {
  return device_clock_now;
}

class DeviceTest : public ::testing::Test {
 protected:
  DeviceTest() {
    DeviceSettings settings;
    settings.friendly_name = "nas1 (Zentra Lite)";
    settings.udn_prefix = "f6edff09-71a4-47df-8088-";
    device = std::make_unique<DeviceState>(*chain, timers, settings);
    device->local_address_text = "192.168.1.20";
    device->http_port = 50123;
    device->form_identity();
    device->presentation_handler = redirect_to_web_admin;
    device_clock_now = 0;
  }
  ~DeviceTest() override {
    for (auto& slot : device->slots) close_connection(slot);
  }

  // Gives the slot one end of a fresh socket pair; returns the peer's end.
  int connect_slot(ConnectionSlot& slot) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    slot.socket.reset(fds[0]);
    slot.accepted_at = timers.now();
    peers.emplace_back(fds[1]);
    return fds[1];
  }

  // Everything the peer receives until the connection is closed.
  static std::string read_all(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0)
      out.append(buf, static_cast<size_t>(n));
    return out;
  }

  static void send_text(int fd, std::string_view text) {
    ASSERT_EQ(send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  }

  std::unique_ptr<EventChain> chain = chain_create();
  TimerList timers{*chain, device_clock};
  std::unique_ptr<DeviceState> device;
  std::vector<UniqueFd> peers;
};

}  // namespace presence::testing
