// What the configuration says about the appliance's disks as a whole: the
// "System" object's disk flags, disk and RAID types, and lookups.
#pragma once

#include "odb.h"

namespace nexa {

inline constexpr const char* kImageInfoFile = "/system/ImageInfo";

// Records in the "System" object's "Disk" namespace whether any "Disk"
// object exists ("noDisk") and whether the disks are new ("newDisk": no
// image information on the system volume), with the documented messages;
// either switches the web interface to its reduced mode.
void record_disk_flags(OdbHandle& h);
// Removes the navigation files of the pages that need a disk, so that the
// web interface offers only what works without one.
void set_minimal_mode();

}  // namespace nexa
