// HTTP connections: the listening socket, the five slots, reading requests.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>

#include "device.h"
#include "text_split.h"

namespace presence {

void open_listening_socket(DeviceState& device) {
  UniqueFd sock(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!sock) std::exit(1);
  uint16_t port = device.settings.http_port;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  for (int attempt = 0;; ++attempt) {
    if (device.settings.http_port == 0)
      port = static_cast<uint16_t>((std::rand() & 0xffff) % 15000 + 50000);
    addr.sin_port = htons(port);
    if (bind(sock.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
    // A fixed port, or 15000 ports all taken: nothing will change by waiting.
    if (device.settings.http_port != 0 || attempt > 100000) std::exit(1);
  }
  if (sock.get() >= FD_SETSIZE) std::exit(1);  // select could not watch it
  fcntl(sock.get(), F_SETFL, fcntl(sock.get(), F_GETFL) | O_NONBLOCK);
  if (listen(sock.get(), kConnectionSlots) != 0) std::exit(1);
  device.listening_socket = std::move(sock);
  device.http_port = port;
}

void close_connection(ConnectionSlot& slot) {
  if (!slot.busy()) return;
  slot.socket.reset();
  timer_remove(slot.device->timers, &slot);
}

void send_reply(ConnectionSlot& slot, std::string_view reply) {
  // Replies are small and the connection's send buffer is empty, so one
  // non-blocking send goes through; a peer that has gone must not raise
  // SIGPIPE. The close follows at once, so the reply is held back for it
  // and leaves in one packet with the connection's end.
  if (!reply.empty())
    send(slot.socket.get(), reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT | MSG_MORE);
  close_connection(slot);
}

namespace {

void accept_connection(DeviceState& device, ConnectionSlot& slot, int fd) {
  slot.socket.reset(fd);
  slot.body.clear();
  slot.body.shrink_to_fit();
  slot.request.reset();
  slot.expected_body_length = slot.header_received = slot.body_received = 0;
  slot.complete = false;
  slot.device = &device;
  slot.accepted_at = device.timers.now();
  timer_add(device.timers, &slot, kHeaderLimitMs, [&slot] { close_connection(slot); });
}

// Out of descriptors or memory: the connection stays queued and the listening
// socket readable; look again a little later instead of spinning on it.
void pause_accepting(DeviceState& device) {
  device.accept_paused = true;
  timer_add(device.timers, &device.accept_paused, kAcceptPauseMs,
            [&device] { device.accept_paused = false; });
}

// Fills the free slots from the listen queue; bit i of the result is set
// when slot i took a connection.
unsigned accept_connections(DeviceState& device) {
  unsigned accepted = 0;
  for (size_t i = 0; i < device.slots.size(); ++i) {
    ConnectionSlot& slot = device.slots[i];
    if (slot.busy()) continue;
    const int fd =
        accept4(device.listening_socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        pause_accepting(device);
      break;
    }
    if (fd >= FD_SETSIZE) {  // select could not watch it
      ::close(fd);
      break;
    }
    accept_connection(device, slot, fd);
    accepted |= 1U << i;
  }
  return accepted;
}

// Result of a recv on a connection: false when the connection has ended.
bool received(ConnectionSlot& slot, ssize_t n) {
  if (n > 0) return true;
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
  close_connection(slot);  // closed by the peer, or reset
  return false;
}

void complete_request(ConnectionSlot& slot, std::string_view body) {
  timer_remove(slot.device->timers, &slot);
  slot.request->body = body;
  slot.complete = true;
  dispatch_request(*slot.request, slot);
}

void read_header(ConnectionSlot& slot) {
  const ssize_t n = recv(slot.socket.get(), slot.header.data() + slot.header_received,
                         slot.header.size() - slot.header_received, 0);
  if (!received(slot, n) || n < 0) return;
  slot.header_received += static_cast<size_t>(n);
  if (slot.header_received <= 3) return;

  const std::string_view data(slot.header.data(), slot.header_received);
  const size_t blank = data.find("\r\n\r\n");
  if (blank == std::string_view::npos) {
    // A full buffer without a blank line will never become a request.
    if (slot.header_received == slot.header.size()) close_connection(slot);
    return;
  }
  const size_t header_end = blank + 4;
  slot.request = parse_http_message(data.substr(0, header_end));
  if (!slot.request) {
    send_status_reply(slot, 400, "Bad Request");
    return;
  }

  std::optional<uint32_t> body_length = 0;
  for (const auto& field : slot.request->headers) {
    if (name_starts_with(field.name, "content-length")) {
      body_length = parse_leading_count(field.value);
      break;
    }
  }
  if (!body_length || *body_length > kMaxBodyLength) {
    send_status_reply(slot, 400, "Bad Request");
    return;
  }

  const size_t available = slot.header_received - header_end;
  if (available >= *body_length) {
    complete_request(slot, data.substr(header_end, *body_length));
    return;
  }
  slot.body.assign(data.begin() + header_end, data.end());
  slot.body.resize(*body_length);
  slot.expected_body_length = *body_length;
  slot.body_received = available;
  // The header limit no longer applies; the whole request still has one.
  timer_remove(slot.device->timers, &slot);
  const uint32_t elapsed = slot.device->timers.now() - slot.accepted_at;
  const uint32_t left = elapsed < kRequestLimitMs ? kRequestLimitMs - elapsed : 0;
  timer_add(slot.device->timers, &slot, left, [&slot] { close_connection(slot); });
}

void read_body(ConnectionSlot& slot) {
  const ssize_t n = recv(slot.socket.get(), slot.body.data() + slot.body_received,
                         slot.expected_body_length - slot.body_received, 0);
  if (!received(slot, n) || n < 0) return;
  slot.body_received += static_cast<size_t>(n);
  if (slot.body_received == slot.expected_body_length)
    complete_request(slot, std::string_view(slot.body.data(), slot.body.size()));
}

}  // namespace

void read_connection(ConnectionSlot& slot) {
  if (slot.receiving_body())
    read_body(slot);
  else
    read_header(slot);
}

void connections_pre_select(DeviceState& device, fd_set& read, fd_set& except, int32_t& wait_ms) {
  bool any_free = false;
  for (auto& slot : device.slots) {
    if (!slot.busy()) {
      any_free = true;
    } else if (!slot.complete) {
      FD_SET(slot.socket.get(), &read);
      FD_SET(slot.socket.get(), &except);
    }
  }
  if (any_free && !device.accept_paused)
    FD_SET(device.listening_socket.get(), &read);
  else if (wait_ms > 1)
    wait_ms = 1;
}

void connections_post_select(DeviceState& device, const fd_set& read, const fd_set& except) {
  const unsigned accepted =
      FD_ISSET(device.listening_socket.get(), &read) ? accept_connections(device) : 0;
  for (size_t i = 0; i < device.slots.size(); ++i) {
    ConnectionSlot& slot = device.slots[i];
    if (!slot.busy()) continue;
    const int fd = slot.socket.get();
    // A client sends its request as soon as it is connected, so a connection
    // just accepted is read at once rather than after one more select; when
    // nothing has come yet the read finds nothing and select waits for it.
    const bool fresh = (accepted >> i) & 1U;
    if (fresh || FD_ISSET(fd, &read)) read_connection(slot);
    if (!fresh && slot.busy() && FD_ISSET(fd, &except)) {
      close_connection(slot);
      slot.body.clear();
    }
  }
}

}  // namespace presence
