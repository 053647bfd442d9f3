// Applying the wireless configuration: driver commands of the three
// variants, the RADIUS parameter file, and hostile SSIDs and keys.
#include "network/wireless.h"

#include <filesystem>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::shell_words;
using Words = std::vector<std::string>;

constexpr const char* kParameterFile =
    "# access point\n"
    "SSID=old\n"
    "RADIUS_Server=0.0.0.0\n"
    "\t RADIUS_Key1=one\n"
    "RADIUS_Key=plain\n"
    "own_ip_addr=1.1.1.1\n";

class WirelessTest : public LibraryTest {
 protected:
  WirelessTest() { std::filesystem::create_directories(path("/tmp")); }
  // The firmware image names the driver; sed prints what follows the quote.
  void image_names(const std::string& name) {
    commands.on("sed ", [this, name](const std::string&) {
      write_file("/tmp/wireless.tmp", name + "\"\n");
      return 0;
    });
  }
  guint32 add_conf(const testing::Props& extra) {
    testing::Props props{{"hideSSID", "0"},
                         {"countryRegion", "1"},
                         {"countryCode", "DE"},
                         {"channel", "6"},
                         {"wirelessMode", "9"},
                         {"txRate", "0"},
                         {"mcs", "33"},
                         {"encrypType", "AES"},
                         {"key1", "k1"},
                         {"key2", "k2"},
                         {"key3", "k3"},
                         {"key4", "k4"},
                         {"defaultKeyID", "1"},
                         {"SSID", "home net"},
                         {"wpapsk_key", "secret"},
                         {"radius_ip", "10.0.0.2"},
                         {"radius_port", "1812"},
                         {"radius_key", "shared"},
                         {"rekeyMethod", "TIME"},
                         {"rekeyInterval", "3600"}};
    for (const auto& setting : extra) {
      std::erase_if(props, [&](const auto& p) { return p.first == setting.first; });
      props.push_back(setting);
    }
    return odb.add("WirelessConf", props);
  }
  std::string recorded() const {
    std::string text;
    for (std::string line : commands.lines) {
      for (size_t at; (at = line.find(root)) != std::string::npos;)
        line.replace(at, root.size(), "$ROOT");
      text += line + "\n";
    }
    return text;
  }
  testing::OdbSession odb;
};

TEST_F(WirelessTest, DisabledWirelessRunsNothing) {
  odb.add("System", {{"enabled", "0"}}, "Wireless");
  const int oid = static_cast<int>(add_conf({{"authMode", "WPA2"}}));
  EXPECT_EQ(nexalib_set_wireless_conf(odb, oid), 0);
  EXPECT_EQ(nexalib_set_wireless_2860_conf(odb, oid), 0);
  nexalib_set_wireless_Ralink_conf(odb, oid);
  EXPECT_TRUE(commands.lines.empty());
}

// Each variant and security mode, its command lines in order.
TEST_F(WirelessTest, CommandLinesOfEachVariant) {
  odb.add("System", {{"enabled", "1"}}, "Wireless");
  odb.add("Network", {{"ipaddr", "192.168.1.10"}});
  write_file("/etc/Wireless/RT2860/RT2860AP.dat", kParameterFile);
  write_file("/etc/Wireless/RT2880/iNIC_ap.dat", kParameterFile);
  const struct {
    const char* name;
    void (*apply)(OdbHandle*, int);
    const char* driver;
    testing::Props conf;
  } rows[] = {
      {"rt61 WPA",
       [](OdbHandle* h, int oid) { nexalib_set_wireless_conf(h, oid); },
       "",
       {{"authMode", "WPA"}}},
      {"rt2860 WPA2",
       [](OdbHandle* h, int oid) { nexalib_set_wireless_2860_conf(h, oid); },
       "",
       {{"authMode", "WPA2"}}},
      {"rt2860 WPAPSK",
       [](OdbHandle* h, int oid) { nexalib_set_wireless_2860_conf(h, oid); },
       "",
       {{"authMode", "WPAPSK"}}},
      {"image RT2860 WPA2", nexalib_set_wireless_Ralink_conf, "RT2860", {{"authMode", "WPA2"}}},
      {"image rt2880 WPA mode 8",
       nexalib_set_wireless_Ralink_conf,
       "rt2880",
       {{"authMode", "WPA"}, {"wirelessMode", "8"}}},
      {"image OPEN NONE",
       nexalib_set_wireless_Ralink_conf,
       "RT2860",
       {{"authMode", "OPEN"}, {"encrypType", "NONE"}}},
      {"image OPEN WEP mode 2",
       nexalib_set_wireless_Ralink_conf,
       "RT2860",
       {{"authMode", "OPEN"}, {"encrypType", "WEP"}, {"wirelessMode", "2"}}},
      {"image SHARED", nexalib_set_wireless_Ralink_conf, "RT2860", {{"authMode", "SHARED"}}},
      {"image unknown mode", nexalib_set_wireless_Ralink_conf, "RT2860", {{"authMode", "WPA3"}}},
  };
  std::string text;
  for (const auto& row : rows) {
    commands = {};
    image_names(row.driver);
    row.apply(odb, static_cast<int>(add_conf(row.conf)));
    text += std::string("== ") + row.name + "\n" + recorded();
  }
  testing::expect_golden(text, "network/wireless_commands.golden");
  testing::expect_golden(read_file("/etc/Wireless/RT2860/RT2860AP.dat"),
                         "network/RT2860AP.dat.golden");
  testing::expect_golden(read_file("/etc/Wireless/RT2880/iNIC_ap.dat"),
                         "network/iNIC_ap.dat.golden");
  EXPECT_EQ(mode_of("/etc/Wireless/RT2860/RT2860AP.dat") & 0777, 0755u);
}

TEST_F(WirelessTest, ParameterLinesReplaceOnlyTheirOwnKey) {
  write_file("/etc/ap.dat", kParameterFile);
  OdbProps* props = odb_props_new();
  odb_props_set(props, "v", "new value");
  const struct {
    const char* param;
    int result;
    int flag;
    const char* line;  // expected in the file afterwards
  } rows[] = {
      {"RADIUS_Key", 0, 2, "\nRADIUS_Key=new value\n"},
      {"RADIUS_Key1", 0, 2, "\nRADIUS_Key1=new value\n"},
      {"RADIUS_Port", 0, 1, "\nRADIUS_Key=new value\n"},  // no such line: no rewrite
      {"RADIUS", 0, 1, "\nRADIUS_Server=0.0.0.0\n"},      // a prefix is not the key
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.param);
    int flag = 0;
    EXPECT_EQ(modify_wireless_conf(props, "v", row.param, &flag, "/etc/ap.dat"), row.result);
    EXPECT_EQ(flag, row.flag);
    EXPECT_NE(read_file("/etc/ap.dat").find(row.line), std::string::npos);
  }
  EXPECT_EQ(read_file("/etc/ap.dat"),
            "# access point\nSSID=old\nRADIUS_Server=0.0.0.0\nRADIUS_Key1=new value\n"
            "RADIUS_Key=new value\nown_ip_addr=1.1.1.1\n");
  int flag = 0;
  EXPECT_EQ(modify_wireless_conf(props, "v", "SSID", &flag, "/etc/missing.dat"), -1);
  EXPECT_FALSE(exists("/etc/missing.dat"));
  odb_props_destroy(props);
}

class WirelessHostile : public WirelessTest,
                        public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(WirelessHostile, ValuesStayOneWordAndOneLine) {
  const std::string& raw = GetParam().value;
  const std::string value = raw.substr(0, raw.find('\0'));
  odb.add("Network", {{"ipaddr", value}});
  write_file("/etc/Wireless/RT2860/RT2860AP.dat", kParameterFile);
  const guint32 oid =
      add_conf({{"authMode", "WPA"}, {"SSID", value}, {"radius_key", value}, {"radius_ip", value}});
  nexalib_set_wireless_conf(odb, static_cast<int>(oid));
  image_names("RT2860");
  nexalib_set_wireless_Ralink_conf(odb, static_cast<int>(oid));
  size_t ssids = 0, scripts = 0;
  for (const std::string& line : commands.lines) {
    const Words words = shell_words(line);
    if (words.size() > 3 && words[3].starts_with("SSID=")) {
      EXPECT_EQ(words,
                (Words{"/usr/sbin/iwpriv", "ra0", "set", "SSID=" + value, ">/dev/null", "2>&1"}));
      ++ssids;
    }
    if (!words.empty() && words[0].ends_with("write_conf.sh")) {
      EXPECT_EQ(Words(words.begin() + 1, words.begin() + 5), (Words{value, "1812", value, value}));
      ++scripts;
    }
  }
  EXPECT_EQ(ssids, 2u);
  EXPECT_EQ(scripts, value.starts_with('-') ? 0u : 1u) << "an address is the script's operand";
  const std::string file = read_file("/etc/Wireless/RT2860/RT2860AP.dat");
  const bool one_line = value.find_first_of("\r\n") == std::string::npos;
  EXPECT_EQ(file.find("\nRADIUS_Key=" + value + "\n") != std::string::npos, one_line);
  EXPECT_EQ(file.find("RADIUS_Key1=one\n") != std::string::npos, true);
  if (!one_line) {
    EXPECT_EQ(file, kParameterFile) << "a value with a line break changes nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Hostile, WirelessHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

TEST_F(WirelessTest, DriverNamesThatCannotBeAPathTouchNoFile) {
  odb.add("Network", {{"ipaddr", "192.168.1.10"}});
  const guint32 oid = add_conf({{"authMode", "WPA"}});
  for (const char* name : {"../../etc", "", "a/b", ".."}) {
    SCOPED_TRACE(name);
    commands = {};
    image_names(name);
    nexalib_set_wireless_Ralink_conf(odb, static_cast<int>(oid));
    EXPECT_EQ(shell_words(commands.lines.at(1)).at(1), std::string(name) + "apd");
    EXPECT_FALSE(exists("/etc")) << "no parameter file made anywhere";
  }
}

}  // namespace
}  // namespace nexa
