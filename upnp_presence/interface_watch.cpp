// Watches the interface addresses and tells the device when they change.
#include "interface_watch.h"

namespace presence {

InterfaceWatch::InterfaceWatch(DeviceState& device, TimerList& timers)
    : device_(device), timers_(timers), addresses_(get_interface_addresses()) {
  timer_add(timers_, this, kInterfaceWatchMs, [this] { check_interfaces(); });
}

void InterfaceWatch::check_interfaces() {
  InterfaceAddressList fresh = get_interface_addresses();
  if (fresh != addresses_) {
    device_.interfaces_changed();
    addresses_ = std::move(fresh);
  }
  timer_add(timers_, this, kInterfaceWatchMs, [this] { check_interfaces(); });
}

}  // namespace presence
