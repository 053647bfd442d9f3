// Share objects in the configuration daemon: whole-disk shares, the share
// of a newly attached disk, members of the shares' access lists, and the
// Samba service and its printer spool.
#include "sharing/share_objects.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/config_values.h"
#include "core/directories.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "sharing/samba_shares.h"

namespace nexa {

namespace {

void set_one(OdbHandle& h, guint32 oid, const char* ns, std::string_view key,
             std::string_view value) {
  const PropsPtr changes = new_props();
  odb_props_set(changes.get(), std::string(key).c_str(), std::string(value).c_str());
  odb_set_cmnd(&h, oid, ns, changes.get());
}

// Creates a whole-disk share object; fails when the daemon refuses it.
sys::Status create_disk_share(OdbHandle& h, std::string_view name, std::string_view mount_point,
                              const char* description, bool no_write_conf) {
  const PropsPtr share = new_props();
  odb_props_set(share.get(), "name", std::string(name).c_str());
  odb_props_set(share.get(), "mountPoint", std::string(mount_point).c_str());
  odb_props_set(share.get(), "allowForAll", "1");
  odb_props_set(share.get(), "descRO", "1");
  odb_props_set(share.get(), "description", description);
  if (no_write_conf) odb_props_set(share.get(), "nowriteconf", "1");
  odb_props_set(share.get(), "isDisk", "1");
  return odb_create_cmnd(&h, "FolderShare", share.get()) != 0 ? sys::Status::success()
                                                              : sys::Status::failure(EIO);
}

// NFS exports a whole disk to everybody.
void open_share_to_nfs(OdbHandle& h, std::string_view name) {
  if (const guint32 oid = first_oid(find_oids_with(h, "FolderShare", "name", name)))
    set_one(h, oid, "NFS", "allowForAll", "1");
}

const char* disk_description(std::string_view bus_type) {
  if (bus_type == "ide") return "ide disk";
  if (bus_type == "scsi") return "usb disk";
  return "sata disk";
}

bool is_data_disk(OdbProps* disk, std::string_view system) {
  const std::string_view mount_point = prop_or_empty(disk, "mountPoint");
  return !mount_point.empty() && !prop_or_empty(disk, "usbName").empty() && mount_point != system &&
         prop_or_empty(disk, "raidUsaged") != "1";
}

}  // namespace

void toggle_samba(OdbHandle& h, int flags) {
  if (const Found samba = system_namespace(h, "Samba"); samba.props)
    toggle_daemon(*samba.props, kSambaScript, flags);
}

sys::Status prepare_printer_spool() {
  create_directories("/system/spool/samba/", 01777);
  create_directories("/system/spool/lpd/", 0777);
  create_directories("/system/spool/lpd/lp/", 0777);
  for (const char* file : {"/system/spool/lpd/lp/control.pr", "/system/spool/lpd/lp/status",
                           "/system/spool/lpd/lp/status.pr"}) {
    if (sys::exists(file)) continue;
    if (const sys::Result<FilePtr> made = sys::open_file(file, "a+"); !made) return made.status();
    sys::change_mode(file, 0666);
  }
  run_discarding_output(CommandLine("/bin/rm -rf /var/spool/samba"));
  run_discarding_output(CommandLine("/bin/rm -rf /var/spool/lpd"));
  run_discarding_output(CommandLine("/bin/ln -sf /system/spool/samba /var/spool/samba"));
  run_discarding_output(CommandLine("/bin/ln -sf /system/spool/lpd /var/spool/lpd"));
  return sys::Status::success();
}

void delete_disk_shares(OdbHandle& h) {
  for (GSList* cell = find_oids_with(h, "FolderShare", "isDisk", "1"); cell; cell = cell->next)
    odb_destroy_cmnd(&h, oid_of(cell));
}

sys::Status add_disk_shares(OdbHandle& h) {
  const char* system_path = system_mount_path(h);
  const std::string_view system = system_path ? system_path : "";
  sys::Status all_made = sys::Status::success();
  for (GSList* cell = find_class_oids(h, "Disk"); cell; cell = cell->next) {
    OdbProps* disk = get_main_props(h, oid_of(cell));
    if (!is_data_disk(disk, system)) continue;
    const std::string_view name = prop_or_empty(disk, "usbName");
    const sys::Status made =
        is_new_share_name(name)
            ? create_disk_share(h, name, prop_or_empty(disk, "mountPoint"),
                                disk_description(prop_or_empty(disk, "busType")), true)
            : sys::Status::failure(EINVAL);
    if (!made) {
      all_made = made;
      continue;
    }
    open_share_to_nfs(h, name);
  }
  return all_made;
}

sys::Status add_attached_disk_share(OdbHandle& h, std::string_view name,
                                    std::string_view dev_name) {
  if (!is_new_share_name(name)) return sys::Status::failure(EINVAL);
  if (first_oid(find_oids_with(h, "FolderShare", "name", name))) return sys::Status::success();
  const guint32 disk = first_oid(find_oids_with(h, "Disk", "devName", dev_name));
  if (!disk) return sys::Status::success();
  const char* system = system_mount_path(h);
  const std::string_view mount_point = prop_or_empty(get_main_props(h, disk), "mountPoint");
  if (mount_point.empty() || (system && mount_point == system)) return sys::Status::success();
  const sys::Status made = create_disk_share(h, name, mount_point, "usb disk", false);
  if (!made) odb_bad_data_cmnd(&h, disk, "", "FolderShare", "fshare_fail");
  open_share_to_nfs(h, name);
  return made;
}

void remove_share_member(OdbHandle& h, std::string_view key, std::string_view member) {
  for (GSList* cell = find_oids_with(h, "FolderShare", key, member); cell; cell = cell->next) {
    const guint32 oid = oid_of(cell);
    std::vector<std::string> items =
        split_odb_array(prop_or_empty(get_main_props(h, oid), std::string(key).c_str()));
    std::erase(items, member);
    set_one(h, oid, "", key, items.empty() ? "" : join_odb_array({items.begin(), items.end()}));
  }
}

int add_share_member(OdbHandle& h, std::string_view member, std::string_view share_names,
                     std::string_view key, int status) {
  if (member.empty() || !is_acceptable(ValueKind::kOdbArrayItem, member)) return -1;
  const std::string key_text(key);
  for (const std::string& share : split_odb_array(share_names)) {
    for (GSList* cell = find_oids_with(h, "FolderShare", "name", share); cell; cell = cell->next) {
      const guint32 oid = oid_of(cell);
      OdbProps* current = get_main_props(h, oid);
      const std::string_view old = prop_or_empty(current, key_text.c_str());
      const std::vector<std::string> items = split_odb_array(old);
      if (std::ranges::find(items, member) != items.end()) continue;
      const std::string value = old.empty() ? "&" + std::string(member) + "&"
                                            : std::string(old) + std::string(member) + "&";
      const PropsPtr changes = new_props();
      props_update(*changes, current, key, value);
      odb_set_cmnd(&h, oid, "", changes.get());
      char* error = last_error_message(odb_last_errors_cmnd(&h));
      status = error ? -1 : 0;
      std::free(error);
    }
  }
  return status;
}

}  // namespace nexa
