// The operating-system layer: a root that confines, atomic whole-file
// replacement with its leftovers, close-on-exec, and the command runner.
#include "core/sys.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "library_test.h"
#include "scoped_env.h"

namespace nexa {
namespace {

using testing::LibraryTest;

TEST(MapPath, UsesTheRootOnlyWhenSet) {
  unsetenv("NEXALIB_ROOT");
  EXPECT_EQ(sys::map_path("/etc/group"), "/etc/group");
  EXPECT_EQ(sys::map_path("/etc/../etc/group"), "/etc/../etc/group") << "used as given";
  setenv("NEXALIB_ROOT", "", 1);
  EXPECT_EQ(sys::map_path("/etc/group"), "/etc/group");
  unsetenv("NEXALIB_ROOT");
}

class SysTest : public LibraryTest {
 protected:
  void link(const std::string& target, std::string_view logical) {
    ASSERT_EQ(symlink(target.c_str(), path(logical).c_str()), 0) << logical;
  }
};

TEST_F(SysTest, PathsResolveInsideTheRoot) {
  write_file("/data/group", "kept\n");
  write_file("/etc/.keep", "");
  link("/data/group", "/etc/group");  // absolute: taken relative to the root
  link("../data", "/etc/data");       // relative
  link("/", "/etc/top");              // the root itself
  link("loop", "/etc/loop");
  const struct {
    const char* given;
    std::string expected;
  } rows[] = {
      {"/etc/group", root + "/data/group"},
      {"etc/group", root + "/data/group"},
      {"/etc/data/group", root + "/data/group"},
      {"/../../../etc/passwd", root + "/etc/passwd"},
      {"/etc/../../../../data/group", root + "/data/group"},
      {"/etc/top/../../data/x", root + "/data/x"},
      {"/etc/./new/../f", root + "/etc/f"},
      {"/", root},
      {"/etc/loop", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(sys::map_path(row.given), row.expected) << row.given;
  EXPECT_EQ(sys::map_path("/etc/group", sys::LastLink::kKeep), root + "/etc/group");
}

TEST_F(SysTest, ReplaceFileStaysInsideTheRoot) {
  // The host's own file at the link's target must never be touched.
  const std::string outside = root + "-outside";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  write_file(outside + "/.keep", "");  // the same directory inside the root
  write_file("/etc/.keep", "");
  link(outside + "/group", "/etc/group");
  EXPECT_TRUE(sys::replace_file("/etc/group", "new\n", 0644));
  EXPECT_FALSE(std::filesystem::exists(outside + "/group"));
  EXPECT_EQ(read_file(outside + "/group"), "new\n") << "written at the target, inside the root";
  std::filesystem::remove_all(outside);
}

TEST_F(SysTest, ReplaceFileWritesThroughALinkAndKeepsIt) {
  write_file("/data/group", "old\n");
  write_file("/etc/.keep", "");
  link("/data/group", "/etc/group");
  EXPECT_TRUE(sys::replace_file("/etc/group", "new\n", 0644));
  EXPECT_EQ(read_file("/data/group"), "new\n");
  struct stat st {};
  ASSERT_EQ(lstat(path("/etc/group").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";
}

TEST_F(SysTest, OutputFilesRefuseAPlantedLink) {
  write_file("/etc/shadow", "secret\n");
  write_file("/tmp/.keep", "");
  link("/etc/shadow", "/tmp/test");
  sys::Result<FilePtr> file = sys::create_output_file("/tmp/test");
  EXPECT_FALSE(file);
  EXPECT_EQ(file.error(), ELOOP);
  EXPECT_EQ(read_file("/etc/shadow"), "secret\n");
  ASSERT_TRUE(sys::remove_file("/tmp/test"));
  EXPECT_TRUE(exists("/etc/shadow")) << "removing a link leaves its target";
  EXPECT_TRUE(sys::create_output_file("/tmp/test"));
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

// The account files belong to root and a group of their own (root:shadow,
// say); a rewrite by root must not hand them to root's group.
TEST_F(SysTest, ReplaceFileKeepsTheOwnerAndGroup) {
  write_file("/etc/passwd", "root:x:0:0::/root:/bin/sh\n", 0644);
  ASSERT_EQ(chown(path("/etc/passwd").c_str(), 1234, 42), 0);
  EXPECT_TRUE(sys::replace_file("/etc/passwd", "new\n", 0644));
  struct stat st {};
  ASSERT_EQ(stat(path("/etc/passwd").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 1234u);
  EXPECT_EQ(st.st_gid, 42u);
  EXPECT_TRUE(sys::replace_file("/etc/new", "x\n", 0600));
  ASSERT_EQ(stat(path("/etc/new").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, geteuid()) << "a new file is the writer's";
}

TEST_F(SysTest, AWriterThatCannotFinishLeavesTheOldFileAndNoLitter) {
  write_file("/etc/passwd", "root:x:0:0::/root:/bin/sh\n", 0644);
  // A file-size limit makes the write fail half way, like a full disk.
  const testing::ChildResult child = testing::run_in_child([] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const sys::Status status = sys::replace_file("/etc/passwd", std::string(100000, 'x'), 0644);
    std::printf("%s", status ? "replaced" : std::strerror(status.error()));
  });
  EXPECT_EQ(child.out, std::strerror(EFBIG));
  EXPECT_EQ(read_file("/etc/passwd"), "root:x:0:0::/root:/bin/sh\n");
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"passwd"});
}

TEST_F(SysTest, TemporaryFilesAreNamedAfterTheirTargetAndLeftoversRemoved) {
  write_file("/etc/group", "old\n");
  // A writer killed in the middle of its write leaves its temporary file.
  testing::run_in_child([] {
    rlimit limit{1, 1};
    setrlimit(RLIMIT_FSIZE, &limit);  // SIGXFSZ ends the process
    (void)sys::replace_file("/etc/group", "half written\n", 0644);
  });
  const std::vector<std::string> after_kill = list_dir("/etc");
  ASSERT_EQ(after_kill.size(), 2u);
  EXPECT_TRUE(after_kill[0].starts_with(".#group.") && after_kill[0].size() == 14) << after_kill[0];

  // Another leftover, a writer still at work (holding its lock), and files
  // that are not ours.
  write_file("/etc/.#passwd.Zz9yX8", "");
  write_file("/etc/.#group.held00", "");
  write_file("/etc/.#notes", "");
  write_file("/etc/.#group.tooshort", "");
  const UniqueFd held(open(path("/etc/.#group.held00").c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(flock(held.get(), LOCK_EX), 0);
  EXPECT_TRUE(sys::replace_file("/etc/group", "new\n", 0644));
  EXPECT_EQ(list_dir("/etc"),
            (std::vector<std::string>{".#group.held00", ".#group.tooshort", ".#notes", "group"}));
  EXPECT_EQ(read_file("/etc/group"), "new\n");
}

// Appends start on a line of their own: a torn piece that a killed writer
// left goes, a line a person typed without its line feed stays.
TEST_F(SysTest, AppendsMendTheLastLineFirst) {
  using enum sys::TornLine;
  const std::string page_piece = "a:0\n" + std::string(4092, 'x');  // ends on a page boundary
  const struct {
    std::string before;
    sys::TornLine torn;
    std::string after;
  } rows[] = {
      {"", kRemove, "u:1\n"},
      {"a:0\n", kRemove, "a:0\nu:1\n"},
      {"a:0\nhalf an ent", kRemove, "a:0\nu:1\n"},
      {"a:0\n" + std::string(9000, 'x'), kRemove, "a:0\nu:1\n"},
      {"no line feed at all", kRemove, "u:1\n"},
      {"a:0", kRemoveAtPageEnd, "a:0\nu:1\n"},
      {page_piece, kRemoveAtPageEnd, "a:0\nu:1\n"},
  };
  for (const auto& row : rows) {
    write_file("/etc/group", row.before, 0640);
    const auto fd = sys::open_descriptor("/etc/group", O_RDWR | O_APPEND);
    ASSERT_TRUE(fd);
    EXPECT_TRUE(sys::append_lines(fd->get(), "u:1\n", row.torn, true));
    EXPECT_EQ(read_file("/etc/group"), row.after) << row.before.substr(0, 20);
    EXPECT_EQ(mode_of("/etc/group"), 0640u);
  }
}

// A file-size limit makes the write short: what got through goes again.
TEST_F(SysTest, AShortAppendLeavesTheFileWhole) {
  write_file("/etc/group", "a:0");
  const auto child = testing::run_in_child([] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8, 8};
    setrlimit(RLIMIT_FSIZE, &limit);
    const sys::Status appended = sys::append_to_file("/etc/group", "user:x:100:a,b,c\n", 0644,
                                                     sys::TornLine::kRemoveAtPageEnd);
    std::printf("%s", appended ? "appended" : std::strerror(appended.error()));
  });
  EXPECT_EQ(child.out, std::strerror(EFBIG));
  EXPECT_EQ(read_file("/etc/group"), "a:0");
}

TEST_F(SysTest, DescriptorsAreCloseOnExec) {
  write_file("/etc/f", "x");
  sys::Result<FilePtr> in = sys::open_file("/etc/f", "r");
  sys::Result<FilePtr> out = sys::create_output_file("/etc/g");
  ASSERT_TRUE(in && out);
  EXPECT_TRUE(fcntl(fileno(in->get()), F_GETFD) & FD_CLOEXEC);
  EXPECT_TRUE(fcntl(fileno(out->get()), F_GETFD) & FD_CLOEXEC);
}

TEST_F(SysTest, ListingReportsAnUnreadableDirectory) {
  write_file("/d/a", "");
  write_file("/d/b", "");
  sys::Result<std::vector<std::string>> names = sys::list_directory("/d");
  ASSERT_TRUE(names);
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(sys::list_directory("/missing").error(), ENOENT);
  EXPECT_EQ(sys::list_directory("/d/a").error(), ENOTDIR);
}

TEST_F(SysTest, RunnerCanBeReplacedAndRestored) {
  EXPECT_EQ(sys::run_command(CommandLine("true")), 0);
  EXPECT_EQ(commands.lines, std::vector<std::string>{"true"});
  auto recorder = sys::set_command_runner({});
  EXPECT_EQ(sys::run_command(CommandLine("exit 3")), 3 << 8) << "the real shell runs";
  sys::set_command_runner(std::move(recorder));
}

TEST_F(SysTest, CommandLogRecordsInsteadOfRunning) {
  const std::string marker = path("/ran");
  const std::string log = path("/commands.log");
  const testing::ScopedEnv logging("NEXALIB_COMMAND_LOG", log.c_str());
  auto recorder = sys::set_command_runner({});
  EXPECT_EQ(sys::run_command(std::move(CommandLine("/usr/bin/touch ").word(marker))), 0);
  EXPECT_EQ(sys::run_command(CommandLine("exit 3")), 0);
  EXPECT_FALSE(exists("/ran")) << "a logged command does not run";
  EXPECT_EQ(read_file("/commands.log"), "/usr/bin/touch " + marker + "\nexit 3\n");

  const testing::ScopedEnv unwritable("NEXALIB_COMMAND_LOG", root.c_str());
  EXPECT_EQ(sys::run_command(std::move(CommandLine("/usr/bin/touch ").word(marker))), -1);
  EXPECT_FALSE(exists("/ran")) << "nor does one the log could not take";
  sys::set_command_runner(std::move(recorder));
}

TEST_F(SysTest, ReplaceFileFailsInAMissingDirectory) {
  EXPECT_EQ(sys::replace_file("/no/such/dir/f", "x", 0644).error(), ENOENT);
}

TEST_F(SysTest, AccountsComeFromTheRootsFilesOnly) {
  write_file("/etc/passwd",
             "root:x:0:0:root:/root:/bin/sh\n"
             "not a valid line\n"
             "alice:x:1000:100:Alice, Room 3:/home/alice:/bin/sh\n");
  write_file("/etc/group", "users:x:100:alice,bob\nadmin:x:0:\n");
  const std::optional<sys::User> alice = sys::find_user("alice");
  ASSERT_TRUE(alice);
  EXPECT_EQ(alice->uid, 1000u);
  EXPECT_EQ(alice->gecos, "Alice, Room 3");
  EXPECT_EQ(sys::read_users()->size(), 2u) << "a malformed line is skipped";
  const std::optional<sys::Group> users = sys::find_group("users");
  ASSERT_TRUE(users);
  EXPECT_EQ(users->members, (std::vector<std::string>{"alice", "bob"}));
  EXPECT_FALSE(sys::find_user("nobody")) << "the running system's accounts are not asked";
  remove(path("/etc/group").c_str());
  EXPECT_EQ(sys::read_groups().error(), ENOENT);
}

TEST_F(SysTest, KernelCallsGoThroughTheirSeams) {
  std::string asked;
  set_kernel_calls({.statfs =
                        [&](const char* p, struct statfs* out) {
                          asked = p;
                          out->f_blocks = 1000;
                          return 0;
                        },
                    .quotactl =
                        [](int, const char*, int, void*) {
                          errno = ESRCH;
                          return -1;
                        },
                    .interface_ioctl = {}});
  const sys::Result<struct statfs> st = sys::file_system_stats("/mnt/disk1");
  ASSERT_TRUE(st);
  EXPECT_EQ(st->f_blocks, 1000u);
  EXPECT_EQ(asked, path("/mnt/disk1")) << "the path is mapped";
  EXPECT_EQ(sys::quota_control(0, "/dev/sda1", 0, nullptr).error(), ESRCH);
}

}  // namespace
}  // namespace nexa
