// The route table reader, the address conversions and the default route.
#include "network/routes.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

const std::string kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\t\t\n";

std::string route(std::string_view gateway, std::string_view flags,
                  std::string_view iface = "eth0") {
  return std::string(iface) + "\t00000000\t" + std::string(gateway) + "\t" + std::string(flags) +
         "\t0\t0\t0\t00000000\t0\t0\t0\n";
}

std::string many_routes() {
  std::string text = kHeader;
  for (int i = 0; i < 500; ++i)
    text += route(i % 2 ? "0101A8C0" : "00000000", i % 2 ? "0003" : "0001");
  return text + route("FE01A8C0", "0003");
}

class RoutesTest : public LibraryTest {
 protected:
  std::optional<std::string> gateway() {
    char* text = nexalib_getroute_info();
    if (!text) return std::nullopt;
    std::string copy = text;
    std::free(text);
    return copy;
  }
};

TEST_F(RoutesTest, HexAddressesFromTheRouteFile) {
  const struct {
    const char* text;
    int result;
    const char* address;
  } rows[] = {
      {"0101A8C0", 8, "192.168.1.1"},   {"0001A8C0", 8, "192.168.1.0"},
      {"00000000", 8, "0.0.0.0"},       {"0101a8c0", 8, "192.168.1.1"},
      {"0101A8C0FF", 8, "192.168.1.1"}, {"0101A8G0", -1, nullptr},
      {"0101A8C", -1, nullptr},         {"", -1, nullptr},
      {"0x01A8C0", -1, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    sockaddr_in address{};
    EXPECT_EQ(INET_input(1, row.text, reinterpret_cast<sockaddr*>(&address)), row.result);
    EXPECT_EQ(address.sin_family, AF_INET);
    if (row.address) {
      EXPECT_STREQ(inet_ntoa(address.sin_addr), row.address);
    }
  }
}

TEST_F(RoutesTest, NamedAndNumericAddresses) {
  sockaddr_in address{};
  auto* sa = reinterpret_cast<sockaddr*>(&address);
  EXPECT_EQ(INET_input(256, "default", sa), 1);
  EXPECT_EQ(address.sin_addr.s_addr, INADDR_ANY);
  EXPECT_EQ(INET_input(0, "10.1.2.3", sa), 0);
  EXPECT_STREQ(inet_ntoa(address.sin_addr), "10.1.2.3");

  const struct {
    int family;
    int options;
    const char* address;
    const char* text;
  } rows[] = {
      {AF_INET, ADDR_DEFAULT, "0.0.0.0", "default"},
      {AF_INET, 0, "0.0.0.0", "*"},
      {AF_INET, 1, "0.0.0.0", "0.0.0.0"},
      {AF_INET, 1, "10.9.8.7", "10.9.8.7"},
      {0, 0, "10.9.8.7", "[NONE SET]"},
      {0xFFFF, 1, "10.9.8.7", "[NONE SET]"},
      {AF_INET6, 1, "10.9.8.7", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text ? row.text : "null");
    address = {};
    address.sin_family = static_cast<sa_family_t>(row.family);
    inet_aton(row.address, &address.sin_addr);
    const char* text = INET_sprintmask(sa, row.options, 0xFFFFFF00);
    if (row.text)
      EXPECT_STREQ(text, row.text);
    else
      EXPECT_EQ(text, nullptr);
  }
}

TEST_F(RoutesTest, GatewayOfTheLastUpGatewayRoute) {
  const std::string long_header = std::string(3000, 'a') + " " + kHeader;
  std::string many_words;
  for (int i = 0; i < 255; ++i) many_words += "a ";
  const struct {
    const char* name;
    std::string text;
    std::optional<std::string> gateway;
  } rows[] = {
      {"one", kHeader + route("0101A8C0", "0003"), "192.168.1.1"},
      {"many", many_routes(), "192.168.1.254"},
      {"gateway_down", kHeader + route("0101A8C0", "0002"), std::nullopt},
      {"no_gateway_flag", kHeader + route("0101A8C0", "0001"), std::nullopt},
      {"extra_column",
       "Iface\tDestination\tGateway\tExtra\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n"
       "eth0\t00000000\t0101A8C0\tzz\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
       "192.168.1.1"},
      {"missing_column", "Iface\tDestination\tGateway\tFlags\n" + route("0101A8C0", "0003"),
       std::nullopt},
      {"empty_file", "", std::nullopt},
      {"short_gateway", kHeader + route("0101A8C", "0003"), std::nullopt},
      {"long_gateway", kHeader + route("0101A8C0FF", "0003"), std::nullopt},
      {"huge_gateway", kHeader + route(std::string(300, 'A'), "0003"), std::nullopt},
      {"huge_iface", kHeader + route("0101A8C0", "0003", std::string(300, 'e')), std::nullopt},
      {"long_line_skipped_whole",
       kHeader + route("0101A8C0", "0003", "eth0\t" + std::string(1100, ' ') + "eth0"),
       std::nullopt},
      {"few_columns", kHeader + "eth0\t00000000\t0101A8C0\t0003\n", std::nullopt},
      {"bad_line_before_good", kHeader + "garbage\n\n" + route("0201A8C0", "0003"), "192.168.1.2"},
      {"header_of_many_words", many_words + "\n" + route("0101A8C0", "0003"), std::nullopt},
      {"header_too_long", long_header + route("0101A8C0", "0003"), std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write_file("/proc/net/route", row.text);
    EXPECT_EQ(gateway(), row.gateway);
  }
}

TEST_F(RoutesTest, MissingRouteFileIsReported) {
  const testing::ChildResult child = testing::run_in_child([] {
    char* text = nexalib_getroute_info();
    std::exit(text ? 1 : 0);
  });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_EQ(child.out, "INET (IPv4) not configured in this system.\n");
}

TEST_F(RoutesTest, ScanFormatsFollowTheHeader) {
  const struct {
    const char* header;
    int more;
    const char* format;
  } rows[] = {
      {"Iface Destination Gateway\n", 0, "%16s %128s %128s"},
      {"Iface | X | Destination\tGateway Tail\n", 0, "%16s %*s %128s %128s"},
      {"Iface Gateway\n", 0, nullptr},
      {"Iface Gateway\n", 1, "%16s %*s "},
      {"\n", 1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.header);
    FILE* file = fmemopen(const_cast<char*>(row.header), std::strlen(row.header), "r");
    ASSERT_NE(file, nullptr);
    char* format = proc_gen_fmt("route", row.more, file, "Iface", "%16s", "Destination", "%128s",
                                "Gateway", "%128s", nullptr);
    std::fclose(file);
    if (row.format)
      EXPECT_STREQ(format, row.format);
    else
      EXPECT_EQ(format, nullptr);
    std::free(format);
  }
}

TEST_F(RoutesTest, DefaultRouteFollowsTheGateway) {
  const std::string del = "/sbin/route del -net 0.0.0.0 netmask 0.0.0.0 >/dev/null 2>&1";
  const std::string add = "/sbin/route add default gw 10.0.0.2 >/dev/null 2>&1";
  const struct {
    const char* name;
    const char* gateway;
    int enabled;
    const char* old;
    std::vector<std::string> lines;
  } rows[] = {
      {"unchanged", "10.0.0.2", 1, "10.0.0.2", {}},
      {"replaced", "10.0.0.2", 1, "10.0.0.1", {del, add}},
      {"first", "10.0.0.2", 1, nullptr, {add}},
      {"removed", "", 1, "10.0.0.1", {del}},
      {"disabled", "10.0.0.2", 0, "10.0.0.1", {del}},
      {"none_at_all", "", 1, nullptr, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    commands.lines.clear();
    PropsPtr props = new_props();
    odb_props_set(props.get(), "gateway", row.gateway);
    EXPECT_EQ(nexalib_change_gateway(props.get(), row.enabled, row.old), 0);
    EXPECT_EQ(commands.lines, row.lines);
  }
}

class GatewayHostile : public LibraryTest,
                       public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(GatewayHostile, GatewayStaysOneWord) {
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  EXPECT_EQ(::add_gateway(nullptr, value.c_str()), 0);
  if (value.starts_with('-')) {
    EXPECT_TRUE(commands.lines.empty()) << "route would read it as an option";
    return;
  }
  ASSERT_EQ(commands.lines.size(), 1u);
  EXPECT_EQ(testing::shell_words(commands.lines[0]),
            (std::vector<std::string>{"/sbin/route", "add", "default", "gw", value, ">/dev/null",
                                      "2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, GatewayHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
