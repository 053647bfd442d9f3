// Fuzz target: arbitrary run-level, services and inetd texts through the
// line rewriters.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "services/run_levels.h"

using nexa::fuzz::check;

namespace {

// As many as text_lines gives: a last line without its line feed counts.
size_t line_count(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
         (!text.empty() && !text.ends_with('\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string joined;
  const std::vector<std::string_view> lines_of_text = nexa::text_lines(text);
  for (const std::string_view line : lines_of_text) joined += line;
  check(joined == text);

  // A rewrite replaces or adds whole lines and always ends with a line feed.
  const std::string levels = nexa::with_run_level_line(text, "SAMBA", true);
  check(levels.ends_with('\n') && ("\n" + levels).find("\nSAMBA=\"YES\"\n") != std::string::npos);
  const size_t lines = line_count(text);
  check(lines == lines_of_text.size());
  check(line_count(levels) == lines || line_count(levels) == lines + 1);
  if (const auto services = nexa::with_telnet_ports(text, "23")) {
    check(services->find("telnet          23/tcp\ntelnet          23/udp\n") != std::string::npos);
    check(line_count(*services) == lines || line_count(*services) == lines + 1);
  }
  if (const auto inetd = nexa::with_telnet_switched(text, false)) {
    check(inetd->find(std::string(nexa::kTelnetDisabled) + "\n") != std::string::npos);
    check(line_count(*inetd) == lines);
  }
  return 0;
}
