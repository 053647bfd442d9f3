// Fuzz target: arbitrary resolver file text through the name-server
// reader, then its list through the comma list and arbitrary address and
// mask texts through the subnet arithmetic.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "network/dhcp_server.h"
#include "network/resolver.h"

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string list = nexa::resolver_dns_list(text, 256);
  check(list.size() < 256);
  check(list.empty() || (list.front() == '&' && list.back() == '&'));
  const std::string servers = nexa::dns_comma_list(list, nexa::kDnsServersRoom);
  check(servers.size() < nexa::kDnsServersRoom);
  check(nexa::dns_comma_list(text, nexa::kDnsServersRoom).size() < nexa::kDnsServersRoom);
  const size_t cut = text.find('\n');
  const std::string_view address = text.substr(0, cut);
  const std::string_view mask = cut == std::string_view::npos ? "" : text.substr(cut + 1);
  if (const auto found = nexa::broadcast_and_subnet(address, mask))
    check(found->broadcast.size() < nexa::kAddressRoom &&
          found->subnet.size() < nexa::kAddressRoom);
  if (const auto moved = nexa::moved_bound(address, mask))
    check(moved->size() < nexa::kAddressRoom);
  return 0;
}
