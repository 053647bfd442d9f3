// The edit lock as callers meet it: held from a load until the write back,
// the release of the model or the end of the process, re-entrant within a
// process, bounded for everyone else.
#include "core/file_locks.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using file_locks = testing::LibraryTest;
using std::chrono_literals::operator""ms;

// What another process gets when it edits path as a handler would, waiting
// at most 100 ms: "edited", or "refused" with the file left alone ("wrote"
// would be a write of a model it could not load).
std::string other_caller_edits(const char* path) {
  return testing::run_in_child([path] {
           set_lock_wait(100ms);
           GSList* lines = nexalib_load_txt_file_to_list(path);
           const int put = nexalib_put_list_to_txt_file(lines, path, 0644);
           std::printf("%s", put != 0 ? "refused" : lines ? "edited" : "wrote");
           nexalib_g_slist_free_all(lines);
         })
      .out;
}

TEST_F(file_locks, AModelHoldsEveryFileUntilWrittenFreedOrEnded) {
  const char* conf = "/etc/smb.conf";
  const char* other = "/usr/ruvoro/etc/proftpd.conf";
  write_file(conf, "[global]\n");
  write_file(other, "ServerName nas\n");

  GSList* model = nexalib_load_txt_file_to_list(conf);
  EXPECT_EQ(other_caller_edits(conf), "refused");
  EXPECT_EQ(other_caller_edits(other), "refused") << "one lock for the set";
  EXPECT_EQ(read_file(conf), "[global]\n");
  ASSERT_EQ(nexalib_put_list_to_txt_file(model, conf, 0644), 0);
  EXPECT_EQ(other_caller_edits(conf), "edited") << "the write back ends the edit";
  nexalib_g_slist_free_all(model);

  model = nexalib_load_txt_file_to_list(conf);
  GSList* nested = nexalib_load_txt_file_to_list(conf);
  EXPECT_EQ(nexalib_put_list_to_txt_file(nested, conf, 0644), 0) << "re-entrant";
  nexalib_g_slist_free_all(nested);
  EXPECT_EQ(other_caller_edits(conf), "refused") << "the first model still lives";
  nexalib_g_slist_free_all(model);
  EXPECT_EQ(other_caller_edits(conf), "edited") << "freeing the model ends the edit";

  const testing::ChildResult ended = testing::run_in_child(
      [conf] { std::printf("%s", nexalib_load_txt_file_to_list(conf) ? "loaded" : "none"); });
  EXPECT_EQ(ended.out, "loaded");
  EXPECT_EQ(other_caller_edits(conf), "edited") << "the end of the process ends the edit";
}

// A child holding the account lock for the given time once the parent
// reads its ready byte.
pid_t hold_account_lock_for(std::chrono::milliseconds hold) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    set_lock_wait(0ms);
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

TEST_F(file_locks, WaitsOnlyAsLongAsAllowed) {
  pid_t holder = hold_account_lock_for(2000ms);
  ASSERT_GT(holder, 0);
  set_lock_wait(100ms);
  const auto refused = LockHold::take(LockScope::kAccounts);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.error(), EAGAIN);
  EXPECT_EQ(
      logged,
      std::vector<std::string>{
          "file edit refused: lock /var/lock/nexalib.lock: Resource temporarily unavailable\n"});
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);

  holder = hold_account_lock_for(100ms);
  ASSERT_GT(holder, 0);
  set_lock_wait(kLockWait);
  EXPECT_TRUE(LockHold::take(LockScope::kAccounts));
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(mode_of("/etc/.pwd.lock"), 0600u);
  EXPECT_EQ(mode_of(kEditLockFile), 0644u);
}

TEST_F(file_locks, TheGroupListHoldsTheAccountLockToo) {
  write_file("/etc/group", "root:x:0:\n");
  GSList* groups = nexalib_etc_group_to_list();
  const testing::ChildResult added = testing::run_in_child([] {
    set_lock_wait(100ms);
    std::printf("%d", nexalib_addgroup("staff", 0, ""));
  });
  EXPECT_EQ(added.out, "-1");
  EXPECT_EQ(nexalib_put_to_group_file(groups), 0);
  nexalib_g_slist_free_all(groups);
  EXPECT_EQ(testing::run_in_child([] { std::printf("%d", nexalib_addgroup("staff", 0, "")); }).out,
            "0");
  EXPECT_EQ(read_file("/etc/group"), "root:x:0:\nstaff:x:1:\n");
}

}  // namespace
}  // namespace nexa
