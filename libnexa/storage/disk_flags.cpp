// What the configuration says about the appliance's disks as a whole: the
// "System" object's disk flags, disk and RAID types, and lookups.
#include "storage/disk_flags.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/odb_access.h"
#include "core/owners.h"
#include "core/sys.h"
#include "web/pages.h"

namespace nexa {

OdbProps* disk_namespace(OdbHandle& h) {
  const guint32 system = system_oid(h);
  return system ? odb_get_cmnd(&h, system, "Disk") : nullptr;
}

const char* system_mount_path(OdbHandle& h) {
  OdbProps* flags = disk_namespace(h);
  return flags ? odb_props_get(flags, "rootdir") : nullptr;
}

guint32 first_oid_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value) {
  return first_oid(find_oids_with(h, class_name, key, value));
}

void record_disk_flags(OdbHandle& h) {
  const bool disks = find_class_oids(h, "Disk") != nullptr;
  if (!disks) {
    std::printf("Disk not found !\n");
    set_minimal_mode();
  } else {
    std::printf("Disk found !\n");
  }
  bool fresh = false;
  if (sys::Result<FilePtr> info = sys::open_file(kImageInfoFile, "r"); !info && disks) {
    std::fprintf(stderr, "%s: %s\n", kImageInfoFile, std::strerror(info.error()));
    std::fprintf(stderr, "New disk has found\n");
    set_minimal_mode();
    fresh = true;
  } else {
    std::fprintf(stderr, "New disk has not found\n");
  }
  PropsPtr flags = new_props();
  odb_props_set(flags.get(), "noDisk", disks ? "0" : "1");
  odb_props_set(flags.get(), "newDisk", fresh ? "1" : "0");
  const guint32 system = system_oid(h);
  if (system) odb_set_cmnd(&h, system, "Disk", flags.get());
}

}  // namespace nexa
