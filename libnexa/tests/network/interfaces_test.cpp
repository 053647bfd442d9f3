// Interface roles, default "Network" objects and the DHCP client run.
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;

class InterfacesTest : public LibraryTest {
 protected:
  OdbSession odb;
};

TEST_F(InterfacesTest, RoleSettersStoreAndMirrorTheName) {
  const guint32 system = odb.add("System");
  odb.set(system, {{"hw_landevname", "egiga0"}, {"hw_wlandevname", "ra0"}}, "Network");
  EXPECT_EQ(nexalib_set_landevname(odb, "egiga0"), 0);
  EXPECT_EQ(nexalib_set_wandevname(odb, "egiga1"), 0);
  EXPECT_STREQ(nexalib_get_landevname(odb), "egiga0");
  EXPECT_STREQ(nexalib_get_wandevname(odb), "egiga1");
  EXPECT_STREQ(nexalib_get_hw_landevname(odb), "egiga0");
  EXPECT_STREQ(nexalib_get_hw_wlandevname(odb), "ra0");
  EXPECT_EQ(nexalib_get_hw_wandevname(odb), nullptr);
  EXPECT_EQ(read_file("/tmp/landevname"), "egiga0");
  EXPECT_EQ(read_file("/tmp/wandevname"), "egiga1");
  EXPECT_EQ(mode_of("/tmp/wandevname") & 07777, 0755u);
}

TEST_F(InterfacesTest, NoSystemObjectStillMirrorsAndGettersGiveNull) {
  EXPECT_EQ(nexalib_set_landevname(odb, "eth0"), 0);
  EXPECT_EQ(read_file("/tmp/landevname"), "eth0");
  EXPECT_EQ(nexalib_get_landevname(odb), nullptr);
  EXPECT_TRUE(odb.log().empty());
}

TEST_F(InterfacesTest, BootProtocolCodes) {
  const struct {
    const char* value;  // nullptr: no such property
    int code;
  } rows[] = {{"dhcp", BOOTPROTO_DHCP},    {"none", BOOTPROTO_NONE}, {"pppoe", BOOTPROTO_PPPOE},
              {"DHCP", BOOTPROTO_UNKNOWN}, {"", BOOTPROTO_UNKNOWN},  {nullptr, BOOTPROTO_UNKNOWN}};
  int n = 0;
  for (const auto& row : rows) {
    const std::string dev = "eth" + std::to_string(n++);
    SCOPED_TRACE(dev);
    testing::Props props = {{"devName", dev}};
    if (row.value) props.emplace_back("bootproto", row.value);
    odb.add("Network", props);
    EXPECT_EQ(construct_network_get_bootproto(odb, dev.c_str()), row.code);
  }
  EXPECT_EQ(construct_network_get_bootproto(odb, "missing"), BOOTPROTO_UNKNOWN);
}

TEST_F(InterfacesTest, RefreshFlipsEveryCall) {
  const struct {
    const char* before;
    const char* after;
  } rows[] = {{"0", "1"}, {"1", "0"}, {"", "0"}, {nullptr, "0"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.before ? row.before : "(absent)");
    testing::Props props = {{"devName", "eth0"}};
    if (row.before) props.emplace_back("refresh", row.before);
    const guint32 oid = odb.add("Network", props);
    EXPECT_EQ(construct_network_refresh_network_object(odb, "eth0"), 0);
    OdbProps* now = odb_get_cmnd(odb, oid, "");
    EXPECT_STREQ(odb_props_get(now, "refresh"), row.after);
    odb_destroy_cmnd(odb, oid);
  }
}

TEST_F(InterfacesTest, DhclientfailFlagIsDecimal) {
  const guint32 system = odb.add("System");
  EXPECT_EQ(construct_network_set_dhclientfail_flag(odb, -3), 0);
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(odb, system, ""), "dhclientfail"), "-3");
}

// Every device name reaches the DHCP client as its own word.
class DhcpClientHostile : public LibraryTest,
                          public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(DhcpClientHostile, DeviceNameIsOneWord) {
  const std::string& value = GetParam().value;
  const std::string dev = value.substr(0, value.find('\0'));
  const testing::ChildResult child = testing::run_in_child(
      [&] { construct_network_get_IP_from_DHCP_server(nullptr, dev.c_str()); });
  EXPECT_EQ(child.out, "Running dhcp client to get IP from DHCP server\n");
  EXPECT_EQ(construct_network_get_IP_from_DHCP_server(nullptr, dev.c_str()), 0);
  ASSERT_EQ(commands.lines.size(), 1u);
  EXPECT_EQ(testing::shell_words(commands.lines[0]),
            (std::vector<std::string>{"/sbin/udhcpc", "-n", "-s", "/etc/dhcpcd.script", "-i", dev,
                                      ">/dev/null", "2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, DhcpClientHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

TEST_F(InterfacesTest, DhcpClientCommandLine) {
  (void)testing::run_in_child([] { construct_network_get_IP_from_DHCP_server(nullptr, "egiga1"); });
  EXPECT_EQ(construct_network_get_IP_from_DHCP_server(nullptr, "egiga1"), 0);
  EXPECT_EQ(commands.lines,
            (std::vector<std::string>{
                "/sbin/udhcpc -n -s /etc/dhcpcd.script -i egiga1 >/dev/null 2>&1"}));
}

}  // namespace
}  // namespace nexa
