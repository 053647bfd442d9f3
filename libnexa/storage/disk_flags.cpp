// What the configuration says about the appliance's disks as a whole: the
// "System" object's disk flags, disk and RAID types, and lookups.
#include "storage/disk_flags.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/sys.h"

namespace nexa {

namespace {

constexpr const char* kMinimalModeRemoves[] = {
    "/usr/webroot/nav/user_group.xml",
    "/usr/webroot/nav/file_print.xml",
    "/usr/webroot/nav/personal.xml",
    "/usr/webroot/nav/quick_setup.xml",
    "/usr/webroot/nav/log_samba/log_samba.xml",
    "/usr/webroot/nav/log_ftp/log_ftp.xml",
    "/usr/webroot/nav/diskUsage/diskUsage.xml",
    "/usr/webroot/nav/errorAlert/errorAlert.xml",
    "/usr/webroot/nav/bt2/bt2.xml",
    "/usr/webroot/nav/tovrel/tovrel.xml",
};

}  // namespace

void set_minimal_mode() {
  for (const char* path : kMinimalModeRemoves) sys::remove_file(path);
}

void record_disk_flags(OdbHandle& h) {
  const bool disks = find_class_oids(h, "Disk") != nullptr;
  if (!disks) {
    say("Disk not found !\n");
    set_minimal_mode();
  } else {
    say("Disk found !\n");
  }
  bool fresh = false;
  if (sys::Result<FilePtr> info = sys::open_file(kImageInfoFile, "r"); !info && disks) {
    warn("%s: %s\n", kImageInfoFile, std::strerror(info.error()));
    warn("New disk has found\n");
    set_minimal_mode();
    fresh = true;
  } else {
    warn("New disk has not found\n");
  }
  PropsPtr flags = new_props();
  odb_props_set(flags.get(), "noDisk", disks ? "0" : "1");
  odb_props_set(flags.get(), "newDisk", fresh ? "1" : "0");
  const guint32 system = system_oid(h);
  if (system) odb_set_cmnd(&h, system, "Disk", flags.get());
}

}  // namespace nexa
