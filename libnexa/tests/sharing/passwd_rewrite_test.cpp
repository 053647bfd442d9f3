// Replacing and removing passwd lines: whole lines, exact names, the file's
// mode, and the lock another writer holds.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "library_test.h"
#include "nexalib.h"
#include "sharing/accounts.h"

namespace nexa {
namespace {

const std::string kLong = "carol:x:502:502:" + std::string(200, 'c') + ":/home/carol:/bin/sh\n";
const std::string kPasswd =
    "root:x:0:0:root:/root:/bin/sh\n"
    "bob:x:500:500::/home/bob:/bin/sh\n"
    "bobby:x:501:501::/home/bobby:/bin/sh\n" +
    kLong +
    "# bob:x:1:1::/:\n"
    "dave:x:503:503::/home/dave:/bin/sh";

std::string without(std::string text, const std::string& part, const std::string& with = "") {
  return text.replace(text.find(part), part.size(), with);
}

class PasswdRewriteTest : public testing::LibraryTest {
 protected:
  int update(const Account& account, int flags) {
    passwd record{
        const_cast<char*>(account.name.c_str()),  const_cast<char*>(account.password.c_str()),
        static_cast<uid_t>(account.uid),          static_cast<gid_t>(account.gid),
        const_cast<char*>(account.gecos.c_str()), const_cast<char*>(account.home.c_str()),
        const_cast<char*>(account.shell.c_str())};
    return nexalib_update_passwd(&record, flags);
  }
};
// ctest selects the account tests by this name.
using account_rewrite = PasswdRewriteTest;

TEST_F(account_rewrite, OnlyTheUsersWholeLineChanges) {
  const Account bob{"bob", "x", 500, 100, "Bob", "/home/bob", "/bin/sh"};
  const Account carol{"carol", "x", 502, 100, "C", "/home/carol", "/bin/false"};
  const Account dave{"dave", "x", 503, 100, "", "/", "/bin/sh"};
  const std::string dave_line = "dave:x:503:503::/home/dave:/bin/sh";
  const struct {
    const char* what;
    Account account;
    int flags;
    std::string after;
  } rows[] = {
      {"removed", bob, 0, without(kPasswd, "bob:x:500:500::/home/bob:/bin/sh\n")},
      {"replaced", bob, 3,
       without(kPasswd, "bob:x:500:500::/home/bob:/bin/sh\n", passwd_line(bob))},
      {"long line removed", carol, 0, without(kPasswd, kLong)},
      {"long line replaced", carol, 1, without(kPasswd, kLong, passwd_line(carol))},
      {"last line without a line feed", dave, 1, without(kPasswd, dave_line, passwd_line(dave))},
      {"a prefix of a name matches nothing", {"bo", "x", 1, 1, "", "/", ""}, 0, kPasswd},
      {"an unknown user is not added", {"eve", "x", 1, 1, "", "/", ""}, 1, kPasswd},
      {"refused name", {"bob:x", "x", 1, 1, "", "/", ""}, 0, kPasswd},
      {"refused field", {"bob", "x", 1, 1, "\nroot2:x:0:0::/:", "/", ""}, 1, kPasswd},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    write_file("/etc/passwd", kPasswd, 0640);
    const bool refused = !is_writable(row.account);
    EXPECT_EQ(update(row.account, row.flags), refused ? -1 : 0);
    EXPECT_EQ(read_file("/etc/passwd"), row.after);
    EXPECT_EQ(mode_of("/etc/passwd"), 0640u);
    EXPECT_EQ(list_dir("/etc"), (std::vector<std::string>{".pwd.lock", "passwd"}));
  }
}

TEST_F(account_rewrite, AnotherWritersLockFailsAtOnce) {
  write_file("/etc/passwd", kPasswd);
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    close(done[1]);
    const int fd = open(path("/etc/passwd").c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    char byte = fcntl(fd, F_SETLK, &lock) == 0 ? '1' : '0';
    (void)!write(ready[1], &byte, 1);
    (void)!read(done[0], &byte, 1);  // until the parent closes its end
    _exit(0);
  }
  close(ready[1]);
  close(done[0]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, '1');
  ::testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  const int result = update({"bob", "x", 500, 500, "", "/", ""}, 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  const std::string message = ::testing::internal::GetCapturedStderr();
  close(done[1]);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(message, "/etc/passwd: " + std::string(strerror(EAGAIN)) + "\n");
  EXPECT_LT(waited, std::chrono::seconds(5)) << "no waiting for the file's lock";
  EXPECT_EQ(read_file("/etc/passwd"), kPasswd);
}

}  // namespace
}  // namespace nexa
