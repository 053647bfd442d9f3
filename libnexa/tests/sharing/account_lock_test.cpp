// The system's account lock: bounded waiting, and appends that keep the
// last line whole.
#include "sharing/account_lock.h"

#include "core/file_locks.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "library_test.h"

namespace nexa {
namespace {

using account_lock = testing::LibraryTest;

// A child holding "/etc/.pwd.lock" for the given time once the parent
// reads its ready byte.
pid_t hold_lock_for(std::chrono::milliseconds hold) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    set_lock_wait(std::chrono::milliseconds(0));
    const auto lock = LockHold::take(LockScope::kAccounts);
    (void)!write(ready[1], lock ? "1" : "0", 1);
    usleep(static_cast<useconds_t>(hold.count() * 1000));
    _exit(0);
  }
  close(ready[1]);
  char byte = 0;
  const bool held = read(ready[0], &byte, 1) == 1 && byte == '1';
  close(ready[0]);
  return held ? pid : -1;
}

TEST_F(account_lock, WaitsOnlyAsLongAsAllowed) {
  std::filesystem::create_directories(path("/etc"));
  pid_t holder = hold_lock_for(std::chrono::milliseconds(2000));
  ASSERT_GT(holder, 0);
  const auto wait = set_lock_wait(std::chrono::milliseconds(100));
  const auto refused = LockHold::take(LockScope::kAccounts);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.error(), EAGAIN);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);

  holder = hold_lock_for(std::chrono::milliseconds(100));
  ASSERT_GT(holder, 0);
  set_lock_wait(wait);
  EXPECT_TRUE(LockHold::take(LockScope::kAccounts));
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(mode_of("/etc/.pwd.lock"), 0600u);
}

TEST_F(account_lock, AppendsStartOnTheirOwnLine) {
  const struct {
    std::string before, after;
  } rows[] = {
      {"", "u:1\n"},
      {"a:0\n", "a:0\nu:1\n"},
      {"a:0", "a:0\nu:1\n"},
  };
  for (const auto& row : rows) {
    write_file("/etc/group", row.before, 0640);
    const auto file = open_for_append("/etc/group", 0644);
    ASSERT_TRUE(file);
    EXPECT_TRUE(append_line(file->get(), "u:1\n"));
    EXPECT_EQ(read_file("/etc/group"), row.after);
    EXPECT_EQ(mode_of("/etc/group"), 0640u);
  }
}

// A file-size limit makes the write short: what got through goes again.
TEST_F(account_lock, AShortAppendLeavesTheFileWhole) {
  write_file("/etc/group", "a:0");
  const auto child = testing::run_in_child([] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8, 8};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto file = open_for_append("/etc/group", 0644);
    const sys::Status appended = append_line(file->get(), "user:x:100:a,b,c\n");
    std::printf("%s", appended ? "appended" : std::strerror(appended.error()));
  });
  EXPECT_EQ(child.out, std::strerror(ENOSPC));
  EXPECT_EQ(read_file("/etc/group"), "a:0");
}

}  // namespace
}  // namespace nexa
