// The two XML documents the device serves, kept packed in the binary.
#pragma once

#include <string>
#include <string_view>

namespace presence {

inline constexpr std::string_view kServer = "POSIX, UPnP/1.0, Orvane Tessel/1.0.1545";

// Text safe inside an XML element: markup characters become entities and
// control characters XML cannot carry are dropped.
std::string xml_escape(std::string_view text);

// The whole reply to a GET of "/": header lines, then the description with
// the three values put in (escaped).
std::string build_description_document(std::string_view friendly_name,
                                       std::string_view serial_number, std::string_view udn_proper);

// The whole reply to a GET of the service document, expanded anew each time.
std::string service_document();

}  // namespace presence
