// What is mounted and how full it is, in the manner of df, from the mount
// table and statfs.
#pragma once

#include <mntent.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nexa {

inline constexpr const char* kMountTable = "/etc/mtab";

struct MountedFileSystem {
  std::string device, mount_point, type;
  int total = 0, used = 0, available = 0, percent = 0;  // KiB, and percent used
};

// KiB of blocks of a size, rounded to the nearest.
int kilobytes(long long blocks, long long block_size);
// The mounted file systems with blocks (pseudo file systems and "rootfs"
// left out); nothing when the mount table cannot be read or a statfs fails.
std::optional<std::vector<MountedFileSystem>> mounted_file_systems();
// The type mounted exactly at mount_point, if any.
std::optional<std::string> type_mounted_at(std::string_view mount_point);

// The device of the first entry of the table mounted exactly at dir ("" is
// mounted nowhere).
std::optional<std::string> device_mounted_at(std::string_view dir, std::string_view table);

// The entry of the mount table that holds the path (see find_mount_point);
// its texts stay valid until the next call.
const struct mntent* mount_entry_of(std::string_view path, std::string_view table);

}  // namespace nexa
