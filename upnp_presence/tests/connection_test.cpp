// Reading requests on a connection: pieces, bodies, limits, bad input.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>

#include "device_fixture.h"

namespace presence {
namespace {

constexpr std::string_view k400 =
    "HTTP/1.0 400 Bad Request\r\nServer: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
    "Content-Length: 0\r\n\r\n";
constexpr std::string_view k404 =
    "HTTP/1.0 404 File Not Found\r\nServer: POSIX, UPnP/1.0, Orvane Tessel/1.0.1545\r\n"
    "Content-Length: 0\r\n\r\n";

class ConnectionTest : public testing::DeviceTest {
 protected:
  ConnectionSlot& slot = device->slots[2];
  int peer = connect_slot(slot);

  void feed(std::string_view text) {
    send_text(peer, text);
    read_connection(slot);
  }
  void fire_timers() {
    fd_set r, w, e;
    int32_t wait = kLongestWaitMs;
    timers.pre_select(r, w, e, wait);
  }
};

TEST_F(ConnectionTest, HeaderInPiecesIsParsedOnceTheBlankLineArrives) {
  feed("GE");
  feed("T / HTTP/1.0\r\n");
  feed("Host: x\r\n\r");
  EXPECT_TRUE(slot.busy());
  EXPECT_EQ(read_all(peer), "");
  feed("\n");
  EXPECT_FALSE(slot.busy());
  EXPECT_EQ(read_all(peer), device->description_document);
}

TEST_F(ConnectionTest, BodyInTheSamePacketIsDispatchedAtOnce) {
  feed("POST /MediaService/control HTTP/1.0\r\nCONTENT-LENGTH:   5\r\n\r\nhelloEXTRA");
  EXPECT_FALSE(slot.busy());
  EXPECT_EQ(read_all(peer), k404);
}

TEST_F(ConnectionTest, BodyInLaterPacketsIsDispatchedWithItsLastByte) {
  feed("POST /MediaService/control HTTP/1.0\r\nContent-Length: 5\r\n\r\nhe");
  EXPECT_TRUE(slot.busy());
  feed("ll");
  EXPECT_TRUE(slot.busy());
  feed("o");
  EXPECT_FALSE(slot.busy());
  ASSERT_TRUE(slot.request);
  EXPECT_EQ(slot.request->body, "hello");
  EXPECT_EQ(read_all(peer), k404);
}

TEST_F(ConnectionTest, UnusableContentLengthIsABadRequest) {
  for (const char* value : {"-1", "abc", "", "99999999999", "1000000"}) {
    SCOPED_TRACE(value);
    ConnectionSlot& s = device->slots[1];
    const int p = connect_slot(s);
    send_text(p, std::string("POST / HTTP/1.0\r\nContent-Length: ") + value + "\r\n\r\n");
    read_connection(s);
    EXPECT_FALSE(s.busy());
    EXPECT_EQ(read_all(p), k400);
  }
}

TEST_F(ConnectionTest, MalformedRequestIsABadRequest) {
  feed("GET\r\n\r\n");
  EXPECT_FALSE(slot.busy());
  EXPECT_EQ(read_all(peer), k400);

  ConnectionSlot& other = device->slots[3];
  const int p = connect_slot(other);
  send_text(p, "GET / HTTP/1.0\r\nthis line has no colon\r\n\r\n");
  read_connection(other);
  EXPECT_FALSE(other.busy());
  EXPECT_EQ(read_all(p), k400);
}

TEST_F(ConnectionTest, FullHeaderBufferWithoutBlankLineEndsTheConnection) {
  feed("GET / HTTP/1.0\r\nX: " + std::string(kHeaderBufferSize, 'a'));
  EXPECT_FALSE(slot.busy());
  EXPECT_EQ(read_all(peer), "") << "no reply";
}

TEST_F(ConnectionTest, PeerClosingFreesTheSlot) {
  feed("GET / HT");
  shutdown(peer, SHUT_WR);
  read_connection(slot);
  EXPECT_FALSE(slot.busy());
}

TEST_F(ConnectionTest, ABodyThatNeverComesIsCutTenSecondsAfterAccept) {
  testing::device_clock_now = 2000;
  feed("POST / HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc");
  EXPECT_TRUE(slot.busy());
  EXPECT_EQ(timers.pending(), 1u);
  testing::device_clock_now = kRequestLimitMs - 1;
  fire_timers();
  EXPECT_TRUE(slot.busy());
  testing::device_clock_now = kRequestLimitMs;
  fire_timers();
  EXPECT_FALSE(slot.busy());
  EXPECT_EQ(read_all(peer), "");
}

TEST_F(ConnectionTest, ClosingRemovesTheSlotsTimer) {
  feed("POST / HTTP/1.0\r\nContent-Length: 10\r\n\r\n");
  EXPECT_EQ(timers.pending(), 1u);
  close_connection(slot);
  EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(ConnectionTest, OutOfDescriptorsPausesAcceptingInsteadOfSpinning) {
  device->listening_socket.reset(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(device->listening_socket.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr),
            0);
  socklen_t len = sizeof addr;
  getsockname(device->listening_socket.get(), reinterpret_cast<sockaddr*>(&addr), &len);
  listen(device->listening_socket.get(), 5);
  UniqueFd client(socket(AF_INET, SOCK_STREAM, 0));
  ASSERT_EQ(connect(client.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

  fd_set read, except;
  FD_ZERO(&read);
  FD_ZERO(&except);
  FD_SET(device->listening_socket.get(), &read);
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  rlimit none = saved;
  const int lowest_free = dup(0);  // the next descriptor accept would take
  close(lowest_free);
  none.rlim_cur = static_cast<rlim_t>(lowest_free);
  setrlimit(RLIMIT_NOFILE, &none);
  connections_post_select(*device, read, except);
  setrlimit(RLIMIT_NOFILE, &saved);

  EXPECT_TRUE(device->accept_paused);
  FD_ZERO(&read);
  int32_t wait = kLongestWaitMs;
  connections_pre_select(*device, read, except, wait);
  EXPECT_FALSE(FD_ISSET(device->listening_socket.get(), &read));
  testing::device_clock_now = kAcceptPauseMs;
  fire_timers();
  EXPECT_FALSE(device->accept_paused);
  connections_pre_select(*device, read, except, wait);
  EXPECT_TRUE(FD_ISSET(device->listening_socket.get(), &read));
}

}  // namespace
}  // namespace presence
