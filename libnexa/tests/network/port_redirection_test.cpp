// Virtual-server rules and the redirect of port 80 to the web server.
#include "network/port_redirection.h"

#include <sys/stat.h>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::Props;

class PortRedirectionTest : public LibraryTest {
 protected:
  void SetUp() override {
    system_ = odb.add("System", {{"wandevname", "eth1"}, {"landevname", "eth0"}, {"nat", "1"}},
                      "Network");
    odb.set(system_, {{"port", "8080"}}, "RemoteManagement");
    odb.add("Network", {{"devName", "eth0"}, {"ipaddr", "192.168.1.1"}});
    write_file("/etc/thttpd.conf", "dir=/www\nport=80\nuser=nobody\n");
  }

  // The recorded lines under a heading, for a golden file.
  std::string section(const std::string& name) {
    std::string text = "# " + name + "\n";
    for (const std::string& line : commands.lines) text += line + "\n";
    commands.lines.clear();
    return text;
  }

  testing::OdbSession odb;
  guint32 system_ = 0;
};

TEST_F(PortRedirectionTest, VirtualServerRules) {
  const struct {
    const char* name;
    Props entry;
    int mode;
    int result;
  } rows[] = {
      {"ranges_both_protocols_add",
       {{"protocol", "&tcp&UDP&"},
        {"lan_port", "&80&"},
        {"wan_port", "&8080&9000-9010&"},
        {"lan_ipaddr", "192.168.1.5"}},
       1,
       0},
      {"ranges_both_protocols_remove",
       {{"protocol", "&tcp&udp&"},
        {"lan_port", "&80&"},
        {"wan_port", "&8080&9000-9010&"},
        {"lan_ipaddr", "192.168.1.5"}},
       0,
       0},
      {"pptp_add",
       {{"protocol", "&tcp&"},
        {"lan_port", "&1723&"},
        {"wan_port", "&1723&"},
        {"lan_ipaddr", "192.168.1.7"}},
       1,
       0},
      {"pptp_remove",
       {{"protocol", "&Tcp&"},
        {"lan_port", "&1723&"},
        {"wan_port", "&1723&"},
        {"lan_ipaddr", "192.168.1.7"}},
       2,
       0},
      {"pptp_over_udp_only",
       {{"protocol", "&udp&"},
        {"lan_port", "&1723&"},
        {"wan_port", "&1723&"},
        {"lan_ipaddr", "192.168.1.7"}},
       1,
       0},
      {"disabled_add",
       {{"enabled", "0"},
        {"protocol", "&tcp&"},
        {"lan_port", "&22&"},
        {"wan_port", "&2222&"},
        {"lan_ipaddr", "192.168.1.9"}},
       1,
       0},
      {"disabled_remove",
       {{"enabled", "0"},
        {"protocol", "&tcp&"},
        {"lan_port", "&22&"},
        {"wan_port", "&2222&"},
        {"lan_ipaddr", "192.168.1.9"}},
       0,
       0},
      {"no_protocol", {{"lan_port", "&22&"}, {"wan_port", "&2222&"}}, 1, 1},
      {"empty_protocol", {{"protocol", ""}, {"lan_port", "&22&"}}, 0, 1},
  };
  std::string text;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const guint32 oid = odb.add("Virtual", row.entry);
    OdbProps* entry = odb_get_cmnd(odb, oid, "");
    EXPECT_EQ(nexalib_virtual_server_handler(odb, entry, row.mode), row.result);
    text += section(row.name);
  }
  testing::expect_golden(text, "network/virtual_servers.golden");
}

TEST_F(PortRedirectionTest, RemoteAccessRedirects) {
  write_file("/var/run/thttpd.pid", "4242\n");
  write_file("/proc/4242/status", "");
  nexalib_set_iptables_remote_access_redirect(odb);
  std::string text = section("redirect");
  EXPECT_EQ(read_file("/etc/thttpd.conf"), "dir=/www\nport=8080\nuser=nobody\n");
  nexalib_set_iptables_remote_access_redirect_to_port(odb, "8080", "8443");
  text += section("redirect_to_port");
  EXPECT_EQ(read_file("/etc/thttpd.conf"), "dir=/www\nport=8443\nuser=nobody\n");
  testing::expect_golden(text, "network/remote_access.golden");
}

TEST_F(PortRedirectionTest, NothingWithoutTranslationOrAPort) {
  const struct {
    const char* name;
    const char* nat;
    const char* port;
  } rows[] = {
      {"nat_off", "0", "8080"},       {"not_a_port", "1", "80a"}, {"port_zero", "1", "0"},
      {"port_too_big", "1", "65536"}, {"empty_port", "1", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    odb.set(system_, {{"nat", row.nat}}, "Network");
    odb.set(system_, {{"port", row.port}}, "RemoteManagement");
    nexalib_set_iptables_remote_access_redirect(odb);
    nexalib_set_iptables_remote_access_redirect_to_port(odb, "80", row.port);
    EXPECT_EQ(commands.lines, std::vector<std::string>{});
    EXPECT_EQ(read_file("/etc/thttpd.conf"), "dir=/www\nport=80\nuser=nobody\n");
  }
}

class PortRedirectionHostile : public PortRedirectionTest,
                               public ::testing::WithParamInterface<testing::HostileValue> {};

// Devices, addresses and ports reach iptables as one word each.
TEST_P(PortRedirectionHostile, ValuesStayOneWord) {
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  const bool in_array = value.find('&') == std::string::npos && !value.empty();
  odb.set(system_, {{"wandevname", value}, {"landevname", value}}, "Network");
  odb.add("Network", {{"devName", value}, {"ipaddr", value}});
  const guint32 oid = odb.add("Virtual", {{"protocol", "&tcp&"},
                                          {"lan_port", in_array ? "&" + value + "&" : "&22&"},
                                          {"wan_port", "&2222&"},
                                          {"lan_ipaddr", value}});
  EXPECT_EQ(nexalib_virtual_server_handler(odb, odb_get_cmnd(odb, oid, ""), 1), 0);
  ASSERT_EQ(commands.lines.size(), 2u);
  EXPECT_EQ(testing::shell_words(commands.lines[0]),
            (std::vector<std::string>{"/sbin/iptables", "-A", "PREROUTING", "-t", "nat", "-i",
                                      value, "-p", "tcp", "--dport", "2222", "-j", "DNAT", "--to",
                                      value + ":" + (in_array ? value : "22")}));
  commands.lines.clear();
  if (value.empty()) return;  // no LAN device: no redirect
  nexalib_set_iptables_remote_access_redirect_to_port(odb, value.c_str(), "8443");
  ASSERT_EQ(commands.lines.size(), 6u);
  EXPECT_EQ(testing::shell_words(commands.lines[0]),
            (std::vector<std::string>{"/sbin/iptables", "-t", "nat", "-D", "PREROUTING", "-i",
                                      value, "-p", "tcp", "-d", value, "--dport", "80", "-j",
                                      "REDIRECT", "--to-ports", value, ">/dev/null", "2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, PortRedirectionHostile,
                         ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
