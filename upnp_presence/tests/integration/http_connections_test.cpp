// How the daemon reads requests: pieces, bodies, time limits and its five slots.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "expected_texts.h"
#include "presence_fixture.h"

namespace presence::integration {
namespace {

using namespace std::chrono_literals;
using HttpConnections = PresenceTest;

constexpr milliseconds kReplyLimit = 5s;
// Long enough for the daemon to have answered if it was going to.
constexpr milliseconds kQuietPeriod = 400ms;

const std::string kGetRoot = "GET / HTTP/1.0\r\nHost: 192.168.1.20\r\n\r\n";

TEST_F(HttpConnections, RequestArrivingInPiecesIsAnsweredOnceComplete) {
  start_daemon();
  HttpConnection connection = connect();
  for (const char* piece : {"GE", "T / HTTP/1.0\r", "\nHost: 192.168", ".1.20\r\n", "\r"}) {
    ASSERT_TRUE(connection.send(piece));
    const ReadResult early = connection.read_until_closed(kQuietPeriod);
    ASSERT_EQ(early.data, "") << "answered before the blank line, after " << piece;
    ASSERT_FALSE(early.closed) << "closed before the blank line, after " << piece;
  }
  ASSERT_TRUE(connection.send("\n"));
  const ReadResult reply = connection.read_until_closed(kReplyLimit);
  EXPECT_TRUE(reply.closed);
  EXPECT_EQ(reply.data,
            description_reply(default_friendly_name(), udn_proper(8088, kDaemonAddress)));
}

TEST_F(HttpConnections, BodyInTheSamePacketIsDispatchedAtOnce) {
  start_daemon();
  const ReadResult reply =
      exchange("POST /MediaService/control HTTP/1.0\r\nContent-Length: 5\r\n\r\nhello");
  EXPECT_EQ(reply.data, not_found_reply());
  EXPECT_TRUE(reply.closed);
}

TEST_F(HttpConnections, BodyInLaterPacketsIsAwaitedToItsLastByte) {
  start_daemon();
  HttpConnection connection = connect();
  // Upper-case name and a padded value must still announce the body.
  ASSERT_TRUE(
      connection.send("POST /MediaService/control HTTP/1.0\r\nCONTENT-LENGTH:    5\r\n\r\n"));
  for (const char* piece : {"hel", "l"}) {
    const ReadResult early = connection.read_until_closed(kQuietPeriod);
    ASSERT_EQ(early.data, "") << "answered before the whole body arrived";
    ASSERT_FALSE(early.closed);
    ASSERT_TRUE(connection.send(piece));
  }
  const ReadResult early = connection.read_until_closed(kQuietPeriod);
  ASSERT_EQ(early.data, "") << "answered one byte short of the body";
  ASSERT_TRUE(connection.send("o"));
  const ReadResult reply = connection.read_until_closed(kReplyLimit);
  EXPECT_EQ(reply.data, not_found_reply());
  EXPECT_TRUE(reply.closed);
}

TEST_F(HttpConnections, OnlyTheFirstRequestOfAConnectionIsAnswered) {
  start_daemon();
  const ReadResult reply = exchange("GET /ztile.png HTTP/1.0\r\n\r\n" + kGetRoot);
  EXPECT_EQ(reply.data, not_found_reply());
  EXPECT_TRUE(reply.closed);
}

TEST_F(HttpConnections, ClientWithoutACompleteHeaderIsClosedAfterThreeSeconds) {
  start_daemon();
  const auto start = std::chrono::steady_clock::now();
  HttpConnection silent = connect();
  HttpConnection partial = connect();
  ASSERT_TRUE(partial.send("GET / HTTP/1.0\r\nHost: 192.168.1.20\r\n"));
  for (HttpConnection* connection : {&silent, &partial}) {
    const ReadResult result = connection->read_until_closed(10s);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(result.closed);
    EXPECT_EQ(result.data, "") << "no reply is due to an incomplete request";
    EXPECT_GE(elapsed, 2500ms);
    EXPECT_LE(elapsed, 6000ms);
  }
}

TEST_F(HttpConnections, AnnouncedBodyThatNeverComesIsClosedAfterTenSeconds) {
  start_daemon();
  const auto start = std::chrono::steady_clock::now();
  HttpConnection connection = connect();
  ASSERT_TRUE(
      connection.send("POST /MediaService/control HTTP/1.0\r\nContent-Length: 5\r\n\r\nab"));
  const ReadResult result = connection.read_until_closed(16s);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(result.closed);
  EXPECT_EQ(result.data, "");
  // The header arrived, so the three-second limit must not have closed it.
  EXPECT_GE(elapsed, 8000ms);
  EXPECT_LE(elapsed, 14000ms);
}

TEST_F(HttpConnections, OverlongHeaderEndsTheConnectionWithoutReply) {
  start_daemon();
  HttpConnection connection = connect();
  ASSERT_TRUE(connection.send("GET /" + std::string(2100, 'a')));
  const ReadResult result = connection.read_until_closed(10s);
  EXPECT_TRUE(result.closed);
  EXPECT_EQ(result.data, "");
  EXPECT_LT(result.elapsed, 2500ms) << "a full buffer must end the connection at once";
}

TEST_F(HttpConnections, SixthClientIsServedWhenASlotFrees) {
  start_daemon();
  std::vector<HttpConnection> first_five;
  first_five.reserve(5);
  for (int i = 0; i < 5; ++i) first_five.push_back(connect());
  // Let the daemon take the five into its slots before the sixth arrives.
  std::this_thread::sleep_for(200ms);
  HttpConnection sixth = connect();  // completes in the kernel's backlog
  ASSERT_TRUE(sixth.send(kGetRoot));
  const ReadResult waiting = sixth.read_until_closed(1s);
  EXPECT_EQ(waiting.data, "") << "the sixth client was served while five slots were busy";
  EXPECT_FALSE(waiting.closed);

  // Freeing one slot lets the sixth in, well before the others time out.
  EXPECT_EQ(first_five[0].exchange("GET /ztile.png HTTP/1.0\r\n\r\n").data, not_found_reply());
  const ReadResult served = sixth.read_until_closed(1200ms);
  EXPECT_TRUE(served.closed);
  EXPECT_EQ(served.data,
            description_reply(default_friendly_name(), udn_proper(8088, kDaemonAddress)));

  // The other four held real slots all along.
  for (size_t i = 1; i < first_five.size(); ++i)
    EXPECT_EQ(first_five[i].exchange("HEAD / HTTP/1.0\r\n\r\n").data, head_reply())
        << "client " << i + 1;
}

}  // namespace
}  // namespace presence::integration
