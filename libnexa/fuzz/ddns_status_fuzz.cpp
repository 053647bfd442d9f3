// Fuzz target: arbitrary client logs through the dynamic-DNS status
// parser, whose text must stay bounded and on one line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "network/dynamic_dns.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string status = "old . ";
  nexa::append_ddns_log_text(status, std::string_view(reinterpret_cast<const char*>(data), size));
  if (status.size() >= nexa::kDdnsStatusRoom || status.find('\n') != std::string::npos ||
      status.compare(0, 6, "old . ") != 0)
    abort();
  return 0;
}
