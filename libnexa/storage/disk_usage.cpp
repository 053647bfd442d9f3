// What is mounted and how full it is, in the manner of df, from the mount
// table and statfs.
#include "storage/disk_usage.h"

#include <sys/stat.h>

#include <cstdint>

#include "core/sys.h"

namespace nexa {

namespace {

// The mount table is a plain file that getmntent reads line by line.
FilePtr open_mount_table(std::string_view table) {
  sys::Result<FilePtr> file = sys::open_file(table, "r");
  return file ? std::move(*file) : nullptr;
}

int percent_used(uint64_t used, uint64_t available) {
  const uint64_t whole = used + available;
  return whole ? static_cast<int>((used * 100 + whole / 2) / whole) : 0;
}

}  // namespace

int kilobytes(long long blocks, long long block_size) {
  return static_cast<int>((blocks * block_size + 512) / 1024);
}

std::optional<std::vector<MountedFileSystem>> mounted_file_systems() {
  const FilePtr table = open_mount_table(kMountTable);
  if (!table) return std::nullopt;
  std::vector<MountedFileSystem> list;
  while (const struct mntent* entry = ::getmntent(table.get())) {
    const sys::Result<struct statfs> st = sys::file_system_stats(entry->mnt_dir);
    if (!st) return std::nullopt;
    if (st->f_blocks == 0 || std::string_view(entry->mnt_fsname) == "rootfs") continue;
    const long long size = static_cast<long long>(st->f_bsize);
    const uint64_t used = st->f_blocks - st->f_bfree;
    list.push_back({entry->mnt_fsname, entry->mnt_dir, entry->mnt_type,
                    kilobytes(static_cast<long long>(st->f_blocks), size),
                    kilobytes(static_cast<long long>(used), size),
                    kilobytes(static_cast<long long>(st->f_bavail), size),
                    percent_used(used, st->f_bavail)});
  }
  return list;
}

std::optional<std::string> type_mounted_at(std::string_view mount_point) {
  const auto list = mounted_file_systems();
  if (list)
    for (const MountedFileSystem& fs : *list)
      if (fs.mount_point == mount_point) return fs.type;
  return std::nullopt;
}

std::optional<std::string> device_mounted_at(std::string_view dir, std::string_view table) {
  const FilePtr mounts = open_mount_table(table);
  if (!mounts || dir.empty()) return std::nullopt;
  while (const struct mntent* entry = ::getmntent(mounts.get()))
    if (dir == entry->mnt_dir) return entry->mnt_fsname;
  return std::nullopt;
}

const struct mntent* mount_entry_of(std::string_view path, std::string_view table) {
  const sys::Result<struct stat> st = sys::status_of(path);
  if (!st) return nullptr;
  // A block device stands for the device it is; anything else lives on one.
  const dev_t device = S_ISBLK(st->st_mode) ? st->st_rdev : st->st_dev;
  const FilePtr mounts = open_mount_table(table);
  if (!mounts) return nullptr;
  static struct {
    std::string fsname, dir, type, opts;
    struct mntent entry;
  } found;
  while (const struct mntent* entry = ::getmntent(mounts.get())) {
    const auto node = sys::status_of(entry->mnt_fsname);
    const auto dir = sys::status_of(entry->mnt_dir);
    const bool holds = path == entry->mnt_dir || path == entry->mnt_fsname ||
                       (node && S_ISBLK(node->st_mode) && node->st_rdev == device) ||
                       (dir && dir->st_dev == device);
    if (!holds) continue;
    found.fsname = entry->mnt_fsname;
    found.dir = entry->mnt_dir;
    found.type = entry->mnt_type;
    found.opts = entry->mnt_opts;
    found.entry = {found.fsname.data(), found.dir.data(), found.type.data(),
                   found.opts.data(),   entry->mnt_freq,  entry->mnt_passno};
    return &found.entry;
  }
  return nullptr;
}

}  // namespace nexa
