// Default "Network" objects and the clearing of the system-wide routing.
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;
using testing::Props;

class NetworkObjectsTest : public LibraryTest {
 protected:
  // The device's object as "key=value" texts of the listed keys ("key" alone
  // when absent).
  std::vector<std::string> object_of(const char* dev, const std::vector<std::string>& keys) {
    std::vector<std::string> out;
    OdbProps* props = nexalib_get_network_and_oid(odb, nullptr, dev);
    if (!props) return out;
    for (const std::string& key : keys) {
      const char* value = odb_props_get(props, key.c_str());
      out.push_back(value ? key + "=" + value : key);
    }
    return out;
  }
  const std::vector<std::string> keys{"ipaddr", "netmask", "bootproto", "enabled", "devName"};
  OdbSession odb;
};

TEST_F(NetworkObjectsTest, LanAndWanDefaultsWithAndWithoutNamespace) {
  const struct {
    bool with_namespace;
    std::vector<std::string> lan, wan;
    std::string out;
  } rows[] = {
      {false,
       {"ipaddr=10.22.33.44", "netmask=255.0.0.0", "bootproto", "enabled=1", "devName=eth0"},
       {"ipaddr", "netmask", "bootproto", "enabled", "devName"},
       "nexalib: set Network object default values for eth0\r\n"
       "nexalib: create Network object for device=eth1\r\n"
       "nexalib: create Network object for device=eth1\r\n"},  // no devName to find it by
      {true,
       {"ipaddr=192.168.1.1", "netmask=255.255.255.0", "bootproto=none", "enabled=1",
        "devName=eth0"},
       {"ipaddr", "netmask", "bootproto=dhcp", "enabled=0", "devName=eth1"},
       "nexalib: set Network object default values for eth0\r\n"
       "nexalib: create Network object for device=eth1\r\n"
       "nexalib: set Network object default values for eth1\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.with_namespace);
    const testing::ChildResult child = testing::run_in_child([&] {
      if (row.with_namespace)
        odb.set(odb.add("System"),
                {{"default_lan_ipaddr", "192.168.1.1"},
                 {"default_lan_netmask", "255.255.255.0"},
                 {"default_lan_bootproto", "none"},
                 {"default_wan_bootproto", "dhcp"},
                 {"default_wan_enabled", "0"}},
                "Network");
      if (construct_network_create_network_lan_object(odb, "eth0") != 0) std::exit(2);
      if (construct_network_create_network_wan_object(odb, "eth1") != 0) std::exit(3);
      if (construct_network_create_network_wan_object(odb, "eth1") != 0) std::exit(4);
      if (object_of("eth0", keys) != row.lan) std::exit(5);
      if (row.with_namespace && object_of("eth1", keys) != row.wan) std::exit(6);
    });
    EXPECT_EQ(child.exit_status, 0);
    EXPECT_EQ(child.out, row.out);
  }
}

TEST_F(NetworkObjectsTest, SetDefaultLanCreatesOrOverwrites) {
  const testing::ChildResult child = testing::run_in_child([&] {
    construct_network_set_default_lan_ip_address(odb, "eth0");
    construct_network_set_default_lan_ip_address(odb, "eth0");
  });
  EXPECT_EQ(child.out,
            "nexalib: create Network object\r\n"
            "nexalib: set Network object default values for eth0\r\n"
            "nexalib: set Network object default values for eth0\r\n");
  odb.add("Network", {{"devName", "eth0"}, {"ipaddr", "1.2.3.4"}, {"refresh", "1"}});
  construct_network_set_default_lan_ip_address(odb, "eth0");
  EXPECT_EQ(object_of("eth0", {"ipaddr", "netmask", "refresh"}),
            (std::vector<std::string>{"ipaddr=10.22.33.44", "netmask=255.0.0.0", "refresh=1"}));
}

TEST_F(NetworkObjectsTest, DefaultSystemClearsOnlyWhatIsSet) {
  const struct {
    Props before;
    std::vector<std::string> after;  // gateway, dns, domain
  } rows[] = {
      {{{"gateway", ""}, {"dns", ""}, {"domain", "lan"}}, {"gateway=", "dns=", "domain=lan"}},
      {{{"dns", "&1.1.1.1&"}, {"domain", "lan"}, {"gateway", "10.0.0.1"}},
       {"gateway=", "dns=", "domain="}},
      {{{"dns", "&1.1.1.1&"}, {"domain", "lan"}, {"gateway", ""}}, {"gateway=", "dns=", "domain="}},
      {{{"gateway", "10.0.0.1"}, {"domain", "lan"}}, {"gateway=", "dns", "domain=lan"}},
  };
  for (const auto& row : rows) {
    const guint32 system = odb.add("System", row.before);
    odb.clear_log();
    construct_network_set_default_system(odb);
    OdbProps* now = odb_get_cmnd(odb, system, "");
    std::vector<std::string> after;
    for (const char* key : {"gateway", "dns", "domain"}) {
      const char* value = odb_props_get(now, key);
      after.push_back(value ? std::string(key) + "=" + value : key);
    }
    EXPECT_EQ(after, row.after);
    if (row.before == rows[0].before) {
      EXPECT_TRUE(odb.log().empty()) << "nothing to clear";
    }
    odb_destroy_cmnd(odb, system);
  }
  const testing::ChildResult child =
      testing::run_in_child([&] { construct_network_set_default_system(odb); });
  EXPECT_EQ(child.out, "system object was not found !\n");
}

}  // namespace
}  // namespace nexa
