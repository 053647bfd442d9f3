// The front panel: which GPIO line and value each indicator function uses,
// and the two texts of the display.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr int kPanelSlots = 4;
// GPIO lines of each disk slot's indicator and button (slot 0 is unused).
inline constexpr const char* kSlotLedLines[kPanelSlots + 1] = {"", "GPIO1_28", "GPIO1_29",
                                                               "GPIO1_30", "GPIO0_0"};
inline constexpr const char* kSlotButtonLines[kPanelSlots + 1] = {"", "GPIO0_1", "GPIO0_2",
                                                                  "GPIO0_3", "GPIO0_4"};
inline constexpr const char* kRaidWarningLine = "GPIO0_13";
inline constexpr const char* kBuildLine = "GPIO0_11";

// The LED line of a disk slot given as decimal text (as atoi reads it);
// nothing for a slot outside 1 to 4.
std::optional<const char*> slot_led_line(std::string_view slot);
// The number printed on the panel for a disk slot given as text ("1" is
// shown as "3"); nothing for a slot outside 1 to 4.
std::optional<std::string> panel_number(std::string_view slot);

// Stops the resident display program and draws the two lines; EINVAL
// (nothing drawn) when a text holds a line break.
sys::Status show_on_display(std::string_view first, std::string_view second);

// The "hostname" of the first "System" object, cut to room - 1 characters;
// ENOENT without a "System" object, "" without the property.
sys::Result<std::string> host_name(OdbHandle& h, size_t room);

}  // namespace nexa
