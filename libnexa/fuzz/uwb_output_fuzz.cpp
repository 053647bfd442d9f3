// Fuzz target: what the UWB radio tools print, through the scan, attribute
// and state parsers.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "network/uwb_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    lines.emplace_back(text.substr(start, end - start));
    start = end;
  }
  for (const std::string& line : lines) {
    nexa::neighbor_address(line);
    for (const int fields : {4, 5, 7})
      for (int wanted = 1; wanted <= fields; ++wanted) nexa::attribute_field(line, fields, wanted);
  }
  nexa::device_state(lines);
  return 0;
}
