// The UWB radio: identifiers, tool output parsing, command lines and the
// neighbour objects.
#include "network/uwbtzero.h"

#include <net/if.h>
#include <sys/ioctl.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::shell_words;
using Words = std::vector<std::string>;

class UwbTest : public LibraryTest {
 protected:
  UwbTest() { std::filesystem::create_directories(path("/tmp")); }
  // The tool writes text to the file its command line redirects into.
  void tool_prints(const std::string& prefix, const std::string& text) {
    commands.on(prefix, [text](const std::string& line) {
      const Words words = shell_words(line);
      std::ofstream(words.back(), std::ios::trunc) << text;
      return 0;
    });
  }
  // The words of a tzattribute command line on radio `index`, its output
  // redirected into `out_file` in the root.
  Words attribute_words(const std::string& index, const Words& args, const std::string& out_file) {
    Words words{"/sbin/tzattribute", "-i", index};
    words.insert(words.end(), args.begin(), args.end());
    words.insert(words.end(), {">", path(out_file)});
    return words;
  }
};

TEST_F(UwbTest, AddressForms) {
  const unsigned char eui[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  char buf[32];
  EXPECT_EQ(uwbtzero_get_eui_str(eui, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "00:11:22:33:44:55");
  EXPECT_EQ(uwbtzero_get_eui_bin(eui, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "33221100_00005544");
  EXPECT_EQ(uwbtzero_get_serialnum(eui, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "4455");
  uwbtzero_get_eui_bin(eui, buf, 9);
  EXPECT_STREQ(buf, "33221100") << "cut to size - 1";
}

TEST_F(UwbTest, IdentifiersFromTheHardwareAddressOrPlaceholders) {
  int answer = 0;
  set_kernel_calls({.statfs = {},
                    .quotactl = {},
                    .interface_ioctl = [&answer](unsigned long request, struct ifreq* data) {
                      EXPECT_EQ(request, static_cast<unsigned long>(SIOCGIFHWADDR));
                      EXPECT_STREQ(data->ifr_name, "uwb0");
                      std::memcpy(data->ifr_hwaddr.sa_data, "\x00\x11\x22\x33\x44\x55", 6);
                      errno = answer;
                      return answer ? -1 : 0;
                    }});
  const struct {
    const char* ifname;
    const char *display, *tool, *serial;
    int error;
    int result;
  } rows[] = {
      {"uwb0", "00:11:22:33:44:55", "33221100_00005544", "4455", 0, 0},
      {"uwb0", "00:01:02:03:04:05", "000000000000", "0000", ENODEV, 0},
      {"uwb0", "-", "-", "-", EMFILE, -1},
      {"an-interface-name-too-long", "00:01:02:03:04:05", "000000000000", "0000", 0, 0},
  };

  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    answer = row.error;
    char display[32] = "-", tool[32] = "-", serial[32] = "-";
    EXPECT_EQ(uwbtzero_get_mac(row.ifname, display, tool, serial, 32), row.result);
    EXPECT_STREQ(display, row.display);
    EXPECT_STREQ(tool, row.tool);
    EXPECT_STREQ(serial, row.serial);
  }
}

TEST_F(UwbTest, NeighboursFromTheScan) {
  tool_prints("/sbin/tzconnect -i 2 scan",
              "scan results\n"
              "NEIGHBOR #1 00-11-22-33-44-55\n"
              "NEIGHBOR x9 0a-1bc-2-3-4-5 (first 0 onwards)\n"
              "NEIGHBOR 12-34\n"                // short: skipped
              "NEIGHBOR 11-22-33-44-55-66\n"    // no 0: skipped
              "NEIGHBOR 00-11-22\n"             // short: skipped
              "neighbor 00-11-22-33-44-55\n");  // not the word
  GSList* list = get_neighbors_eui_list(2);
  Words forms;
  for (GSList* node = list; node; node = node->next) {
    const auto* record = static_cast<const unsigned char*>(node->data);
    EXPECT_EQ(record[6], 0);
    forms.push_back(
        display_form(Eui{record[0], record[1], record[2], record[3], record[4], record[5]}));
  }
  g_slist_free_full(list, std::free);
  EXPECT_EQ(forms, (Words{"00:11:22:33:44:55", "0A:BC:02:03:04:05"}));
  ASSERT_EQ(commands.lines.size(), 1u);
  EXPECT_EQ(shell_words(commands.lines[0]),
            (Words{"/sbin/tzconnect", "-i", "2", "scan", ">", path("/tmp/scan.txt")}));
}

TEST_F(UwbTest, LinkFiguresFromToolOutput) {
  using Reader = int (*)(const char*, char*, int, int);
  const struct {
    Reader reader;
    const char *output, *text;
    const char *attribute, *out_file;  // none: the figure is not read
  } rows[] = {
      {uwbtzero_get_tx_rate, "1 2 3 4 5 64 7\n", "100", "1004", "/tmp/txrate.txt"},
      {uwbtzero_get_selected_ack, "1 2 3 4 ff 64 7\n", "255", "1004", "/tmp/ack.txt"},
      {uwbtzero_get_rx_diversity, "1 2 3 4 1F\n", "1f", "1005", "/tmp/rxdiversity"},
      {uwbtzero_get_link_signal_strength, "1 2 3 ffffffc4\n", "-60", "1006", "/tmp/rssi"},
      {uwbtzero_get_tx_rate, "1 2 3 4 5\n", "unchanged", nullptr, nullptr},  // too few fields
      {uwbtzero_get_rx_diversity, "1 2 x 4 5\n", "unchanged", nullptr, nullptr},
      {uwbtzero_get_link_signal_strength, "", "unchanged", nullptr, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output);
    commands = {};
    tool_prints("/sbin/tzattribute", row.output);
    char buf[16] = "unchanged";
    EXPECT_EQ(row.reader("33221100_00005544", buf, sizeof buf, 3), 0);
    EXPECT_STREQ(buf, row.text);
    ASSERT_EQ(commands.lines.size(), 1u);
    if (!row.attribute) continue;
    EXPECT_EQ(shell_words(commands.lines[0]),
              attribute_words("3", {"get", row.attribute, "33221100", "00005544"}, row.out_file));
  }
}

TEST_F(UwbTest, ConnectionStateAndDeviceMode) {
  tool_prints("/sbin/tzattribute", "0 0 0 2\n");
  char buf[8] = "";
  EXPECT_EQ(uwbtzero_get_connection_manager_state(buf, sizeof buf, 1), 0);
  EXPECT_STREQ(buf, "2");
  EXPECT_EQ(shell_words(commands.lines[0]),
            attribute_words("1", {"get", "0x0e"}, "/tmp/conmanager.txt"));
  const struct {
    const char* output;
    int result;
    const char* mode;
  } rows[] = {
      {"mode: ap\nstate=3\n", 0, "3"},
      {"state: none\nstate=3\n", -1, "0"},  // the first state line has no "="
      {"state=\n", -1, "0"},
      {"state=", -1, "0"},
      {"nothing here\n", -1, "0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output);
    commands = {};
    tool_prints("/sbin/tzconnect", row.output);
    std::strcpy(buf, "x");
    EXPECT_EQ(uwbtzero_get_device_mode(buf, sizeof buf, 4), row.result);
    EXPECT_STREQ(buf, row.mode);
  }
}

TEST_F(UwbTest, NoOutputFileMeansFailureAndAnUntouchedBuffer) {
  std::filesystem::create_directories(path("/tmp"));
  std::filesystem::create_symlink("/etc/passwd", path("/tmp/rssi"));
  char buf[8] = "keep";
  EXPECT_EQ(uwbtzero_get_link_signal_strength("1_2", buf, sizeof buf, 0), -1);
  EXPECT_STREQ(buf, "keep");
  EXPECT_TRUE(commands.lines.empty()) << "no tool writes through a planted link";
}

TEST_F(UwbTest, SettersPassEachValueAsOneWord) {
  uwbtzero_set_txrate("33221100_00005544", "100", "1", 5);
  uwbtzero_set_rxdiversity("33221100_00005544", "3", 5);
  uwbtzero_set_rxdiversity("noUnderscore", "a b", 5);
  ASSERT_EQ(commands.lines.size(), 3u);
  EXPECT_EQ(
      shell_words(commands.lines[0]),
      attribute_words("5", {"set", "1004", "33221100", "00005544", "64", "1"}, "/tmp/set_txrate"));
  EXPECT_EQ(
      shell_words(commands.lines[1]),
      attribute_words("5", {"set", "1005", "33221100", "00005544", "3"}, "/tmp/set_rxdiversity"));
  EXPECT_EQ(shell_words(commands.lines[2]),
            attribute_words("5", {"set", "1005", "noUnderscore", "a b"}, "/tmp/set_rxdiversity"));
}

class UwbHostile : public UwbTest, public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(UwbHostile, AddressHalvesAndValuesStayLiteralWords) {
  const std::string& raw = GetParam().value;
  const std::string value = raw.substr(0, raw.find('\0'));
  const std::string address = "A" + value + "_B" + value;
  uwbtzero_set_txrate(address.c_str(), "7", value.c_str(), 0);
  if (value.starts_with('-')) {
    EXPECT_TRUE(commands.lines.empty()) << "the tool would read it as an option";
    return;
  }
  ASSERT_EQ(commands.lines.size(), 1u);
  Words args{"set", "1004", "A" + value, "B" + value, "7"};
  if (!value.empty()) args.push_back(value);
  EXPECT_EQ(shell_words(commands.lines[0]), attribute_words("0", args, "/tmp/set_txrate"));
}

INSTANTIATE_TEST_SUITE_P(Hostile, UwbHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

TEST_F(UwbTest, NeighbourObjectsFromScanAndFigures) {
  testing::OdbSession odb;
  const guint32 off = odb.add("uwbtzero", {{"enabled", "0"}, {"index", "1"}});
  const guint32 on = odb.add("uwbtzero", {{"enabled", "1"}, {"index", "1"}});
  EXPECT_EQ(uwbtzero_get_neighbors(odb, static_cast<int>(off)), 0);
  EXPECT_TRUE(commands.lines.empty());
  tool_prints("/sbin/tzconnect", "NEIGHBOR 00-11-22-33-44-55\n");
  tool_prints("/sbin/tzattribute -i 1 get 1004", "1 2 3 4 1 64 0\n");
  tool_prints("/sbin/tzattribute -i 1 get 1006", "1 2\n");  // short: recorded empty
  EXPECT_EQ(uwbtzero_get_neighbors(odb, static_cast<int>(on)), 0);
  EXPECT_EQ(uwbtzero_get_neighbors(odb, 999), 0) << "no such object";
  testing::expect_golden(odb.log_text(), "network/uwb_neighbors.golden");
  odb.clear_log();
  const testing::ChildResult removed =
      testing::run_in_child([&] { uwbtzero_remove_all_neighbors_object(odb); });
  EXPECT_NE(removed.out.find(") remove object "), std::string::npos);
  EXPECT_TRUE(removed.out.starts_with("uwbtzero(")) << removed.out;
}

TEST_F(UwbTest, RefreshFlipsTheFlags) {
  testing::OdbSession odb;
  odb.add("uwbtzero", {{"devName", "uwb0"}, {"enabled", "1"}, {"refresh", "0"}});
  odb.add("uwbtzero", {{"devName", "uwb1"}, {"enabled", "0"}, {"neigrefresh", "1"}});
  odb.add("uwbtzero", {{"devName", "uwb2"}, {"enabled", "1"}});  // no flags at all
  const testing::ChildResult out = testing::run_in_child([&] {
    uwbtzero_refresh(odb);
    uwbtzero_neighbor_refresh(odb);
    uwbtzero_neighbor_dev_refresh(odb, "uwb1");
    uwbtzero_neighbor_dev_refresh(odb, "none");
    std::fflush(stdout);
    std::fputs(odb.log_text().c_str(), stdout);
  });
  EXPECT_EQ(out.exit_status, 0);
  // The messages carry the source line, which moves with every edit.
  std::string text = out.out;
  for (size_t at = 0; (at = text.find("uwbtzero(", at)) != std::string::npos;) {
    at += std::strlen("uwbtzero(");
    text.replace(at, text.find(')', at) - at, "LINE");
  }
  testing::expect_golden(text, "network/uwb_refresh.golden");
}

}  // namespace
}  // namespace nexa
