// Refreshing the "Disk" objects' state, size, usage, mount point and type
// from the disk check script.
#pragma once

#include "odb.h"

namespace nexa {

inline constexpr const char* kDiskStateFile = "/tmp/disk.info";

// The changes the state file says for a disk (as nexalib_props_update puts
// them); nothing when the file cannot be read.
void changes_from_state_file(OdbProps& changes, OdbProps* current);
// Runs the check script for every disk not used by a RAID volume and
// writes what changed.
void refresh_disks(OdbHandle& h);

}  // namespace nexa
