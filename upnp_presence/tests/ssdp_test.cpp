// Search checks, search-target rules and the SSDP message texts.
#include "ssdp.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "device_fixture.h"

namespace presence {
namespace {

std::optional<SearchRequest> search(std::string block) {
  static std::vector<std::string> keep;
  keep.push_back(std::move(block));
  auto msg = parse_http_message(keep.back());
  if (!msg) return std::nullopt;
  return parse_msearch(*msg);
}

TEST(ParseMsearch, NeedsQuotedManAndAUsableMx) {
  auto ok = search(
      "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n"
      "MAN: \"ssdp:discover\"\r\nMX: 3\r\nST: ssdp:all\r\n\r\n");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->target, "ssdp:all");
  EXPECT_EQ(ok->delay_bound_s, 3u);
  EXPECT_FALSE(search("M-SEARCH * HTTP/1.1\r\nMAN: ssdp:discover\r\nMX: 3\r\nST: a\r\n\r\n"));
  EXPECT_FALSE(search("M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\nST: a\r\n\r\n"));
  EXPECT_FALSE(search("M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\nMX: x\r\nST: a\r\n\r\n"));
  EXPECT_FALSE(search("M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\nMX: -1\r\nST: a\r\n\r\n"));
}

TEST(ParseMsearch, PathAndVersionAreChecked) {
  const std::string headers = "\r\nMAN: \"ssdp:discover\"\r\nMX: 1\r\nST: a\r\n\r\n";
  EXPECT_FALSE(search("M-SEARCH / HTTP/1.1" + headers));
  EXPECT_FALSE(search("M-SEARCH * HTTP/1.0" + headers));
  EXPECT_TRUE(search("M-SEARCH * HTTP/1.1" + headers));
}

TEST(ParseMsearch, MxIsCappedAndZeroOrEmptyMeansAtOnce) {
  const std::string start = "M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\nST: a\r\nMX:";
  EXPECT_EQ(search(start + " 120\r\n\r\n")->delay_bound_s, 10u);
  EXPECT_EQ(search(start + " 0\r\n\r\n")->delay_bound_s, 0u);
  EXPECT_EQ(search(start + "\r\n\r\n")->delay_bound_s, 0u);
  EXPECT_EQ(search(start + "   \r\n\r\n")->delay_bound_s, 0u);
}

TEST(ParseMsearch, HeaderNamesMatchByPrefixIgnoringCase) {
  auto ok = search(
      "M-SEARCH * HTTP/1.1\r\nmanx: \"ssdp:discover\"\r\nMXY: 2\r\n"
      "STX: first\r\nst: second\r\n\r\n");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->target, "second") << "a later ST replaces an earlier one";
  EXPECT_EQ(ok->delay_bound_s, 2u);
}

TEST(SearchTarget, ExactTargets) {
  const std::string udn = "uuid:f6edff09-71a4-47df-8088-192.168.1.20";
  using K = AdvertKind;
  EXPECT_EQ(kinds_for_search_target("upnp:rootdevice", udn), std::vector<K>{K::RootDevice});
  EXPECT_EQ(kinds_for_search_target("ssdp:all", udn),
            (std::vector<K>{K::RootDevice, K::DeviceUdn, K::DeviceType, K::ServiceType}));
  EXPECT_EQ(kinds_for_search_target(udn, udn), std::vector<K>{K::DeviceUdn});
  EXPECT_TRUE(kinds_for_search_target("SSDP:ALL", udn).empty());
  EXPECT_TRUE(kinds_for_search_target("", udn).empty());
}

TEST(SearchTarget, TypeTargetsUpToVersionOne) {
  const std::string udn = "uuid:x";
  using K = AdvertKind;
  const std::string device = "urn:schemas-upnp-org:device:QuorvelZentraLite:";
  const std::string service = "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:";
  EXPECT_EQ(kinds_for_search_target(device + "1", udn), std::vector<K>{K::DeviceType});
  EXPECT_EQ(kinds_for_search_target(device, udn), std::vector<K>{K::DeviceType});
  EXPECT_TRUE(kinds_for_search_target(device + "2", udn).empty());
  EXPECT_TRUE(kinds_for_search_target(device.substr(0, device.size() - 1), udn).empty());
  EXPECT_EQ(kinds_for_search_target(service + "1", udn), std::vector<K>{K::ServiceType});
  EXPECT_TRUE(kinds_for_search_target(service + "99999999999999999999", udn).empty());
  EXPECT_TRUE(
      kinds_for_search_target("URN:SCHEMAS-UPNP-ORG:SERVICE:WANCOMMONINTERFACECONFIG:1", udn)
          .empty());
  EXPECT_TRUE(kinds_for_search_target(device + "1\r\nX: y", udn).empty())
      << "a target that would break the answer is not echoed";
}

class SsdpMessages : public testing::DeviceTest {
 protected:
  uint32_t address = inet_addr("192.168.1.20");
};

TEST_F(SsdpMessages, SearchAnswer) {
  EXPECT_EQ(format_search_answer(*device, address, AdvertKind::DeviceUdn, device->udn),
            "HTTP/1.1 200 OK\r\nLOCATION: http://192.168.1.20:50123/\r\nEXT:\r\n"
            "SERVER: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
            "USN: uuid:f6edff09-71a4-47df-8088-192.168.1.20\r\nCACHE-CONTROL: max-age=1800\r\n"
            "ST: uuid:f6edff09-71a4-47df-8088-192.168.1.20\r\n\r\n");
}

TEST_F(SsdpMessages, AliveForEachKind) {
  const std::string head =
      "NOTIFY * HTTP/1.1\r\nLOCATION: http://192.168.1.20:50123/\r\nHOST: 239.255.255.250:1900\r\n"
      "SERVER: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\nNTS: ssdp:alive\r\n"
      "USN: uuid:f6edff09-71a4-47df-8088-192.168.1.20";
  EXPECT_EQ(
      format_alive(*device, address, AdvertKind::RootDevice),
      head + "::upnp:rootdevice\r\nCACHE-CONTROL: max-age=1800\r\nNT: upnp:rootdevice\r\n\r\n");
  EXPECT_EQ(format_alive(*device, address, AdvertKind::DeviceUdn),
            head +
                "\r\nCACHE-CONTROL: max-age=1800\r\n"
                "NT: uuid:f6edff09-71a4-47df-8088-192.168.1.20\r\n\r\n");
  EXPECT_EQ(
      format_alive(*device, address, AdvertKind::DeviceType),
      head +
          "::urn:schemas-upnp-org:device:QuorvelZentraLite:1\r\nCACHE-CONTROL: max-age=1800\r\n"
          "NT: urn:schemas-upnp-org:device:QuorvelZentraLite:1\r\n\r\n");
  EXPECT_EQ(format_alive(*device, address, AdvertKind::ServiceType),
            head +
                "::urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1\r\n"
                "CACHE-CONTROL: max-age=1800\r\n"
                "NT: urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1\r\n\r\n");
}

TEST_F(SsdpMessages, ByebyeCarriesTheSameUsnAndNt) {
  EXPECT_EQ(format_byebye(*device, AdvertKind::RootDevice),
            "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNTS: ssdp:byebye\r\n"
            "USN: uuid:f6edff09-71a4-47df-8088-192.168.1.20::upnp:rootdevice\r\n"
            "NT: upnp:rootdevice\r\nContent-Length: 0\r\n\r\n");
}

TEST_F(SsdpMessages, AcceptedSearchWaitsOnATimerAndFloodsAreBounded) {
  std::string block =
      "M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\nMX: 0\r\nST: ssdp:all\r\n\r\n";
  auto msg = parse_http_message(block);
  ASSERT_TRUE(msg);
  sockaddr_in from{};
  msg->source = &from;
  for (size_t i = 0; i < kMaxPendingSearches + 10; ++i) handle_msearch(*device, *msg);
  EXPECT_EQ(timers.pending(), kMaxPendingSearches);
  EXPECT_EQ(device->pending_search_replies, kMaxPendingSearches);
  // MX 0: all due at once. With no interface nothing is sent, but every
  // entry is released.
  fd_set r, w, e;
  int32_t wait = kLongestWaitMs;
  timers.pre_select(r, w, e, wait);
  EXPECT_EQ(timers.pending(), 0u);
  EXPECT_EQ(device->pending_search_replies, 0u);
}

}  // namespace
}  // namespace presence
