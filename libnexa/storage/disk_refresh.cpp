// Refreshing the "Disk" objects' state, size, usage, mount point and type
// from the disk check script.
#include "storage/disk_refresh.h"

#include <string>
#include <utility>

#include "core/commands.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/sys.h"

namespace nexa {

namespace {

constexpr size_t kStateLineRoom = 80;  // each line: at most 79 characters
using Settings = std::initializer_list<std::pair<const char*, const char*>>;

void update_all(OdbProps& changes, OdbProps* current, Settings settings) {
  for (const auto& [key, value] : settings) props_update(changes, current, key, value);
}

}  // namespace

void changes_from_state_file(OdbProps& changes, OdbProps* current) {
  sys::Result<FilePtr> file = sys::open_file(kDiskStateFile, "r");
  if (!file) return;
  std::string lines[4];
  for (std::string& line : lines) {
    char buf[kStateLineRoom] = {};
    if (!std::fgets(buf, sizeof buf, file->get())) break;
    line = buf;
    if (!line.empty() && line.back() == '\n') line.pop_back();
  }
  if (lines[2].starts_with("/mnt/")) {
    update_all(changes, current,
               {{"status", "mounted"},
                {"size", lines[0].c_str()},
                {"used", lines[1].c_str()},
                {"mountPoint", lines[2].c_str()},
                {"type", lines[3].c_str()}});
  } else {
    update_all(
        changes, current,
        {{"status", "unmount"}, {"size", ""}, {"used", ""}, {"mountPoint", ""}, {"type", ""}});
  }
}

void refresh_disks(OdbHandle& h) {
  const int mode = boots_from_disk(h) ? 6 : 2;
  for (GSList* node = find_class_oids(h, "Disk"); node; node = node->next) {
    OdbProps* current = get_main_props(h, oid_of(node));
    const char* dev_name = current ? odb_props_get(current, "devName") : nullptr;
    if (!dev_name || text_is(odb_props_get(current, "raidUsaged"), "1")) continue;
    CommandLine check("/usr/trellis/handlers/base/disk/chkDisk.sh ");
    check.operand(dev_name).text(" ").number(mode);
    PropsPtr changes = new_props();
    switch (sys::run_command(check)) {
      case 0:
        update_all(*changes, current,
                   {{"status", "none"},
                    {"type", "none"},
                    {"size", "0"},
                    {"used", "0"},
                    {"mountPoint", ""}});
        break;
      case 1 << 8:
        update_all(*changes, current,
                   {{"status", "unmount"}, {"type", "none"}, {"used", "0"}, {"mountPoint", ""}});
        break;
      case 2 << 8: changes_from_state_file(*changes, current); break;
      default: continue;  // an unexpected answer leaves the disk as it was
    }
    odb_set_cmnd(&h, oid_of(node), "", changes.get());
  }
}

}  // namespace nexa
