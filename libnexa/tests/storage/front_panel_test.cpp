// The front panel: slot tables, the display commands and the host name.
#include "storage/front_panel.h"

#include <cstring>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class FrontPanelTest : public LibraryTest {};

TEST_F(FrontPanelTest, SlotTablesAndPanelNumbers) {
  const struct {
    const char* slot;
    const char* led;
    const char* button;
    const char* shown;
  } rows[] = {
      {"1", "GPIO1_28", "GPIO0_1", "3"},
      {"2", "GPIO1_29", "GPIO0_2", "4"},
      {"3", "GPIO1_30", "GPIO0_3", "2"},
      {"4", "GPIO0_0", "GPIO0_4", "1"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].slot);
    EXPECT_STREQ(LEDSlotDisk[i + 1], rows[i].led);
    EXPECT_STREQ(BUTSlotDisk[i + 1], rows[i].button);
    const std::optional<const char*> line = slot_led_line(rows[i].slot);
    ASSERT_TRUE(line);
    EXPECT_STREQ(*line, rows[i].led);
    EXPECT_EQ(panel_number(rows[i].slot), rows[i].shown);
    EXPECT_EQ(setSlotDiskLEDFlash_ON(rows[i].slot), 0);
  }
  EXPECT_STREQ(LEDSlotDisk[0], "");
  EXPECT_STREQ(BUTSlotDisk[0], "");
  for (int i = 5; i < NEXALIB_SLOT_TABLE_SIZE; ++i) {
    EXPECT_EQ(LEDSlotDisk[i], nullptr);
    EXPECT_EQ(BUTSlotDisk[i], nullptr);
  }
}

TEST_F(FrontPanelTest, SlotsOutsideThePanelTouchNothing) {
  for (const char* slot : {"0", "5", "-1", "99999", "99999999999", "disk", "", "%s"}) {
    SCOPED_TRACE(slot);
    EXPECT_FALSE(slot_led_line(slot));
    EXPECT_EQ(setSlotDiskLEDFlash_ON(slot), -1);
    EXPECT_EQ(DisplayFailSlot(slot), -1);
  }
  EXPECT_EQ(DisplayFailSlot(nullptr), -1);
  EXPECT_TRUE(commands.lines.empty()) << "no display command with a raw slot text";
}

TEST_F(FrontPanelTest, FailedSlotWarningStopsTheDisplayProgramFirst) {
  EXPECT_EQ(DisplayFailSlot("2"), 0);
  EXPECT_EQ(commands.lines, (std::vector<std::string>{
                                "/usr/bin/killall lcd_daemon >/dev/null 2>&1",
                                "/sbin/lcd_show \"CAUTION!\" \"DISK4 WRONG\"  >/dev/null 2>&1"}));
}

// Every text reaches the display program as its own argument, "%" and
// quotes as they stand; a line break is refused before anything runs.
class DisplayHostile : public LibraryTest,
                       public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(DisplayHostile, TextsStayTwoLiteralArguments) {
  const std::string& value = GetParam().value;
  const std::string text = value.substr(0, value.find('\0'));  // as a C caller passes it
  const int result = setDisplay(text.c_str(), "50% done");
  if (text.find_first_of("\r\n") != std::string::npos) {
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(commands.lines.empty());
    return;
  }
  EXPECT_EQ(result, 0);
  ASSERT_EQ(commands.lines.size(), 2u);
  EXPECT_EQ(testing::shell_words(commands.lines[1]),
            (std::vector<std::string>{"/sbin/lcd_show", text, "50% done", ">/dev/null", "2>&1"}));
}

INSTANTIATE_TEST_SUITE_P(Hostile, DisplayHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

TEST_F(FrontPanelTest, HostNameOfTheSystemObject) {
  testing::OdbSession odb;
  char buf[NEXALIB_HOST_NAME_SIZE];
  std::strcpy(buf, "untouched");
  EXPECT_EQ(get_hostdomainname(odb, buf), -1);
  EXPECT_STREQ(buf, "untouched") << "no System object";
  const guint32 system = odb.add("System", {{"domain", "home"}});
  EXPECT_EQ(get_hostdomainname(odb, buf), 0);
  EXPECT_STREQ(buf, "") << "no hostname: empty, never \"(null)\"";
  odb.set(system, {{"hostname", "nas-%s"}});
  EXPECT_EQ(get_hostdomainname(odb, buf), 0);
  EXPECT_STREQ(buf, "nas-%s");
  odb.set(system, {{"hostname", std::string(300, 'h')}});
  EXPECT_EQ(get_hostdomainname(odb, buf), 0);
  EXPECT_EQ(std::string(buf), std::string(NEXALIB_HOST_NAME_SIZE - 1, 'h'));
}

}  // namespace
}  // namespace nexa
