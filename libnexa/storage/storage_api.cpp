// The C boundary of the storage operations.
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/odb_access.h"
#include "core/text_files.h"
#include "nexalib.h"
#include "storage/disk_flags.h"
#include "storage/disk_listing.h"
#include "storage/disk_objects.h"
#include "storage/disk_power.h"
#include "storage/disk_refresh.h"
#include "storage/disk_usage.h"
#include "storage/formatting.h"
#include "storage/front_panel.h"
#include "storage/usb_devices.h"

using namespace nexa;

namespace {

void copy_field(char* out, const std::string& value) {
  if (out) std::memcpy(out, value.c_str(), value.size() + 1);
}

const char* main_property(OdbHandle& h, guint32 oid, const char* key) {
  OdbProps* props = oid ? get_main_props(h, oid) : nullptr;
  return props ? odb_props_get(props, key) : nullptr;
}

}  // namespace

// ---- Disk discovery and disk objects ----------------------------------------

extern "C" const char diskInfoFile[] = "/tmp/usb.info";

namespace {

// 1 when the answer is yes, 0 when no, -1 for a failure.
int tri_state(const sys::Result<bool>& answer) {
  return answer ? (*answer ? 1 : 0) : -1;
}

}  // namespace

int nexalib_usb_disk_add_new_disk_object(OdbHandle* h, const char* argument) {
  return h ? tri_state(add_listed_disks(*h, argument ? argument : "", false)) : -1;
}
int nexalib_add_new_disk(OdbHandle* h, const char* argument) {
  return h ? tri_state(add_listed_disks(*h, argument ? argument : "", true)) : -1;
}
int nexalib_check_disk_exist(OdbHandle* h, int* oid, const char* dev_path, const char* argument) {
  if (!h || !oid || !dev_path) return 0;
  return tri_state(
      refresh_listed_disk(*h, static_cast<guint32>(*oid), dev_path, argument ? argument : ""));
}
int nexalib_disk_object_isexist(OdbHandle* h, const char* dev_name, const char* bus_type) {
  return h && dev_name && bus_type && disk_object_known(*h, dev_name, bus_type) ? 1 : 0;
}
int nexalib_Add_DiskObject(OdbHandle* h, const char* bus_type, const char* dev_name,
                           const char* host, const char* id) {
  if (h && bus_type && dev_name)
    add_disk_object(*h, {bus_type, dev_name, host ? host : "", id ? id : ""});
  return 0;
}
void update_object_info(OdbHandle* h, int* oid, const char* bus_type, const char* host,
                        const char* dev_name, const char* id) {
  if (h && oid && bus_type && dev_name)
    update_disk_object(*h, static_cast<guint32>(*oid),
                       {bus_type, dev_name, host ? host : "", id ? id : ""});
}
void get_bustype_devName_host(const char* line, char* bus_type, char* dev_name, char* host,
                              char* id) {
  const ListedDisk disk = parse_listing_line(line ? line : "");
  copy_field(bus_type, disk.bus_type);
  copy_field(dev_name, disk.dev_name);
  copy_field(host, disk.host);
  copy_field(id, disk.id);
}
int nexalib_compare_disk_devName(const char* dev_name, const char* dev_path) {
  return dev_name && dev_path && "/dev/" + std::string(dev_name) == dev_path ? 1 : 0;
}
void nexalib_get_disk_model(OdbProps* props, const char* dev_name) {
  if (props && dev_name) read_size_and_model(*props, dev_name);
}
int nexalib_get_sata_vela_mode(OdbHandle*, const char*, const char*) {
  return sata_second_mode() ? 1 : 0;
}
int nexalib_construct_usb_disk_check_unformat_disk(OdbHandle* h) {
  if (h) record_disk_flags(*h);
  return 0;
}
void nexalib_mini_mode_set(void) {
  set_minimal_mode();
}
int nexalib_check_nas_exist(OdbHandle* h) {
  return h && disk_namespace(*h) ? 1 : 0;
}
int nexalib_check_have_disk(OdbHandle* h) {
  OdbProps* flags = h ? disk_namespace(*h) : nullptr;
  const char* no_disk = flags ? odb_props_get(flags, "noDisk") : nullptr;
  return flags && !text_is(no_disk, "1") ? 1 : 0;
}
const char* nexalib_check_user_disk_type(const char* mount_point, OdbHandle* h) {
  if (!h || !mount_point) return nullptr;
  return main_property(*h, first_oid_with(*h, "Disk", "mountPoint", mount_point), "type");
}
const char* nexalib_check_user_raid_type(OdbHandle* h) {
  return h ? main_property(*h, first_oid(find_class_oids(*h, "Raid")), "rFS") : nullptr;
}
int nexalib_find_an_oid_by_devicename(OdbHandle* h, const char* class_name, const char* dev_path) {
  if (!h || !class_name || !dev_path) return 0;
  return static_cast<int>(first_oid_with(*h, class_name, "devName", dev_path));
}
int nexalib_find_an_oid_by_mountPoint(OdbHandle* h, const char* class_name,
                                      const char* mount_point) {
  if (!h || !class_name || !mount_point) return 0;
  return static_cast<int>(first_oid_with(*h, class_name, "mountPoint", mount_point));
}
NexalibUsbDevice* nexalib_get_attached_usb_device(int usb_class, int index) {
  auto* record = static_cast<NexalibUsbDevice*>(std::calloc(1, sizeof(NexalibUsbDevice)));
  if (!record) return nullptr;
  find_usb_interface(*record, usb_class, index);
  if (record->found == 1) return record;
  std::free(record);
  return nullptr;
}
void devtree_parsedevfile(NexalibUsbDevice* record, int usb_class, int index) {
  if (record) find_usb_interface(*record, usb_class, index);
}
void sata_dbg(const char*) {}

// ---- Disk information and usage ----------------------------------------------

NexalibDiskInfo* nexalib_get_disk_information(void) {
  const auto list = mounted_file_systems();
  if (!list) return nullptr;
  NexalibDiskInfo* head = nullptr;
  for (auto fs = list->rbegin(); fs != list->rend(); ++fs) {
    auto* record = static_cast<NexalibDiskInfo*>(std::calloc(1, sizeof(NexalibDiskInfo)));
    if (!record) {
      nexalib_free_disk_information(head);
      return nullptr;
    }
    // The texts keep what fits their 40 bytes, terminated by calloc's zeros.
    fs->device.copy(record->device, sizeof record->device - 1);
    fs->mount_point.copy(record->mount_point, sizeof record->mount_point - 1);
    fs->type.copy(record->type, sizeof record->type - 1);
    record->total = fs->total;
    record->used = fs->used;
    record->available = fs->available;
    record->percent = fs->percent;
    record->next = head;
    head = record;
  }
  return head;
}
void nexalib_free_disk_information(NexalibDiskInfo* list) {
  while (list) std::free(std::exchange(list, list->next));
}
int kscale(long blocks, long block_size) {
  return kilobytes(blocks, block_size);
}
struct mntent* find_mount_point(const char* path, const char* mount_table) {
  if (!path || !mount_table) return nullptr;
  return const_cast<struct mntent*>(mount_entry_of(path, mount_table));
}
const char* nexalib_check_root_filetype(const char* mount_point) {
  static std::string type;  // outlives the list it came from
  const auto found = mount_point ? type_mounted_at(mount_point) : std::nullopt;
  if (!found) return nullptr;
  type = *found;
  return type.c_str();
}
int nexalib_format_check_system_is_mounted(void) {
  return type_mounted_at("/system") ? 1 : 0;
}
const char* nexalib_get_system_mount_path(OdbHandle* h) {
  return h ? system_mount_path(*h) : nullptr;
}
void nexalib_set_disk_info(OdbProps* changes, OdbProps* current) {
  if (changes) changes_from_state_file(*changes, current);
}
void nexalib_refresh_disk_Info(OdbHandle* h) {
  if (h) refresh_disks(*h);
}

// ---- Disk power, partitioning and formatting --------------------------------

void nexalib_set_disk_spindown_time(OdbProps* settings, OdbProps* disk) {
  if (disk) set_spindown(settings, *disk);
}
void nexalib_set_disk_spindown_time_all(OdbHandle* h, OdbProps* settings) {
  if (h && settings) set_spindown_all(*h, *settings);
}
void nexalib_set_disk_spindown_time_selected(OdbHandle* h, OdbProps* settings) {
  if (h && settings) set_spindown_selected(*h, *settings);
}
int nexalib_get_mke2fs_percentage(int flag) {
  return update_format_percentage(flag != 0);
}
int nexalib_create_sfdisk_ptable(const char* path, const char* text, mode_t mode) {
  return path && text && write_text_file(text, path, mode) ? 0 : 1;
}

// ---- LEDs, buttons and front display ---------------------------------------

// Copies for callers, who may change them; the library reads its own.
const char* LEDSlotDisk[NEXALIB_SLOT_TABLE_SIZE] = {
    kSlotLedLines[0], kSlotLedLines[1], kSlotLedLines[2], kSlotLedLines[3], kSlotLedLines[4]};
const char* BUTSlotDisk[NEXALIB_SLOT_TABLE_SIZE] = {kSlotButtonLines[0], kSlotButtonLines[1],
                                                    kSlotButtonLines[2], kSlotButtonLines[3],
                                                    kSlotButtonLines[4]};

// The board's lines are not driven from here: the primitives take their
// arguments and succeed, and the wrappers fix which line and value is meant.
int setLed(const char*, int) {
  return 0;
}
int setLedFlashStart(const char*, int) {
  return 0;
}
int setLedFlashStop(const char*) {
  return 0;
}
int findDisk(const char*, const char*) {
  return 0;
}
int checkButtonUseEnable(void) {
  return 0;
}
int setRaidDiskButton(const char*) {
  return 0;
}

int setRaidWarningLED_ON(void) {
  return setLed(kRaidWarningLine, 0);
}
int setRaidWarningLED_OFF(void) {
  return setLed(kRaidWarningLine, 1);
}
int setSlotDiskLEDFlash_ON(const char* slot) {
  const auto line = slot ? slot_led_line(slot) : std::nullopt;
  return line ? setLedFlashStart(*line, 3) : -1;
}
int setBuildLEDFlash_ON(void) {
  return setLedFlashStart(kBuildLine, 5);
}
int setBuildLEDFlash_OFF(void) {
  return setLed(kBuildLine, 0);
}

int DisplayFailSlot(const char* slot) {
  const auto shown = slot ? panel_number(slot) : std::nullopt;
  return shown && show_on_display("CAUTION!", "DISK" + *shown + " WRONG") ? 0 : -1;
}
int setDisplay(const char* first, const char* second) {
  return show_on_display(first ? first : "", second ? second : "") ? 0 : -1;
}
int get_hostdomainname(OdbHandle* h, char* buf) {
  if (!h || !buf) return -1;
  const sys::Result<std::string> name = host_name(*h, NEXALIB_HOST_NAME_SIZE);
  if (!name) return -1;
  std::memcpy(buf, name->c_str(), name->size() + 1);
  return 0;
}
