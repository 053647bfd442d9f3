// The front panel: which GPIO line and value each indicator function uses,
// and the two texts of the display.
#include "storage/front_panel.h"

#include <cstdlib>

#include "core/commands.h"
#include "core/odb_access.h"
#include "nexalib.h"

namespace nexa {

namespace {

// atoi's reading of a slot text, kept within int.
int slot_number(std::string_view slot) {
  return std::atoi(std::string(slot).c_str());
}

bool is_panel_slot(int slot) {
  return slot >= 1 && slot <= kPanelSlots;
}

}  // namespace

std::optional<const char*> slot_led_line(std::string_view slot) {
  const int number = slot_number(slot);
  if (!is_panel_slot(number)) return std::nullopt;
  return kSlotLedLines[number];
}

std::optional<std::string> panel_number(std::string_view slot) {
  // The panel counts its bays the other way round from the controller.
  static constexpr const char* kShownAs[] = {"", "3", "4", "2", "1"};
  const int number = slot_number(slot);
  if (!is_panel_slot(number)) return std::nullopt;
  return kShownAs[number];
}

sys::Status show_on_display(std::string_view first, std::string_view second) {
  CommandLine draw("/sbin/lcd_show \"");
  draw.in_quotes(first).text("\" \"").in_quotes(second).text("\" ");
  if (!draw.valid()) return sys::Status::failure(EINVAL);
  run_discarding_output(CommandLine("/usr/bin/killall lcd_daemon"));
  run_discarding_output(std::move(draw));
  return sys::Status::success();
}

sys::Result<std::string> host_name(OdbHandle& h, size_t room) {
  const Found system = system_namespace(h, "");
  if (!system.props) return sys::Status::failure(ENOENT);
  const char* name = odb_props_get(system.props, "hostname");
  return std::string(name ? name : "").substr(0, room - 1);
}

}  // namespace nexa
