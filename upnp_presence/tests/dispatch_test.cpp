// Replies to complete requests, byte for byte.
#include <gtest/gtest.h>

#include "device_fixture.h"
#include "documents.h"

namespace presence {
namespace {

constexpr std::string_view k404 =
    "HTTP/1.0 404 File Not Found\r\nServer: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
    "Content-Length: 0\r\n\r\n";
constexpr std::string_view k400 =
    "HTTP/1.0 400 Bad Request\r\nServer: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
    "Content-Length: 0\r\n\r\n";

class DispatchTest : public testing::DeviceTest {
 protected:
  // Dispatches one request block and returns the reply; the slot must be
  // closed afterwards.
  std::string reply_to(std::string block) {
    ConnectionSlot& slot = device->slots[0];
    const int peer = connect_slot(slot);
    requests.push_back(std::move(block));
    auto request = parse_http_message(requests.back());
    EXPECT_TRUE(request) << requests.back();
    if (!request) return "";
    dispatch_request(*request, slot);
    EXPECT_FALSE(slot.busy()) << "every reply ends the connection";
    return read_all(peer);
  }
  std::vector<std::string> requests;
};

TEST_F(DispatchTest, GetServesBothDocuments) {
  EXPECT_EQ(reply_to("GET / HTTP/1.0\r\n\r\n"), device->description_document);
  EXPECT_NE(
      device->description_document.find("<UDN>uuid:f6edff09-71a4-47df-8088-192.168.1.20</UDN>"),
      std::string::npos);
  EXPECT_EQ(device->description_document.find("Content-Length"), std::string::npos);
  EXPECT_EQ(reply_to("GET /MediaService/scpd.xml HTTP/1.0\r\n\r\n"), service_document());
  EXPECT_EQ(reply_to("GET /xMediaService/scpd.xml HTTP/1.0\r\n\r\n"), k404);
}

TEST_F(DispatchTest, HeadGivesOnlyTheHeaderLines) {
  const std::string head =
      "HTTP/1.0 200 OK\r\nServer: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
      "Content-Type: text/xml\r\n\r\n";
  EXPECT_EQ(reply_to("HEAD / HTTP/1.0\r\n\r\n"), head);
  EXPECT_EQ(reply_to("HEAD /MediaService/scpd.xml HTTP/1.0\r\n\r\n"), head);
  EXPECT_EQ(reply_to("HEAD /other HTTP/1.0\r\n\r\n"), k404);
}

TEST_F(DispatchTest, UnknownPathsAndMethods) {
  EXPECT_EQ(reply_to("GET /ztile.png HTTP/1.0\r\n\r\n"), k404);
  EXPECT_EQ(reply_to("GET /WEB HTTP/1.0\r\n\r\n"), k404) << "paths are case-sensitive";
  EXPECT_EQ(reply_to("get / HTTP/1.0\r\n\r\n"), k400) << "methods are case-sensitive";
  EXPECT_EQ(reply_to("OPTIONS / HTTP/1.0\r\n\r\n"), k400);
}

TEST_F(DispatchTest, PostIsRefusedOnEveryPath) {
  EXPECT_EQ(reply_to("POST /MediaService/control HTTP/1.0\r\nSOAPACTION: \"x#y\"\r\n\r\n"), k404);
  EXPECT_EQ(reply_to("POST /elsewhere HTTP/1.0\r\n\r\n"), k404);
}

TEST_F(DispatchTest, PresentationPathsRedirectForEveryMethod) {
  const std::string redirect =
      "HTTP/1.0 302 Temporary Redirect\r\nLocation: http://192.168.1.20:8088/\r\n\r\n";
  EXPECT_EQ(reply_to("GET /web HTTP/1.0\r\n\r\n"), redirect);
  EXPECT_EQ(reply_to("GET /web/ HTTP/1.0\r\n\r\n"), redirect);
  EXPECT_EQ(reply_to("POST /webadmin HTTP/1.0\r\n\r\n"), redirect);
  EXPECT_EQ(reply_to("GET /we HTTP/1.0\r\n\r\n"), k404);
}

TEST_F(DispatchTest, RedirectNamesThePortOption) {
  device->settings.web_admin_port = 9000;
  EXPECT_EQ(reply_to("GET /web HTTP/1.0\r\n\r\n"),
            "HTTP/1.0 302 Temporary Redirect\r\nLocation: http://192.168.1.20:9000/\r\n\r\n");
}

TEST_F(DispatchTest, RedirectWithoutAStartUpAddressUsesTheConnectionsAddress) {
  device->local_address_text.reset();
  ConnectionSlot& slot = device->slots[0];
  // A real TCP connection on loopback, so the connection has a local address.
  UniqueFd server(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(server.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  getsockname(server.get(), reinterpret_cast<sockaddr*>(&addr), &len);
  listen(server.get(), 1);
  UniqueFd client(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_EQ(connect(client.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  slot.socket.reset(accept(server.get(), nullptr, nullptr));

  std::string block = "GET /web HTTP/1.0\r\n\r\n";
  auto request = parse_http_message(block);
  dispatch_request(*request, slot);
  EXPECT_EQ(read_all(client.get()),
            "HTTP/1.0 302 Temporary Redirect\r\nLocation: http://127.0.0.1:8088/\r\n\r\n");
}

TEST_F(DispatchTest, EventingIsAlwaysRefused) {
  EXPECT_EQ(reply_to("SUBSCRIBE /MediaService/event HTTP/1.1\r\nCALLBACK: <http://x/>\r\n"
                     "NT: upnp:event\r\nTIMEOUT: Second-1800\r\n\r\n"),
            "HTTP/1.1 412 Invalid Service Name\r\n\r\n");
  EXPECT_EQ(reply_to("SUBSCRIBE /MediaService/event HTTP/1.1\r\nsid: uuid:1\r\n\r\n"),
            "HTTP/1.1 412 Precondition Failed\r\n\r\n");
  EXPECT_EQ(reply_to("SUBSCRIBE /MediaService/event HTTP/1.1\r\nSIDX: uuid:1\r\n\r\n"),
            "HTTP/1.1 412 Invalid Service Name\r\n\r\n")
      << "SID must match exactly";
  const std::string invalid_sid = "HTTP/1.1 412 Invalid SID\r\nContent-Length: 0\r\n\r\n";
  EXPECT_EQ(reply_to("UNSUBSCRIBE /MediaService/event HTTP/1.1\r\nSID: uuid:1\r\n\r\n"),
            invalid_sid);
  EXPECT_EQ(reply_to("UNSUBSCRIBE /other HTTP/1.1\r\n\r\n"), invalid_sid);
}

TEST_F(DispatchTest, DescriptionWithoutAnyInterfaceStillHasAFixedUdn) {
  device->local_address_text.reset();
  device->form_identity();
  EXPECT_EQ(device->udn, "uuid:f6edff09-71a4-47df-8088-0.0.0.0");
  EXPECT_EQ(device->udn_proper(), "f6edff09-71a4-47df-8088-0.0.0.0");
}

}  // namespace
}  // namespace presence
