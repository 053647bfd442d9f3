// The BitTorrent client's rates, its download queue, stopping a client and
// removing a download's status files.
#include "services/bittorrent.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "core/config_values.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;
using testing::Props;

class BitTorrentTest : public LibraryTest {
 protected:
  BitTorrentTest() { mkdir(path("/tmp").c_str(), 01777); }
  ino_t inode_of(std::string_view logical) const {
    struct stat st {};
    stat(path(logical).c_str(), &st);
    return st.st_ino;
  }
  // Runs body in a child (operations there may end the connection) and
  // gives what it printed followed by the stand-in's log.
  std::string in_child(const std::function<void(OdbSession&)>& body) {
    const testing::ChildResult child = testing::run_in_child([&] {
      // Never destroyed: the child ends without it, and the operation may
      // have destroyed its handle already.
      OdbSession& odb = *new OdbSession;
      body(odb);
      for (const std::string& line : odb.log()) std::printf("%s\n", line.c_str());
    });
    EXPECT_EQ(child.exit_status, 0);
    return child.out;
  }
  // Lists processes for stop_bt as ps would.
  void ps_lists(const std::string& listing) {
    commands.on("ps -aux", [this, listing](const std::string&) {
      write_file("/tmp/ps.out", listing);
      return 0;
    });
  }
};

TEST_F(BitTorrentTest, WaitingDownloadsStartWhileFewerThanFiveRun) {
  const Props start = {{"status", "start"}};
  const Props wait0 = {{"status", "wait"}, {"start", "0"}};
  const Props wait1 = {{"status", "wait"}, {"start", "1"}};
  const struct {
    const char* golden;
    std::vector<Props> downloads;
  } rows[] = {
      {"three_running_four_waiting", {start, start, wait0, start, wait1, wait0, wait0}},
      {"none_running", {wait0, wait0, wait0, wait0, wait0, wait0}},
      {"five_running", {start, start, start, start, start, wait0}},
      {"unset_status_and_start", {{}, {{"status", "wait"}}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.golden);
    const std::string out = in_child([&](OdbSession& odb) {
      for (const Props& props : row.downloads) odb.add("BT", props);
      std::printf("%d\n", nexalib_bt_get_start_sessions(odb));
      nexalib_bt_start_wait_sessions(odb);
    });
    // The count printed first, then the changes.
    testing::expect_golden(out, std::string("services/bt_queue_") + row.golden + ".golden");
  }
  // Without any download both end the handler connection.
  EXPECT_EQ(
      in_child([](OdbSession& odb) { std::printf("%d\n", nexalib_bt_get_start_sessions(odb)); }),
      "0\nbye_handler 0 \n");
  EXPECT_EQ(in_child([](OdbSession& odb) { nexalib_bt_start_wait_sessions(odb); }),
            "bye_handler 0 \n");
}

TEST_F(BitTorrentTest, RatesAreWrittenIntoTheClientFile) {
  const std::string rc =
      "# rtorrent settings\n  download_rate = 10\nupload_rate=5\ndirectory = /downloads\n";
  write_file(kRtorrentRc, rc, 0600);
  EXPECT_EQ(in_child([](OdbSession& odb) { nexalib_set_bt_conf(odb); }), "bye\n")
      << "without a System object the connection ends";
  OdbSession odb;
  const guint32 system = odb.add("System");
  nexalib_set_bt_conf(odb);
  EXPECT_EQ(read_file(kRtorrentRc), rc) << "no BT settings, nothing to write";
  odb.set(system, {{"download", "200"}}, "BT");
  nexalib_set_bt_conf(odb);
  testing::expect_golden(read_file(kRtorrentRc), "services/rtorrent_download_only.golden");
  odb.set(system, {{"upload", "50"}}, "BT");
  nexalib_set_bt_conf(odb);
  testing::expect_golden(read_file(kRtorrentRc), "services/rtorrent_rates.golden");
  EXPECT_EQ(mode_of(kRtorrentRc), 0644u);

  const std::string written = read_file(kRtorrentRc);
  odb.set(system, {{"upload", "1\ndirectory = /"}}, "BT");
  nexalib_set_bt_conf(odb);
  EXPECT_EQ(read_file(kRtorrentRc), written) << "a rate adding a line changes nothing";
  EXPECT_EQ(logged.size(), 1u);

  write_file(kRtorrentRc, "directory = /downloads\n");
  const ino_t before = inode_of(kRtorrentRc);
  odb.set(system, {{"upload", "50"}}, "BT");
  nexalib_set_bt_conf(odb);
  EXPECT_EQ(inode_of(kRtorrentRc), before) << "without rate lines the file is not rewritten";

  EXPECT_EQ(with_rates("upload_rate = 1\n", nullptr, nullptr), std::nullopt);
  remove(path(kRtorrentRc).c_str());
  nexalib_set_bt_conf(odb);
  EXPECT_FALSE(exists(kRtorrentRc)) << "a missing file stays missing";
}

TEST_F(BitTorrentTest, StopKillsTheLastMatchingClient) {
  const std::string ps_line =
      "ps -aux | grep rtorrent > " + path("/tmp/ps.out") + "\n >/dev/null 2>&1";
  const struct {
    const char* name;
    std::string listing;
    std::vector<std::string> kills;
  } rows[] = {
      {"two matches",
       " 101 root rtorrent -n movie\n 202 root rtorrent -n movie\n",
       {"kill -9 202\n >/dev/null 2>&1"}},
      {"sh -c and non-decimal lines skipped",
       "303 root rtorrent -n movie\n404 root sh -c rtorrent movie\n"
       "root 505 rtorrent movie\n-1 rtorrent movie\n0 rtorrent movie\n",
       {"kill -9 303\n >/dev/null 2>&1"}},
      {"no match", "101 root rtorrent -n other\n", {}},
      {"a long line is one line",
       "101 rtorrent movie\n" + std::string(200, 'x') + " 666 rtorrent movie\n",
       {"kill -9 101\n >/dev/null 2>&1"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    commands = {};
    ps_lists(row.listing);
    nexalib_stop_bt("movie", "/tmp/ps.out");
    std::vector<std::string> expected = {ps_line};
    expected.insert(expected.end(), row.kills.begin(), row.kills.end());
    EXPECT_EQ(commands.lines, expected);
  }
}

TEST_F(BitTorrentTest, StopFollowsNoLinkAtTheListing) {
  write_file("/victim", "101 rtorrent movie\n");
  ASSERT_EQ(symlink(path("/victim").c_str(), path("/tmp/ps.out").c_str()), 0);
  nexalib_stop_bt("movie", "/tmp/ps.out");
  EXPECT_TRUE(commands.lines.empty());
  EXPECT_EQ(read_file("/victim"), "101 rtorrent movie\n");
}

class BitTorrentHostile : public BitTorrentTest,
                          public ::testing::WithParamInterface<testing::HostileValue> {};

// A hostile directory or name stays one word of rm, or nothing is removed.
TEST_P(BitTorrentHostile, StatusFilesNameOneFileEach) {
  const std::string& hostile = GetParam().value;
  const std::string value = hostile.substr(0, hostile.find('\0'));  // what C passes
  nexalib_remove_bt_status_files("/downloads", value.c_str());
  nexalib_remove_bt_status_files(value.c_str(), "movie");
  std::vector<std::string> targets;
  if (is_acceptable(ValueKind::kPathComponent, value))
    targets = {"/downloads/" + value + ".status", "/downloads/" + value + ".status.tmp"};
  if (value.find_first_of("\r\n") == std::string::npos)
    for (const char* suffix : {".status", ".status.tmp"})
      targets.push_back(value + "/movie" + suffix);
  ASSERT_EQ(commands.lines.size(), targets.size());
  for (size_t i = 0; i < targets.size(); ++i)
    EXPECT_EQ(testing::shell_words(commands.lines[i]),
              (std::vector<std::string>{"rm", "-f", targets[i], ">/dev/null", "2>&1"}));
}

TEST_F(BitTorrentTest, StatusFilesCommandsAsWritten) {
  nexalib_remove_bt_status_files("/downloads", "movie");
  EXPECT_EQ(commands.lines,
            (std::vector<std::string>{"rm -f \"/downloads/movie.status\" \n >/dev/null 2>&1",
                                      "rm -f \"/downloads/movie.status.tmp\" \n >/dev/null 2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, BitTorrentHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
