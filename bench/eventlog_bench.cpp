// Benchmark: entries per second through nexalib_log_admin, rotation
// included, in a temporary root. Prints the median of the runs.
//
// Usage: nexa_eventlog_bench [entries per run] [runs] [system]
// (defaults 200000, 5). With "system" it writes the system's own
// /var/log/log.admin, as on the appliance, where no NEXALIB_ROOT maps each
// path component; run it so only in a mount namespace of its own with a
// scratch file system on /var/log (bench/run.sh does).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_rows.h"
#include "nexalib.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 200000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (entries <= 0 || runs <= 0) return 2;
  const bool system = argc > 3 && std::string(argv[3]) == "system";
  std::string pattern = (fs::temp_directory_path() / "nexa-eventlog-bench-XXXXXX").string();
  if (!system && !::mkdtemp(pattern.data())) return 1;
  const fs::path root = system ? "/" : pattern;
  fs::create_directories(root / "var/log");
  if (!system) ::setenv("NEXALIB_ROOT", root.c_str(), 1);

  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    fs::remove(root / "var/log/log.admin");
    const auto start = Clock::now();
    for (int i = 0; i < entries; ++i)
      nexalib_log_admin("USER: Modify user user%d: PASSWORD  Create home directory OK", i);
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  const bool rotated = fs::exists(root / "var/log/log.admin.old");
  if (!system) fs::remove_all(root);
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf("nexalib_log_admin: %d entries x %d runs%s\n", entries, runs,
              rotated ? " (through rotation)" : "");
  std::printf("  median %.0f entries/s, %.2f us per entry\n", entries / median,
              median * 1e6 / entries);
  print_row(system ? "event-log entry, through rotation" : "event-log entry, under NEXALIB_ROOT",
            median * 1e6 / entries, "us");
  return 0;
}
