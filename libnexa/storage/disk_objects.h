// "Disk" objects: made and refreshed from the disk listing, with size and
// model from the kernel's files.
#pragma once

#include <string_view>
#include <vector>

#include "core/sys.h"
#include "odb.h"
#include "storage/disk_listing.h"

namespace nexa {

inline constexpr size_t kListingPiece = 119;      // a listing line is read in pieces
inline constexpr size_t kCheckListingPiece = 79;  // ... of this size when one disk is checked

// Runs the discovery script with argument and reads its listing (empty
// lines skipped); a failing script or an unreadable listing is a failure.
sys::Result<std::vector<ListedDisk>> list_disks(std::string_view argument, size_t piece);

// Sets "size", "totalSize" and "model" of a disk into props.
void read_size_and_model(OdbProps& props, std::string_view dev_name);
// Makes the "Disk" object of a listed disk; EINVAL (nothing made) for a
// device name other than "sda" to "sdh".
sys::Status add_disk_object(OdbHandle& h, const ListedDisk& disk);
// Refreshes an existing "Disk" object from a listed disk.
void update_disk_object(OdbHandle& h, guint32 oid, const ListedDisk& disk);
// Makes the objects of every listed disk (only_unknown: of those not known
// yet); whether a line was handled (only_unknown: an object made), or the
// failure to have the listing.
sys::Result<bool> add_listed_disks(OdbHandle& h, std::string_view argument, bool only_unknown);
// Refreshes the object oid from the listed disk at dev_path; whether it was
// listed, or the failure to have the listing.
sys::Result<bool> refresh_listed_disk(OdbHandle& h, guint32 oid, std::string_view dev_path,
                                      std::string_view argument);
// Whether a "Disk" object for the device exists on the same kind of bus.
bool disk_object_known(OdbHandle& h, std::string_view dev_name, std::string_view bus_type);

}  // namespace nexa
