// The disk listing's lines, device and host names, and the slot table.
#include "storage/disk_listing.h"

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

TEST(DiskListing, LinesSplitIntoBoundedFields) {
  const struct {
    std::string line;
    ListedDisk expected;
  } rows[] = {
      {"BusType: sata_vela1 Dev: sdc Host: scsi1 Channel: 00 Id: 00 Lun: 00",
       {"sata_vela1", "sdc", "scsi1", "0"}},
      {"BusType: usb-storage sda scsi4 Id: 01", {"usb-storage", "sda", "scsi4", "1"}},
      {"BusType: " + std::string(100, 'b') + " sdb", {std::string(31, 'b'), "sdb", "", ""}},
      {"BusType: x sd" + std::string(50, 'd') + " scsi" + std::string(50, '7'),
       {"x", "sd" + std::string(9, 'd'), "scsi" + std::string(7, '7'), ""}},
      {"Id: 03 scsi2 sdd BusType: late", {"late", "", "", ""}},  // markers out of order
      {"no markers at all", {"", "", "", ""}},
      {"BusType: ", {"", "", "", ""}},
      {"BusType:sda", {"", "sda", "", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    const ListedDisk disk = parse_listing_line(row.line);
    EXPECT_EQ(disk.bus_type, row.expected.bus_type);
    EXPECT_EQ(disk.dev_name, row.expected.dev_name);
    EXPECT_EQ(disk.host, row.expected.host);
    EXPECT_EQ(disk.id, row.expected.id);
  }
}

TEST(DiskListing, ExportedSplitStaysInItsBuffers) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    const std::string line = "BusType: " + hostile.value + " sd" + hostile.value + " scsi" +
                             hostile.value + " Id: 0" + hostile.value;
    char bus[32], dev[12], host[12], id[12];  // exactly the documented sizes, for ASan
    get_bustype_devName_host(line.c_str(), bus, dev, host, id);
    EXPECT_LE(std::strlen(bus), 31u);
    EXPECT_LE(std::strlen(dev), 11u);
    EXPECT_LE(std::strlen(host), 11u);
    EXPECT_LE(std::strlen(id), 11u);
  }
}

TEST(DiskListing, DeviceAndHostNames) {
  EXPECT_EQ(usb_index("sda"), 1);
  EXPECT_EQ(usb_index("sdh"), 8);
  for (const char* other : {"sdi", "sda1", "hda", "sd", ""})
    EXPECT_FALSE(usb_index(other)) << other;
  EXPECT_EQ(host_number("scsi12"), 12);
  for (const char* other : {"scsi", "scsiX", "host1", "scsi99999999999"})
    EXPECT_FALSE(host_number(other)) << other;
  EXPECT_EQ(nexalib_compare_disk_devName("sda", "/dev/sda"), 1);
  const std::string name(200, 'x');
  EXPECT_EQ(nexalib_compare_disk_devName(name.c_str(), ("/dev/" + name).c_str()), 1);
  EXPECT_EQ(nexalib_compare_disk_devName(name.c_str(), ("/dev/" + name + "y").c_str()), 0)
      << "no truncation makes two long paths equal";
}

class SlotTableTest : public testing::LibraryTest {};

TEST_F(SlotTableTest, SlotsInBothControllerModes) {
  const struct {
    bool second;
    const char* bus;
    const char* id;
    const char* host;
    const char* slot;  // nullptr: none
  } rows[] = {
      {true, "sata_vela1", "1", "scsi0", "1"},     {true, "sata_vela1", "0", "scsi0", "2"},
      {true, "sata_vela0", "1", "scsi0", "3"},     {true, "sata_vela0", "0", "scsi0", "4"},
      {true, "sata_vela0", "2", "scsi0", nullptr}, {true, "other", "0", "scsi0", nullptr},
      {false, "sata_vela0", "7", "scsi9", "1"},    {false, "sata_vela1", "", "", "2"},
      {false, "other", "0", "scsi0", "3"},         {false, "other", "0", "scsi1", "4"},
      {false, "other", "0", "scsi2", "5"},         {false, "other", "0", "scsi3", "6"},
      {false, "other", "0", "scsi4", nullptr},     {false, "other", "0", "scsi", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.bus) + " " + row.id + " " + row.host);
    const auto slot = panel_slot(row.second, row.bus, row.id, row.host);
    EXPECT_EQ(slot.has_value(), row.slot != nullptr);
    if (slot && row.slot) {
      EXPECT_EQ(*slot, row.slot);
    }
  }
  EXPECT_FALSE(sata_second_mode()) << "no status file: the first mode";
  write_file("/proc/sata_stat", "P0: up\nP3: up\n");
  EXPECT_TRUE(sata_second_mode());
  EXPECT_EQ(nexalib_get_sata_vela_mode(nullptr, nullptr, nullptr), 1);
  write_file("/proc/sata_stat", "P3: up\nP1: up");
  EXPECT_FALSE(sata_second_mode()) << "only the last line counts";
}

}  // namespace
}  // namespace nexa
