// Benchmark: entries per second through nexalib_log_admin, rotation
// included, in a temporary root. Prints the median of the runs.
//
// Usage: nexa_eventlog_bench [entries per run] [runs]   (defaults 200000, 5)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "nexalib.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 200000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (entries <= 0 || runs <= 0) return 2;
  std::string pattern = (fs::temp_directory_path() / "nexa-eventlog-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return 1;
  const fs::path root = pattern;
  fs::create_directories(root / "var/log");
  ::setenv("NEXALIB_ROOT", root.c_str(), 1);

  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    fs::remove(root / "var/log/log.admin");
    const auto start = Clock::now();
    for (int i = 0; i < entries; ++i)
      nexalib_log_admin("USER: Modify user user%d: PASSWORD  Create home directory OK", i);
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  const bool rotated = fs::exists(root / "var/log/log.admin.old");
  fs::remove_all(root);
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf("nexalib_log_admin: %d entries x %d runs%s\n", entries, runs,
              rotated ? " (through rotation)" : "");
  std::printf("  median %.0f entries/s, %.2f us per entry\n", entries / median,
              median * 1e6 / entries);
  return 0;
}
