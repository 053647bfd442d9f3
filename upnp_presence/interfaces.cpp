// The IPv4 addresses of the usable network interfaces.
#include "interfaces.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>

#include "unique_fd.h"

namespace presence {

InterfaceAddressList get_interface_addresses() {
  UniqueFd sock(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
  if (!sock) std::exit(1);

  ifreq records[16];
  std::memset(records, 0, sizeof records);
  ifconf conf{};
  conf.ifc_len = sizeof records;
  conf.ifc_req = records;
  if (ioctl(sock.get(), SIOCGIFCONF, &conf) < 0) std::exit(1);

  InterfaceAddressList list;
  const size_t count = static_cast<size_t>(conf.ifc_len) / sizeof(ifreq);
  for (size_t i = 0; i < count; ++i) {
    ifreq flags = records[i];
    // An interface can vanish between the two requests; skip it rather than
    // give up on the others.
    if (ioctl(sock.get(), SIOCGIFFLAGS, &flags) < 0) continue;
    if (!(flags.ifr_flags & IFF_UP) || (flags.ifr_flags & IFF_LOOPBACK)) continue;
    if (records[i].ifr_addr.sa_family != AF_INET) continue;
    sockaddr_in addr;
    std::memcpy(&addr, &records[i].ifr_addr, sizeof addr);
    if (addr.sin_addr.s_addr == htonl(INADDR_LOOPBACK)) continue;
    list.push_back(addr.sin_addr.s_addr);
  }
  return list;
}

std::string address_text(uint32_t address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr in{address};
  inet_ntop(AF_INET, &in, text, sizeof text);
  return text;
}

}  // namespace presence
