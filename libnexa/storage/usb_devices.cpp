// Attached USB devices, from the kernel's device list.
#include "storage/usb_devices.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/sys.h"

namespace nexa {

namespace {

// Copies the rest of line after marker into a record field, cut to fit.
template <size_t N>
bool take_after(std::string_view line, std::string_view marker, char (&field)[N]) {
  const size_t at = line.find(marker);
  if (at == std::string_view::npos) return false;
  const std::string_view value = line.substr(at + marker.size()).substr(0, N - 1);
  std::memset(field, 0, N);
  std::memcpy(field, value.data(), value.size());
  return true;
}

int interface_class(std::string_view line) {
  const size_t at = line.find("Cls=");
  if (at == std::string_view::npos) return 255;
  return static_cast<int>(std::strtol(std::string(line.substr(at + 4, 8)).c_str(), nullptr, 16));
}

}  // namespace

void walk_usb_devices(std::string_view text, NexalibUsbDevice& record, int wanted_class,
                      int index) {
  bool manufacturer = false, product = false, product_next = false;
  int matches = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (product_next) {
      product_next = false;
      product = take_after(line, "Product=", record.product) || product;
    }
    if (line.starts_with('S') && take_after(line, "Manufacturer=", record.manufacturer)) {
      manufacturer = product_next = true;
      continue;
    }
    if (!line.starts_with('I') || !manufacturer || !product) continue;
    const int found_class = interface_class(line);
    // The index counts interfaces of the wanted class; it is checked before
    // each interface is counted, so index 0 is the first interface listed.
    if (matches == index) {
      record.class_code = found_class;
      record.found = 1;
      return;
    }
    if (found_class == wanted_class) ++matches;
  }
}

void find_usb_interface(NexalibUsbDevice& record, int wanted_class, int index) {
  const sys::Result<UniqueFd> fd = sys::open_descriptor(kUsbDevicesFile, O_RDONLY);
  if (!fd) {
    warn("cannot open %s, %s (%d)\n", kUsbDevicesFile, std::strerror(fd.error()), fd.error());
    return;
  }
  if (const sys::Status seek = sys::seek_to_start(fd->get()); !seek) {
    warn("lseek: %s (%d)\n", std::strerror(seek.error()), seek.error());
    return;
  }
  const sys::Result<std::string> text = sys::read_once(fd->get(), kUsbDevicesRead);
  if (!text) {
    warn("read: %s (%d)\n", std::strerror(text.error()), text.error());
    return;
  }
  walk_usb_devices(*text, record, wanted_class, index);
}

}  // namespace nexa
