// The event log: every entry's wording and the dispatch of events (the table
// admin_entries.cases against one golden file), hostile values, rotation,
// concurrent writers, failing file systems and the page files of a log.
#include <signal.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/config_values.h"
#include "core/owners.h"
#include "eventlog/log_files.h"
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa::testing {

class EventLogTest : public LibraryTest {
 protected:
  EventLogTest() {
    std::filesystem::create_directories(path("/var/log"));
    commands.on("mkdir -p ", [](const std::string& line) {
      std::error_code failed;
      std::filesystem::create_directories(shell_words(line).at(2), failed);
      return failed ? 1 : 0;
    });
  }
  ~EventLogTest() override { ::tzset(); }  // after a test's own time zone
  // An event in a state (0 modify, 2 add, 3 delete): current values, new ones.
  static PropsPtr event(int state, const Props& current, const Props& changes) {
    PropsPtr props(odb_standin_event_props(state));
    for (const auto& [key, value] : current)
      odb_standin_props_set_old(props.get(), key.c_str(), value.c_str());
    for (const auto& [key, value] : changes) odb_props_set(props.get(), key.c_str(), value.c_str());
    return props;
  }
  // A log's lines, each without what precedes its first blank (a stamp).
  std::vector<std::string> entries(const char* log = kAdminLog) const {
    std::vector<std::string> lines;
    std::istringstream in(read_file(log));
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(l.find(' ') + 1));
    return lines;
  }
  // A file's content, or "(missing)" (also when its name is too long).
  std::string content(const std::string& f) const {
    return ::access(path(f).c_str(), F_OK) == 0 ? read_file(f) : "(missing)\n";
  }
  static std::string filled(size_t size) { return std::string(size - 1, 'x') + "\n"; }
};

TEST_F(EventLogTest, EveryEventWritesItsEntries) {
  set_now(1772694489);  // 2026-03-05 07:08:09 UTC, five hours ahead of local time
  const ScopedEnv zone("TZ", "XXX+5");
  ::tzset();
  OdbSession odb;
  const int alice = static_cast<int>(odb.add("User", {{"name", "alice"}}));
  const std::vector<std::string> names = {"user",  "group",   "system", "network", "foldershare",
                                          "samba", "printer", "ftp",    "nfs",     "guest"};
  int (*const writers[])(OdbProps*, int) = {
      nexalib_log_user,        nexalib_log_group, nexalib_log_system,  nexalib_log_network,
      nexalib_log_foldershare, nexalib_log_samba, nexalib_log_printer, nexalib_log_ftp,
      nexalib_log_nfs,         nexalib_log_guest};
  const std::map<std::string, int> states = {{"modify", 0}, {"add", 2}, {"delete", 3}};
  std::ifstream cases(golden_directory() + "/../eventlog/admin_entries.cases");
  std::string report;
  for (std::string line; std::getline(cases, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    const std::vector<std::string> words = shell_words(line);
    std::array<Props, 2> props;
    for (size_t n = 4, part = 0; n < words.size(); part += words[n++] == "|")
      if (const size_t eq = words[n].find('='); eq != std::string::npos)
        props.at(part).emplace_back(words[n].substr(0, eq), words[n].substr(eq + 1));
    const std::string& writer = words.at(0);
    const PropsPtr e =
        words[1] == "null" ? PropsPtr() : event(states.at(words[1]), props[0], props[1]);
    std::filesystem::remove(path(kAdminLog));
    const int r = std::stoi(words.at(2), nullptr, 0);
    const size_t at = std::find(names.begin(), names.end(), writer) - names.begin();
    const int written = at < names.size()      ? writers[at](e.get(), r)
                        : writer == "quota"    ? nexalib_log_quota(e.get(), e.get(), r)
                        : writer == "session"  ? nexalib_log_admin_session(odb, alice, e.get(), r)
                        : writer == "orphan"   ? nexalib_log_admin_session(odb, 99, e.get(), r)
                        : writer == "nohandle" ? nexalib_log_admin_session({}, alice, e.get(), r)
                                               : -1;
    EXPECT_EQ(written, static_cast<int>(entries().size()));
    report += line + "\n";
    std::istringstream log(read_file(kAdminLog));
    for (std::string entry; std::getline(log, entry);) report += "    " + entry + "\n";
    if (entries().empty()) report += "    (no entry)\n";
  }
  expect_golden(report, "eventlog/admin_entries.golden");
}

class EventLogHostile : public EventLogTest, public ::testing::WithParamInterface<HostileValue> {};

// Each value is written literally ("%n" stays "%n") with its line breaks
// blanked, so an entry stays one line; as a page-file name or directory it
// stays one word of the commands, their trailing "*" the only pattern.
TEST_P(EventLogHostile, ValuesStayLiteralOnOneLine) {
  const std::string v = GetParam().value.substr(0, GetParam().value.find('\0'));  // as a C text
  // With a prefix where only a value that is set is logged.
  const std::string s = "=" + v;
  const PropsPtr e =
      event(0, {{"name", v}, {"members", v}, {"hostname", v}},
            {{"gateway", s}, {"netmask", s}, {"serverString", s}, {"portNumber", s}, {"quota", v}});
  for (auto* write :
       {nexalib_log_user, nexalib_log_group, nexalib_log_system, nexalib_log_network,
        nexalib_log_foldershare, nexalib_log_samba, nexalib_log_ftp, nexalib_log_guest})
    write(e.get(), 0);
  nexalib_log_system(e.get(), LOG_RESULT_HOSTNAME_TOO_LONG);
  nexalib_log_quota(e.get(), e.get(), 0);
  nexalib_log_admin("X: %s", v.c_str());
  odb_debug_mask_syslog("%s", v.c_str());
  std::string t = v;  // as it is written: line breaks blanked
  for (char& c : t) c = c == '\n' || c == '\r' ? ' ' : c;
  std::string written;
  for (const std::string& entry : entries()) written += entry + "\n";
  EXPECT_EQ(written,
            "USER: Modify user " + t + ":    OK\nGROUP: Modify group " + t + " : members= " + t +
                " OK\nSYSTEM: Set gateway to =" + t + " OK\nNETWORK: Set netmask to =" + t +
                " OK\nFOLDERSHARE: Modify folder share " + t +
                " OK\nSAMBA: Set server string to =" + t + " OK\nFTP: Set port number to =" + t +
                " OK\nGUEST: Set quota to " + t + "MB OK\nSYSTEM: Hostname " + t +
                " is too long\nDISK: Set " + t + "'s disk quota to " + t + "MB OK\nX: " + t + "\n");
  EXPECT_EQ(read_file(kDebugLog), t + "\n");

  // As a page-file name and directory; a name that is not one path
  // component writes nothing, and one too long for the file system no page.
  const std::string dir = "/srv/" + v;
  const bool named = is_acceptable(ValueKind::kPathComponent, v);
  write_file("/var/log/pages", "one\n");
  write_log_to_other_file(v.c_str(), dir.c_str(), "/var/log/pages");
  using Words = std::vector<std::vector<std::string>>;
  Words words;
  for (const std::string& line : commands.lines) {
    words.push_back(shell_words(line.ends_with('*') ? line.substr(0, line.size() - 1) : line));
    if (line.ends_with('*')) words.back().push_back("(pattern)");
  }
  EXPECT_EQ(words, (named ? Words{{"rm", "-rf", path(dir + "/log/.") + v, "(pattern)"},
                                  {"mkdir", "-p", path(dir + "/log")}}
                          : Words{}));
  EXPECT_EQ(content(dir + "/log/." + v + "1") + content(dir + "/log/." + v + "9"),
            named && v.size() < 200 ? "one\n" : "(missing)\n(missing)\n");
}
INSTANTIATE_TEST_SUITE_P(Hostile, EventLogHostile, ::testing::ValuesIn(hostile_values()),
                         hostile_value_name);

TEST_F(EventLogTest, ALogOverTheLimitIsRenamedToTheWholeOldName) {
  const std::string log = "/var/log/" + std::string(90, 'd') + "/debug.log";
  for (const size_t size : {1024000, 1024001}) {
    SCOPED_TRACE(size);
    write_file(kAdminLog, filled(size));
    write_file(log, filled(size));
    write_file("/var/log/log.admin.old", "older\n");
    EXPECT_EQ(nexalib_log_admin("next") + odb_debug_mask_check_log_size(log.c_str()), 0);
    const bool rotated = size > 1024000;
    const std::vector<std::string> lines = entries();  // the filler is one word
    EXPECT_EQ(lines.size(), rotated ? 1u : 2u);
    EXPECT_EQ(lines.back(), "next");
    EXPECT_TRUE(rotated || lines.front() + "\n" == filled(size));
    EXPECT_TRUE(read_file("/var/log/log.admin.old") == (rotated ? filled(size) : "older\n"));
    EXPECT_EQ(exists(log), !rotated);
    EXPECT_TRUE(content(log + ".old") == (rotated ? filled(size) : "(missing)\n"));
  }
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
  EXPECT_EQ((std::pair{nexalib_log_admin("lost"), odb_debug_mask_check_log_size(kAdminLog)}),
            (std::pair{-1, 0}));
  EXPECT_EQ(read_file("/var/log"), "not a directory");
  EXPECT_EQ(nexalib_log_admin(nullptr) + odb_debug_mask_syslog(nullptr), -2);  // no format
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
  EXPECT_EQ(nexalib_log_admin("lost"), -1);
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
