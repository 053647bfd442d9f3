// NOTIFY announcements: at start-up, on a new interface and on SIGINT.
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include "expected_texts.h"
#include "presence_fixture.h"
#include "ssdp_client.h"

namespace presence::integration {
namespace {

using namespace std::chrono_literals;
using SsdpAnnouncements = PresenceTest;

// Each kind's first alive pair is due within half a second of start-up.
constexpr milliseconds kStartUpBurst = 3000ms;

std::vector<std::string> texts(const std::vector<Datagram>& datagrams) {
  std::vector<std::string> out;
  out.reserve(datagrams.size());
  for (const Datagram& d : datagrams) out.push_back(d.text);
  return out;
}

std::vector<Datagram> from(const std::vector<Datagram>& datagrams, std::string_view source) {
  std::vector<Datagram> out;
  for (const Datagram& d : datagrams)
    if (d.source == source) out.push_back(d);
  return out;
}

// Every kind, then every kind again.
std::vector<std::string> byebye_set(std::string_view udn) {
  std::vector<std::string> set;
  for (int round = 0; round < 2; ++round)
    for (const Advert advert : kAllAdverts) set.push_back(byebye_message(advert, udn));
  return set;
}

std::vector<std::string> alive_set(std::string_view udn, std::string_view address, uint16_t port) {
  std::vector<std::string> set;
  for (int round = 0; round < 2; ++round)
    for (const Advert advert : kAllAdverts)
      set.push_back(alive_message(advert, udn, address, port));
  return set;
}

// The first alive messages come per kind, each kind's pair back to back, in
// an order set by the kinds' random delays.
void expect_alive_pairs(const std::vector<std::string>& alive, std::string_view udn,
                        uint16_t port) {
  ASSERT_EQ(alive.size(), 8u);
  std::vector<bool> seen(std::size(kAllAdverts), false);
  for (size_t i = 0; i < alive.size(); i += 2) {
    EXPECT_EQ(alive[i], alive[i + 1]) << "alive messages " << i << " and " << i + 1;
    bool known = false;
    for (size_t k = 0; k < std::size(kAllAdverts); ++k)
      if (alive[i] == alive_message(kAllAdverts[k], udn, kDaemonAddress, port)) {
        EXPECT_FALSE(seen[k]) << "kind " << k << " announced twice over";
        seen[k] = known = true;
      }
    EXPECT_TRUE(known) << "unexpected announcement:\n" << alive[i];
  }
}

TEST_F(SsdpAnnouncements, StartUpWithdrawsTheDeviceBeforeAnnouncingIt) {
  NotifyListener listener({kClientAddress});
  const uint16_t port = start_daemon().http_port();
  const std::string udn = udn_proper(8088, kDaemonAddress);

  const std::vector<std::string> burst = texts(listener.collect(16, kStartUpBurst));
  ASSERT_EQ(burst.size(), 16u);
  const std::vector<std::string> byebye(burst.begin(), burst.begin() + 8);
  EXPECT_EQ(byebye, byebye_set(udn));
  expect_alive_pairs({burst.begin() + 8, burst.end()}, udn, port);

  EXPECT_TRUE(listener.collect_for(1000ms).empty()) << "announced more than once at start-up";
}

TEST_F(SsdpAnnouncements, WatchAnnouncesANewInterfaceAndOnlyThen) {
  NotifyListener listener({kClientAddress});
  const uint16_t port = start_daemon().http_port();
  const std::string udn = udn_proper(8088, kDaemonAddress);
  ASSERT_EQ(listener.collect(16, kStartUpBurst).size(), 16u);

  // The watch looks every four seconds; unchanged interfaces cause nothing.
  EXPECT_TRUE(listener.collect_for(5000ms).empty()) << "announced without an interface change";

  lan().add_second_link();
  listener.join(kSecondClientAddress);
  const auto added = std::chrono::steady_clock::now();
  const std::vector<Datagram> announced = listener.collect(16, 8000ms);
  const auto took = std::chrono::steady_clock::now() - added;

  // The new interface gets its own LOCATION; the UDN stays the one chosen at
  // start-up. The old interface hears the alive set again as well.
  EXPECT_EQ(texts(from(announced, kSecondDaemonAddress)),
            alive_set(udn, kSecondDaemonAddress, port));
  EXPECT_EQ(texts(from(announced, kDaemonAddress)), alive_set(udn, kDaemonAddress, port));
  EXPECT_LE(took, 6500ms);
}

TEST_F(SsdpAnnouncements, SigintWithdrawsTheDeviceAndExitsCleanly) {
  NotifyListener listener({kClientAddress});
  PresenceDaemon& presence = start_daemon();
  const std::string udn = udn_proper(8088, kDaemonAddress);
  ASSERT_EQ(listener.collect(16, kStartUpBurst).size(), 16u);

  presence.interrupt();
  const auto status = presence.wait_for_exit(10s);
  ASSERT_TRUE(status) << "the daemon did not stop on SIGINT";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describe_status(*status);

  std::vector<std::string> farewell = texts(listener.collect(8, 2000ms));
  const std::vector<std::string> more = texts(listener.collect_for(500ms));
  farewell.insert(farewell.end(), more.begin(), more.end());
  EXPECT_EQ(farewell, byebye_set(udn));
}

TEST_F(SsdpAnnouncements, InterfaceGoneBeforeTheWatchNoticesDoesNotStopTheWithdrawal) {
  lan().add_second_link();
  NotifyListener listener({kClientAddress});
  PresenceDaemon& presence = start_daemon();
  // The UDN takes the last interface that joined the group.
  const std::string udn = udn_proper(8088, kSecondDaemonAddress);
  ASSERT_EQ(texts(from(listener.collect(32, kStartUpBurst), kDaemonAddress)).size(), 16u);

  // The daemon still holds a send socket for the vanished address; sending
  // on it fails, and that must cost only that interface.
  lan().remove_second_link();
  presence.interrupt();
  const auto status = presence.wait_for_exit(10s);
  ASSERT_TRUE(status) << "the daemon did not stop on SIGINT";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << describe_status(*status);
  EXPECT_EQ(texts(from(listener.collect(8, 2000ms), kDaemonAddress)), byebye_set(udn));
}

}  // namespace
}  // namespace presence::integration
