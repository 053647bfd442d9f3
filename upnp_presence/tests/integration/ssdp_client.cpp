// UDP sockets for watching and questioning the daemon over SSDP.
#include "ssdp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "private_lan.h"

namespace presence::integration {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

in_addr ipv4(const std::string& text) {
  in_addr addr{};
  if (inet_pton(AF_INET, text.c_str(), &addr) != 1) throw std::runtime_error("bad address " + text);
  return addr;
}

sockaddr_in endpoint(const std::string& address, uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr = ipv4(address);
  return addr;
}

UniqueFd udp_socket() {
  UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd) fail("socket");
  return fd;
}

// Receives datagrams until `count` are kept or the deadline passes.
template <typename Keep>
std::vector<Datagram> receive(int fd, Clock::time_point epoch, size_t count, milliseconds limit,
                              Keep keep) {
  std::vector<Datagram> kept;
  const auto deadline = Clock::now() + limit;
  while (kept.size() < count) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) fail("poll");
    if (ready == 0) break;
    char buffer[8192];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n =
        recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) fail("recvfrom");
    char source[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, source, sizeof source);
    Datagram datagram{std::string(buffer, static_cast<size_t>(n)), source,
                      std::chrono::duration_cast<milliseconds>(Clock::now() - epoch)};
    if (keep(datagram)) kept.push_back(std::move(datagram));
  }
  return kept;
}

}  // namespace

NotifyListener::NotifyListener(const std::vector<std::string>& interface_addresses)
    : socket_(udp_socket()), started_(Clock::now()) {
  const int one = 1;
  if (setsockopt(socket_.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0)
    fail("SO_REUSEADDR");
  const sockaddr_in any = endpoint("0.0.0.0", kSsdpPort);
  if (bind(socket_.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0)
    fail("bind 0.0.0.0:1900");
  for (const auto& address : interface_addresses) join(address);
}

void NotifyListener::join(const std::string& interface_address) {
  ip_mreq membership{};
  membership.imr_multiaddr = ipv4(kSsdpGroup);
  membership.imr_interface = ipv4(interface_address);
  if (setsockopt(socket_.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0)
    fail("joining the SSDP group on " + interface_address);
}

std::vector<Datagram> NotifyListener::collect(size_t count, milliseconds limit) {
  // Our own searches loop back to this socket too; only announcements count.
  return receive(socket_.get(), started_, count, limit,
                 [](const Datagram& d) { return d.text.rfind("NOTIFY ", 0) == 0; });
}

SearchClient::SearchClient() : socket_(udp_socket()), sent_(Clock::now()) {
  const sockaddr_in local = endpoint(kClientAddress, 0);
  if (bind(socket_.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    fail("bind the search socket");
  const in_addr iface = ipv4(kClientAddress);
  if (setsockopt(socket_.get(), IPPROTO_IP, IP_MULTICAST_IF, &iface, sizeof iface) != 0)
    fail("IP_MULTICAST_IF");
}

void SearchClient::send(std::string_view datagram) {
  const sockaddr_in group = endpoint(kSsdpGroup, kSsdpPort);
  sent_ = Clock::now();
  if (sendto(socket_.get(), datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr*>(&group),
             sizeof group) != static_cast<ssize_t>(datagram.size()))
    fail("sending the search");
}

std::vector<Datagram> SearchClient::collect(size_t count, milliseconds limit) {
  return receive(socket_.get(), sent_, count, limit, [](const Datagram&) { return true; });
}

std::string m_search(std::string_view search_target, std::string_view mx, std::string_view man) {
  return "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nMAN: " + std::string(man) +
         "\r\nMX: " + std::string(mx) + "\r\nST: " + std::string(search_target) + "\r\n\r\n";
}

}  // namespace presence::integration
