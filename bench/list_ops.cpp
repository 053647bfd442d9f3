// Benchmark: load, edit and write back a large text file and a large
// /etc/group through the library's line-list operations. Prints medians.
//
// Usage: nexa_list_bench [runs]   (NEXALIB_ROOT is set to a temporary root)
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_rows.h"
#include "nexalib.h"

namespace {

using Clock = std::chrono::steady_clock;

double median_ms(int runs, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    body();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void edit_text_file() {
  GSList* lines = nexalib_load_txt_file_to_list("/etc/big.conf");
  lines = nexalib_remove_record_from_list(lines, "option-2500 ");
  if (GSList* node = nexalib_get_list_by_key(lines, "option-4999 ")) {
    free(node->data);
    node->data = strdup("option-4999 = changed\n");
  }
  lines = g_slist_append(lines, strdup("option-new = 1\n"));
  if (nexalib_put_list_to_txt_file(lines, "/etc/big.conf", 0644) != 0) std::exit(1);
  nexalib_g_slist_free_all(lines);
}

// Adds a member to one group and removes another group, the way the
// account handlers change /etc/group.
void edit_group_file(int round) {
  GSList* lines = nexalib_etc_group_to_list();
  if (GSList* node = nexalib_get_list_by_key(lines, "group1000:")) {
    std::string line = static_cast<char*>(node->data);
    line.pop_back();
    const std::string members = line.substr(line.rfind(':') + 1);
    GSList* list = nullptr;
    gchar** names = g_strsplit(members.c_str(), ",", -1);
    for (gchar** name = names; *name; ++name) list = g_slist_append(list, strdup(*name));
    g_strfreev(names);
    list = g_slist_append(list, strdup(("user" + std::to_string(round)).c_str()));
    GString* joined = nexalib_list_to_group_member_format(list);
    line = line.substr(0, line.rfind(':') + 1) + joined->str + "\n";
    g_string_free(joined, TRUE);
    nexalib_g_slist_free_all(list);
    free(node->data);
    node->data = strdup(line.c_str());
  }
  lines = nexalib_remove_record_from_list(lines,
                                          ("group" + std::to_string(1500 + round) + ":").c_str());
  if (nexalib_put_to_group_file(lines) != 0) std::exit(1);
  nexalib_g_slist_free_all(lines);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  char root_template[] = "/tmp/nexa-bench-XXXXXX";
  const std::string root = mkdtemp(root_template);
  setenv("NEXALIB_ROOT", root.c_str(), 1);
  std::filesystem::create_directories(root + "/etc");

  {
    std::ofstream text(root + "/etc/big.conf");
    for (int i = 0; i < 5000; ++i)
      text << "option-" << i << " = value number " << i << " of the file\n";
    std::ofstream group(root + "/etc/group");
    for (int i = 0; i < 2000; ++i) group << "group" << i << ":x:" << 1000 + i << ":ann,bob,carol\n";
  }

  const double text_ms = median_ms(runs, edit_text_file);
  int round = 0;
  const double group_ms = median_ms(runs, [&] { edit_group_file(round++); });

  std::printf("list operations, median of %d runs (target: each under 20 ms)\n", runs);
  std::printf("  5,000-line text file, load + edit + atomic write: %8.3f ms\n", text_ms);
  std::printf("  2,000-record /etc/group, load + edit + write:     %8.3f ms\n", group_ms);
  print_row("list ops, 5,000-line text file", text_ms, "ms");
  print_row("list ops, 2,000-record group file", group_ms, "ms");
  std::filesystem::remove_all(root);
  return 0;
}
