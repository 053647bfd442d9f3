// The wording of every administrative entry and the dispatch of events: the
// events of admin_entries.cases with the entries each wrote, against one
// reviewed golden file; and every writer of a value with hostile values.
#include <algorithm>
#include <array>
#include <fstream>
#include <map>

#include "eventlog_test_support.h"

namespace nexa::testing {

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
    // writer state result | current key=value ... | changed key=value ...
    const std::vector<std::string> words = shell_words(line);
    std::array<Props, 2> props;
    for (size_t n = 4, part = 0; n < words.size(); part += words[n++] == "|")
      if (const size_t eq = words[n].find('='); eq != std::string::npos)
        props.at(part).emplace_back(words[n].substr(0, eq), words[n].substr(eq + 1));
    const std::string &writer = words.at(0), &state = words.at(1);
    const PropsPtr e = state == "null" ? PropsPtr() : event(states.at(state), props[0], props[1]);
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
  std::string t = v;  // as written: line breaks blanked
  std::replace_if(
      t.begin(), t.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
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
  std::vector<std::vector<std::string>> words;
  for (const std::string& line : commands.lines) {
    words.push_back(shell_words(line.ends_with('*') ? line.substr(0, line.size() - 1) : line));
    if (line.ends_with('*')) words.back().push_back("(pattern)");
  }
  EXPECT_EQ(words,
            (named ? std::vector<std::vector<std::string>>{{"rm", "-rf", path(dir + "/log/.") + v,
                                                            "(pattern)"},
                                                           {"mkdir", "-p", path(dir + "/log")}}
                   : std::vector<std::vector<std::string>>{}));
  EXPECT_EQ(content(dir + "/log/." + v + "1") + content(dir + "/log/." + v + "9"),
            named && v.size() < 200 ? "one\n" : "(missing)\n(missing)\n");
}
INSTANTIATE_TEST_SUITE_P(Hostile, EventLogHostile, ::testing::ValuesIn(hostile_values()),
                         hostile_value_name);

}  // namespace nexa::testing
