// The operating-system layer: path mapping, shell quoting, command runner
// and atomic whole-file replacement.
#include "core/sys.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "library_test.h"

namespace nexa {
namespace {

using testing::LibraryTest;

TEST(MapPath, UsesTheRootOnlyWhenSet) {
  unsetenv("NEXALIB_ROOT");
  EXPECT_EQ(sys::map_path("/etc/group"), "/etc/group");
  setenv("NEXALIB_ROOT", "/srv/root/", 1);
  EXPECT_EQ(sys::map_path("/etc/group"), "/srv/root/etc/group");
  EXPECT_EQ(sys::map_path("etc/group"), "/srv/root/etc/group");
  setenv("NEXALIB_ROOT", "", 1);
  EXPECT_EQ(sys::map_path("/etc/group"), "/etc/group");
  unsetenv("NEXALIB_ROOT");
}

TEST(ShellQuote, OrdinaryValuesStayAsWritten) {
  EXPECT_EQ(sys::shell_quote("/usr/ruvoro/etc/rc.d/S80samba.sh"),
            "/usr/ruvoro/etc/rc.d/S80samba.sh");
  EXPECT_EQ(sys::shell_quote("user@host:1,a+b=c%d_e-f.g"), "user@host:1,a+b=c%d_e-f.g");
}

TEST(ShellQuote, AnythingElseBecomesOneLiteralWord) {
  EXPECT_EQ(sys::shell_quote(""), "''");
  EXPECT_EQ(sys::shell_quote("my share"), "'my share'");
  EXPECT_EQ(sys::shell_quote("a'b"), "'a'\\''b'");
  EXPECT_EQ(sys::shell_quote(std::string_view("a\0b", 3)), "'ab'");
  // The real shell agrees: the hostile value comes back unchanged, nothing runs.
  const std::string hostile = "x'; touch /tmp/nexa-pwned; echo '$(id) `id` \\ \"q\" \n*";
  FILE* shell = popen(("printf %s " + sys::shell_quote(hostile)).c_str(), "r");
  ASSERT_NE(shell, nullptr);
  std::string echoed;
  char buf[256];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, shell)) > 0) echoed.append(buf, n);
  pclose(shell);
  EXPECT_EQ(echoed, hostile);
}

class SysTest : public LibraryTest {};

TEST_F(SysTest, RunnerCanBeReplacedAndRestored) {
  EXPECT_EQ(sys::run_command("true"), 0);
  EXPECT_EQ(commands.lines, std::vector<std::string>{"true"});
  auto recorder = sys::set_command_runner({});
  EXPECT_EQ(sys::run_command("exit 3"), 3 << 8) << "the real shell runs when no runner is set";
  sys::set_command_runner(std::move(recorder));
}

TEST_F(SysTest, ReplaceFileWritesContentAndExactMode) {
  write_file("/etc/f", "old\n", 0600);
  const mode_t saved = umask(0077);
  EXPECT_TRUE(sys::replace_file("/etc/f", "new\n", 0644));
  umask(saved);
  EXPECT_EQ(read_file("/etc/f"), "new\n");
  EXPECT_EQ(mode_of("/etc/f"), 0644u) << "the mode is exact, whatever the umask";
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"f"}) << "no temporary file left";
}

TEST_F(SysTest, OldFileSurvivesAWriterThatCannotFinish) {
  write_file("/etc/passwd", "root:x:0:0::/root:/bin/sh\n", 0644);
  // A file-size limit makes the write fail half way, like a full disk.
  const testing::ChildResult child = testing::run_in_child([] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool ok = sys::replace_file("/etc/passwd", std::string(100000, 'x'), 0644);
    std::printf("%s", ok ? "replaced" : "refused");
  });
  EXPECT_EQ(child.out, "refused");
  EXPECT_EQ(read_file("/etc/passwd"), "root:x:0:0::/root:/bin/sh\n");
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"passwd"});
}

TEST_F(SysTest, ReplaceFileWritesThroughASymlink) {
  write_file("/data/group", "old\n");
  write_file("/etc/.keep", "");
  ASSERT_EQ(symlink(path("/data/group").c_str(), path("/etc/group").c_str()), 0);
  EXPECT_TRUE(sys::replace_file("/etc/group", "new\n", 0644));
  EXPECT_EQ(read_file("/data/group"), "new\n");
  struct stat st {};
  ASSERT_EQ(lstat(path("/etc/group").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";
}

TEST_F(SysTest, ReplaceFileFailsInAMissingDirectory) {
  EXPECT_FALSE(sys::replace_file("/no/such/dir/f", "x", 0644));
}

}  // namespace
}  // namespace nexa
