// Attached USB devices from a crafted kernel device list.
#include "storage/usb_devices.h"

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

constexpr const char* kDevices =
    "T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480 MxCh= 2\n"
    "I:* If#= 0 Alt= 0 #EPs= 1 Cls=09(hub  ) Sub=00 Prot=00 Driver=hub\n"
    "S:  Manufacturer=Acme Corp\n"
    "S:  Product=USB Flash\n"
    "I:* If#= 0 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50 Driver=usb-storage\n"
    "S:  Manufacturer=Printers Inc\n"
    "S:  Product=LaserJet\n"
    "I:* If#= 0 Alt= 0 #EPs= 2 Cls=07(print) Sub=01 Prot=02 Driver=usblp\n"
    "I:* If#= 1 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50 Driver=usb-storage\n"
    "I:  no class here\n";

class UsbDevicesTest : public testing::LibraryTest {
 protected:
  void SetUp() override { write_file("/proc/bus/usb/devices", kDevices); }
};

TEST_F(UsbDevicesTest, InterfacesCountedByClass) {
  const struct {
    int wanted;
    int index;
    int found_class;  // -1: no match
    const char* manufacturer;
    const char* product;
  } rows[] = {
      {3, 0, 8, "Acme Corp", "USB Flash"},  // index 0: the first interface, whatever its class
      {8, 1, 7, "Printers Inc", "LaserJet"},
      {8, 2, 255, "Printers Inc", "LaserJet"},
      {7, 1, 8, "Printers Inc", "LaserJet"},
      {9, 1, -1, "", ""},  // the hub came before any device texts
      {8, 5, -1, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.wanted) + "/" + std::to_string(row.index));
    NexalibUsbDevice* device = nexalib_get_attached_usb_device(row.wanted, row.index);
    if (row.found_class < 0) {
      EXPECT_EQ(device, nullptr);
      continue;
    }
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->class_code, row.found_class);
    EXPECT_STREQ(device->manufacturer, row.manufacturer);
    EXPECT_STREQ(device->product, row.product);
    free(device);
  }
}

TEST(UsbDeviceWalk, HostileListsStayInTheRecord) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    NexalibUsbDevice record{};
    const std::string text = "S: Manufacturer=" + hostile.value + std::string(300, 'm') +
                             "\nS: Product=" + hostile.value + std::string(300, 'p') +
                             "\nI: Cls=" + hostile.value + "\nI: Cls=zz";
    walk_usb_devices(text, record, 8, 0);
    // A line break in a value changes the list's shape, not the bounds.
    if (hostile.value.find('\n') == std::string::npos) {
      EXPECT_EQ(record.found, 1);
    }
    EXPECT_LE(std::strlen(record.manufacturer), 79u);
    EXPECT_LE(std::strlen(record.product), 159u);
  }
}

TEST(UsbDeviceWalk, MissingListReportsAndFindsNothing) {
  testing::ScopedEnv root("NEXALIB_ROOT", "/nonexistent-root");
  const testing::ChildResult child = testing::run_in_child(
      [] { std::printf("%p", static_cast<void*>(nexalib_get_attached_usb_device(8, 0))); });
  EXPECT_EQ(child.out, "(nil)");
}

}  // namespace
}  // namespace nexa
