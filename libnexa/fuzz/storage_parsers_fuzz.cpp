// Fuzz target: what the disk scripts and the kernel write, through every
// storage parser (listing lines, the USB device list, format progress).
#include <cstdint>
#include <string_view>

#include "storage/disk_listing.h"
#include "storage/formatting.h"
#include "storage/usb_devices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  nexa::parse_listing_line(text);
  nexa::format_progress(text, true);
  NexalibUsbDevice record{};
  nexa::walk_usb_devices(text, record, 8, 1);
  return 0;
}
