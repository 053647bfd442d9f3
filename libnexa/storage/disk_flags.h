// What the configuration says about the appliance's disks as a whole: the
// "System" object's disk flags, disk and RAID types, and lookups.
#pragma once

#include <string_view>

#include "odb.h"

namespace nexa {

inline constexpr const char* kImageInfoFile = "/system/ImageInfo";

// Records in the "System" object's "Disk" namespace whether any "Disk"
// object exists ("noDisk") and whether the disks are new ("newDisk": no
// image information on the system volume), with the documented messages;
// either switches the web interface to its reduced mode.
void record_disk_flags(OdbHandle& h);
// The "System" object's "Disk" namespace, when it has one.
OdbProps* disk_namespace(OdbHandle& h);
// The system mount path: "rootdir" of that namespace (null when unset).
const char* system_mount_path(OdbHandle& h);
// The first object of the class whose key equals value; 0 for none.
guint32 first_oid_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value);

}  // namespace nexa
