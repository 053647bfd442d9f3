// The disk listing the discovery script writes, and what a listed disk's
// bus, host and id say about its names and front-panel slot.
#include "storage/disk_listing.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/sys.h"

namespace nexa {

namespace {

// The value at from, up to the next blank, cut to room - 1 characters.
std::string value_at(std::string_view line, size_t from, size_t room) {
  const std::string_view rest = line.substr(from);
  return std::string(rest.substr(0, std::min(rest.find(' '), room - 1)));
}

}  // namespace

ListedDisk parse_listing_line(std::string_view line) {
  ListedDisk disk;
  size_t pos = 0;
  // Each marker is looked for after the one before it; one that is missing
  // leaves the search where it was.
  auto take = [&](std::string_view marker, bool keep_marker, size_t room) {
    const size_t at = line.find(marker, pos);
    if (at == std::string_view::npos) return std::string();
    const size_t start = keep_marker ? at : at + marker.size();
    std::string value = value_at(line, start, room);
    pos = start + value.size();
    return value;
  };
  disk.bus_type = take("BusType: ", false, kBusTypeRoom);
  disk.dev_name = take("sd", true, kListedNameRoom);
  disk.host = take("scsi", true, kListedNameRoom);
  disk.id = take("Id: 0", false, kListedNameRoom);
  return disk;
}

std::optional<int> usb_index(std::string_view dev_name) {
  if (dev_name.size() != 3 || !dev_name.starts_with("sd") || dev_name[2] < 'a' || dev_name[2] > 'h')
    return std::nullopt;
  return dev_name[2] - 'a' + 1;
}

std::optional<int> host_number(std::string_view host) {
  if (!host.starts_with("scsi")) return std::nullopt;
  const std::string digits(host.substr(4));
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(digits.c_str(), &end, 10);
  if (end == digits.c_str() || errno == ERANGE || number < INT_MIN || number > INT_MAX)
    return std::nullopt;
  return static_cast<int>(number);
}

bool sata_second_mode() {
  const sys::Result<std::string> stat = sys::read_file(kSataStatFile);
  if (!stat) return false;
  std::string_view text = *stat;
  while (text.ends_with('\n')) text.remove_suffix(1);
  const size_t last = text.rfind('\n');
  return text.substr(last == std::string_view::npos ? 0 : last + 1).find("P3:") !=
         std::string_view::npos;
}

std::optional<std::string> panel_slot(bool second_mode, std::string_view bus_type,
                                      std::string_view id, std::string_view host) {
  if (second_mode) {
    if (bus_type == "sata_vela1" && id == "1") return "1";
    if (bus_type == "sata_vela1" && id == "0") return "2";
    if (bus_type == "sata_vela0" && id == "1") return "3";
    if (bus_type == "sata_vela0" && id == "0") return "4";
    return std::nullopt;
  }
  if (bus_type == "sata_vela0") return "1";
  if (bus_type == "sata_vela1") return "2";
  static constexpr std::string_view kHosts[] = {"scsi0", "scsi1", "scsi2", "scsi3"};
  for (size_t i = 0; i < std::size(kHosts); ++i)
    if (host == kHosts[i]) return std::to_string(3 + i);
  return std::nullopt;
}

}  // namespace nexa
