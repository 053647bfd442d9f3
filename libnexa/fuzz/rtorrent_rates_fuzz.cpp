// Fuzz target: rtorrent configuration files through the rate-line rewrite
// and the removal of job lines that the crontab and logger edits share.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "services/bittorrent.h"
#include "services/line_files.h"

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = nexa::whole_lines(text);
  std::string rejoined;
  for (const std::string& line : lines) rejoined += line;
  check(rejoined == text);

  if (const std::optional<std::string> changed = nexa::with_rates(text, "100", nullptr)) {
    // Every line stays a line of its own; rewritten ones are exactly ours.
    const std::vector<std::string> out = nexa::whole_lines(*changed);
    check(out.size() == lines.size() && changed->back() == '\n');
    for (size_t i = 0; i < out.size(); ++i)
      check(out[i] == "download_rate = 100\n" || out[i] == lines[i] || out[i] == lines[i] + "\n");
  }

  // Kept lines keep their order and none of them is a record of the pattern.
  const std::vector<std::string> kept = nexa::without_records(lines, "rate");
  size_t next = 0;
  for (const std::string& line : kept) {
    while (next < lines.size() && lines[next] != line) ++next;
    check(next < lines.size());
    ++next;
    const std::string_view head = line.c_str();
    check(head.empty() || head[0] == '#' || head.find("rate") == std::string_view::npos);
  }
  return 0;
}
