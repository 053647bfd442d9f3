// The logger rule for the appliance's messages, checked by rsyslogd itself.
#include "services/system_log.h"

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;

const std::string kOtherRules = "kern.*\t/dev/console\n# *.=info;*.=notice;mail.none old\n";

class SystemLogTest : public LibraryTest {
 protected:
  // Sets "logClient" (unset for nullptr) and builds the rule from it.
  void redirect(const char* host) {
    const guint32 oid = odb.add("Logger");
    if (host) odb.set(oid, {{"logClient", host}}, "Syslog");
    EXPECT_EQ(nexalib_construct_syslog_conf_and_append_message_to_log_file(odb, int(oid)), 0);
  }
  // rsyslogd reads the file as its whole configuration, in check mode only
  // (-N1 starts no daemon; the pid file is kept inside the root).
  void expect_rsyslogd_accepts() {
    testing::expect_accepted_by({"rsyslogd", "-N1", "-i", path("/run/rsyslogd.pid"), "-f"},
                                path(kSyslogConf));
  }
  OdbSession odb;
};

TEST_F(SystemLogTest, LogHostOnThenOffLeavesOneRule) {
  write_file(kSyslogConf, kOtherRules);
  write_file(kMessagesFile, "");
  redirect("loghost.lan");
  testing::expect_golden(read_file(kSyslogConf), "services/syslog_remote.golden");
  expect_rsyslogd_accepts();
  redirect("");
  testing::expect_golden(read_file(kSyslogConf), "services/syslog_local.golden");
  expect_rsyslogd_accepts();
  EXPECT_EQ(read_file(kMessagesFile),
            "The system log has been redirected to loghost.lan\nStop redirect system log. \n");
  EXPECT_EQ(commands.lines, (std::vector<std::string>(2, "/etc/rc.d/S12syslog.sh restart")));
  EXPECT_EQ(mode_of(kSyslogConf), 0644u);
}

TEST_F(SystemLogTest, MissingSettingsAndFilesMeanTheLocalLog) {
  redirect(nullptr);
  EXPECT_EQ(read_file(kSyslogConf), "*.=info;*.=notice;mail.none\t-/var/log/messages\n");
  EXPECT_FALSE(exists(kMessagesFile)) << "the message needs the log file to open";
  EXPECT_EQ(nexalib_update_syslog_file(odb, "a\nb", "a"), -1);
  EXPECT_EQ(commands.lines.size(), 1u);
}

class SystemLogHostile : public SystemLogTest,
                         public ::testing::WithParamInterface<testing::HostileValue> {};

// A host is refused whole (nothing written or run) or stands alone after
// "@" on the one rule line, which rsyslogd accepts.
TEST_P(SystemLogHostile, HostIsOneTargetOrRefused) {
  write_file(kSyslogConf, kOtherRules);
  write_file(kMessagesFile, "");
  const std::string& value = GetParam().value;
  const std::string host = value.substr(0, value.find('\0'));  // what the stand-in holds
  redirect(host.c_str());
  if (commands.lines.empty()) {
    EXPECT_EQ(read_file(kSyslogConf), kOtherRules);
    EXPECT_EQ(read_file(kMessagesFile), "");
    EXPECT_EQ(logged.size(), 1u);
    return;
  }
  const std::string rule = host.empty() ? "\t-/var/log/messages\n" : "\t@" + host + "\n";
  EXPECT_EQ(read_file(kSyslogConf), kOtherRules + kSyslogSelector + rule);
  expect_rsyslogd_accepts();
}

INSTANTIATE_TEST_SUITE_P(Hostile, SystemLogHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
