// Block quotas: what the kernel is asked to set, how usage reads back, and
// which mount a directory names.
#include "sharing/quotas.h"

#include <linux/dqblk_xfs.h>
#include <sys/quota.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

// What one quotactl call was given.
struct Call {
  int command = 0;
  std::string device;
  int id = 0;
  struct dqblk generic {};
  struct fs_disk_quota xfs {};
};

bool is_generic(int command) {
  const unsigned sub = static_cast<unsigned>(command) >> SUBCMDSHIFT;
  return sub == Q_SETQUOTA || sub == Q_GETQUOTA;
}

class QuotasTest : public testing::LibraryTest {
 protected:
  QuotasTest() {
    write_file("/etc/passwd", "root:x:0:0::/root:/bin/sh\nann:x:1001:100::/home/ann:/bin/sh\n");
    write_file("/etc/group", "root:x:0:\nstaff:x:50:ann\n");
    write_file("/proc/mounts",
               "/dev/sdb1 /mnt/disk10 ext3 rw 0 0\n/dev/sda1 /mnt/disk1 xfs rw 0 0\n"
               "/dev/sdc1 /mnt/my\\040disk ext3 rw 0 0\n/dev/" +
                   std::string(NEXALIB_DEVICE_PATH_SIZE, 'd') + " /mnt/long ext3 rw 0 0\n");
    set_kernel_calls({.statfs = {},
                      .quotactl =
                          [this](int command, const char* device, int id, void* data) {
                            Call call{command, device, id, {}, {}};
                            if (is_generic(command))
                              std::swap(call.generic, *static_cast<struct dqblk*>(data));
                            else
                              std::swap(call.xfs, *static_cast<struct fs_disk_quota*>(data));
                            calls.push_back(call);
                            if (failing) {
                              errno = EPERM;
                              return -1;
                            }
                            if (is_generic(command))
                              *static_cast<struct dqblk*>(data) = generic_answer;
                            else
                              *static_cast<struct fs_disk_quota*>(data) = xfs_answer;
                            return 0;
                          },
                      .interface_ioctl = {}});
  }
  std::vector<Call> calls;
  struct dqblk generic_answer {};
  struct fs_disk_quota xfs_answer {};
  bool failing = false;
};

TEST_F(QuotasTest, LimitsTheKernelIsGiven) {
  const struct {
    const char* type;
    uint64_t limit;  // KiB, or 512-byte blocks on XFS
    int megabytes, kind;
  } rows[] = {
      {"ext3", 512000, 500, 0}, {"ext3", 1024, 0, 0},
      {"ext3", 0, -1, 0},       {"ext3", 3072000000, 3000000, 0},
      {"xfs", 1024000, 500, 0}, {"xfs", 2048, 0, 1},
      {"xfs", 0, -1, 1},        {"xfs", 6144000000, 3000000, 1},
      {"ext3", 512000, 500, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.megabytes) + " MB " + row.type + " kind " +
                 std::to_string(row.kind));
    calls.clear();
    const int result =
        row.kind == 0 ? nexalib_set_user_quota("ann", row.megabytes, "/mnt/disk1", row.type)
                      : nexalib_set_group_quota("staff", row.megabytes, "/mnt/disk1", row.type);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(calls.size(), 1u);
    const Call& call = calls[0];
    EXPECT_EQ(call.device, "/dev/sda1");
    EXPECT_EQ(call.id, row.kind == 0 ? 1001 : 50);
    if (std::string_view(row.type) == "xfs") {
      EXPECT_EQ(call.command, static_cast<int>(QCMD(Q_XSETQLIM, row.kind)));
      EXPECT_EQ(call.xfs.d_fieldmask, 0x3f);
      EXPECT_EQ(call.xfs.d_id, static_cast<uint32_t>(call.id));
      EXPECT_EQ(call.xfs.d_blk_hardlimit, row.limit);
      EXPECT_EQ(call.xfs.d_blk_softlimit, row.limit);
    } else {
      EXPECT_EQ(call.command, static_cast<int>(QCMD(Q_SETQUOTA, row.kind)));
      EXPECT_EQ(call.generic.dqb_valid, static_cast<uint32_t>(QIF_BLIMITS));
      EXPECT_EQ(call.generic.dqb_bhardlimit, row.limit);
      EXPECT_EQ(call.generic.dqb_bsoftlimit, row.limit);
    }
  }
  calls.clear();
  EXPECT_EQ(nexalib_setquota("/dev/sda1", 0, 1001, -2, "ext3"), -1) << "no such quota";
  EXPECT_EQ(nexalib_setquota("/dev/sda1", 2, 1001, 5, "ext3"), -1) << "no such kind";
  EXPECT_EQ(nexalib_setquota(nullptr, 0, 1001, 5, "ext3"), -1);
  EXPECT_EQ(nexalib_set_user_quota("ann", 5, "/mnt/disk", "ext3"), -1) << "not a mount";
  EXPECT_TRUE(calls.empty());
  failing = true;
  EXPECT_EQ(nexalib_setquota("/dev/sda1", 0, 1001, 5, nullptr), -1);
}

TEST_F(QuotasTest, RecordLimitsAndQueries) {
  const NexalibQuota record = {2048, 9999, 7, 300, 200, 5, 60, 70};
  ASSERT_EQ(nexalib_linuxquota_setqlim("/dev/sda1", 1001, 1, &record), 0);
  ASSERT_EQ(nexalib_linuxquota_xfs_setqlim("/dev/sda1", 1001, 0, &record), 0);
  ASSERT_EQ(calls.size(), 2u);
  const struct dqblk& generic = calls[0].generic;
  EXPECT_EQ(calls[0].command, static_cast<int>(QCMD(Q_SETQUOTA, 1)));
  EXPECT_EQ(generic.dqb_bhardlimit, 2048u);
  EXPECT_EQ(generic.dqb_bsoftlimit, 2048u) << "both from the hard limit";
  EXPECT_EQ(generic.dqb_ihardlimit + generic.dqb_isoftlimit, 500u);
  EXPECT_EQ(generic.dqb_btime + generic.dqb_itime, 130u);
  EXPECT_EQ(generic.dqb_curspace, 0u);
  const struct fs_disk_quota& xfs = calls[1].xfs;
  EXPECT_EQ(calls[1].command, static_cast<int>(QCMD(Q_XSETQLIM, 0)));
  EXPECT_EQ(xfs.d_blk_hardlimit + xfs.d_blk_softlimit, 8192u);
  EXPECT_EQ(xfs.d_ino_hardlimit, 300u);
  EXPECT_EQ(xfs.d_flags, FS_USER_QUOTA);

  generic_answer = {.dqb_bhardlimit = 4096,
                    .dqb_bsoftlimit = 5000000000,
                    .dqb_curspace = 1048576 + 1023,
                    .dqb_ihardlimit = 10,
                    .dqb_isoftlimit = 9,
                    .dqb_curinodes = 3,
                    .dqb_btime = 1700000000,
                    .dqb_itime = 5000000000,
                    .dqb_valid = 0};
  NexalibQuota read{};
  ASSERT_EQ(nexalib_linuxquota_query("/dev/sda1", 1001, 0, &read), 0);
  EXPECT_EQ(calls.back().command, static_cast<int>(QCMD(Q_GETQUOTA, 0)));
  const NexalibQuota expected = {4096, INT32_MAX, 1024, 10, 9, 3, 1700000000, UINT32_MAX};
  EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
  EXPECT_EQ(nexalib_linuxquota_query("/dev/sda1", 1001, 0, nullptr), -1);
}

TEST_F(QuotasTest, UsageInTheDocumentedUnits) {
  const struct {
    const char* type;
    uint64_t used;  // bytes (generic) or 512-byte blocks (XFS)
    int kind, usage;
  } rows[] = {
      {"ext3", 5242880, 0, 5120},       {"ext3", 2048, 1, 2},
      {"xfs", 2048, 0, 1048},           {"xfs", 2048, 1, 1048576},
      {"xfs", 10000000, 1, INT_MAX},    {"xfs", 1ULL << 40, 0, INT_MAX},
      {"ext3", 1ULL << 50, 0, INT_MAX},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.used) + " " + row.type + " kind " + std::to_string(row.kind));
    generic_answer.dqb_curspace = row.used;
    xfs_answer.d_bcount = row.used;
    int usage = -7;
    const int result = row.kind == 0
                           ? nexalib_get_user_disk_usage("ann", &usage, "/mnt/disk1", row.type)
                           : nexalib_get_group_disk_usage("staff", &usage, "/mnt/disk1", row.type);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(usage, row.usage);
    EXPECT_EQ(calls.back().command,
              static_cast<int>(std::string_view(row.type) == "xfs" ? QCMD(Q_XGETQUOTA, row.kind)
                                                                   : QCMD(Q_GETQUOTA, row.kind)));
  }
  failing = true;
  int usage = -7;
  EXPECT_EQ(nexalib_get_user_disk_usage("ann", &usage, "/mnt/disk1", "xfs"), 0);
  EXPECT_EQ(nexalib_get_group_disk_usage("staff", &usage, "/mnt/disk1", "xfs"), -1);
  EXPECT_EQ(usage, -7) << "written only on success";
}

TEST_F(QuotasTest, DeviceOfTheExactMount) {
  const struct {
    const char* dir;
    const char* device;  // nullptr: -1
  } rows[] = {
      {"/mnt/disk1", "/dev/sda1"},
      {"/mnt/disk10", "/dev/sdb1"},
      {"/mnt/disk", nullptr},
      {"/mnt/disk1/", nullptr},
      {"", nullptr},
      {"/mnt/my disk", "/dev/sdc1"},
      {"/mnt/long", nullptr},
      {nullptr, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dir ? row.dir : "(null)");
    char device[NEXALIB_DEVICE_PATH_SIZE + 8] = "untouched";
    EXPECT_EQ(nexalib_mntdir2dev(row.dir, device), row.device ? 0 : -1);
    EXPECT_STREQ(device, row.device ? row.device : "untouched");
  }
}

TEST_F(QuotasTest, AbsentAccountsAreReported) {
  const testing::CapturedMessages printed;
  int usage = -7;
  EXPECT_EQ(nexalib_set_user_quota("ghost", 5, "/mnt/disk1", "xfs"), -1);
  EXPECT_EQ(nexalib_set_group_quota("ghosts", 5, "/mnt/disk1", "xfs"), -1);
  EXPECT_EQ(nexalib_get_user_disk_usage("ghost", &usage, "/mnt/disk1", ""), 0);
  EXPECT_EQ(nexalib_get_group_disk_usage("ghosts", &usage, "/mnt/disk1", ""), -1);
  EXPECT_EQ(usage, -7);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(printed.text(),
            "quota (LINE) Can not get user :\"ghost\" information from /etc/passwd file\n"
            "quota (LINE) Can not get user :\"ghosts\" information from /etc/group file\n"
            "quota (LINE) Can not get user :\"ghost\" information from /etc/passwd file\n"
            "quota (LINE) Can not get user :\"ghosts\" information from /etc/group file\n");
}

TEST_F(QuotasTest, ShownRecord) {
  const NexalibQuota record = {512000, 513024, 77, 0, -1, 3, 4000000000, 0};
  const testing::ChildResult child = testing::run_in_child([&record] {
    nexalib_show_quota_info(&record);
    nexalib_show_quota_info(nullptr);
  });
  EXPECT_EQ(child.out,
            "bhardlimit=512000\nbsoftlimit=513024\ncurblocks=77\nihardlimit=0\nisoftlimit=-1\n"
            "curinodes=3\nbtime=4000000000\nitime=0\n");
}

}  // namespace
}  // namespace nexa
