// "Disk" objects: made and refreshed from the disk listing, with size and
// model from the kernel's files.
#include "storage/disk_objects.h"

#include <string>

#include "core/commands.h"
#include "core/odb_access.h"
#include "core/owners.h"

namespace nexa {

namespace {

constexpr const char* kSizeFile = "/tmp/usbsize";
constexpr const char* kScsiFile = "/proc/scsi/scsi";
constexpr const char* kUsbMountFile = "/tmp/mount.point.usb";
constexpr size_t kKernelLineRoom = 80;  // lines of the kernel's files: at most 79 characters

std::string dev_path_of(std::string_view dev_name) {
  return "/dev/" + std::string(dev_name);
}

// The size field of a partitions line: the one before the device name.
std::string size_field(std::string_view line) {
  std::vector<std::string_view> fields;
  for (size_t start = line.find_first_not_of(' '); start != std::string_view::npos;) {
    const size_t end = line.find(' ', start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? end : line.find_first_not_of(' ', end);
  }
  return fields.size() >= 2 ? std::string(fields[fields.size() - 2]) : "0";
}

std::string disk_size(std::string_view dev_name) {
  CommandLine grep("cat ");
  grep.word(sys::map_path("/proc/partitions"))
      .text(" | grep \"")
      .operand_in_quotes(dev_name)
      .text("\"");
  if (!run_into_file(std::move(grep), kSizeFile, " ")) return "0";
  const std::string line = first_line_of(kSizeFile, kKernelLineRoom);
  return line.empty() ? "0" : size_field(line);
}

// The model on the line after the first one naming the device, between
// "Model: " and " Rev:", without trailing blanks.
std::optional<std::string> disk_model(std::string_view dev_name) {
  sys::Result<FilePtr> scsi = sys::open_file(kScsiFile, "r");
  if (!scsi) return std::nullopt;
  char line[kKernelLineRoom];
  bool named = false;
  while (std::fgets(line, sizeof line, scsi->get())) {
    const std::string_view text(line);
    if (!named) {
      named = text != "\n" && !text.empty() && text.find(dev_name) != std::string_view::npos;
      continue;
    }
    const size_t model = text.find("Model: ");
    const size_t rev = text.find(" Rev:");
    if (model == std::string_view::npos || rev == std::string_view::npos) return std::nullopt;
    const size_t start = model + 7;
    std::string value(rev > start ? text.substr(start, rev - start) : "");
    value.erase(value.find_last_not_of(" \t") + 1);
    return value;
  }
  return std::nullopt;
}

void set_host(OdbProps& props, const ListedDisk& disk) {
  if (const auto host = host_number(disk.host))
    odb_props_set(&props, "host", std::to_string(*host).c_str());
}

// busType, id, slot and host as the listing says; a USB disk is "scsi",
// with no slot (an empty one on refresh) and a host only on refresh.
void set_bus_properties(OdbProps& props, const ListedDisk& disk, bool refresh) {
  if (disk.bus_type == kUsbStorageBus) {
    odb_props_set(&props, "busType", "scsi");
    if (!refresh) return;
    odb_props_set(&props, "slot", "");
    set_host(props, disk);
    return;
  }
  odb_props_set(&props, "busType", disk.bus_type.c_str());
  odb_props_set(&props, "id", disk.id.c_str());
  if (const auto slot = panel_slot(sata_second_mode(), disk.bus_type, disk.id, disk.host))
    odb_props_set(&props, "slot", slot->c_str());
  set_host(props, disk);
}

}  // namespace

sys::Result<std::vector<ListedDisk>> list_disks(std::string_view argument, size_t piece) {
  CommandLine script("/usr/trellis/handlers/base/usb_disk/sdlist.sh ");
  script.word(argument).text(" ");
  if (sys::run_command(script) != 0) return sys::Status::failure(ECHILD);
  sys::Result<FilePtr> listing = sys::open_file(kDiskListFile, "r");
  if (!listing) return listing.status();
  std::vector<ListedDisk> disks;
  std::string buffer(piece + 1, '\0');
  while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), listing->get())) {
    std::string_view line(buffer.c_str());
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (!line.empty()) disks.push_back(parse_listing_line(line));
  }
  return disks;
}

void read_size_and_model(OdbProps& props, std::string_view dev_name) {
  const std::string size = disk_size(dev_name);
  odb_props_set(&props, "size", size.c_str());
  odb_props_set(&props, "totalSize", size.c_str());
  if (const auto model = disk_model(dev_name)) odb_props_set(&props, "model", model->c_str());
}

sys::Status add_disk_object(OdbHandle& h, const ListedDisk& disk) {
  const std::optional<int> index = usb_index(disk.dev_name);
  if (!index) return sys::Status::failure(EINVAL);
  const std::string usb_name = "usb" + std::to_string(*index);
  PropsPtr props = new_props();
  odb_props_set(props.get(), "devName", dev_path_of(disk.dev_name).c_str());
  odb_props_set(props.get(), "usbName", usb_name.c_str());
  set_bus_properties(*props, disk, false);
  if (disk.bus_type == kUsbStorageBus) {
    CommandLine echo("echo /mnt/");
    echo.word(usb_name);
    run_into_file(std::move(echo), kUsbMountFile);
  }
  read_size_and_model(*props, disk.dev_name);
  odb_create_cmnd(&h, "Disk", props.get());
  return sys::Status::success();
}

void update_disk_object(OdbHandle& h, guint32 oid, const ListedDisk& disk) {
  PropsPtr changes = new_props();
  set_bus_properties(*changes, disk, true);
  odb_props_set(changes.get(), "raidUsaged", "0");
  read_size_and_model(*changes, disk.dev_name);
  odb_set_cmnd(&h, oid, "", changes.get());
}

bool disk_object_known(OdbHandle& h, std::string_view dev_name, std::string_view bus_type) {
  const guint32 oid = first_oid(find_oids_with(h, "Disk", "devName", dev_path_of(dev_name)));
  OdbProps* props = oid ? get_main_props(h, oid) : nullptr;
  const char* bus = props ? odb_props_get(props, "busType") : nullptr;
  if (!bus) return false;
  const std::string_view known(bus);
  return bus_type == kUsbStorageBus ? known == "scsi" : known.starts_with("sata_");
}

sys::Result<bool> add_listed_disks(OdbHandle& h, std::string_view argument, bool only_unknown) {
  const auto disks = list_disks(argument, kListingPiece);
  if (!disks) return disks.status();
  bool any = false;
  for (const ListedDisk& disk : *disks) {
    if (only_unknown && disk_object_known(h, disk.dev_name, disk.bus_type)) continue;
    const bool made = static_cast<bool>(add_disk_object(h, disk));
    any = any || made || !only_unknown;
  }
  return any;
}

sys::Result<bool> refresh_listed_disk(OdbHandle& h, guint32 oid, std::string_view dev_path,
                                      std::string_view argument) {
  const auto disks = list_disks(argument, kCheckListingPiece);
  if (!disks) return disks.status();
  for (const ListedDisk& disk : *disks) {
    if (dev_path != dev_path_of(disk.dev_name)) continue;
    update_disk_object(h, oid, disk);
    return true;
  }
  return false;
}

}  // namespace nexa
