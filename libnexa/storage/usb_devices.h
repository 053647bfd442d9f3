// Attached USB devices, from the kernel's device list.
#pragma once

#include <string_view>

#include "nexalib.h"

namespace nexa {

inline constexpr const char* kUsbDevicesFile = "/proc/bus/usb/devices";
inline constexpr size_t kUsbDevicesRead = 16383;  // read at most, in one read

// Walks the device list for the index-th interface (see
// nexalib_get_attached_usb_device) and fills the record.
void find_usb_interface(NexalibUsbDevice& record, int wanted_class, int index);
// The same walk over a text of the device list.
void walk_usb_devices(std::string_view text, NexalibUsbDevice& record, int wanted_class, int index);

}  // namespace nexa
