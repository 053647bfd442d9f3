// Command lines built from literals and values: ordinary values keep the
// documented lines byte for byte, hostile ones stay one literal word.
#include "core/command_line.h"

#include <cstdio>

#include "core/commands.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

// What the real shell makes of a line: printf's words, one per line.
std::string shell_output(const std::string& line) {
  FILE* shell = popen(line.c_str(), "r");
  if (!shell) return "popen failed";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, shell)) > 0) out.append(buf, n);
  pclose(shell);
  return out;
}

const std::vector<std::string> kHostile = {
    "a'b", "\"q\"", "$(touch /tmp/nexa-pwned)", "`id`", "x; reboot", "a && b", "a | b",
    "> /etc/passwd", "*", "a\nb", "a\rb", "-rf", "../..", "[global]", "$HOME", "back\\slash",
    std::string(4096, 'v'), "", "  blanks  ", "\xff\xfe"};

TEST(CommandLine, OrdinaryValuesKeepTheLineAsWritten) {
  CommandLine line("hdparm -S ");
  line.number(241).text(" ").word("/dev/sda").text(" && lcd_show \"").in_quotes("Disk 1: 93% full").text("\"");
  EXPECT_EQ(line.str(), "hdparm -S 241 /dev/sda && lcd_show \"Disk 1: 93% full\"");
  EXPECT_EQ(CommandLine().word("user@host:1,a+b=c%d_e-f.g").str(), "user@host:1,a+b=c%d_e-f.g");
}

TEST(CommandLine, EveryValueReachesTheProgramAsOneLiteralWord) {
  for (const std::string& value : kHostile) {
    SCOPED_TRACE(value.substr(0, 40));
    CommandLine line("printf '%s|' ");
    line.word(value);
    EXPECT_EQ(shell_output(line.str()), value + "|");
    CommandLine quoted("printf '%s|' \"");
    quoted.in_quotes(value).text("\"");
    if (value.find_first_of("\r\n") != std::string::npos) {
      EXPECT_FALSE(quoted.valid()) << "a line break is refused inside quotes";
    } else {
      EXPECT_EQ(shell_output(quoted.str()), value + "|");
    }
  }
  EXPECT_EQ(shell_quote(std::string_view("a\0b", 3)), "'ab'") << "NUL would end the line";
  EXPECT_FALSE(CommandLine().in_quotes(std::string_view("a\0b", 3)).valid());
}

class CommandRunTest : public testing::LibraryTest {};

TEST_F(CommandRunTest, ARefusedLineIsNeverRun) {
  CommandLine line("lcd_show \"");
  line.in_quotes("two\nlines").text("\"");
  EXPECT_EQ(sys::run_command(line), -1);
  EXPECT_TRUE(commands.lines.empty());
  EXPECT_EQ(logged.size(), 1u);
}

TEST_F(CommandRunTest, OutputReadBackNeverFollowsAPlantedLink) {
  write_file("/etc/shadow", "secret\n");
  write_file("/tmp/.keep", "");
  ASSERT_EQ(symlink("/etc/shadow", path("/tmp/hd.out").c_str()), 0);
  EXPECT_EQ(run_for_first_line(CommandLine("hdparm -C /dev/sda"), "/tmp/hd.out"), "");
  EXPECT_TRUE(commands.lines.empty()) << "nothing runs";
  EXPECT_EQ(read_file("/etc/shadow"), "secret\n");
}

TEST_F(CommandRunTest, RedirectPathsAreMappedAndQuoted) {
  write_file("/tmp/my dir/.keep", "");
  run_for_first_line(CommandLine("ls"), "/tmp/my dir/out");
  EXPECT_EQ(commands.lines.back(), "ls > '" + path("/tmp/my dir/out") + "'");
}

}  // namespace
}  // namespace nexa
