// The dynamic-DNS client's configuration and the status from its log.
#include "network/dynamic_dns.h"

#include <cstring>

#include "core/config_values.h"
#include "core/string_lists.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class DynamicDnsTest : public LibraryTest {
 protected:
  std::string configuration() {
    const testing::OwnedGString text(nexalib_prepare_ddns_conf(odb));
    return std::string(text->str, text->len);
  }
  testing::OdbSession odb;
};

TEST_F(DynamicDnsTest, ConfigurationNamesTheWanInterface) {
  odb.add("Ddns", {{"username", "alice"}, {"passwd", "s3:cret"}, {"hostname", "nas.example.org"}});
  const guint32 system = odb.add("System");
  std::string text;
  for (const char* pppoe : {"1", "0", "", "yes"}) {
    odb.set(system, {{"enabled", pppoe}}, "Pppoe");
    text += configuration();
  }
  testing::expect_golden(text, "network/ddns_conf.golden");
}

TEST_F(DynamicDnsTest, ConfigurationWithoutObjects) {
  EXPECT_EQ(configuration(),
            "service-type=dyndns\nuser=:\nhost=\ninterface=eth1\nmax-interval=2073600\n"
            "cache-file=/tmp/ez-ipupdate.cache\n");
}

// A line of total characters as the log reader keeps it, piece by piece.
std::string pieces(char c, size_t total) {
  std::string kept;
  for (size_t done = 0; done < total; done += 254)
    kept += std::string(std::min<size_t>(254, total - done), c) + " . ";
  return kept;
}

TEST_F(DynamicDnsTest, StatusFromTheLog) {
  const struct {
    const char* name;
    std::optional<std::string> log;
    const char* enabled;
    std::string status;
  } rows[] = {
      {"no_log", std::nullopt, "1", "connecting"},
      {"closed", "kept\n", "0", "DDNS client is closed."},
      {"only_client_lines", "ez-ipupdate: starting\n\nez-ipupdate v3\n", "1", "connecting"},
      {"two_lines", "ez-ipupdate: go\nupdated\n\nip 1.2.3.4\n", "1", "updated . ip 1.2.3.4 . "},
      {"unterminated", "last", "1", "last . "},
      {"long_line_in_pieces", std::string(300, 'x') + "\n", "1", pieces('x', 300)},
      {"bounded", std::string(2000, 'y') + "\n", "1", pieces('y', 2000).substr(0, 1023)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.log) write_file("/var/log/log.ddns", *row.log);
    EXPECT_EQ(ddns_status(row.enabled), row.status);
  }
}

TEST_F(DynamicDnsTest, StatusBufferStaysBounded) {
  write_file("/var/log/log.ddns", std::string(5000, 'z'));
  char buffer[NEXALIB_DDNS_STATUS_SIZE + 8];
  std::memset(buffer, '#', sizeof buffer);
  std::strcpy(buffer, "old . ");
  parse_ddns_status(buffer);
  EXPECT_EQ(std::strlen(buffer), NEXALIB_DDNS_STATUS_SIZE - 1u);
  EXPECT_EQ(std::string(buffer, 8), "old . zz");
  EXPECT_EQ(buffer[NEXALIB_DDNS_STATUS_SIZE], '#');
}

TEST_F(DynamicDnsTest, StatusIsStoredOnlyWhenChanged) {
  const guint32 oid = odb.add("Ddns", {{"status", "connecting"}}, "Ddns");
  int id = static_cast<int>(oid);
  nexalib_set_ddns_status(odb, &id, odb_get_cmnd(odb, oid, "Ddns"), "1");
  const std::string unchanged = odb.log_text();
  odb.clear_log();
  nexalib_set_ddns_status(odb, &id, odb_get_cmnd(odb, oid, "Ddns"), "0");
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(odb, oid, "Ddns"), "status"), "DDNS client is closed.");
  testing::expect_golden(unchanged + "--\n" + odb.log_text(), "network/ddns_status_store.golden");
}

class DynamicDnsHostile : public DynamicDnsTest,
                          public ::testing::WithParamInterface<testing::HostileValue> {};

// Whatever the values, the configuration keeps its six lines in order.
TEST_P(DynamicDnsHostile, ConfigurationKeepsItsLines) {
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  odb.add("Ddns", {{"username", value}, {"passwd", value}, {"hostname", value}});
  const std::string text = configuration();
  const std::vector<std::string> lines = split_delimited("\n" + text, '\n');
  ASSERT_EQ(lines.size(), 6u) << text;
  EXPECT_EQ(lines[0], "service-type=dyndns");
  EXPECT_EQ(lines[1], "user=" + flattened(ValueKind::kAccountField, value) + ":" +
                          flattened(ValueKind::kFreeText, value));
  EXPECT_EQ(lines[2], "host=" + flattened(ValueKind::kFreeText, value));
  EXPECT_EQ(lines[3], "interface=eth1");
}

INSTANTIATE_TEST_SUITE_P(Hostile, DynamicDnsHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
