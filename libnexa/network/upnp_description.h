// The UPnP device description written from the system's identity.
#pragma once
#include <string>
#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kUpnpDescription = "/etc/UPnP.xml";

// The value as XML character data on one line: line breaks flattened,
// invalid UTF-8 and control characters replaced, markup escaped.
std::string xml_text(std::string_view value);
// The description for the "System" object's main props (null: empty values).
std::string upnp_description(OdbProps* system);
// Writes the description of the first "System" object, mode 0755.
sys::Status write_upnp_description(OdbHandle& h);

}  // namespace nexa
