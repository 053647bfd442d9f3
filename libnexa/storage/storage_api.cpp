// The C boundary of the storage operations.
#include <cstring>

#include "nexalib.h"
#include "storage/front_panel.h"

using namespace nexa;

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
