// The disk listing the discovery script writes, and what a listed disk's
// bus, host and id say about its names and front-panel slot.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nexa {

inline constexpr const char* kDiskListFile = "/tmp/usb.info";
inline constexpr const char* kSataStatFile = "/proc/sata_stat";
inline constexpr const char* kUsbStorageBus = "usb-storage";

// Room of the listing fields, terminator included.
inline constexpr size_t kBusTypeRoom = 32;
inline constexpr size_t kListedNameRoom = 12;

struct ListedDisk {
  std::string bus_type;  // after "BusType: "
  std::string dev_name;  // the first word beginning with "sd" after it
  std::string host;      // the first word beginning with "scsi" after that
  std::string id;        // after "Id: 0"
};

// One listing line; a missing marker leaves its field (and only it) empty,
// and every field is cut to its room.
ListedDisk parse_listing_line(std::string_view line);

// 1 to 8 for "sda" to "sdh", nothing for any other name.
std::optional<int> usb_index(std::string_view dev_name);
// The number of "scsi<n>", nothing when there is none.
std::optional<int> host_number(std::string_view host);

// Whether the SATA controller runs in its second mode ("P3:" on the last
// line of /proc/sata_stat).
bool sata_second_mode();
// The front-panel slot of a disk on the internal controller, or nothing.
std::optional<std::string> panel_slot(bool second_mode, std::string_view bus_type,
                                      std::string_view id, std::string_view host);

}  // namespace nexa
