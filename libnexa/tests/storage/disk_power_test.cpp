// Disk standby timers: the minutes-to-value table and the hdparm commands
// for one, all and selected disks.
#include "storage/disk_power.h"

#include "core/odb_access.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

TEST(SpindownValue, MinutesBecomeTheTimerValue) {
  const struct {
    const char* minutes;
    int value;
  } rows[] = {{"10", 120},
              {"21", 252},
              {"25", 241},
              {"90", 243},
              {"600", 251},
              {"0", 0},
              {"", 0},
              {"20", 240},
              {"30", 241},
              {"60", 242},
              {"-5", 0},
              {"soon", 0},
              {"99999999999999999999", 251}};
  for (const auto& row : rows) EXPECT_EQ(spindown_value(row.minutes), row.value) << row.minutes;
}

class DiskPowerTest : public testing::LibraryTest {
 protected:
  guint32 disk(const std::string& dev, const std::string& usb) {
    return odb.add("Disk", {{"devName", dev}, {"usbName", usb}});
  }
  OdbProps* settings(const std::string& all, const std::string& devices) {
    const guint32 oid = odb.add(
        "SpinDown", {{"spinDownTime", "10"}, {"spinDownAll", all}, {"spinDownDev", devices}});
    return get_main_props(*odb.get(), oid);
  }
  testing::OdbSession odb;
};

TEST_F(DiskPowerTest, SelectedDisksGetTheTimeAndTheOthersNone) {
  disk("/dev/sda", "usb1");
  disk("/dev/sdb", "usb2");
  disk("/dev/sdc", "usb3");
  nexalib_set_disk_spindown_time_selected(odb, settings("0", "&usb1&usb3&"));
  EXPECT_EQ(commands.lines,
            (std::vector<std::string>{"/sbin/hdparm -S 120 /dev/sda >/dev/null 2>&1",
                                      "/sbin/hdparm -S 0 /dev/sdb >/dev/null 2>&1",
                                      "/sbin/hdparm -S 120 /dev/sdc >/dev/null 2>&1"}));
  commands.lines.clear();
  nexalib_set_disk_spindown_time_selected(odb, settings("1", "&usb1&"));
  nexalib_set_disk_spindown_time_selected(odb, settings("0", ""));
  nexalib_set_disk_spindown_time_all(odb, settings("0", ""));
  EXPECT_TRUE(commands.lines.empty()) << "nothing selected, or not this mode";
  nexalib_set_disk_spindown_time_all(odb, settings("1", ""));
  EXPECT_EQ(commands.lines.size(), 3u);
}

TEST_F(DiskPowerTest, OneDiskWithOrWithoutSettings) {
  OdbProps* sda = get_main_props(*odb.get(), disk("/dev/sda", "usb1"));
  nexalib_set_disk_spindown_time(nullptr, sda);
  nexalib_set_disk_spindown_time(settings("1", ""), sda);
  nexalib_set_disk_spindown_time(settings("1", ""), nullptr);
  EXPECT_EQ(commands.lines,
            (std::vector<std::string>{"/sbin/hdparm -S 0 /dev/sda >/dev/null 2>&1",
                                      "/sbin/hdparm -S 120 /dev/sda >/dev/null 2>&1"}));
}

TEST_F(DiskPowerTest, DeviceNamesStayOneWord) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    commands.lines.clear();
    const std::string dev = hostile.value.substr(0, hostile.value.find('\0'));
    nexalib_set_disk_spindown_time(nullptr, get_main_props(*odb.get(), disk(dev, "usb9")));
    if (dev.starts_with('-')) {
      EXPECT_TRUE(commands.lines.empty()) << "hdparm would read it as an option";
      continue;
    }
    ASSERT_EQ(commands.lines.size(), 1u);
    EXPECT_EQ(testing::shell_words(commands.lines[0]),
              (std::vector<std::string>{"/sbin/hdparm", "-S", "0", dev, ">/dev/null", "2>&1"}));
  }
}

}  // namespace
}  // namespace nexa
