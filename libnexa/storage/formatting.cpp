// Formatting: the progress of a running format as a percentage file, and
// the partition description sfdisk is fed with.
#include "storage/formatting.h"

#include <cstdint>
#include <cstdlib>

#include "core/text_files.h"

namespace nexa {

namespace {

constexpr size_t kProgressLineRoom = 80;  // at most 79 characters are read

// The device phase: RAID volumes and disks are announced by name.
FormatProgress device_progress(std::string_view device, bool flag) {
  if (device.find("md0") != std::string_view::npos) return {"0", 0};
  if (device.find("md1") != std::string_view::npos) return {"10100", 10100};
  if (device.find('1') != std::string_view::npos && flag) return {"0", 0};
  if (device.find('2') != std::string_view::npos) return {"10100", 0};
  return {"0", 0};
}

uint32_t count(std::string_view text) {
  return static_cast<uint32_t>(std::strtoul(std::string(text).c_str(), nullptr, 10));
}

}  // namespace

std::optional<FormatProgress> format_progress(std::string_view line, bool flag) {
  const size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view first = line.substr(0, blank);
  if (first.find("/dev/") != std::string_view::npos) return device_progress(first, flag);
  // Done over total in percent, in the format's unsigned 32-bit arithmetic;
  // a total of 0 (or no number) is 0 %, never a division by zero.
  const uint32_t total = count(line.substr(blank + 1)) * 100u;
  const uint32_t done = count(first) * 10000u;
  const int percent = total ? static_cast<int>(done / total) : 0;
  return FormatProgress{std::to_string(percent) + "\n", percent};
}

int update_format_percentage(bool flag) {
  sys::Result<FilePtr> in = sys::open_file(kFormatProgressFile, "r");
  if (!in) return 0;
  char line[kProgressLineRoom] = {};
  if (!std::fgets(line, sizeof line, in->get())) return 0;
  std::string_view text(line);
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const std::optional<FormatProgress> progress = format_progress(text, flag);
  if (!progress) return 0;
  write_text_file(progress->text, kPercentFile, 0755);
  return progress->result;
}

}  // namespace nexa
