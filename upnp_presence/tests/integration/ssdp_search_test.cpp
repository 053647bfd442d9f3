// M-SEARCH: which targets the daemon answers, how, and how soon.
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "expected_texts.h"
#include "presence_fixture.h"
#include "ssdp_client.h"

namespace presence::integration {
namespace {

using namespace std::chrono_literals;
using SsdpSearch = PresenceTest;

// With MX 1 the random delay is always zero: answers come at once, so a short
// wait tells an ignored search from an answered one.
constexpr milliseconds kImmediateAnswerWait = 1500ms;

std::string ssdp_all_answer(Advert advert, std::string_view udn, uint16_t port) {
  return search_answer(advert, udn, kDaemonAddress, port, notification_type(advert, udn));
}

TEST_F(SsdpSearch, SsdpAllIsAnsweredFourTimesInOrderWithinTheMxWindow) {
  const uint16_t port = start_daemon().http_port();
  const std::string udn = udn_proper(8088, kDaemonAddress);
  SearchClient client;
  client.send(m_search("ssdp:all", "3"));
  const std::vector<Datagram> answers = client.collect(4, 4500ms);
  ASSERT_EQ(answers.size(), 4u);
  for (size_t i = 0; i < answers.size(); ++i) {
    EXPECT_EQ(answers[i].text, ssdp_all_answer(kAllAdverts[i], udn, port)) << "answer " << i;
    EXPECT_EQ(answers[i].source, kDaemonAddress);
    // MX 3 allows a delay of up to two whole seconds.
    EXPECT_LE(answers[i].at, 3500ms) << "answer " << i;
  }
  EXPECT_TRUE(client.collect_for(1500ms).empty()) << "more than one answer per kind";
}

TEST_F(SsdpSearch, TargetsAnsweredWithTheirOwnKind) {
  const uint16_t port = start_daemon().http_port();
  const std::string udn = udn_proper(8088, kDaemonAddress);
  const std::string device_bare = "urn:schemas-upnp-org:device:QuorvelZentraLite:";
  struct Case {
    std::string target;
    Advert advert;
  };
  const std::vector<Case> cases = {
      {"upnp:rootdevice", Advert::RootDevice},
      {"uuid:" + udn, Advert::DeviceUdn},
      {std::string(kDeviceType), Advert::DeviceType},
      {device_bare, Advert::DeviceType},  // no version counts as version 0
      {std::string(kServiceType), Advert::ServiceType},
  };
  std::vector<std::unique_ptr<SearchClient>> clients;
  for (const Case& c : cases) {
    clients.push_back(std::make_unique<SearchClient>());
    clients.back()->send(m_search(c.target, "1"));
  }
  std::this_thread::sleep_for(kImmediateAnswerWait);
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::vector<Datagram> answers = clients[i]->collect_for(100ms);
    ASSERT_EQ(answers.size(), 1u) << cases[i].target;
    // The answer echoes the target as it was asked.
    EXPECT_EQ(answers[0].text,
              search_answer(cases[i].advert, udn, kDaemonAddress, port, cases[i].target));
  }
}

TEST_F(SsdpSearch, SearchesThatDoNotQualifyAreNotAnswered) {
  start_daemon();
  const std::string discover = "\"ssdp:discover\"";
  const std::vector<std::string> searches = {
      m_search("urn:schemas-upnp-org:device:QuorvelZentraLite:2", "1"),
      m_search("URN:SCHEMAS-UPNP-ORG:SERVICE:WANCOMMONINTERFACECONFIG:1", "1"),
      m_search("urn:schemas-upnp-org:device:MediaServer:1", "1"),
      m_search("ssdp:all", "1", "ssdp:discover"),  // MAN without its quotes
      m_search("ssdp:all", "many"),                // MX that is not a number
      m_search("ssdp:all", "-1"),
      "M-SEARCH * HTTP/1.1\r\nMAN: " + discover + "\r\nST: ssdp:all\r\n\r\n",  // no MX
      "M-SEARCH / HTTP/1.1\r\nMAN: " + discover + "\r\nMX: 1\r\nST: ssdp:all\r\n\r\n",
      "M-SEARCH * HTTP/1.0\r\nMAN: " + discover + "\r\nMX: 1\r\nST: ssdp:all\r\n\r\n",
      "M-SEARCH * HTTP/1.1\r\nMAN " + discover + "\r\nMX: 1\r\nST: ssdp:all\r\n\r\n",  // no ":"
  };
  std::vector<std::unique_ptr<SearchClient>> clients;
  for (const std::string& search : searches) {
    clients.push_back(std::make_unique<SearchClient>());
    clients.back()->send(search);
  }
  // A search that does qualify, sent last: its answer proves the daemon read
  // and weighed all of the others.
  SearchClient control;
  control.send(m_search("upnp:rootdevice", "1"));
  ASSERT_EQ(control.collect(1, 3000ms).size(), 1u) << "the daemon stopped answering";
  std::this_thread::sleep_for(500ms);
  for (size_t i = 0; i < searches.size(); ++i)
    EXPECT_TRUE(clients[i]->collect_for(100ms).empty()) << "answered:\n" << searches[i];
}

TEST_F(SsdpSearch, MxZeroOrEmptyIsAnsweredAtOnceAndTheDaemonCarriesOn) {
  const uint16_t port = start_daemon().http_port();
  const std::string udn = udn_proper(8088, kDaemonAddress);
  const std::string root_answer =
      search_answer(Advert::RootDevice, udn, kDaemonAddress, port, "upnp:rootdevice");
  for (const std::string& search : {m_search("upnp:rootdevice", "0"),
                                    std::string("M-SEARCH * HTTP/1.1\r\nMAN: \"ssdp:discover\"\r\n"
                                                "MX:\r\nST: upnp:rootdevice\r\n\r\n")}) {
    SearchClient client;
    client.send(search);
    const std::vector<Datagram> answers = client.collect(1, 3000ms);
    ASSERT_EQ(answers.size(), 1u) << search;
    EXPECT_EQ(answers[0].text, root_answer);
    EXPECT_LT(answers[0].at, 1000ms);
  }
  EXPECT_TRUE(daemon().running());
  EXPECT_EQ(exchange("HEAD / HTTP/1.0\r\n\r\n").data, head_reply());
}

TEST_F(SsdpSearch, MalformedDatagramsAreIgnored) {
  start_daemon();
  const std::string foreign_notify =
      "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNT: upnp:rootdevice\r\n"
      "NTS: ssdp:alive\r\n\r\n";
  SearchClient noise;
  for (const std::string& datagram :
       {std::string(), std::string("\r\n\r\n"), std::string("garbage"),
        std::string("M-SEARCH\r\n\r\n"), foreign_notify,
        std::string("HTTP/1.1 200 OK\r\nST: ssdp:all\r\n\r\n")})
    noise.send(datagram);
  SearchClient control;
  control.send(m_search("upnp:rootdevice", "1"));
  EXPECT_EQ(control.collect(1, 3000ms).size(), 1u) << "the daemon stopped answering";
  EXPECT_TRUE(noise.collect_for(200ms).empty());
  EXPECT_TRUE(daemon().running());
}

}  // namespace
}  // namespace presence::integration
