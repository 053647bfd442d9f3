// The DAAP server's configuration, start and stop, and the mDNS commands.
#include "services/music_server.h"

#include <algorithm>
#include <filesystem>

#include "library_test.h"
#include "nexalib.h"
#include "services/bonjour.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::shell_words;

class MusicServerTest : public LibraryTest {
 protected:
  void install_mt_daapd() { write_file(kMtDaapdProgram, "", 0755); }
};

TEST_F(MusicServerTest, ConfigurationsForTheInstalledServer) {
  const struct {
    const char* server;
    bool installed;
    const char* conf;
    const char* golden;
  } rows[] = {
      {"daapd", false, kDaapdConf, "services/daapd.conf.golden"},
      {"mt-daapd", true, kMtDaapdConf, "services/mt-daapd.conf.golden"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.server);
    if (row.installed) install_mt_daapd();
    char buffer[16] = "xxxxxxxxxxxxxxx";
    Bonjour_Check_iTunes_Server(buffer);
    EXPECT_STREQ(buffer, row.server);
    commands.lines.clear();
    EXPECT_EQ(BonjourLib_iTunes_START("nas1", "/mnt/disk1"), 0);
    EXPECT_EQ(commands.lines,
              (std::vector<std::string>{
                  "mkdir -p -m 777 /mnt/disk1/public/music >/dev/null 2>&1",
                  std::string(row.server) + " -c " + row.conf + "  >/dev/null 2>&1 &"}));
    testing::expect_golden(read_file(row.conf), row.golden);
    EXPECT_EQ(mode_of(row.conf), 0755u);
    BonjourLib_iTunes_STOP();
    EXPECT_EQ(commands.lines.back(),
              "/usr/bin/killall " + std::string(row.server) + " >/dev/null 2>&1");
  }
  // Another server name writes nothing; the start command's status comes back.
  std::filesystem::remove_all(path("/usr/ruvoro/etc"));
  Bonjour_prepare_daapd_conf("itunesd", "nas1", "/mnt/disk1");
  EXPECT_FALSE(exists("/usr/ruvoro/etc"));
  commands.on("mt-daapd -c", [](const std::string&) { return 256; });
  EXPECT_EQ(BonjourLib_iTunes_START("nas1", "/mnt/disk1"), 256);
}

TEST_F(MusicServerTest, HostileHostNamesAndMountPaths) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    const std::string value = hostile.value.substr(0, hostile.value.find('\0'));
    for (const bool as_host : {true, false}) {
      std::filesystem::remove_all(path("/usr/ruvoro/etc"));
      commands.lines.clear();
      const std::string host = as_host ? hostile.value : "nas1";
      const std::string mount = as_host ? "/mnt/disk1" : hostile.value;
      const int result = BonjourLib_iTunes_START(host.c_str(), mount.c_str());
      if (result == -1) {
        EXPECT_TRUE(commands.lines.empty());
        EXPECT_FALSE(exists(kDaapdConf));
        EXPECT_FALSE(logged.empty());
        continue;
      }
      ASSERT_EQ(commands.lines.size(), 2u);
      const std::string kept_mount = as_host ? "/mnt/disk1" : value;
      EXPECT_EQ(shell_words(commands.lines[0]),
                (std::vector<std::string>{"mkdir", "-p", "-m", "777", kept_mount + "/public/music",
                                          ">/dev/null", "2>&1"}));
      EXPECT_EQ(shell_words(commands.lines[1]),
                (std::vector<std::string>{"daapd", "-c", kDaapdConf, ">/dev/null", "2>&1", "&"}));
      const std::string conf = read_file(kDaapdConf);
      EXPECT_EQ(std::count(conf.begin(), conf.end(), '\n'), 8);
    }
  }
}

TEST_F(MusicServerTest, AnnouncementAndRouteCommandsKeepValuesOneWord) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    const std::string value = hostile.value.substr(0, hostile.value.find('\0'));
    commands.lines.clear();
    BonjourLib_mDNSResponder_START(hostile.value.c_str());
    BonjourLib_RouteTable_add(hostile.value.c_str());
    BonjourLib_RouteTable_del(hostile.value.c_str());
    const std::vector<std::vector<std::string>> expected = {
        {"/sbin/mDNSResponderPosix", "-n", value, "-t", "_http._tcp.", "-p", "80", "-b",
         ">/dev/null", "2>&1"},
        {"/sbin/route", "add", "default", "dev", value, "metric", "99", ">/dev/null", "2>&1"},
        {"/sbin/route", "delete", "default", "dev", value, "metric", "99", ">/dev/null", "2>&1"},
    };
    ASSERT_EQ(commands.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(shell_words(commands.lines[i]), expected[i]);
  }
  commands.lines.clear();
  BonjourLib_mDNSResponder_START("nas1");
  BonjourLib_mDNSResponder_STOP();
  EXPECT_EQ(commands.lines,
            (std::vector<std::string>{
                "/sbin/mDNSResponderPosix -n nas1 -t _http._tcp. -p 80 -b >/dev/null 2>&1",
                "/usr/bin/killall -SIGINT mDNSResponderPosix >/dev/null 2>&1"}));
}

TEST_F(MusicServerTest, DebugLogGetsOneLinePerCall) {
  write_file(kBonjourLog, "earlier\n");
  bj_dbg("started");
  bj_dbg("two\nlines\r");
  bj_dbg("");
  EXPECT_EQ(read_file(kBonjourLog), "earlier\nstarted\ntwo lines \n\n");
}

}  // namespace
}  // namespace nexa
