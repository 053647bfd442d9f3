// Users and groups: the id rules, refused values, concurrent additions, the
// account tools' own checks on what we write, and the root check.
#include "sharing/accounts.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

constexpr const char* kRootPasswd = "root:x:0:0:root:/root:/bin/sh\n";

class AccountFilesTest : public testing::LibraryTest {
 protected:
  void seed(const std::string& passwd, const std::string& group) {
    write_file("/etc/passwd", passwd);
    write_file("/etc/group", group);
  }

  // What nexalib_adduser printed, then "uid gid" of the record it returned.
  static std::string add_user(const char* name, int uid = 0, int gid = 0, const char* gecos = "",
                              const char* home = "/home/u") {
    return testing::run_in_child([&] {
             if (const passwd* p = nexalib_adduser(name, "x", uid, gid, gecos, home, "/bin/sh"))
               std::printf("%u %u\n", p->pw_uid, p->pw_gid);
           })
        .out;
  }

  // pwck and grpck check the files in the root as a whole; they want the
  // shadow files beside them and every home and shell to exist.
  void expect_account_tools_accept() {
    const auto users = sys::read_users();
    const auto groups = sys::read_groups();
    ASSERT_TRUE(users && groups);
    std::string shadow, gshadow;
    for (const auto& user : *users) shadow += user.name + ":*:19000:0:99999:7:::\n";
    for (const auto& g : *groups) {
      std::string members;
      for (const auto& m : g.members) members += (members.empty() ? "" : ",") + m;
      gshadow += g.name + ":*::" + members + "\n";
    }
    write_file("/etc/shadow", shadow, 0600);
    write_file("/etc/gshadow", gshadow, 0600);
    testing::expect_accepted_by({"pwck", "-r", "-R"}, root);
    testing::expect_accepted_by({"grpck", "-r", "-R"}, root);
  }
};
// ctest selects the account tests by this name.
using accounts = AccountFilesTest;

TEST_F(accounts, UserIdsFollowTheRules) {
  const struct {
    const char* what;
    std::string passwd, group;
    int uid, gid;
    std::string printed;
  } rows[] = {
      {"empty files", "", "", 0, 0, "500 500\n"},
      {"only system ids", kRootPasswd, "users:x:100:\n", 0, 0, "500 500\n"},
      {"ids 65000 and up ignored", "a:x:500:1::/:\nb:x:502:1::/:\nc:x:70000:1::/:\n", "", 0, 0,
       "503 503\n"},
      {"group ids push the uid up", "a:x:500:1::/:\n", "g1:x:501:\ng2:x:502:\n", 0, 0, "503 503\n"},
      {"the last legal uid", "a:x:64999:1::/:\n", "", 0, 0, "65000 65000\n"},
      {"no uid left", "a:x:64999:1::/:\n", "g:x:65000:\n", 0, 0, "illegal uid or no uids left\n"},
      {"given uid out of range", "", "", 499, 0, "illegal uid or no uids left\n"},
      {"given ids", "", "u:x:700:\n", 600, 100, "600 100\n"},
      {"name in use", "u:x:500:500::/:\n", "", 0, 0, "u: login name already in use\n"},
      {"name in use with a given uid", "u:x:500:500::/:\n", "", 600, 0,
       "u: login name already in use\n"},
      {"name in use in another case", "U:x:500:500::/:\n", "", 0, 0,
       "u: login name already in use\n"},
      {"a group of that name", "", "u:x:800:\n", 0, 0, "group name u already in use\n"},
      {"comments and broken lines hold no id", "# a:x:900:1::/:\nb:x:9x:1::/:\n c:x:901:1\n", "", 0,
       0, "500 500\n"},
      {"a broken line still holds its name", " u:x\n", "", 0, 0, "u: login name already in use\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    seed(row.passwd, row.group);
    EXPECT_EQ(add_user("u", row.uid, row.gid), row.printed);
    unsigned uid = 0, gid = 0;
    const bool added = std::sscanf(row.printed.c_str(), "%u %u", &uid, &gid) == 2;
    const std::string line =
        "u:x:" + std::to_string(uid) + ":" + std::to_string(gid) + "::/home/u:/bin/sh\n";
    EXPECT_EQ(read_file("/etc/passwd"), added ? row.passwd + line : row.passwd);
    EXPECT_EQ(read_file("/etc/group"), row.group) << "adding a user leaves the groups";
  }
  seed(kRootPasswd, "");
  std::remove(path("/etc/group").c_str());
  EXPECT_EQ(add_user("u"), "generic error.\n");
  EXPECT_EQ(read_file("/etc/passwd"), kRootPasswd);
}

TEST_F(accounts, GroupIdsFollowTheRules) {
  const struct {
    const char* what;
    std::string group;
    int gid;
    int result;
    std::string added;
  } rows[] = {
      {"next above the highest below 65000", "a:x:100:\nb:x:70000:\nc:x:7:\n", 0, 0,
       "g:x:101:u1,u2\n"},
      {"empty file", "", 0, 0, "g:x:1:u1,u2\n"},
      {"given id", "a:x:100:\n", 300, 0, "g:x:300:u1,u2\n"},
      {"name in use", "g:x:5:\n", 0, 1, ""},
      {"id in use", "a:x:300:\n", 300, 2, ""},
      {"the later match wins: id", "g:x:5:\na:x:300:\n", 300, 2, ""},
      {"the later match wins: name", "a:x:300:\ng:x:5:\n", 300, 1, ""},
      {"last line without a line feed", "a:x:100:", 0, 0, "\ng:x:101:u1,u2\n"},
      {"broken lines hold no id", "a:x:900\n# b:x:901:\nc:x:-2:\n", 0, 0, "g:x:1:u1,u2\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    write_file("/etc/group", row.group);
    EXPECT_EQ(nexalib_addgroup("g", row.gid, "u1,u2"), row.result);
    EXPECT_EQ(read_file("/etc/group"), row.group + row.added);
  }
  std::remove(path("/etc/group").c_str());
  EXPECT_EQ(nexalib_addgroup("g", 0, ""), -1);
  EXPECT_FALSE(exists("/etc/group")) << "nothing made up when the file is missing";
}

TEST_F(accounts, GroupIdByName) {
  // Compat lines ("+", "-name") leave fields null in the C library's reader.
  seed("", "+\n-bob\nwheel:x:10:\nusers:x:100:a,b\n");
  EXPECT_EQ(nexalib_get_gid_by_grpname("wheel"), 10);
  EXPECT_EQ(nexalib_get_gid_by_grpname(nullptr), 100);
  const auto missing = testing::run_in_child([] { std::exit(nexalib_get_gid_by_grpname("x")); });
  EXPECT_EQ(missing.exit_status, 0);
  EXPECT_EQ(missing.out, "group x does not exist\n");
}

// Each field of an account and a group, with each hostile value.
class AccountHostile : public AccountFilesTest,
                       public ::testing::WithParamInterface<testing::HostileValue> {
 protected:
  static bool breaks_field(const std::string& value) {
    return value.find_first_of(std::string(":\r\n\0", 4)) != std::string::npos;
  }
  // The account tools' rule: anything else is syntax to some reader (a
  // list, passwd's compat lines, a command's options).
  static bool breaks_name(const std::string& value) {
    static const std::regex name("[A-Za-z_][A-Za-z0-9._-]{0,31}");
    return !std::regex_match(value, name);
  }
  static bool breaks_members(const std::string& value) {
    static const std::regex members(
        "([A-Za-z_][A-Za-z0-9._-]{0,31}(,[A-Za-z_][A-Za-z0-9._-]{0,31})*)?");
    return !std::regex_match(value, members);
  }
  // Runs `add`; then either nothing changed, or the one expected line was added.
  template <typename Add>
  void expect_one_line_or_none(const char* file, bool refused, Add add) {
    const std::string before = read_file(file);
    add();
    const std::string after = read_file(file);
    if (refused) {
      EXPECT_EQ(after, before) << file;
      return;
    }
    ASSERT_TRUE(after.starts_with(before)) << file;
    const std::string added = after.substr(before.size());
    EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 1) << file;
  }
};
using account_hostile = AccountHostile;

TEST_P(account_hostile, NeverAddsARecord) {
  // The C functions see the value up to a NUL.
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  seed(kRootPasswd, "users:x:100:\n");
  expect_one_line_or_none("/etc/passwd", breaks_name(value), [&] { add_user(value.c_str()); });
  seed(kRootPasswd, "users:x:100:\n");
  expect_one_line_or_none("/etc/passwd", breaks_field(value),
                          [&] { add_user("u", 0, 0, value.c_str(), value.c_str()); });
  expect_one_line_or_none("/etc/group", breaks_name(value),
                          [&] { nexalib_addgroup(value.c_str(), 0, "a,b"); });
  expect_one_line_or_none("/etc/group", breaks_members(value),
                          [&] { nexalib_addgroup("g", 0, value.c_str()); });
}

TEST_P(account_hostile, RecordsWithBrokenFieldsAreRefused) {
  const std::string& value = GetParam().value;
  Account account{"u", "x", 500, 500, "", "/home/u", "/bin/sh"};
  seed(std::string(kRootPasswd) + passwd_line(account), "");
  const std::string before = read_file("/etc/passwd");
  account.gecos = value;
  const bool updated = static_cast<bool>(update_passwd(account, true));
  EXPECT_EQ(updated, !breaks_field(value));
  EXPECT_EQ(read_file("/etc/passwd"),
            updated ? std::string(kRootPasswd) + passwd_line(account) : before);
  const std::string kept = read_file("/etc/passwd");
  account.gecos.clear();
  account.name = value;
  EXPECT_EQ(static_cast<bool>(update_passwd(account, false)), !breaks_name(value));
  EXPECT_EQ(read_file("/etc/passwd"), kept) << "no other user's line touched";
}

INSTANTIATE_TEST_SUITE_P(Hostile, account_hostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

TEST_F(accounts, ConcurrentAdditionsGetDistinctIds) {
  seed(kRootPasswd, "users:x:100:\n");
  constexpr int kWriters = 8, kEach = 10;
  EXPECT_TRUE(testing::run_together(kWriters, kEach, [](int w, int i) {
    const std::string name = "u" + std::to_string(w) + "_" + std::to_string(i);
    const passwd* p = nexalib_adduser(name.c_str(), "x", 0, 0, "", "/", "/bin/sh");
    return p && nexalib_addgroup(name.c_str(), static_cast<int>(p->pw_gid), "") == 0;
  }));
  const auto users = sys::read_users();
  const auto groups = sys::read_groups();
  ASSERT_TRUE(users && groups);
  const std::string passwd = read_file("/etc/passwd"), group = read_file("/etc/group");
  EXPECT_EQ(users->size(), 1u + kWriters * kEach);
  EXPECT_EQ(std::count(passwd.begin(), passwd.end(), '\n'), 1 + kWriters * kEach);
  EXPECT_EQ(groups->size(), 1u + kWriters * kEach);
  EXPECT_EQ(std::count(group.begin(), group.end(), '\n'), 1 + kWriters * kEach);
  std::set<uid_t> uids;
  for (const auto& user : *users) uids.insert(user.uid);
  std::set<gid_t> gids;
  for (const auto& g : *groups) gids.insert(g.gid);
  EXPECT_EQ(uids.size(), users->size());
  EXPECT_EQ(gids.size(), groups->size());
}

// Groups written back as a list and groups appended, by callers at once:
// every one of them stays.
TEST_F(accounts, GroupListEditsKeepConcurrentAdditions) {
  write_file("/bin/sh", "");
  std::filesystem::create_directories(path("/root"));
  testing::expect_no_edit_lost(
      [this] { seed(kRootPasswd, "root:x:0:\n"); },
      [](int w, int i) {
        const std::string name = "g" + std::to_string(w) + "_" + std::to_string(i);
        const int gid = 2000 + w * 100 + i;
        if (w % 2 == 0) return nexalib_addgroup(name.c_str(), gid, "") == 0;
        GSList* lines = nexalib_etc_group_to_list();
        const std::string line = name + ":x:" + std::to_string(gid) + ":\n";
        lines = g_slist_append(lines, strdup(line.c_str()));
        const int written = nexalib_put_to_group_file(lines);
        nexalib_g_slist_free_all(lines);
        return written == 0;
      },
      [] { return sys::read_groups()->size() - 1; });
  expect_account_tools_accept();
}

TEST_F(accounts, TheAccountToolsAcceptWhatWeWrite) {
  seed(kRootPasswd, "root:x:0:\nusers:x:100:\n");
  write_file("/bin/sh", "");
  std::filesystem::create_directories(path("/root"));
  EXPECT_EQ(add_user("+"), "invalid login name\n") << "a compat line to passwd";
  const mode_t mask = umask(027);
  for (const char* name : {"alice", "bob", "carol"}) {
    const std::string home = "/home/" + std::string(name);
    std::filesystem::create_directories(path(home));
    const passwd* p = nexalib_adduser(name, "x", 0, 0, name, home.c_str(), "/bin/sh");
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(nexalib_addgroup(name, static_cast<int>(p->pw_gid), ""), 0);
  }
  passwd changed{const_cast<char*>("bob"),
                 const_cast<char*>("x"),
                 501,
                 501,
                 const_cast<char*>("Bob B"),
                 const_cast<char*>("/home/bob"),
                 const_cast<char*>("/bin/sh")};
  EXPECT_EQ(nexalib_update_passwd(&changed, 1), 0);
  changed.pw_name = const_cast<char*>("carol");
  EXPECT_EQ(nexalib_update_passwd(&changed, 0), 0);
  EXPECT_EQ(nexalib_addgroup("staff", 0, "alice,bob"), 0);
  EXPECT_EQ(umask(mask), 027) << "the caller's mask is the caller's";

  expect_account_tools_accept();
}

TEST(account_root_check, OthersAreSentAway) {
  const auto as_root = testing::run_in_child([] { if_i_am_not_root(); });
  EXPECT_EQ(as_root.exit_status, 0);
  EXPECT_EQ(as_root.out, "");
  const auto as_nobody = testing::run_in_child([] {
    // Root again once exit begins, so that the leak check at exit can run.
    std::atexit([] { (void)!seteuid(0); });
    if (seteuid(65534) != 0) std::_Exit(9);
    if_i_am_not_root();
  });
  EXPECT_EQ(as_nobody.exit_status, 1);
  EXPECT_EQ(as_nobody.out, "Only root may add a user or group to the system.\n");
}

}  // namespace
}  // namespace nexa
