// Every operation taking a value a user could type refuses a hostile one
// whole, or keeps it as one literal word of its command and one field of
// its file.
#include "core/config_values.h"
#include "services/alerts.h"
#include "services/bonjour.h"
#include "services/crontab.h"
#include "services/music_server.h"
#include "services/run_levels.h"
#include "services/system_log.h"
#include "services_test_support.h"

namespace nexa::testing {
namespace {

using Words = std::vector<std::vector<std::string>>;

class ServicesHostile : public ServicesTest, public ::testing::WithParamInterface<HostileValue> {
 protected:
  Words ran_words() {  // of each command run since the last call
    Words all;
    for (const std::string& line : commands.lines) all.push_back(shell_words(unrooted(line)));
    commands = {};
    return all;
  }
  // The words of a command, "{}" standing for the value as C passes it.
  std::vector<std::string> with_value(const std::string& command) const {
    const std::string value = GetParam().value.c_str();
    std::vector<std::string> words;
    std::istringstream in(command);
    for (std::string word; in >> word; words.push_back(word))
      for (size_t at = 0; (at = word.find("{}", at)) != npos; at += value.size())
        word.replace(at, 2, value);
    return words;
  }
};

TEST_P(ServicesHostile, ValuesStayOneWordOrAreRefused) {
  const char* v = GetParam().value.c_str();
  const std::string value = v;
  seed(odb.add("System"), "Samba:enabled=1");
  write_file("/etc/rc.conf", "SAMBA=\"NO\"\n");
  const bool key_taken = nexalib_update_rc_conf(odb, "Samba", v, "/etc/rc.conf", 0644) == 0;
  EXPECT_EQ(read_file("/etc/rc.conf"), "SAMBA=\"NO\"\n" + (key_taken ? value + "=\"YES\"\n" : ""));
  EXPECT_EQ(logged.empty(), key_taken) << "a refused key is logged";

  write_file(kServicesFile, "telnet 23/tcp\ntelnet 23/udp\n");
  int state = 0;
  const bool port_taken = nexalib_modify_inetd_services(v, &state) == 0;
  EXPECT_EQ(read_file(kServicesFile),
            port_taken ? "telnet          " + value + "/tcp\ntelnet          " + value + "/udp\n"
                       : "telnet 23/tcp\ntelnet 23/udp\n");
  EXPECT_EQ(state, port_taken ? 2 : 1);

  nexalib_settime_set_ntpServer(nullptr, 0, v);
  std::string crontab = exists(kCrontabFile) ? read_file(kCrontabFile) : "";
  expect_cron_lines(crontab);
  EXPECT_EQ(std::count(crontab.begin(), crontab.end(), '\n'), crontab.empty() ? 0 : 1);
  for (size_t at = 0; (at = crontab.find("\\%", at)) != npos;)
    crontab.erase(at++, 1);  // as cron does
  Words done = ran_words();
  if (!crontab.empty()) done.insert(done.begin(), shell_words(crontab));
  const Words set = {with_value("0 0 * * 0 /usr/bin/ntpdate {}"),
                     with_value("/etc/rc.d/S90crond.sh restart &"),
                     with_value("/usr/bin/ntpdate -b {} >/dev/null 2>&1")};
  EXPECT_EQ(done, crontab.empty() ? Words{} : set);

  write_file(kSyslogConf, "kern.*\t/dev/console\n");
  write_file(kMessagesFile, "");
  logged.clear();
  const guint32 logger = odb.add("Logger");
  odb.set(logger, {{"logClient", value}}, "Syslog");
  nexalib_construct_syslog_conf_and_append_message_to_log_file(odb, int(logger));
  const bool redirected = !ran_words().empty();
  const std::string rule = value.empty() ? "\t-/var/log/messages\n" : "\t@" + value + "\n";
  EXPECT_EQ(read_file(kSyslogConf),
            "kern.*\t/dev/console\n" + (redirected ? kSyslogSelector + rule : ""));
  EXPECT_EQ(read_file(kMessagesFile).empty(), !redirected);
  EXPECT_EQ(logged.size(), redirected ? 0u : 1u) << "a refused host is logged";
  if (redirected)
    expect_accepted_by({"rsyslogd", "-N1", "-i", path("/run/rsyslogd.pid"), "-f"},
                       path(kSyslogConf));

  nexalib_send_popup_messages_to_machines(v, "&pc1&");
  if (!strchr(v, '&'))
    nexalib_send_popup_messages_to_machines("hi", ("&" + value + "&").c_str());  // "&" ends a name
  for (const std::vector<std::string>& words : ran_words())
    EXPECT_TRUE(words == with_value("echo {} | smbclient -M pc1 &") ||
                words == with_value("echo hi | smbclient -M {} &"));

  // Mail is sent in a child; each command is printed, then run.
  const std::string file = " -i $ROOT/tmp/alert_email_forcrontd_data0 -r ";
  for (const auto& [mail, sent] :
       {std::pair{"{} &a@x.org& alert", "alert@{} -t a@x.org" + file + "{}"},
        {"mail.lan &{}@x.org& alert", "alert@mail.lan -t {}@x.org" + file + "mail.lan"},
        {"mail.lan &a@x.org& {}", "{}@mail.lan -t a@x.org" + file + "mail.lan"}}) {
    const std::vector<std::string> args = with_value(mail);
    if (args[1].find('&', 1) != args[1].size() - 1) continue;  // more than one address
    const std::string out = in_child([&] {
      nexalib_send_mail_to_user(args[0].c_str(), args[1].c_str(), args[2].c_str(), "hi");
      for (const std::string& line : commands.lines) std::printf("%s\n", unrooted(line).c_str());
    });
    const std::string twice = "smtpblast -f " + sent + " & smtpblast -f " + sent + " &";
    EXPECT_TRUE(out.empty() || shell_words(out) == with_value(twice)) << out;
  }

  nexalib_remove_bt_status_files("/downloads", v);
  nexalib_remove_bt_status_files(v, "movie");
  Words removed;
  for (const std::string file : {"/downloads/{}.status", "/downloads/{}.status.tmp",
                                 "{}/movie.status", "{}/movie.status.tmp"})
    if (file[0] == '/' ? is_acceptable(ValueKind::kPathComponent, value)
                       : !strpbrk(v, "\r\n") && !value.starts_with('-'))
      removed.push_back(with_value("rm -f " + file + " >/dev/null 2>&1"));
  EXPECT_EQ(ran_words(), removed);

  for (const std::string mount : {"/mnt", "{}"}) {
    std::filesystem::remove_all(path("/usr/ruvoro/etc"));
    logged.clear();
    const bool started =
        BonjourLib_iTunes_START(mount == "/mnt" ? v : "nas1", mount == "/mnt" ? "/mnt" : v) != -1;
    EXPECT_EQ(logged.empty(), started);
    const Words start = {with_value("mkdir -p -m 777 " + mount + "/public/music >/dev/null 2>&1"),
                         with_value("daapd -c /usr/ruvoro/etc/daapd.conf >/dev/null 2>&1 &")};
    EXPECT_EQ(ran_words(), started ? start : Words{});
    const std::string conf = exists(kDaapdConf) ? read_file(kDaapdConf) : "";
    EXPECT_EQ(std::count(conf.begin(), conf.end(), '\n'), started ? 8 : 0) << "no line added";
  }
  BonjourLib_mDNSResponder_START(v);
  BonjourLib_RouteTable_add(v);
  BonjourLib_RouteTable_del(v);
  // The name is an option's argument; an interface is route's operand.
  Words bonjour = {
      with_value("/sbin/mDNSResponderPosix -n {} -t _http._tcp. -p 80 -b >/dev/null 2>&1")};
  if (!value.starts_with('-')) {
    bonjour.push_back(with_value("/sbin/route add default dev {} metric 99 >/dev/null 2>&1"));
    bonjour.push_back(with_value("/sbin/route delete default dev {} metric 99 >/dev/null 2>&1"));
  }
  EXPECT_EQ(ran_words(), bonjour);
}

INSTANTIATE_TEST_SUITE_P(Hostile, ServicesHostile, ::testing::ValuesIn(hostile_values()),
                         hostile_value_name);

}  // namespace
}  // namespace nexa::testing
