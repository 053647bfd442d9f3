// Root's crontab jobs and the weekly time job, each written line checked by
// a small reader of cron's time fields.
#include "services/crontab.h"

#include <cstdlib>
#include <functional>
#include <sstream>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

const std::string kRestart = "/etc/rc.d/S90crond.sh restart &";

// Whether a field of a cron schedule is within lo..hi: "*", numbers,
// ranges and steps, in a comma list.
bool valid_cron_field(const std::string& field, int lo, int hi) {
  std::stringstream items(field);
  std::string item;
  int count = 0;
  while (std::getline(items, item, ',')) {
    ++count;
    std::string range = item;
    if (const size_t slash = item.find('/'); slash != std::string::npos) {
      const std::string step = item.substr(slash + 1);
      if (step.empty() || step.find_first_not_of("0123456789") != std::string::npos ||
          std::atoi(step.c_str()) == 0)
        return false;
      range = item.substr(0, slash);
    }
    if (range == "*") continue;
    const size_t dash = range.find('-');
    for (const std::string& number :
         {range.substr(0, dash), dash == std::string::npos ? range : range.substr(dash + 1)}) {
      if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
      const int value = std::atoi(number.c_str());
      if (value < lo || value > hi) return false;
    }
  }
  return count > 0 && field.back() != ',';
}

// A crontab line: five valid time fields, a blank and a command.
void expect_cron_line(const std::string& line) {
  SCOPED_TRACE(line);
  if (line.find_first_not_of(" \t\n") == std::string::npos || line[0] == '#') return;
  ASSERT_EQ(line.back(), '\n');
  std::istringstream in(line);
  const int bounds[5][2] = {{0, 59}, {0, 23}, {1, 31}, {1, 12}, {0, 7}};
  for (const auto& bound : bounds) {
    std::string field;
    in >> field;
    EXPECT_TRUE(valid_cron_field(field, bound[0], bound[1])) << field;
  }
  std::string command;
  std::getline(in >> std::ws, command);
  EXPECT_FALSE(command.empty());
}

class CrontabTest : public LibraryTest {
 protected:
  std::string crontab() { return exists(kCrontabFile) ? read_file(kCrontabFile) : ""; }
  void expect_cron_file() {
    std::istringstream in(crontab());
    for (std::string line; std::getline(in, line);) expect_cron_line(line + "\n");
  }
};

TEST(CronLineReader, TellsGoodSchedulesFromBad) {
  EXPECT_TRUE(valid_cron_field("*/15", 0, 59));
  EXPECT_TRUE(valid_cron_field("1-5,7", 0, 7));
  EXPECT_FALSE(valid_cron_field("60", 0, 59));
  EXPECT_FALSE(valid_cron_field("0", 1, 31));
  EXPECT_FALSE(valid_cron_field("1,", 0, 59));
  EXPECT_FALSE(valid_cron_field("*/0", 0, 59));
  EXPECT_FALSE(valid_cron_field("a", 0, 59));
}

TEST_F(CrontabTest, JobsReplaceTheirLinesAndKeepTheRest) {
  const std::string other = "30 2 * * * /usr/bin/backup\n";
  const std::string comment = "# /usr/bin/ntpdate runs on Sundays\n";
  const std::string ntp_line = "0 0 * * 0 /usr/bin/ntpdate pool.ntp.org\n";
  const struct {
    const char* name;
    std::string before;
    std::function<void()> act;
    std::string after;
    std::vector<std::string> commands;
  } rows[] = {
      {"first server",
       "",
       [] { nexalib_settime_set_ntpServer(nullptr, 0, "pool.ntp.org"); },
       ntp_line,
       {kRestart, "/usr/bin/ntpdate -b pool.ntp.org >/dev/null 2>&1"}},
      {"server set twice",
       other,
       [] {
         nexalib_settime_set_ntpServer(nullptr, 0, "a.example");
         nexalib_settime_set_ntpServer(nullptr, 0, "pool.ntp.org");
       },
       other + ntp_line,
       {kRestart, "/usr/bin/ntpdate -b a.example >/dev/null 2>&1", kRestart,
        "/usr/bin/ntpdate -b pool.ntp.org >/dev/null 2>&1"}},
      {"NONE removes the job and sets no clock",
       comment + ntp_line + other,
       [] { nexalib_settime_set_ntpServer(nullptr, 0, "NONE"); },
       comment + other,
       {kRestart}},
      {"percent escaped for cron",
       "",
       [] { nexalib_settime_set_ntpServer(nullptr, 0, "a%b"); },
       "0 0 * * 0 /usr/bin/ntpdate a\\%b\n",
       {kRestart, "/usr/bin/ntpdate -b a%b >/dev/null 2>&1"}},
      {"last line without its line feed",
       "30 2 * * * /usr/bin/backup",
       [] { nexalib_settime_set_ntpServer(nullptr, 0, "pool.ntp.org"); },
       other + ntp_line,
       {kRestart, "/usr/bin/ntpdate -b pool.ntp.org >/dev/null 2>&1"}},
      {"flag 0 only removes",
       other + "\n" + ntp_line,
       [] { EXPECT_EQ(nexalib_update_crontab_file(nullptr, "* * * * *", "x", "backup", 0), 0); },
       "\n" + ntp_line,
       {kRestart}},
      {"a line past 199 characters is refused",
       other,
       [] {
         EXPECT_EQ(nexalib_update_crontab_file(nullptr, "* * * * *", std::string(190, 'x').c_str(),
                                               "backup", 1),
                   -1);
       },
       other,
       {}},
      {"a line break in the server is refused",
       ntp_line,
       [] { nexalib_settime_set_ntpServer(nullptr, 0, "evil\n* * * * * /bin/rm -rf /"); },
       ntp_line,
       {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write_file(kCrontabFile, row.before);
    commands.lines.clear();
    row.act();
    EXPECT_EQ(crontab(), row.after);
    EXPECT_EQ(commands.lines, row.commands);
    expect_cron_file();
  }
  EXPECT_EQ(mode_of(kCrontabFile), 0644u);
}

TEST_F(CrontabTest, AJobOfExactly199CharactersFits) {
  const std::string command(199 - 11, 'x');  // "* * * * * " and the line feed
  EXPECT_EQ(update_crontab("* * * * *", command, "x", true), 0);
  EXPECT_EQ(crontab(), "* * * * * " + command + "\n");
  EXPECT_EQ(update_crontab("* * * * *", command + "y", "x", true), -1);
  EXPECT_EQ(crontab(), "* * * * * " + command + "\n") << "the old job stays";
}

class CrontabHostile : public CrontabTest,
                       public ::testing::WithParamInterface<testing::HostileValue> {};

// A server is either refused whole or reaches ntpdate as one word, from
// the crontab (after cron takes its "\%" apart) and at once.
TEST_P(CrontabHostile, ServerIsOneWordOrRefused) {
  const std::string& server = GetParam().value;
  nexalib_settime_set_ntpServer(nullptr, 0, server.c_str());
  const std::string c_server = server.substr(0, server.find('\0'));  // what C passes
  const std::string text = crontab();
  if (text.empty()) {
    EXPECT_TRUE(commands.lines.empty());
    return;
  }
  expect_cron_file();
  ASSERT_EQ(text.find('\n'), text.size() - 1) << "one line";
  std::string command = text.substr(10, text.size() - 11);
  for (size_t at = command.find("\\%"); at != std::string::npos; at = command.find("\\%", at))
    command.erase(at, 1);
  EXPECT_EQ(testing::shell_words(command), (std::vector<std::string>{kNtpdate, c_server}));
  ASSERT_EQ(commands.lines.size(), 2u);
  EXPECT_EQ(testing::shell_words(commands.lines[1]),
            (std::vector<std::string>{kNtpdate, "-b", c_server, ">/dev/null", "2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, CrontabHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
