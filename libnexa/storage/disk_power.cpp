// Disk standby (spin-down) timers, set through hdparm.
#include "storage/disk_power.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/odb_access.h"
#include "core/string_lists.h"

namespace nexa {

namespace {

void run_hdparm(OdbProps& disk, int value) {
  const char* dev_name = odb_props_get(&disk, "devName");
  if (!dev_name) return;  // no device to address
  run_discarding_output(CommandLine("/sbin/hdparm -S ").number(value).text(" ").operand(dev_name));
}

int configured_value(OdbProps* settings) {
  const char* minutes = settings ? odb_props_get(settings, "spinDownTime") : nullptr;
  return spindown_value(minutes ? minutes : "");
}

template <typename Each>
void for_each_disk(OdbHandle& h, Each each) {
  for (GSList* node = find_class_oids(h, "Disk"); node; node = node->next)
    if (OdbProps* disk = get_main_props(h, oid_of(node))) each(*disk);
}

}  // namespace

int spindown_value(std::string_view minutes) {
  // Beyond 20 minutes the timer counts in coarser units: 252 is 21 minutes,
  // 241 to 251 are 30 minutes to 5.5 hours in half hours.
  const long long m = std::max(0LL, std::strtoll(std::string(minutes).c_str(), nullptr, 10));
  if (m <= 20) return static_cast<int>(m * 12);
  if (m == 21) return 252;
  if (m <= 30) return 241;
  return static_cast<int>(std::min(241 + (m - 30) / 30, 251LL));
}

void set_spindown(OdbProps* settings, OdbProps& disk) {
  run_hdparm(disk, configured_value(settings));
}

void set_spindown_all(OdbHandle& h, OdbProps& settings) {
  if (text_is(odb_props_get(&settings, "spinDownAll"), "0")) return;
  const int value = configured_value(&settings);
  for_each_disk(h, [&](OdbProps& disk) { run_hdparm(disk, value); });
}

void set_spindown_selected(OdbHandle& h, OdbProps& settings) {
  const char* selected = odb_props_get(&settings, "spinDownDev");
  if (text_is(odb_props_get(&settings, "spinDownAll"), "1") || !selected || !*selected) return;
  const std::vector<std::string> names = split_odb_array(selected);
  const int value = configured_value(&settings);
  for_each_disk(h, [&](OdbProps& disk) {
    const char* usb_name = odb_props_get(&disk, "usbName");
    const bool chosen = usb_name && std::find(names.begin(), names.end(), usb_name) != names.end();
    run_hdparm(disk, chosen ? value : 0);
  });
}

}  // namespace nexa
