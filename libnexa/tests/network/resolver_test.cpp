// Name-server lists: the resolver file reader and the comma list.
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class ResolverTest : public LibraryTest {};

TEST_F(ResolverTest, ReadsNameServerLines) {
  std::string many;
  for (int i = 0; i < 40; ++i) many += "nameserver 10.0.0." + std::to_string(100 + i) + "\n";
  std::string kept = "&";
  for (int i = 0; i < 23; ++i) kept += "10.0.0." + std::to_string(100 + i) + "&";  // 11 each
  const struct {
    const char* name;
    std::string text;
    std::string list;
  } rows[] = {
      {"two", "search lan\nnameserver 1.2.3.4\nnameserver 5.6.7.8\n", "&1.2.3.4&5.6.7.8&"},
      {"no newline at end", "nameserver 1.2.3.4\nnameserver 5.6.7.8", "&1.2.3.4&5.6.7.8&"},
      {"short lines", "nameserver\nnameserver \nnameserver 9\n", "&9&"},
      {"none", "search lan\n", ""},
      {"empty file", "", ""},
      {"ampersand", "nameserver 1.1.1.1&x\nnameserver 2.2.2.2\n", "&2.2.2.2&"},
      {"long line in pieces", "# " + std::string(77, 'x') + "nameserver 3.3.3.3\n", "&3.3.3.3&"},
      {"many, whole entries only", many, kept},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write_file("/etc/resolv.conf", row.text);
    char buf[NEXALIB_RESOLV_DNS_SIZE + 8];
    std::memset(buf, 'Z', sizeof buf);
    nexalib_get_etc_resolve_dns_string(buf);
    EXPECT_EQ(std::string(buf), row.list);
    EXPECT_EQ(std::string(buf + NEXALIB_RESOLV_DNS_SIZE, 8), std::string(8, 'Z'));
  }
}

TEST_F(ResolverTest, MissingFileGivesEmptyList) {
  const testing::ChildResult child = testing::run_in_child([] {
    char buf[NEXALIB_RESOLV_DNS_SIZE] = "stale";
    nexalib_get_etc_resolve_dns_string(buf);
    if (buf[0] != '\0') std::exit(2);
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out, "can't open resolve.conf\n");
}

TEST_F(ResolverTest, CommaListOfServers) {
  std::string many = "&";
  for (int i = 0; i < 10; ++i) many += "192.168.100." + std::to_string(100 + i) + "&";  // 15 each
  const struct {
    std::string list;
    std::string out;
  } rows[] = {
      {"&a&b&", "a,b"},
      {"&1.1.1.1&", "1.1.1.1"},
      {"&10.0.0.1&10.0.0.2&tail", "10.0.0.1,10.0.0.2"},
      {"&", ""},
      {"&&&", ""},
      {"&1.1.1.1", ""},
      {"&a,b&c&", "c"},
      {many, "192.168.100.100,192.168.100.101,192.168.100.102,192.168.100.103,192.168.100.104"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.list);
    std::string list = row.list;
    char out[NEXALIB_DNS_SERVERS_SIZE + 8];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(nexalib_prepare_dns(list.data(), out), out);
    EXPECT_EQ(std::string(out), row.out);
    EXPECT_EQ(std::string(out + NEXALIB_DNS_SERVERS_SIZE, 8), std::string(8, 'Z'));
  }
  char list[] = "";
  char out[NEXALIB_DNS_SERVERS_SIZE] = "untouched";
  nexalib_prepare_dns(list, out);
  EXPECT_STREQ(out, "untouched");
}

TEST_F(ResolverTest, BroadcastAndSubnet) {
  const struct {
    const char* address;
    const char* mask;
    int result;
    const char* broadcast;
    const char* subnet;
  } rows[] = {
      {"192.168.1.20", "255.255.255.0", 13, "192.168.1.255", "192.168.1.0"},
      {"10.1.2.3", "255.0.0.0", 14, "10.255.255.255", "10.0.0.0"},
      {"255.255.255.255", "0.0.0.0", 15, "255.255.255.255", "0.0.0.0"},
      {"192168120", "255.255.255.0", -1, "", ""},
      {"192.168.1.20", "", -1, "", ""},
      {"192.168.1.256", "255.255.255.0", -1, "", ""},
      {"1.2.3.4 junk", "255.255.255.0", -1, "", ""},
      {"99999999999.1.1.1", "255.255.255.0", -1, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.address);
    char broadcast[NEXALIB_ADDRESS_SIZE] = "x";
    char subnet[NEXALIB_ADDRESS_SIZE] = "x";
    EXPECT_EQ(nexalib_get_broadcast_and_subnet_ip(row.address, row.mask, broadcast, subnet),
              row.result);
    EXPECT_STREQ(broadcast, row.broadcast);
    EXPECT_STREQ(subnet, row.subnet);
  }
}

}  // namespace
}  // namespace nexa
