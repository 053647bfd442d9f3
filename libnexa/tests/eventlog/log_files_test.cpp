// The log files: time stamps, whole lines, rotation, concurrency and full
// or unwritable file systems.
#include "eventlog/log_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class LogFilesTest : public LibraryTest {
 protected:
  LogFilesTest() { std::filesystem::create_directories(path("/var/log")); }
  std::string filled(size_t size) const { return std::string(size - 1, 'x') + "\n"; }
};

TEST_F(LogFilesTest, EntriesAreStampedWithLocalTime) {
  const struct {
    const char* zone;
    const char* stamp;
  } rows[] = {{"UTC0", "2026.3.5-07:08:09 "},
              {"CET-1", "2026.3.5-08:08:09 "},
              {"XXX+8", "2026.3.4-23:08:09 "}};
  set_now(1772694489);  // 2026-03-05 07:08:09 UTC
  for (const auto& row : rows) {
    SCOPED_TRACE(row.zone);
    const testing::ScopedEnv zone("TZ", row.zone);
    ::tzset();
    std::filesystem::remove(path(kAdminLog));
    EXPECT_EQ(nexalib_log_admin("user %s changed %d%%", "%n", 7), 0);
    EXPECT_EQ(read_file(kAdminLog), std::string(row.stamp) + "user %n changed 7%\n");
  }
  ::tzset();
}

TEST_F(LogFilesTest, MessagesStayOneLineAndAreNeverCut) {
  const std::string long_text(5000, 'y');
  EXPECT_EQ(odb_debug_mask_syslog("a\nb\r%s", long_text.c_str()), 0);
  EXPECT_EQ(odb_debug_mask_syslog("%s", ""), 0);
  EXPECT_EQ(read_file(kDebugLog), "a b " + long_text + "\n\n");
  EXPECT_FALSE(exists(kAdminLog));
  EXPECT_EQ(nexalib_log_admin(nullptr), -1);
}

TEST_F(LogFilesTest, LogsOverTheLimitAreRotatedBeforeTheNextEntry) {
  const std::string older = "older\n";
  const struct {
    size_t size;
    bool rotated;
  } rows[] = {{1024000, false}, {1024001, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.size);
    write_file(kAdminLog, filled(row.size));
    write_file("/var/log/log.admin.old", older);
    EXPECT_EQ(nexalib_log_admin("next"), 0);
    const std::string log = read_file(kAdminLog);
    const std::string entry = log.substr(row.rotated ? 0 : row.size);
    EXPECT_EQ(entry.substr(entry.find(' ')), " next\n") << "one entry after the old content";
    if (!row.rotated) {
      EXPECT_EQ(log.substr(0, row.size), filled(row.size));
    }
    EXPECT_EQ(read_file("/var/log/log.admin.old"), row.rotated ? filled(row.size) : older);
  }
}

TEST_F(LogFilesTest, CheckLogSizeRenamesToTheWholeOldName) {
  const std::string dir = "/var/log/" + std::string(90, 'd');
  const std::string log = dir + "/debug.log";
  std::filesystem::create_directories(path(dir));
  write_file(log, filled(1024001));
  EXPECT_EQ(odb_debug_mask_check_log_size(log.c_str()), 0);
  EXPECT_FALSE(exists(log));
  EXPECT_EQ(read_file(log + ".old").size(), 1024001u);
  EXPECT_EQ(odb_debug_mask_check_log_size(log.c_str()), 0) << "a missing file is left alone";
  EXPECT_EQ(odb_debug_mask_check_log_size(nullptr), 0);

  // The rename fails (a non-empty directory holds the ".old" name): the
  // failure is returned, and an entry still goes to the full log.
  write_file(kAdminLog, filled(1024001));
  write_file("/var/log/log.admin.old/keep", "x");
  EXPECT_EQ(odb_debug_mask_check_log_size(kAdminLog), -1);
  EXPECT_EQ(nexalib_log_admin("kept"), 0);
  EXPECT_GT(read_file(kAdminLog).size(), 1024001u);
}

TEST_F(LogFilesTest, ConcurrentWritersLoseNoEntryAcrossARotation) {
  constexpr int kWriters = 8;
  constexpr int kEntries = 200;
  write_file(kAdminLog, filled(1024000 - 600));
  // The writers start together: each waits until the pipe is closed.
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(start[1]);
      char go = 0;
      (void)!::read(start[0], &go, 1);
      for (int i = 0; i < kEntries; ++i) nexalib_log_admin("writer %d entry %d", w, i);
      ::_exit(0);
    }
    children.push_back(child);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
  }
  std::map<std::string, int> seen;
  for (const char* file : {"/var/log/log.admin.old", kAdminLog}) {
    std::istringstream in(read_file(file));
    for (std::string line; std::getline(in, line);)
      if (line[0] != 'x') ++seen[line.substr(line.find(' ') + 1)];
  }
  EXPECT_EQ(read_file("/var/log/log.admin.old").substr(0, 1024000 - 600), filled(1024000 - 600));
  EXPECT_EQ(seen.size(), static_cast<size_t>(kWriters * kEntries));
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kEntries; ++i)
      EXPECT_EQ(seen["writer " + std::to_string(w) + " entry " + std::to_string(i)], 1);
}

TEST_F(LogFilesTest, UnwritableLogsLoseTheEntryWhole) {
  // A log directory that is a file: nothing can be created there.
  std::filesystem::remove(path("/var/log"));
  write_file("/var/log", "not a directory");
  EXPECT_EQ(nexalib_log_admin("lost"), -1);
  EXPECT_EQ(odb_debug_mask_check_log_size(kAdminLog), 0);
  EXPECT_EQ(read_file("/var/log"), "not a directory");
  std::filesystem::remove(path("/var/log"));
  std::filesystem::create_directories(path("/var/log"));

  // A write cut short by the file size limit leaves no half line behind.
  std::filesystem::remove(path(kAdminLog));
  write_file(kAdminLog, "first\n");
  const testing::ChildResult child = testing::run_in_child([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{20, 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::printf("%d", nexalib_log_admin("a line longer than the limit allows"));
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out, "-1");
  EXPECT_EQ(read_file(kAdminLog), "first\n");
}

TEST_F(LogFilesTest, AFullDiskLosesTheEntry) {
  // The log is a full device itself (only root may make one).
  if (::mknod(path(kAdminLog).c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make a device node here";
  EXPECT_EQ(nexalib_log_admin("lost"), -1);
  EXPECT_EQ(odb_debug_mask_check_log_size(kAdminLog), 0);
}

}  // namespace
}  // namespace nexa
