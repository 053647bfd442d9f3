// TCP connections to the daemon's HTTP port.
#include "http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace presence::integration {

namespace {

constexpr milliseconds kExchangeLimit(5000);

}  // namespace

HttpConnection::HttpConnection(const std::string& address, uint16_t port)
    : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  if (!socket_) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  timeval limit{5, 0};
  setsockopt(socket_.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  if (connect(socket_.get(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
    throw std::runtime_error("connect to " + address + ":" + std::to_string(port) + ": " +
                             std::strerror(errno));
}

bool HttpConnection::send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

ReadResult HttpConnection::read_until_closed(milliseconds timeout) {
  ReadResult result;
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + timeout;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{socket_.get(), POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    const ssize_t n = recv(socket_.get(), buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // end of stream, or reset: either way the daemon closed it
      result.closed = true;
      break;
    }
    result.data.append(buffer, static_cast<size_t>(n));
  }
  result.elapsed =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
  return result;
}

ReadResult HttpConnection::exchange(std::string_view request) {
  if (!send(request)) throw std::runtime_error("the request could not be sent");
  return read_until_closed(kExchangeLimit);
}

ReadResult http_exchange(const std::string& address, uint16_t port, std::string_view request) {
  return HttpConnection(address, port).exchange(request);
}

}  // namespace presence::integration
