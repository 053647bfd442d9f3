// Formatting: the progress of a running format as a percentage file, and
// the partition description sfdisk is fed with.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"

namespace nexa {

inline constexpr const char* kFormatProgressFile = "/tmp/.fifo.tmp";
inline constexpr const char* kPercentFile = "/tmp/disk.percent";

struct FormatProgress {
  std::string text;  // what the percentage file gets
  int result = 0;
};

// The progress of the first line of the format's output ("done total", or
// a device name and more); nothing when the line holds no blank.
std::optional<FormatProgress> format_progress(std::string_view line, bool flag);
// Reads the progress file and writes the percentage file; 0 when there is
// no progress to read (the percentage file is then left alone).
int update_format_percentage(bool flag);

}  // namespace nexa
