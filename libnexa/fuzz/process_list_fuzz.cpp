// Fuzz target: ps listings (pattern on the first line) through the reader
// that picks the BitTorrent client's process id to kill.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "services/bittorrent.h"
#include "services/line_files.h"

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t end = input.find('\n');
  if (end == std::string_view::npos) return 0;
  const std::string_view pattern = input.substr(0, end);
  const std::string_view listing = input.substr(end + 1);
  const std::optional<long> pid = nexa::client_pid(listing, pattern);
  if (!pid) return 0;
  check(*pid > 0);
  // The id is the first word of a whole line that names the client and
  // the pattern and is no shell wrapper.
  const std::string word = std::to_string(*pid);
  bool seen = false;
  for (const std::string& line : nexa::whole_lines(listing)) {
    const std::string_view view = line;
    const size_t start = view.find_first_not_of(" \t");
    if (start == std::string_view::npos) continue;
    const std::string_view first = view.substr(start, view.find_first_of(" \t\n", start) - start);
    const std::string_view digits =
        first.substr(std::min(first.find_first_not_of('0'), first.size()));
    seen = seen || (digits == word && view.find("rtorrent") != std::string_view::npos &&
                    view.find(pattern) != std::string_view::npos &&
                    view.find("sh -c") == std::string_view::npos);
  }
  check(seen);
  return 0;
}
