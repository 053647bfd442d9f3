// The page files a log is cut into for display.
#include "eventlog/log_pages.h"

#include <filesystem>
#include <string>
#include <vector>

#include "core/config_values.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class LogPagesTest : public LibraryTest {
 protected:
  LogPagesTest() {
    // Plays "mkdir -p DIR": the page files then land in the real directory.
    commands.on("mkdir -p ", [](const std::string& line) {
      std::error_code failed;
      std::filesystem::create_directories(testing::shell_words(line).at(2), failed);
      return failed ? 1 : 0;
    });
  }
  // The nine page files in order, each under a header line.
  std::string pages(const std::string& name) const {
    std::string all;
    for (int n = 1; n <= 9; ++n) {
      const std::string page = "/srv/log/." + name + std::to_string(n);
      all += "== page " + std::to_string(n) + "\n";
      all += exists(page) ? read_file(page) : "(missing)\n";
    }
    return all;
  }
};

TEST_F(LogPagesTest, ThirtyReadsAPageWithoutBlankLines) {
  std::string log;
  for (int line = 1; line <= 300; ++line) {
    if (line % 7 == 0)
      log += "\n";
    else if (line == 20)
      log += std::string(300, 'L') + "\n";
    else
      log += "entry " + std::to_string(line) + "\n";
  }
  write_file("/var/log/log.admin", log);
  write_log_to_other_file("admin", "/srv", "/var/log/log.admin");
  testing::expect_golden(pages("admin"), "eventlog/pages_300.golden");
}

TEST_F(LogPagesTest, AnEmptyLogGivesNineEmptyPages) {
  write_file("/var/log/log.admin", "");
  write_log_to_other_file("admin", "/srv", "/var/log/log.admin");
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(read_file("/srv/log/.admin" + std::to_string(n)), "");
  // A log that cannot be opened: the old pages go, no new ones are made.
  write_log_to_other_file("other", "/srv", "/var/log/missing");
  EXPECT_EQ(commands.lines.size(), 4u);
  EXPECT_FALSE(exists("/srv/log/.other1"));
}

// A name or directory stays one literal word of the commands, the "*" of
// the removal stays its only pattern, and a name that is not one path
// component writes nothing.
class LogPagesHostile : public LogPagesTest,
                        public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(LogPagesHostile, NamesStayLiteral) {
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  write_file("/var/log/log.admin", "one\n");
  write_log_to_other_file(value.c_str(), "/srv", "/var/log/log.admin");
  if (!is_acceptable(ValueKind::kPathComponent, value)) {
    EXPECT_EQ(commands.lines, std::vector<std::string>{});
    EXPECT_FALSE(exists("/srv"));
    return;
  }
  ASSERT_EQ(commands.lines.size(), 2u);
  const std::string& remove = commands.lines[0];
  ASSERT_EQ(remove.back(), '*');
  EXPECT_EQ(testing::shell_words(remove.substr(0, remove.size() - 1)),
            (std::vector<std::string>{"rm", "-rf", path("/srv/log") + "/." + value}));
  EXPECT_EQ(testing::shell_words(commands.lines[1]),
            (std::vector<std::string>{"mkdir", "-p", path("/srv/log")}));
  // A name too long for the file system makes no page file, and no harm.
  const bool fits = value.size() < 200;
  if (fits) {
    EXPECT_EQ(read_file("/srv/log/." + value + "1"), "one\n");
  }
  if (fits) {
    EXPECT_EQ(read_file("/srv/log/." + value + "9"), "");
  }

  // The directory is a word of its own too.
  commands.lines.clear();
  const std::string dir = "/srv/" + value;
  write_log_to_other_file("admin", dir.c_str(), "/var/log/log.admin");
  ASSERT_EQ(commands.lines.size(), 2u);
  EXPECT_EQ(testing::shell_words(commands.lines[1]),
            (std::vector<std::string>{"mkdir", "-p", path(dir + "/log")}));
  if (fits) {
    EXPECT_EQ(read_file(dir + "/log/.admin1"), "one\n");
  }
}
INSTANTIATE_TEST_SUITE_P(Hostile, LogPagesHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
