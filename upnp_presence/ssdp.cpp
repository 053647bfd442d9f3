// SSDP: answers to searches, and the alive and byebye announcements.
#include "ssdp.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "documents.h"
#include "text_split.h"

namespace presence {

namespace {

constexpr std::string_view kDeviceType = "urn:schemas-upnp-org:device:QuorvelZentraLite:1";
constexpr std::string_view kServiceType = "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1";
constexpr std::string_view kDeviceTypePrefix = "urn:schemas-upnp-org:device:QuorvelZentraLite:";
constexpr std::string_view kServiceTypePrefix =
    "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:";

std::string_view usn_suffix(AdvertKind kind) {
  switch (kind) {
    case AdvertKind::RootDevice: return "::upnp:rootdevice";
    case AdvertKind::DeviceUdn: return "";
    case AdvertKind::DeviceType: return "::urn:schemas-upnp-org:device:QuorvelZentraLite:1";
    case AdvertKind::ServiceType:
      return "::urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1";
  }
  return "";
}

// The NT (or ST) value of a kind.
std::string notification_type(const DeviceState& device, AdvertKind kind) {
  switch (kind) {
    case AdvertKind::RootDevice: return "upnp:rootdevice";
    case AdvertKind::DeviceUdn: return device.udn;
    case AdvertKind::DeviceType: return std::string(kDeviceType);
    case AdvertKind::ServiceType: return std::string(kServiceType);
  }
  return "";
}

std::string usn(const DeviceState& device, AdvertKind kind) {
  return "uuid:" + std::string(device.udn_proper()) + std::string(usn_suffix(kind));
}

std::string location(const DeviceState& device, uint32_t address) {
  return "http://" + address_text(address) + ":" + std::to_string(device.http_port) + "/";
}

// Version number after a type prefix, read as atoi would but without overflow.
long version_after(std::string_view rest) {
  const std::string copy(rest);
  return std::strtol(copy.c_str(), nullptr, 10);
}

bool has_control_characters(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

sockaddr_in ipv4_address(uint32_t address, uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = address;
  return addr;
}

sockaddr_in group_address() {
  sockaddr_in addr = ipv4_address(0, kSsdpPort);
  inet_pton(AF_INET, kSsdpGroup, &addr.sin_addr);
  return addr;
}

bool send_to(int fd, const std::string& message, const sockaddr_in& to) {
  // Never wait for a stalled interface queue: a message that cannot go now
  // counts as a failed send.
  return sendto(fd, message.data(), message.size(), MSG_DONTWAIT,
                reinterpret_cast<const sockaddr*>(&to),
                sizeof to) == static_cast<ssize_t>(message.size());
}

bool select_multicast_interface(int fd, uint32_t address) {
  in_addr iface{address};
  return fd >= 0 && setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &iface, sizeof iface) == 0;
}

// A send socket for one interface; false when it could not be prepared (the
// interface is then skipped). joined tells whether the group membership on the
// receive socket was taken.
UniqueFd prepare_send_socket(DeviceState& device, uint32_t address, bool& joined) {
  joined = false;
  UniqueFd sock(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!sock) return sock;
  const int one = 1;
  if (setsockopt(sock.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) return UniqueFd();
  const unsigned char ttl = 4;
  setsockopt(sock.get(), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
  const sockaddr_in local = ipv4_address(address, kSsdpPort);
  if (bind(sock.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    return UniqueFd();
  ip_mreq membership{};
  membership.imr_multiaddr = group_address().sin_addr;
  membership.imr_interface.s_addr = address;
  joined = setsockopt(device.ssdp_receive_socket.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership,
                      sizeof membership) == 0;
  return sock;
}

void reopen_send_sockets(DeviceState& device) {
  device.ssdp_send_sockets.clear();
  device.interface_addresses = get_interface_addresses();
  for (const uint32_t address : device.interface_addresses) {
    bool joined = false;  // already a member after a change; that is fine
    device.ssdp_send_sockets.push_back(prepare_send_socket(device, address, joined));
  }
}

// Calls send(fd, address) for each interface whose send socket can be
// pointed at it; an interface that fails (it may just have gone) is skipped.
template <class Send>
void for_each_announcing_interface(const DeviceState& device, Send send) {
  for (size_t i = 0; i < device.interface_addresses.size(); ++i) {
    const uint32_t address = device.interface_addresses[i];
    const int fd = device.ssdp_send_sockets[i].get();
    if (select_multicast_interface(fd, address)) send(fd, address);
  }
}

// Both sets: every kind, then every kind again, on each interface; a failed
// send ends that interface's set only.
void send_set(DeviceState& device, bool alive) {
  const sockaddr_in group = group_address();
  for_each_announcing_interface(device, [&](int fd, uint32_t address) {
    for (int round = 0; round < 2; ++round)
      for (const AdvertKind kind : kAllKinds) {
        const std::string message =
            alive ? format_alive(device, address, kind) : format_byebye(device, kind);
        if (!send_to(fd, message, group)) return;
      }
  });
}

void schedule_alive_kind(DeviceState& device, AdvertKind kind, uint32_t delay_ms) {
  // Nothing ever removes these entries; the device is their key.
  timer_add(device.timers, &device, delay_ms, [&device, kind] { send_alive_kind(device, kind); });
}

}  // namespace

std::optional<SearchRequest> parse_msearch(const HttpMessage& msg) {
  if (!msg.path.starts_with("*") || !msg.version.starts_with("1.1")) return std::nullopt;
  std::string target;
  bool man = false;
  std::optional<uint32_t> mx;
  for (const auto& field : msg.headers) {
    if (name_starts_with(field.name, "ST")) {
      target.assign(field.value);
    } else if (name_starts_with(field.name, "MAN")) {
      if (field.value.starts_with("\"ssdp:discover\"")) man = true;
    } else if (name_starts_with(field.name, "MX")) {
      // A value of spaces only is an empty MX, like no value at all.
      const bool blank = field.value.find_first_not_of(' ') == std::string_view::npos;
      if (auto value = parse_uint_text(blank ? std::string_view() : field.value))
        mx = std::min<uint32_t>(*value, 10);
    }
  }
  if (!man || !mx) return std::nullopt;
  return SearchRequest{std::move(target), *mx};
}

std::vector<AdvertKind> kinds_for_search_target(std::string_view target, std::string_view udn) {
  // A target that could break the answer's header lines is never echoed.
  if (has_control_characters(target)) return {};
  if (target == "upnp:rootdevice") return {AdvertKind::RootDevice};
  if (target == "ssdp:all") return {std::begin(kAllKinds), std::end(kAllKinds)};
  if (target == udn) return {AdvertKind::DeviceUdn};
  if (target.size() > 45 && target.starts_with(kDeviceTypePrefix) &&
      version_after(target.substr(kDeviceTypePrefix.size())) <= 1)
    return {AdvertKind::DeviceType};
  if (target.size() > 53 && target.starts_with(kServiceTypePrefix) &&
      version_after(target.substr(kServiceTypePrefix.size())) <= 1)
    return {AdvertKind::ServiceType};
  return {};
}

std::string format_search_answer(const DeviceState& device, uint32_t address, AdvertKind kind,
                                 std::string_view target) {
  return "HTTP/1.1 200 OK\r\nLOCATION: " + location(device, address) +
         "\r\nEXT:\r\nSERVER: " + std::string(kServer) + "\r\nUSN: " + usn(device, kind) +
         "\r\nCACHE-CONTROL: max-age=" + std::to_string(kMaxAge) +
         "\r\nST: " + std::string(target) + "\r\n\r\n";
}

std::string format_alive(const DeviceState& device, uint32_t address, AdvertKind kind) {
  return "NOTIFY * HTTP/1.1\r\nLOCATION: " + location(device, address) +
         "\r\nHOST: 239.255.255.250:1900\r\nSERVER: " + std::string(kServer) +
         "\r\nNTS: ssdp:alive\r\nUSN: " + usn(device, kind) +
         "\r\nCACHE-CONTROL: max-age=" + std::to_string(kMaxAge) +
         "\r\nNT: " + notification_type(device, kind) + "\r\n\r\n";
}

std::string format_byebye(const DeviceState& device, AdvertKind kind) {
  return "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNTS: ssdp:byebye\r\nUSN: " +
         usn(device, kind) + "\r\nNT: " + notification_type(device, kind) +
         "\r\nContent-Length: 0\r\n\r\n";
}

void open_ssdp_sockets(DeviceState& device) {
  device.ssdp_sender = ipv4_address(htonl(INADDR_ANY), kSsdpPort);
  device.interface_addresses = get_interface_addresses();

  device.ssdp_receive_socket.reset(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!device.ssdp_receive_socket || device.ssdp_receive_socket.get() >= FD_SETSIZE) std::exit(1);
  const int one = 1;
  const sockaddr_in any = ipv4_address(htonl(INADDR_ANY), kSsdpPort);
  if (setsockopt(device.ssdp_receive_socket.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) !=
          0 ||
      bind(device.ssdp_receive_socket.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any) !=
          0)
    std::exit(1);

  for (const uint32_t address : device.interface_addresses) {
    bool joined = false;
    device.ssdp_send_sockets.push_back(prepare_send_socket(device, address, joined));
    if (joined) device.local_address_text = address_text(address);
  }
}

void ssdp_pre_select(DeviceState& device, fd_set& read) {
  if (!device.started) {
    device.started = true;
    send_byebye_set(device);
    for (const AdvertKind kind : kAllKinds)
      schedule_alive_kind(device, kind, static_cast<uint32_t>((std::rand() & 0xffff) % 500));
  }
  if (device.interfaces_changed_flag) {
    device.interfaces_changed_flag = false;
    reopen_send_sockets(device);
    send_alive_set(device);
  }
  FD_SET(device.ssdp_receive_socket.get(), &read);
}

void ssdp_post_select(DeviceState& device, const fd_set& read) {
  if (!FD_ISSET(device.ssdp_receive_socket.get(), &read)) return;
  socklen_t len = sizeof device.ssdp_sender;
  const ssize_t n = recvfrom(device.ssdp_receive_socket.get(), device.ssdp_buffer.data(), 4096, 0,
                             reinterpret_cast<sockaddr*>(&device.ssdp_sender), &len);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    std::exit(1);
  }
  auto msg =
      parse_http_message(std::string_view(device.ssdp_buffer.data(), static_cast<size_t>(n)));
  if (!msg || !msg->is_request() || !msg->method.starts_with("M-SEARCH")) return;
  msg->source = &device.ssdp_sender;
  handle_msearch(device, *msg);
}

void handle_msearch(DeviceState& device, const HttpMessage& msg) {
  auto search = parse_msearch(msg);
  if (!search || !msg.source || device.pending_search_replies >= kMaxPendingSearches) return;
  // MX 0 leaves no room for a random delay: answer at once.
  const uint32_t delay_s =
      search->delay_bound_s == 0 ? 0 : (std::rand() & 0xffff) % search->delay_bound_s;
  auto reply = std::make_shared<PendingSearchReply>(
      PendingSearchReply{std::move(search->target), &device, *msg.source});
  ++device.pending_search_replies;
  timer_add(
      device.timers, reply.get(), delay_s * 1000,
      [reply] {
        --reply->device->pending_search_replies;
        send_search_replies(*reply);
      },
      [reply] { --reply->device->pending_search_replies; });
}

void send_search_replies(const PendingSearchReply& reply) {
  const DeviceState& device = *reply.device;
  const std::vector<AdvertKind> kinds = kinds_for_search_target(reply.target, device.udn);
  if (kinds.empty()) return;
  for (const uint32_t address : device.interface_addresses) {
    UniqueFd sock(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!sock) continue;  // out of descriptors for a moment: skip, do not die
    const sockaddr_in local = ipv4_address(address, 0);
    // Unbound, the answer still leaves by the routing table.
    (void)bind(sock.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local);
    for (const AdvertKind kind : kinds) {
      const std::string st =
          reply.target == "ssdp:all" ? notification_type(device, kind) : reply.target;
      send_to(sock.get(), format_search_answer(device, address, kind, st), reply.requester);
    }
  }
}

void send_alive_set(DeviceState& device) {
  send_set(device, true);
}

void send_byebye_set(DeviceState& device) {
  send_set(device, false);
}

void send_alive_kind(DeviceState& device, AdvertKind kind) {
  const sockaddr_in group = group_address();
  for_each_announcing_interface(device, [&](int fd, uint32_t address) {
    const std::string message = format_alive(device, address, kind);
    send_to(fd, message, group);
    send_to(fd, message, group);
  });
  const int cycle = device.settings.advert_cycle_s;
  const int spread = std::max(cycle / 2 - cycle / 4, 1);
  const int delay_s = cycle / 4 + (std::rand() & 0xffff) % spread;
  schedule_alive_kind(device, kind, static_cast<uint32_t>(delay_s) * 1000);
}

}  // namespace presence
