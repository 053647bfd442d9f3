// The df-style list of mounted file systems, mount lookups, and refreshing
// the disks from the check script.
#include "storage/disk_usage.h"

#include <map>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

struct Blocks {
  long total, free, available, size;
};

class DiskUsageTest : public testing::LibraryTest {
 protected:
  // The mount table and what statfs says of each directory.
  void mounts(const std::string& table, const std::map<std::string, Blocks>& stats) {
    write_file("/etc/mtab", table);
    set_kernel_calls({.statfs =
                          [this, stats](const char* mapped, struct statfs* out) {
                            const std::string dir = std::string(mapped).substr(root.size());
                            const auto it = stats.find(dir.empty() ? "/" : dir);
                            if (it == stats.end()) {
                              errno = EACCES;
                              return -1;
                            }
                            out->f_blocks = it->second.total;
                            out->f_bfree = it->second.free;
                            out->f_bavail = it->second.available;
                            out->f_bsize = it->second.size;
                            return 0;
                          },
                      .quotactl = {},
                      .interface_ioctl = {}});
  }
};

TEST(Kscale, RoundsToTheNearestKilobyte) {
  const struct {
    long blocks, size;
    int kib;
  } rows[] = {{1, 512, 1}, {1, 511, 0}, {1000, 4096, 4000}, {3, 1024, 3}, {1048576, 2048, 2097152}};
  for (const auto& row : rows)
    EXPECT_EQ(kscale(row.blocks, row.size), row.kib) << row.blocks << "x" << row.size;
}

TEST_F(DiskUsageTest, MountedFileSystemsAsDfShowsThem) {
  const std::string long_device = "/dev/" + std::string(60, 'd');
  mounts("rootfs / rootfs rw 0 0\nproc /proc proc rw 0 0\n/dev/sda1 /mnt/disk1 ext3 rw 0 0\n" +
             long_device + " /system xfs rw 0 0\n",
         {{"/", {100, 50, 50, 4096}},
          {"/proc", {0, 0, 0, 4096}},
          {"/mnt/disk1", {1000, 250, 200, 4096}},
          {"/system", {10, 10, 10, 1024}}});
  NexalibDiskInfo* list = nexalib_get_disk_information();
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->device, "/dev/sda1");
  EXPECT_STREQ(list->mount_point, "/mnt/disk1");
  EXPECT_STREQ(list->type, "ext3");
  EXPECT_EQ(list->total, 4000);
  EXPECT_EQ(list->used, 3000);
  EXPECT_EQ(list->available, 800);
  EXPECT_EQ(list->percent, 79);
  ASSERT_NE(list->next, nullptr);
  EXPECT_EQ(std::string(list->next->device), long_device.substr(0, 39));
  EXPECT_EQ(list->next->percent, 0);
  EXPECT_EQ(list->next->next, nullptr) << "rootfs and pseudo file systems left out";
  nexalib_free_disk_information(list);

  EXPECT_STREQ(nexalib_check_root_filetype("/mnt/disk1"), "ext3");
  EXPECT_EQ(nexalib_check_root_filetype("/mnt/disk1/share"), nullptr) << "not a mount point";
  EXPECT_EQ(nexalib_format_check_system_is_mounted(), 1);
}

TEST_F(DiskUsageTest, AFailingStatfsOrNoTableGivesNothing) {
  mounts("/dev/sda1 /mnt/disk1 ext3 rw 0 0\n/dev/sdb1 /mnt/gone ext3 rw 0 0\n",
         {{"/mnt/disk1", {1000, 250, 200, 4096}}});
  EXPECT_EQ(nexalib_get_disk_information(), nullptr);
  EXPECT_EQ(nexalib_format_check_system_is_mounted(), 0);
  remove(path("/etc/mtab").c_str());
  EXPECT_EQ(nexalib_get_disk_information(), nullptr);
}

TEST_F(DiskUsageTest, MountEntryHoldingAPath) {
  write_file("/data/share/file", "");
  write_file("/etc/mtab", "/dev/sdz9 /elsewhere ext3 rw 0 0\n/dev/sda1 /data ext3 rw 0 0\n");
  const struct mntent* entry = find_mount_point("/data/share/file", "/etc/mtab");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->mnt_fsname, "/dev/sda1");
  EXPECT_EQ(find_mount_point("/no/such/path", "/etc/mtab"), nullptr);
}

class DiskRefreshTest : public testing::LibraryTest {
 protected:
  std::string prop(guint32 oid, const char* key) {
    const char* value = odb_standin_get_prop(oid, "", key);
    return value ? value : "(none)";
  }
  testing::OdbSession odb;
};

TEST_F(DiskRefreshTest, ScriptAnswersBecomeDiskProperties) {
  odb.add("System", {{"hd_bootup", "1"}});
  const guint32 none = odb.add("Disk", {{"devName", "/dev/sda"}, {"size", "9"}});
  const guint32 unmounted = odb.add("Disk", {{"devName", "/dev/sdb"}, {"size", "9"}});
  const guint32 mounted = odb.add("Disk", {{"devName", "/dev/sdc"}});
  const guint32 odd = odb.add("Disk", {{"devName", "/dev/sdd"}, {"size", "9"}});
  const guint32 raid = odb.add("Disk", {{"devName", "/dev/sde"}, {"raidUsaged", "1"}});
  for (const auto& answer :
       std::map<std::string, int>{{"sda", 0}, {"sdb", 256}, {"sdc", 512}, {"sdd", 768}}) {
    const int status = answer.second;
    commands.on("/usr/trellis/handlers/base/disk/chkDisk.sh /dev/" + answer.first,
                [status](const std::string&) { return status; });
  }
  write_file("/tmp/disk.info", "976762584\n1024\n/mnt/disk3\next3\n");
  nexalib_refresh_disk_Info(odb);
  EXPECT_EQ(commands.lines.size(), 4u) << "the RAID member is not checked";
  EXPECT_EQ(commands.lines[0], "/usr/trellis/handlers/base/disk/chkDisk.sh /dev/sda 6");
  EXPECT_EQ(prop(none, "status") + prop(none, "size") + prop(none, "type"), "none0none");
  EXPECT_EQ(prop(unmounted, "status") + prop(unmounted, "size"), "unmount9");
  EXPECT_EQ(prop(mounted, "status") + " " + prop(mounted, "mountPoint") + " " +
                prop(mounted, "size") + " " + prop(mounted, "type"),
            "mounted /mnt/disk3 976762584 ext3");
  EXPECT_EQ(prop(odd, "status"), "(none)") << "an unexpected answer changes nothing";
  EXPECT_EQ(prop(raid, "status"), "(none)");

  write_file("/tmp/disk.info", "1\n2\n/elsewhere\nxfs\n");
  PropsPtr changes = new_props();
  nexalib_set_disk_info(changes.get(), nullptr);
  for (const char* key : {"size", "used", "mountPoint", "type"})
    EXPECT_STREQ(odb_props_get(changes.get(), key), "") << key;
  EXPECT_STREQ(odb_props_get(changes.get(), "status"), "unmount");
}

}  // namespace
}  // namespace nexa
