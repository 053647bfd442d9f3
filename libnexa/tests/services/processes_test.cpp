// Whether the process a pid file names is still alive.
#include "services/processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class ProcessesTest : public LibraryTest {};

TEST_F(ProcessesTest, OnlyADecimalIdNamesAProcess) {
  write_file("/proc/4242/status", "");
  const struct {
    const char* content;
    int gone;
  } rows[] = {
      {"4242\n", 0},
      {"4242", 0},
      {"4243\n", 1},
      {"", 1},
      {"\n", 1},
      {"abc\n", 1},
      {"42x\n", 1},
      {"../4242\n", 1},
      {"0\n", 1},
      {"-4242\n", 1},
      {"99999999999999\n", 1},
      {"4242 1\n", 1},
      {" 4242\n", 1},
      {"-1\n", 1},
      {"../1\n", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.content);
    write_file("/var/run/daemon.pid", row.content);
    EXPECT_EQ(nexalib_process_is_die("/var/run/daemon.pid"), row.gone);
  }
  EXPECT_EQ(nexalib_process_is_die("/var/run/missing.pid"), 1);
  EXPECT_EQ(nexalib_process_is_die(nullptr), 1);
}

TEST_F(ProcessesTest, LiveAndStaleProcessesOfTheRealSystem) {
  // A child that has been reaped leaves a stale id behind.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const struct {
    pid_t pid;
    int gone;
  } rows[] = {{getpid(), 0}, {child, 1}};
  const testing::ScopedEnv real_root("NEXALIB_ROOT", nullptr);
  const std::string pid_file = root + "/real.pid";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pid);
    ASSERT_TRUE(sys::replace_file(pid_file, std::to_string(row.pid) + "\n", 0644));
    EXPECT_EQ(nexalib_process_is_die(pid_file.c_str()), row.gone);
  }
}

}  // namespace
}  // namespace nexa
