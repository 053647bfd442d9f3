// The lines bench/run.sh gathers into its table.
#pragma once

#include <cstdio>

// "row", what was measured, our median and, where a peer was measured in
// the same run, its median and the ratio ours / theirs (given, or that of
// the two medians), separated by tabs.
inline void print_row(const char* what, double ours, const char* unit, const char* peer = nullptr,
                      double theirs = 0, double ratio = 0) {
  if (!peer) {
    std::printf("row\t%s\t%.3f %s\t-\t-\t-\n", what, ours, unit);
    return;
  }
  std::printf("row\t%s\t%.3f %s\t%s\t%.3f %s\t%.3f\n", what, ours, unit, peer, theirs, unit,
              ratio > 0 ? ratio : ours / theirs);
}
