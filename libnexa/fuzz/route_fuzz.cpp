// Fuzz target: arbitrary route files through the scan-format builder and
// the route reader.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "network/routes.h"

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> format =
      nexa::scan_format("fuzz", text.substr(0, text.find('\n')), true,
                        {{"Iface", "%16s"}, {"Gateway", "%128s"}, {"Flags", "%X"}});
  check(format && format->size() <= size_t{4} * 512);
  if (const std::optional<std::string> gateway = nexa::gateway_in_route_table(text)) {
    in_addr address{};
    check(inet_aton(gateway->c_str(), &address) != 0);
  }
  return 0;
}
