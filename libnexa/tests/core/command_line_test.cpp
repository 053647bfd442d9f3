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

TEST(CommandLine, OrdinaryValuesKeepTheLineAsWritten) {
  CommandLine line("hdparm -S ");
  line.number(241)
      .text(" ")
      .word("/dev/sda")
      .text(" && lcd_show \"")
      .in_quotes("Disk 1: 93% full")
      .text("\"");
  EXPECT_EQ(line.str(), "hdparm -S 241 /dev/sda && lcd_show \"Disk 1: 93% full\"");
  EXPECT_EQ(CommandLine().word("user@host:1,a+b=c%d_e-f.g").str(), "user@host:1,a+b=c%d_e-f.g");
}

// The real shell gets every hostile value back unchanged, as one word or
// inside the documented quotes; NUL, which no command line carries, is
// dropped, and a line break inside quotes refuses the line.
class CommandLineHostile : public ::testing::TestWithParam<testing::HostileValue> {};

TEST_P(CommandLineHostile, ReachesTheProgramAsOneLiteralWord) {
  const std::string& value = GetParam().value;
  std::string expected = value;
  std::erase(expected, '\0');
  CommandLine word("printf '%s|' ");
  word.word(value);
  EXPECT_EQ(testing::shell_words(word.str()),
            (std::vector<std::string>{"printf", "%s|", expected}));
  EXPECT_EQ(shell_output(word.str()), expected + "|");

  CommandLine quoted("printf '%s|' \"");
  quoted.in_quotes(value).text("\"");
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
    EXPECT_FALSE(quoted.valid());
  } else {
    EXPECT_EQ(shell_output(quoted.str()), value + "|");
  }
}

// An operand that begins with "-" would be an option to the program,
// quoted or not: the line is refused, and only then.
TEST_P(CommandLineHostile, AnOperandIsNeverAnOption) {
  const std::string& value = GetParam().value;
  const bool option = value.starts_with('-');
  EXPECT_EQ(CommandLine("hdparm -S 1 ").operand(value).valid(), !option);
  const bool one_line = value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
  EXPECT_EQ(CommandLine("grep \"").operand_in_quotes(value).text("\"").valid(),
            !option && one_line);
}

INSTANTIATE_TEST_SUITE_P(Hostile, CommandLineHostile,
                         ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

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
