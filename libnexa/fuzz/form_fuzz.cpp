// Fuzz target: CGI form bodies and queries as browsers (or anyone) send them.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/string_lists.h"
#include "web/cgi_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  for (const bool decode : {true, false})
    nexa::to_form_table(nexa::parse_form(body, decode));  // owned, freed at once
  std::string text(body);
  nexa::unescape_url(text.data());
  return 0;
}
