// Shell commands: exact command lines, truncation and output read back.
#include <cstring>
#include <fstream>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class CommandsTest : public testing::LibraryTest {};

TEST_F(CommandsTest, SystemDiscardsOutputAndIgnoresStatus) {
  commands.on("/bin/false", [](const std::string&) { return 1 << 8; });
  EXPECT_EQ(nexalib_system("/etc/rc.d/S97thttpd.sh", "stop"), 0);
  EXPECT_EQ(nexalib_system("/bin/false", "x"), 0);
  EXPECT_EQ(commands.lines, (std::vector<std::string>{"/etc/rc.d/S97thttpd.sh stop >/dev/null 2>&1",
                                                      "/bin/false x >/dev/null 2>&1"}));
}

TEST_F(CommandsTest, System2FormatsCutsAndReturnsTheStatus) {
  commands.on("iptables", [](const std::string&) { return 2 << 8; });
  EXPECT_EQ(nexalib_system_2("iptables -t nat -F %s", "PREROUTING"), 2 << 8);
  EXPECT_EQ(commands.lines.back(), "iptables -t nat -F PREROUTING >/dev/null 2>&1");
  const std::string huge(2000, 'c');
  nexalib_system_2("%s", huge.c_str());
  EXPECT_EQ(commands.lines.back(), std::string(1006, 'c') + " >/dev/null 2>&1");
}

TEST_F(CommandsTest, GetResultReadsTheFirstLineOfTheOutputFile) {
  // The simulated program writes its output where the command line says.
  commands.on("hdparm", [](const std::string& line) {
    std::ofstream(line.substr(line.find("> ") + 2)) << "first line\nsecond\n";
    return 0;
  });
  write_file("/tmp/.keep", "");
  char result[100];
  std::memset(result, 'z', sizeof result);
  nexalib_system_getResult("hdparm -C /dev/sda", "/tmp/hd.out", result);
  EXPECT_STREQ(result, "first line");
  EXPECT_EQ(commands.lines.back(), "hdparm -C /dev/sda > " + path("/tmp/hd.out"));
  EXPECT_TRUE(exists("/tmp/hd.out")) << "the file is left in place";
}

TEST_F(CommandsTest, GetResultHasNoFixedCommandLimitAndBoundsTheResult) {
  write_file("/tmp/.keep", "");
  const std::string longcmd = "echo " + std::string(300, 'a');
  commands.on("echo", [](const std::string& line) {
    std::ofstream(line.substr(line.find("> ") + 2)) << std::string(150, 'r') << "\n";
    return 0;
  });
  char result[100];
  nexalib_system_getResult(longcmd.c_str(), "/tmp/o", result);
  EXPECT_EQ(commands.lines.back().substr(0, longcmd.size()), longcmd) << "not cut at 200 bytes";
  EXPECT_EQ(std::string(result), std::string(99, 'r'));
  nexalib_system_getResult("true", "/tmp/never-written", result);
  EXPECT_STREQ(result, "") << "unreadable output leaves the result empty";
}

TEST_F(CommandsTest, AsprintfAllocates) {
  char* text = nullptr;
  EXPECT_EQ(bb_xasprintf(&text, "%s-%d", "disk", 3), 0);
  EXPECT_STREQ(text, "disk-3");
  free(text);
}

}  // namespace
}  // namespace nexa
