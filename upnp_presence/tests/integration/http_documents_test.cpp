// The device's HTTP answers: the two documents, the redirect, the refusals.
#include <string>

#include "expected_texts.h"
#include "presence_fixture.h"

namespace presence::integration {
namespace {

using HttpDocuments = PresenceTest;
using HttpRefusals = PresenceTest;

std::string get(std::string_view path) {
  return "GET " + std::string(path) + " HTTP/1.0\r\nHost: 192.168.1.20\r\n\r\n";
}

TEST_F(HttpDocuments, RootDescriptionNamesTheDeviceAndEndsTheConnection) {
  start_daemon();
  const ReadResult reply = exchange(get("/"));
  EXPECT_TRUE(reply.closed) << "the connection must close after the description";
  EXPECT_EQ(reply.data,
            description_reply(default_friendly_name(), udn_proper(8088, kDaemonAddress)));
}

TEST_F(HttpDocuments, NameAndPortOptionsShapeTheDescription) {
  start_daemon({"--name", "Living Room & <NAS>", "--port", "9000"});
  const ReadResult reply = exchange(get("/"));
  EXPECT_TRUE(reply.closed);
  // The name must not break the XML.
  EXPECT_EQ(reply.data,
            description_reply("Living Room &amp; &lt;NAS&gt;", udn_proper(9000, kDaemonAddress)));
}

TEST_F(HttpDocuments, WithoutAUsableInterfaceTheIdentityUsesPlaceholders) {
  lan().daemon_side().ip({"address", "flush", "dev", kDaemonInterface});
  const uint16_t port = start_daemon({"--port", "9000"}, ReadyWhen::ListeningForHttp).http_port();
  // Only the daemon's own loopback reaches it now.
  const NamespaceEntry beside_the_daemon(lan().daemon_side());
  const std::string loopback = "127.0.0.1";
  EXPECT_EQ(http_exchange(loopback, port, get("/")).data,
            description_reply(default_friendly_name(), udn_proper(9000, "0.0.0.0")));
  // The redirect names the address the browser reached.
  EXPECT_EQ(http_exchange(loopback, port, get("/web")).data, redirect_reply(loopback, 9000));
}

TEST_F(HttpDocuments, HeadAndServiceDocument) {
  start_daemon();
  EXPECT_EQ(exchange("HEAD / HTTP/1.0\r\n\r\n").data, head_reply());
  EXPECT_EQ(exchange("HEAD /MediaService/scpd.xml HTTP/1.0\r\n\r\n").data, head_reply());
  EXPECT_EQ(exchange("HEAD /ztile.png HTTP/1.0\r\n\r\n").data, not_found_reply());

  const ReadResult service = exchange(get("/MediaService/scpd.xml"));
  EXPECT_TRUE(service.closed);
  const std::string headers = service_reply_headers();
  ASSERT_EQ(service.data.substr(0, headers.size()), headers);
  const std::string body = service.data.substr(headers.size());
  EXPECT_EQ(body.size(), 186u);
  EXPECT_EQ(body, service_reply_body());
}

TEST_F(HttpDocuments, OtherPathsAreNotFound) {
  start_daemon();
  for (const char* path : {"/ztile.png", "/WEB", "/we", "/index.html", "/MediaService/control",
                           "/MediaService/scpd.xmlx"}) {
    const ReadResult reply = exchange(get(path));
    EXPECT_EQ(reply.data, not_found_reply()) << path;
    EXPECT_TRUE(reply.closed) << path;
  }
}

TEST_F(HttpDocuments, WebPathsRedirectToTheAdministrationPort) {
  start_daemon({"--port", "9000"});
  const std::string redirect = redirect_reply(kDaemonAddress, 9000);
  for (const char* path : {"/web", "/web/", "/webadmin"})
    EXPECT_EQ(exchange(get(path)).data, redirect) << path;
  // Whatever the method.
  EXPECT_EQ(exchange("HEAD /web HTTP/1.0\r\n\r\n").data, redirect);
  EXPECT_EQ(exchange("POST /web/login HTTP/1.0\r\nContent-Length: 0\r\n\r\n").data, redirect);
}

TEST_F(HttpRefusals, ControlAndEventingRequests) {
  start_daemon();
  EXPECT_EQ(exchange("POST /MediaService/control HTTP/1.0\r\n"
                     "SOAPACTION: \"urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1#"
                     "GetTotalBytesSent\"\r\nContent-Length: 2\r\n\r\n<>")
                .data,
            not_found_reply());
  EXPECT_EQ(exchange("POST /upload HTTP/1.0\r\nContent-Length: 0\r\n\r\n").data, not_found_reply());

  EXPECT_EQ(exchange("SUBSCRIBE /MediaService/event HTTP/1.1\r\n"
                     "Callback: <http://192.168.1.10:4000/>\r\nNT: upnp:event\r\n"
                     "Timeout: Second-1800\r\n\r\n")
                .data,
            kSubscribeRefused);
  EXPECT_EQ(exchange("SUBSCRIBE /MediaService/event HTTP/1.1\r\nSID: uuid:1234\r\n"
                     "Timeout: Second-1800\r\n\r\n")
                .data,
            kRenewalRefused);
  // Header names match ignoring case.
  EXPECT_EQ(exchange("SUBSCRIBE /MediaService/event HTTP/1.1\r\nsid: uuid:1234\r\n\r\n").data,
            kRenewalRefused);

  EXPECT_EQ(exchange("UNSUBSCRIBE /MediaService/event HTTP/1.1\r\nSID: uuid:1234\r\n\r\n").data,
            kUnsubscribeRefused);
  EXPECT_EQ(exchange("UNSUBSCRIBE /elsewhere HTTP/1.1\r\nSID: uuid:1234\r\n\r\n").data,
            kUnsubscribeRefused);
}

TEST_F(HttpRefusals, UnknownMethodsAndUnparsableRequestsAreBadRequests) {
  start_daemon();
  for (const char* request : {
           "OPTIONS / HTTP/1.0\r\n\r\n",
           "get / HTTP/1.0\r\n\r\n",                   // methods are case-sensitive
           "GET / HTTP/1.0\r\nNo colon here\r\n\r\n",  // a header line without ":"
           "GARBAGE\r\n\r\n",                          // a request line of one word
           "GET / HTTP/1.0\r\nContent-Length: -1\r\n\r\n",
           "GET / HTTP/1.0\r\nContent-Length: many\r\n\r\n",
       }) {
    const ReadResult reply = exchange(request);
    EXPECT_EQ(reply.data, bad_request_reply()) << request;
    EXPECT_TRUE(reply.closed) << request;
  }
}

}  // namespace
}  // namespace presence::integration
