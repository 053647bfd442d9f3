// The DHCP server's configuration text, checked against reviewed copies and
// by dhcpd itself.
#include "network/dhcp_server.h"

#include <sstream>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;
using testing::Props;

class DhcpServerTest : public LibraryTest {
 protected:
  // A LAN on eth0 at 192.168.5.1/24, a WAN object on eth1 when asked.
  void seed(const Props& param, bool wan, const Props& system = {}) {
    const guint32 sys = odb.add("System", system);
    odb.set(sys, {{"landevname", "eth0"}, {"wandevname", "eth1"}}, "Network");
    odb.add("Network",
            {{"devName", "eth0"}, {"ipaddr", "192.168.5.1"}, {"netmask", "255.255.255.0"}});
    if (wan) odb.add("Network", {{"devName", "eth1"}});
    param_oid = odb.add("DhcpParam", param);
  }
  std::string compose(bool ipchange) {
    GString* text = ipchange ? nexalib_ipchange_dhcpd_conf(odb) : nexalib_prepare_dhcpd_conf(odb);
    std::string out(text->str, text->len);
    g_string_free(text, TRUE);
    return out;
  }
  // dhcpd reads the text as its whole configuration.
  void expect_dhcpd_accepts(const std::string& text) {
    write_file("/etc/dhcpd.conf", text);
    testing::expect_accepted_by({"dhcpd", "-4", "-t", "-cf"}, path("/etc/dhcpd.conf"));
  }
  OdbSession odb;
  guint32 param_oid = 0;
};

struct Composition {
  const char* golden;
  Props param;
  Props system;
  std::vector<Props> hosts;
  bool wan;
  bool ipchange;
};

const Composition kCompositions[] = {
    {"plain",
     {{"lease", "86400"},
      {"ipaddrlo", "192.168.5.100"},
      {"ipaddrhi", "192.168.5.200"},
      {"domain", "home \"lan\"\\"},
      {"dns", "&10.0.0.1&10.0.0.2&"}},
     {},
     {},
     true,
     false},
    {"system_fallbacks",
     {{"lease", "600"}, {"ipaddrlo", "192.168.5.10"}},
     {{"domain", "example.org"}, {"dns", "&1.1.1.1&"}, {"gateway", "192.168.5.254"}},
     {},
     false,
     false},
    {"static_hosts",
     {{"lease", "3600"}, {"gateway", "192.168.5.2"}, {"netmask", "255.255.0.0"}},
     {},
     {{{"name", "192.168.5.7"}, {"mac", "00:11:22:33:44:55"}},
      {{"name", "192.168.5.8"}, {"mac", "00:11:22:33:44:66"}}},
     false,
     false},
    {"moved_pool",
     {{"lease", "86400"}, {"ipaddrlo", "192.168.1.100"}, {"ipaddrhi", "192.168.1.200"}},
     {},
     {},
     true,
     true},
};

class DhcpComposition : public DhcpServerTest, public ::testing::WithParamInterface<Composition> {};

TEST_P(DhcpComposition, MatchesGoldenAndDhcpdAccepts) {
  const Composition& row = GetParam();
  odb.add("DhcpStatic");  // a host without name or address is left out
  for (const Props& host : row.hosts) odb.add("DhcpStatic", host);
  seed(row.param, row.wan, row.system);
  const std::string text = compose(row.ipchange);
  testing::expect_golden(text, std::string("network/dhcpd_") + row.golden + ".golden");
  expect_dhcpd_accepts(text);
  if (row.ipchange) {
    // A later plain composition gives the same pool.
    OdbProps* param = odb_get_cmnd(odb, param_oid, "");
    EXPECT_STREQ(odb_props_get(param, "ipaddrlo"), "192.168.5.100");
    EXPECT_STREQ(odb_props_get(param, "ipaddrhi"), "192.168.5.200");
    EXPECT_EQ(compose(false), text);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, DhcpComposition, ::testing::ValuesIn(kCompositions),
                         [](const auto& info) { return std::string(info.param.golden); });

TEST(DhcpPool, MovedBounds) {
  const struct {
    const char* address;
    const char* bound;
    std::optional<std::string> moved;
  } rows[] = {
      {"192.168.5.1", "192.168.1.100", "192.168.5.100"},
      {"10.0.0.1", "1.2.3.4", "10.0.0.4"},
      {"192168", "192.168.1.100", std::nullopt},
      {"192.168.5.1", "100", std::nullopt},
      {"192.168.5.1", "192.168.1.1000000000000", std::nullopt},  // past the 20-byte room
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bound);
    EXPECT_EQ(moved_bound(row.address, row.bound), row.moved);
  }
}

TEST_F(DhcpServerTest, UnmovablePoolIsLeftOut) {
  seed({{"ipaddrlo", "100"}, {"ipaddrhi", "192.168.1.200"}}, true);
  odb.clear_log();
  const testing::ChildResult child = testing::run_in_child([&] {
    if (compose(true).find("\n\nsubnet ") != std::string::npos) std::exit(2);
    if (!odb.log().empty()) std::exit(3);
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out,
            "nexalib: address pool not moved: an address holds no \".\" or is too long\n");
}

// A hostile value in any statement either stays inside its quotes or
// leaves its statement out: every line still ends its statement or block,
// and nothing opens a comment.
class DhcpHostile : public DhcpServerTest,
                    public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(DhcpHostile, FileStaysWellFormed) {
  const std::string& value = GetParam().value;
  seed({{"lease", value},
        {"domain", value},
        {"dns", "&" + value + "&"},
        {"gateway", value},
        {"ipaddrlo", value},
        {"ipaddrhi", "192.168.5.200"}},
       true);
  odb.add("DhcpStatic", {{"name", value}, {"mac", "00:11:22:33:44:55"}});
  odb.add("DhcpStatic", {{"name", "192.168.5.9"}, {"mac", value}});
  const std::string text = compose(false);
  int depth = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    if (line.empty()) continue;
    const char last = line.back();
    EXPECT_TRUE(last == ';' || last == '{' || last == '}');
    depth += last == '{' ? 1 : last == '}' ? -1 : 0;
    EXPECT_GE(depth, 0);
    const std::string_view body = std::string_view(line).substr(0, line.size() - 1);
    if (!line.starts_with("option domain-name \"")) {
      EXPECT_EQ(body.find_first_of("#\";{}"), std::string_view::npos);
    }
  }
  EXPECT_EQ(depth, 0);
  EXPECT_NE(text.find("subnet-mask 255.255.255.0;"), std::string::npos) << "the rest stays";
}

INSTANTIATE_TEST_SUITE_P(Hostile, DhcpHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
