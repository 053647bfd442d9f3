// The C boundary of the storage operations.
#include <cstring>

#include "core/text_files.h"
#include "nexalib.h"
#include "storage/disk_power.h"
#include "storage/formatting.h"
#include "storage/front_panel.h"

using namespace nexa;

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

const char* LEDSlotDisk[NEXALIB_SLOT_TABLE_SIZE] = {"", "GPIO1_28", "GPIO1_29", "GPIO1_30",
                                                    "GPIO0_0"};
const char* BUTSlotDisk[NEXALIB_SLOT_TABLE_SIZE] = {"", "GPIO0_1", "GPIO0_2", "GPIO0_3", "GPIO0_4"};

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
  return shown ? show_on_display("CAUTION!", "DISK" + *shown + " WRONG") : -1;
}
int setDisplay(const char* first, const char* second) {
  return show_on_display(first ? first : "", second ? second : "");
}
int get_hostdomainname(OdbHandle* h, char* buf) {
  const auto name = h && buf ? host_name(*h, NEXALIB_HOST_NAME_SIZE) : std::nullopt;
  if (!name) return -1;
  std::memcpy(buf, name->c_str(), name->size() + 1);
  return 0;
}
