// Watches the interface addresses and tells the device when they change.
#pragma once

#include "device.h"
#include "interfaces.h"
#include "timer_list.h"

namespace presence {

inline constexpr uint32_t kInterfaceWatchMs = 4000;

class InterfaceWatch {
 public:
  // Reads the current list and starts the periodic check on timers.
  InterfaceWatch(DeviceState& device, TimerList& timers);

  // Compares a fresh list with the kept one; on a difference the device
  // re-announces itself. Runs again every 4 seconds.
  void check_interfaces();

 private:
  DeviceState& device_;
  TimerList& timers_;
  InterfaceAddressList addresses_;
};

}  // namespace presence
