// Applying the wireless configuration object to the access point's radio
// driver, for each driver generation.
#pragma once

#include <string_view>

#include "odb.h"

namespace nexa {

enum class WirelessDriver {
  kRt61,    // fixed RT61 driver, RADIUS through its handler scripts
  kRt2860,  // fixed RT2860 driver, likewise
  kImage,   // the driver the firmware image names, RADIUS in its file
};

// Sets one driver parameter from a property (empty when unset); the
// shell's status.
int set_driver_parameter(OdbProps* props, std::string_view property, std::string_view parameter);
// Stops the authenticator and the bridge, sets every radio and security
// parameter of the object oid, and brings both back.
void apply_wireless_conf(OdbHandle& h, guint32 oid, WirelessDriver driver);

}  // namespace nexa
