// Fuzz target: HTTP requests and SSDP datagrams as they arrive from the network.
#include <cstdint>
#include <string_view>

#include "http_message.h"
#include "ssdp.h"
#include "text_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto msg = presence::parse_http_message(bytes);
  if (!msg) return 0;
  for (const auto& field : msg->headers)
    if (presence::name_starts_with(field.name, "content-length"))
      (void)presence::parse_leading_count(field.value);
  if (const auto search = presence::parse_msearch(*msg))
    (void)presence::kinds_for_search_target(search->target,
                                            "uuid:f6edff09-71a4-47df-8088-10.0.0.1");
  return 0;
}
