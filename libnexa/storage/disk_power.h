// Disk standby (spin-down) timers, set through hdparm.
#pragma once

#include <string_view>

#include "odb.h"

namespace nexa {

// hdparm's standby-timer value for a time in minutes (decimal text; empty,
// negative or not a number is 0, which turns the timer off).
int spindown_value(std::string_view minutes);

// One disk's timer from the settings' "spinDownTime" (0 without settings).
void set_spindown(OdbProps* settings, OdbProps& disk);
// Every disk, unless "spinDownAll" is "0".
void set_spindown_all(OdbHandle& h, OdbProps& settings);
// Unless "spinDownAll" is "1" or "spinDownDev" is empty: the disks whose
// "usbName" is listed get the configured time, every other disk 0.
void set_spindown_selected(OdbHandle& h, OdbProps& settings);

}  // namespace nexa
