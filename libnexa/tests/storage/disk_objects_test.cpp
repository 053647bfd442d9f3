// Disk objects from the discovery script's listing, sized and named from
// the kernel's files; the disk flags of the "System" object.
#include "storage/disk_objects.h"

#include <fstream>

#include "core/odb_access.h"
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

constexpr const char* kScript = "/usr/trellis/handlers/base/usb_disk/sdlist.sh";

class DiskObjectsTest : public testing::LibraryTest {
 protected:
  // The script writes the listing and exits with the status given.
  void listing(const std::string& text, int status = 0) {
    commands.on(kScript, [this, text, status](const std::string&) {
      write_file("/tmp/usb.info", text);
      return status;
    });
  }
  // grep finds the partitions line for the device.
  void partitions(const std::string& line) {
    commands.on("cat ", [line](const std::string& command) {
      const size_t to = command.find(" > ") + 3;
      std::ofstream(command.substr(to, command.size() - to - 1)) << line;
      return 0;
    });
  }
  std::string prop(guint32 oid, const char* key, const char* ns = "") {
    const char* value = odb_standin_get_prop(oid, ns, key);
    return value ? value : "(none)";
  }
  guint32 only_disk() {
    GSList* disks = find_class_oids(*odb.get(), "Disk");
    EXPECT_EQ(g_slist_length(disks), 1u);
    return first_oid(disks);
  }
  testing::OdbSession odb;
};

TEST_F(DiskObjectsTest, InternalDiskGetsSlotHostSizeAndModel) {
  write_file("/tmp/.keep", "");
  write_file("/proc/sata_stat", "P3: up\n");
  write_file("/proc/scsi/scsi",
             "Attached devices: sdc\n  Vendor: ATA      Model: WDC WD10EZEX     Rev: 1A01\n");
  partitions("   8       32  976762584 sdc\n");
  listing("BusType: sata_vela1 sdc scsi1 Id: 00\n\n");
  EXPECT_EQ(nexalib_usb_disk_add_new_disk_object(odb, "all"), 1);
  EXPECT_EQ(commands.lines[0], std::string(kScript) + " all ");
  EXPECT_EQ(commands.lines[1],
            "cat " + path("/proc/partitions") + " | grep \"sdc\" > " + path("/tmp/usbsize") + " ");
  const guint32 disk = only_disk();
  const std::pair<const char*, std::string> expected[] = {{"devName", "/dev/sdc"},
                                                          {"usbName", "usb3"},
                                                          {"busType", "sata_vela1"},
                                                          {"id", "0"},
                                                          {"slot", "2"},
                                                          {"host", "1"},
                                                          {"size", "976762584"},
                                                          {"totalSize", "976762584"},
                                                          {"model", "WDC WD10EZEX"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(prop(disk, key), value) << key;
}

TEST_F(DiskObjectsTest, UsbDiskIsScsiWithItsMountPoint) {
  write_file("/tmp/.keep", "");
  listing("BusType: usb-storage sda scsi4 Id: 00\nBusType: usb-storage sdi scsi5 Id: 00\n");
  EXPECT_EQ(nexalib_usb_disk_add_new_disk_object(odb, "usb"), 1);
  const guint32 disk = only_disk();  // sdi is past the eight names
  EXPECT_EQ(prop(disk, "busType"), "scsi");
  for (const char* key : {"id", "slot", "host"}) EXPECT_EQ(prop(disk, key), "(none)") << key;
  EXPECT_EQ(prop(disk, "size"), "0") << "not found in the partitions";
  EXPECT_EQ(commands.lines[1], "echo /mnt/usb1 > " + path("/tmp/mount.point.usb"));
  EXPECT_EQ(nexalib_add_new_disk(odb, "usb"), 0) << "already known";
  EXPECT_EQ(nexalib_disk_object_isexist(odb, "sda", "usb-storage"), 1);
  EXPECT_EQ(nexalib_disk_object_isexist(odb, "sda", "sata_vela0"), 0);
}

TEST_F(DiskObjectsTest, ScriptFailureAndEmptyListing) {
  listing("", 256);
  EXPECT_EQ(nexalib_usb_disk_add_new_disk_object(odb, "x"), -1);
  EXPECT_EQ(nexalib_add_new_disk(odb, "x"), -1);
  int oid = 0;
  EXPECT_EQ(nexalib_check_disk_exist(odb, &oid, "/dev/sda", "x"), -1);
  commands = {};
  listing("\n\n");
  EXPECT_EQ(nexalib_usb_disk_add_new_disk_object(odb, "x"), 0);
}

TEST_F(DiskObjectsTest, CheckRefreshesTheListedDisk) {
  write_file("/tmp/.keep", "");
  const guint32 oid = odb.add("Disk", {{"devName", "/dev/sdb"}, {"slot", "4"}});
  listing("BusType: usb-storage sda scsi4 Id: 00\nBusType: usb-storage sdb scsi5 Id: 00\n");
  int given = static_cast<int>(oid);
  EXPECT_EQ(nexalib_check_disk_exist(odb, &given, "/dev/sdb", "one"), 1);
  EXPECT_EQ(prop(oid, "busType"), "scsi");
  EXPECT_EQ(prop(oid, "slot"), "");
  EXPECT_EQ(prop(oid, "raidUsaged"), "0");
  EXPECT_EQ(prop(oid, "host"), "5");
  EXPECT_EQ(nexalib_check_disk_exist(odb, &given, "/dev/sdc", "one"), 0);
}

TEST_F(DiskObjectsTest, ModelLinesOfEveryShape) {
  const struct {
    const char* scsi;
    const char* model;  // nullptr: not set
  } rows[] = {
      {"sda\n  Vendor: X Model: Disk One    Rev: 1\n", "Disk One"},
      {"sda\n Rev: 1 Model: Backwards\n", ""},
      {"sda\nModel:       Rev: 9\n", ""},
      {"sda\n  Model: no revision\n", nullptr},
      {"other\nModel: X Rev: 1\n", nullptr},
      {"sda", nullptr},
      {"", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.scsi);
    write_file("/proc/scsi/scsi", row.scsi);
    PropsPtr props = new_props();
    nexalib_get_disk_model(props.get(), "sda");
    const char* model = odb_props_get(props.get(), "model");
    EXPECT_EQ(model ? std::string(model) : "(unset)", row.model ? row.model : "(unset)");
  }
}

TEST_F(DiskObjectsTest, DiskFlagsOfTheSystemObject) {
  const auto alone = testing::run_in_child([&] {
    nexalib_construct_usb_disk_check_unformat_disk(odb);
    std::printf("|%zu", odb.log().size());
  });
  EXPECT_EQ(alone.out, "Disk not found !\n|0") << "no System object: nothing written";
  EXPECT_EQ(nexalib_check_nas_exist(odb), 0);
  EXPECT_EQ(nexalib_check_have_disk(odb), 0);
  const guint32 system = odb.add("System");
  odb.set(system, {{"noDisk", "?"}}, "Disk");
  auto flags = [&] {
    const auto child = testing::run_in_child([&] {
      nexalib_construct_usb_disk_check_unformat_disk(odb);
      std::printf("|%s %s", odb_standin_get_prop(system, "Disk", "noDisk"),
                  odb_standin_get_prop(system, "Disk", "newDisk"));
    });
    return child.out;
  };
  EXPECT_EQ(flags(), "Disk not found !\n|1 0");
  write_file("/system/ImageInfo", "image");
  EXPECT_EQ(flags(), "Disk not found !\n|1 0");
  odb.add("Disk", {{"devName", "/dev/sda"}});
  EXPECT_EQ(flags(), "Disk found !\n|0 0");
  remove(path("/system/ImageInfo").c_str());
  EXPECT_EQ(flags(), "Disk found !\n|0 1");
  EXPECT_EQ(nexalib_check_nas_exist(odb), 1);
  odb.set(system, {{"noDisk", "1"}}, "Disk");
  EXPECT_EQ(nexalib_check_have_disk(odb), 0);
  odb.set(system, {{"noDisk", "0"}}, "Disk");
  EXPECT_EQ(nexalib_check_have_disk(odb), 1);
}

}  // namespace
}  // namespace nexa
