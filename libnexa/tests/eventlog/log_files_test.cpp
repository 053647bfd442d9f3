// The log files: time stamps, whole lines, rotation, concurrent writers,
// full or unwritable file systems, and the page files cut for display.
#include <signal.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <map>

#include "eventlog_test_support.h"

namespace nexa::testing {

TEST_F(EventLogTest, ALogOverTheLimitIsRenamedToTheWholeOldName) {
  for (const size_t size : {1024000, 1024001}) {
    SCOPED_TRACE(size);
    write_file(kAdminLog, filled(size));
    write_file("/var/log/log.admin.old", "older\n");
    EXPECT_EQ(nexalib_log_admin("next"), 0);
    const bool rotated = size > 1024000;
    const std::vector<std::string> lines = entries();  // the filler is one word
    EXPECT_EQ(lines.size(), rotated ? 1u : 2u);
    EXPECT_EQ(lines.back(), "next");
    EXPECT_TRUE(rotated || lines.front() + "\n" == filled(size));
    EXPECT_EQ(read_file("/var/log/log.admin.old"), rotated ? filled(size) : "older\n");
  }
  const std::string dir = "/var/log/" + std::string(90, 'd'), log = dir + "/debug.log";
  std::filesystem::create_directories(path(dir));
  write_file(log, filled(1024001));
  EXPECT_EQ(odb_debug_mask_check_log_size(log.c_str()), 0);
  EXPECT_EQ(content(log + ".old").size() + exists(log), 1024001u);
  EXPECT_EQ(odb_debug_mask_check_log_size(log.c_str()) + odb_debug_mask_check_log_size(nullptr), 0);
  // A directory holds the ".old" name: the rename's failure is returned,
  // and the entry still goes to the full log.
  std::filesystem::remove(path("/var/log/log.admin.old"));
  write_file("/var/log/log.admin.old/keep", "x");
  write_file(kAdminLog, filled(1024001));
  EXPECT_EQ(odb_debug_mask_check_log_size(kAdminLog), -1);
  EXPECT_EQ(nexalib_log_admin("kept"), 0);
  EXPECT_EQ(entries().size(), 2u);
  EXPECT_EQ(entries().back(), "kept");
}

TEST_F(EventLogTest, EightWritersLoseNoEntryAcrossARotation) {
  write_file(kAdminLog, filled(1024000 - 600));
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children(8);
  for (int w = 0; w < 8; ++w) {
    if ((children[w] = ::fork()) != 0) continue;
    char go = 0;  // all start when the pipe is closed
    ::close(start[1]);
    (void)!::read(start[0], &go, 1);
    for (int i = 0; i < 200; ++i) nexalib_log_admin("writer %d entry %d", w, i);
    ::_exit(0);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (int status = -1; const pid_t child : children)
    EXPECT_TRUE(::waitpid(child, &status, 0) == child && status == 0) << status;
  EXPECT_TRUE(read_file("/var/log/log.admin.old").starts_with(filled(1024000 - 600)));
  std::map<std::string, int> seen;
  for (const char* log : {"/var/log/log.admin.old", kAdminLog})
    for (const std::string& entry : entries(log)) ++seen[entry];
  EXPECT_EQ(seen.size(), 8u * 200 + 1);  // with the filler
  for (int n = 0; n < 8 * 200; ++n)
    EXPECT_EQ(seen["writer " + std::to_string(n / 200) + " entry " + std::to_string(n % 200)], 1);
}

TEST_F(EventLogTest, AnUnwritableOrFullLogLosesTheEntryWhole) {
  std::filesystem::remove(path("/var/log"));
  write_file("/var/log", "not a directory");
  EXPECT_EQ(nexalib_log_admin("lost") + odb_debug_mask_check_log_size(kAdminLog), -1);
  EXPECT_EQ(read_file("/var/log"), "not a directory");
  EXPECT_EQ(nexalib_log_admin(nullptr) + odb_debug_mask_syslog(nullptr), -2) << "no format";
  std::filesystem::remove(path("/var/log"));
  // A write cut short by the file size limit leaves no half line behind.
  write_file(kAdminLog, "first\n");
  const ChildResult child = run_in_child([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{20, 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::printf("%d", nexalib_log_admin("a line longer than the limit allows"));
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out, "-1");
  EXPECT_EQ(read_file(kAdminLog), "first\n");
  // The log is a full device (only root may make one).
  std::filesystem::remove(path(kAdminLog));
  if (::mknod(path(kAdminLog).c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) GTEST_SKIP();
  EXPECT_EQ(nexalib_log_admin("lost") + odb_debug_mask_check_log_size(kAdminLog), -1);
}

TEST_F(EventLogTest, PagesAreThirtyReadsWithoutBlankLinesAndAllNineExist) {
  std::string log;
  for (int n = 1; n <= 300; ++n) {
    const std::string line = n == 20 ? std::string(300, 'L') : "entry " + std::to_string(n);
    log += (n % 7 ? line : "") + "\n";
  }
  write_file("/var/log/log.admin", log);
  write_file("/var/log/empty", "");
  write_log_to_other_file("admin", "/srv", "/var/log/log.admin");
  write_log_to_other_file("empty", "/srv", "/var/log/empty");
  std::string pages;
  for (const std::string n : {"1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
    pages += "== page " + n + "\n" + content("/srv/log/.admin" + n);
    EXPECT_EQ(content("/srv/log/.empty" + n), "");
  }
  expect_golden(pages, "eventlog/pages_300.golden");
  // A log that cannot be opened: the old pages go, no new ones are made.
  write_log_to_other_file("other", "/srv", "/var/log/missing");
  EXPECT_EQ(commands.lines.size(), 6u);
  EXPECT_FALSE(exists("/srv/log/.other1"));
}

}  // namespace nexa::testing
