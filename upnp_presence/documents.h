// The two XML documents the device serves, kept packed in the binary.
#pragma once

#include <string>
#include <string_view>

namespace presence {

inline constexpr std::string_view kServer = "POSIX, UPnP/1.0, Orvane Tessel/1.0.1545";

// Text safe inside an XML element whatever the bytes: markup characters
// become entities, control characters are dropped and bytes that are not
// well-formed UTF-8 become U+FFFD, so a control point never rejects the
// document.
std::string xml_escape(std::string_view text);

// The whole reply to a GET of "/": header lines, then the description with
// the three values put in (escaped).
std::string build_description_document(std::string_view friendly_name,
                                       std::string_view serial_number, std::string_view udn_proper);

// The whole reply to a GET of the service document, expanded anew each time.
std::string service_document();

}  // namespace presence
