// The services over case tables, each compared with its golden: start-up and
// minimal mode, run levels, the inetd files, pid files, crontab, the system
// log, alerts, the BitTorrent client and the music server.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "services/alerts.h"
#include "services/bittorrent.h"
#include "services/bonjour.h"
#include "services/crontab.h"
#include "services/music_server.h"
#include "services/run_levels.h"
#include "services/system_log.h"
#include "services_test_support.h"

namespace nexa::testing {
namespace {

TEST_F(ServicesTest, SystemObjectStartsServicesAndTellsMinimalMode) {
  expect_table("system_object", [&](const Row& row) {
    std::filesystem::remove(path(kDaapdConf));
    guint32 system = odb.add("System");
    seed(system, row.fields[0]);
    const std::string out = "  minimal mode " + std::to_string(nexalib_os_in_min_mode(odb)) + "\n";
    EXPECT_EQ(nexalib_start_all_service(odb, &system), 0);
    return out + ran() + (exists(kDaapdConf) ? "  daapd.conf written\n" : "");
  });
}

TEST_F(ServicesTest, RunLevelLineReplacedOrAppended) {
  expect_table("rc_conf", [&](const Row& row) {
    seed(odb.add("System"), row.fields[0]);
    put("/etc/rc.conf", row, 2);
    const testing::CapturedMessages printed;
    const int result = nexalib_update_rc_conf(odb, "Samba", row[1].c_str(), "/etc/rc.conf", 0640);
    return "  " + shown(printed.text() + std::to_string(result) + "\n") + " " +
           state_of("/etc/rc.conf") + "\n";
  });
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"rc.conf"}) << "no file left behind";
}

TEST_F(ServicesTest, TelnetEntriesOfTheInetdFiles) {
  expect_table("inetd", [&](const Row& row) {
    const bool services = row[0].starts_with("services");
    const char* file = services ? kServicesFile : kInetdConf;
    put(file, row, 1);
    int state = 0;
    const std::string arg = row[0].substr(row[0].find(' ') + 1);
    const int result = services ? nexalib_modify_inetd_services(arg.c_str(), &state)
                                : nexalib_modify_inetd_conf(arg.c_str(), &state);
    return "  " + std::to_string(result) + " state " + std::to_string(state) + " " +
           state_of(file) + "\n";
  });
}

TEST_F(ServicesTest, PidFileNamesALiveProcess) {
  write_file("/proc/4242/status", "");
  expect_table("pid_file", [&](const Row& row) {
    put("/var/run/daemon.pid", row, 0);
    return "  " + std::to_string(nexalib_process_is_die("/var/run/daemon.pid")) + "\n";
  });
  EXPECT_EQ(nexalib_process_is_die(nullptr), 1);
  // On the real system this process lives and a reaped child is stale.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const ScopedEnv real_root("NEXALIB_ROOT", nullptr);
  for (const pid_t pid : {getpid(), child}) {
    ASSERT_TRUE(sys::replace_file(root + "/real.pid", std::to_string(pid) + "\n", 0644));
    EXPECT_EQ(nexalib_process_is_die((root + "/real.pid").c_str()), pid == child ? 1 : 0);
  }
}

TEST_F(ServicesTest, CrontabJobsReplaceTheirLinesAndKeepTheRest) {
  EXPECT_TRUE(valid_cron_field("*/15,1-5", 0, 59));
  for (const char* bad : {"60", "1,", "*/0", "a", "-1", ""})
    EXPECT_FALSE(valid_cron_field(bad, 0, 59)) << bad;
  expect_table("crontab", [&](const Row& row) {
    put(kCrontabFile, row, 0);
    std::string out;
    for (size_t i = 1; i < row.fields.size(); ++i) {  // "ntp SERVER" or "job FLAG PATTERN COMMAND"
      std::smatch act;
      std::regex_match(row.fields[i], act, std::regex(R"((ntp|job) (?:(\d) (\S+) )?(.*))"));
      const std::string arg = unescape(act[4].str());
      out += "  " + row.fields[i].substr(0, 3) + " " +
             std::to_string(act[1] == "ntp"
                                ? nexalib_settime_set_ntpServer(nullptr, 0, arg.c_str())
                                : nexalib_update_crontab_file(nullptr, "* * * * *", arg.c_str(),
                                                              act.str(3).c_str(), act[2] == "1")) +
             "\n";
    }
    expect_cron_lines(exists(kCrontabFile) ? read_file(kCrontabFile) : "");
    return out + ran() + "  crontab " + state_of(kCrontabFile) + "\n";
  });
}

TEST_F(ServicesTest, LogHostOnThenOffLeavesOneRule) {
  std::string out;
  // Sets "logClient" (unset for nullptr), builds the rule and has rsyslogd
  // check the file as its whole configuration (-N1 starts no daemon).
  const auto redirect = [&](const char* host) {
    const guint32 oid = odb.add("Logger");
    if (host) odb.set(oid, {{"logClient", host}}, "Syslog");
    EXPECT_EQ(nexalib_construct_syslog_conf_and_append_message_to_log_file(odb, int(oid)), 0);
    expect_accepted_by({"rsyslogd", "-N1", "-i", path("/run/rsyslogd.pid"), "-f"},
                       path(kSyslogConf));
    out += "logClient " + (host ? shown(host) : "unset") + "\n  syslog.conf " +
           state_of(kSyslogConf) + "\n  messages " + state_of(kMessagesFile) + "\n" + ran();
    commands = {};
  };
  redirect(nullptr);
  write_file(kSyslogConf, "kern.*\t/dev/console\n# *.=info;*.=notice;mail.none old\n");
  write_file(kMessagesFile, "");
  redirect("loghost.lan");
  redirect("");
  EXPECT_EQ(nexalib_update_syslog_file(odb, "a\nb", "a"), -1);
  EXPECT_EQ(commands.lines.size(), 0u);
  expect_golden(out, "services/syslog.golden");

  // A rule that cannot be written (a file size limit) is not noted as made.
  const std::string conf = read_file(kSyslogConf), messages = read_file(kMessagesFile);
  const guint32 oid = odb.add("Logger");
  odb.set(oid, {{"logClient", "other.lan"}}, "Syslog");
  const testing::ChildResult limited = testing::run_in_child([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8, 8};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::printf("%d", nexalib_construct_syslog_conf_and_append_message_to_log_file(odb, int(oid)));
  });
  EXPECT_EQ(limited.out, "-1");
  EXPECT_EQ(read_file(kSyslogConf), conf);
  EXPECT_EQ(read_file(kMessagesFile), messages);
}

TEST_F(ServicesTest, AlertsReachEachRecipientInOrder) {
  const std::string files[] = {kMailFilePrefix + std::string("0"),
                               kMailFilePrefix + std::string("1")};
  expect_table("alerts", [&](const Row& row) {
    if (row[0] == "popup") {
      nexalib_send_popup_messages_to_machines(row[1].c_str(), row[2].c_str());
      return ran();
    }
    for (const std::string& file : files) std::filesystem::remove(path(file));
    // Sent in a child, the counter starts at 0 as in a fresh process.
    std::string out = in_child([&] {
      const std::string body = row.given(4) ? row[4] : "Disk 1 is failing.";
      nexalib_send_mail_to_user(row.given(1) ? row[1].c_str() : nullptr, row[2].c_str(),
                                row[3].c_str(), body.c_str());
      std::printf("%s", ran().c_str());
    });
    for (const std::string& file : files)
      if (exists(file)) out += "  " + file + " " + state_of(file) + "\n";
    return out;
  });

  // A link planted at the mail file is replaced, not followed.
  write_file("/victim", "keep me");
  std::filesystem::remove(path(files[0]));
  ASSERT_EQ(symlink(path("/victim").c_str(), path(files[0]).c_str()), 0);
  EXPECT_NE(in_child([] { nexalib_send_mail_to_user("mail.lan", "&a@x.org&", "alert", "hi"); }),
            "");
  EXPECT_EQ(read_file("/victim"), "keep me");
  EXPECT_EQ(read_file(files[0]), std::string("to: a@x.org\nhi\0", 15));
}

// The operations end the connection at times, so each runs in a child that
// prints what it gives and then the stand-in's log.
TEST_F(ServicesTest, WaitingDownloadsStartWhileFewerThanFiveRun) {
  const auto in_child_logged = [&](const std::function<void()>& body) {
    return shown(in_child([&] {
      body();
      for (const std::string& line : odb.log()) std::printf("%s\n", line.c_str());
    }));
  };
  expect_table("bt_queue", [&](const Row& row) {
    for (size_t i = 0; row.given(0) && i < row.fields.size(); ++i)
      seed(odb.add("BT"), row.fields[i]);
    return "  count " +
           in_child_logged([&] { std::printf("%d\n", nexalib_bt_get_start_sessions(odb)); }) +
           "\n  start " + in_child_logged([&] { nexalib_bt_start_wait_sessions(odb); }) + "\n";
  });
}

TEST_F(ServicesTest, RatesAreWrittenIntoTheClientFile) {
  const auto inode = [&] {
    struct stat st {};
    return stat(path(kRtorrentRc).c_str(), &st) == 0 ? st.st_ino : 0;
  };
  expect_table("bt_rates", [&](const Row& row) {
    put(kRtorrentRc, row, 0);
    if (row.given(1)) seed(odb.add("System"), row.fields[1]);
    const ino_t before = inode();
    const std::string out = in_child([&] {
      nexalib_set_bt_conf(odb);
      std::printf("logged %zu", logged.size());
      for (const std::string& line : odb.log()) std::printf(" %s", line.c_str());
    });
    return "  " + out + (before != inode() ? " rewritten " : " kept ") + state_of(kRtorrentRc) +
           "\n";
  });
}

TEST_F(ServicesTest, StopKillsTheLastMatchingClient) {
  expect_table("bt_stop", [&](const Row& row) {
    commands.on("ps -aux", [this, listing = row[0]](const std::string&) {
      write_file("/tmp/ps.out", listing);
      return 0;
    });
    nexalib_stop_bt("movie", "/tmp/ps.out");
    if (row.given(1)) nexalib_remove_bt_status_files("/downloads", "movie");
    return ran();
  });
  write_file("/victim", "101 rtorrent movie\n");
  std::filesystem::remove(path("/tmp/ps.out"));
  ASSERT_EQ(symlink(path("/victim").c_str(), path("/tmp/ps.out").c_str()), 0);
  commands = {};
  nexalib_stop_bt("movie", "/tmp/ps.out");
  EXPECT_TRUE(commands.lines.empty()) << "nothing run through a planted link";
  EXPECT_EQ(read_file("/victim"), "101 rtorrent movie\n");
}

TEST_F(ServicesTest, MusicServerConfiguredAsInstalled) {
  std::string out;
  for (const std::string server : {"daapd", "mt-daapd"}) {  // mt-daapd once installed
    if (server == "mt-daapd") write_file(kMtDaapdProgram, "", 0755);
    char chosen[16] = "xxxxxxxxxxxxxxx";
    Bonjour_Check_iTunes_Server(chosen);
    out +=
        std::string(chosen) + " " + std::to_string(BonjourLib_iTunes_START("nas1", "/mnt/disk1"));
    BonjourLib_iTunes_STOP();
    expect_golden(read_file("/usr/ruvoro/etc/" + server + ".conf"),
                  "services/" + server + ".conf.golden");
    out += " " + state_of("/usr/ruvoro/etc/" + server + ".conf").substr(0, 8) + "\n" + ran();
    commands = {};
  }
  std::filesystem::remove_all(path("/usr/ruvoro/etc"));
  Bonjour_prepare_daapd_conf("itunesd", "nas1", "/mnt/disk1");
  EXPECT_FALSE(exists("/usr/ruvoro/etc")) << "another server name writes nothing";
  commands.on("mt-daapd -c", [](const std::string&) { return 256; });
  out += "status 256 " + std::to_string(BonjourLib_iTunes_START("nas1", "/mnt/disk1")) + "\n";
  commands = {};
  BonjourLib_mDNSResponder_START("nas1");
  BonjourLib_mDNSResponder_STOP();
  write_file(kBonjourLog, "earlier\n");
  for (const char* text : {"started", "two\nlines\r", ""}) bj_dbg(text);
  expect_golden(out + ran() + "log.bj " + state_of(kBonjourLog) + "\n",
                "services/music_server.golden");
}

}  // namespace
}  // namespace nexa::testing
