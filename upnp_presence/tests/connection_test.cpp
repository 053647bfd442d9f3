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
  // A new connection on the slot, with nothing left of the one before.
  void reconnect() {
    close_connection(slot);
    slot = ConnectionSlot{};
    slot.device = device.get();
    peer = connect_slot(slot);
  }
};

// A request arriving in pieces: nothing happens until its last byte (the
// blank line, or the last byte of the body), then it is answered at once.
TEST_F(ConnectionTest, RequestIsDispatchedWithItsLastByte) {
  const std::string get = device->description_document;
  const std::string post = "POST /MediaService/control HTTP/1.0\r\n";
  const struct {
    std::string_view why, body, reply;
    std::vector<std::string> pieces;
  } rows[] = {
      {"header in pieces", "", get, {"GE", "T / HTTP/1.0\r\n", "Host: x\r\n\r", "\n"}},
      {"body in one packet", "hello", k404, {post + "CONTENT-LENGTH:   5\r\n\r\nhelloEXTRA"}},
      {"body in later packets", "hello", k404, {post + "Content-Length: 5\r\n\r\nhe", "ll", "o"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    reconnect();
    for (size_t i = 0; i + 1 < row.pieces.size(); ++i) {
      feed(row.pieces[i]);
      EXPECT_TRUE(slot.busy()) << "after piece " << i;
      EXPECT_EQ(read_all(peer), "") << "after piece " << i;
    }
    feed(row.pieces.back());
    EXPECT_FALSE(slot.busy());
    ASSERT_TRUE(slot.request);
    EXPECT_EQ(slot.request->body, row.body);
    EXPECT_EQ(read_all(peer), row.reply);
  }
}

TEST_F(ConnectionTest, UnusableContentLengthOrMalformedHeaderIsABadRequest) {
  std::vector<std::string> requests = {"GET\r\n\r\n",
                                       "GET / HTTP/1.0\r\nthis line has no colon\r\n\r\n"};
  for (const char* length : {"-1", "abc", "", "99999999999", "1000000"})
    requests.push_back(std::string("POST / HTTP/1.0\r\nContent-Length: ") + length + "\r\n\r\n");
  for (const auto& request : requests) {
    SCOPED_TRACE(request);
    reconnect();
    feed(request);
    EXPECT_FALSE(slot.busy());
    EXPECT_EQ(read_all(peer), k400);
  }
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
