// The daemon's replies and SSDP messages as they must appear on the wire.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace presence::integration {

inline constexpr std::string_view kPosixServer = "POSIX, UPnP/1.0, Orvane Tessel/1.0.1545";
inline constexpr std::string_view kDescriptionServer =
    "WINDOWS, UPnP/1.0, Quorvel ZentraLite UPnP/1.0.1545";
inline constexpr std::string_view kDeviceType = "urn:schemas-upnp-org:device:QuorvelZentraLite:1";
inline constexpr std::string_view kServiceType =
    "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1";

// The UDN without "uuid:", for a --port value and the interface address.
std::string udn_proper(int web_admin_port, std::string_view address);

// Where the device's description is: http://ADDRESS:PORT/
std::string description_url(std::string_view address, uint16_t http_port);

// HTTP replies.
std::string description_reply(std::string_view friendly_name_xml, std::string_view udn_proper);
std::string description_headers();
std::string service_reply_headers();
std::string service_reply_body();
std::string head_reply();
std::string not_found_reply();
std::string bad_request_reply();
std::string redirect_reply(std::string_view address, int web_admin_port);
inline constexpr std::string_view kSubscribeRefused = "HTTP/1.1 412 Invalid Service Name\r\n\r\n";
inline constexpr std::string_view kRenewalRefused = "HTTP/1.1 412 Precondition Failed\r\n\r\n";
inline constexpr std::string_view kUnsubscribeRefused =
    "HTTP/1.1 412 Invalid SID\r\nContent-Length: 0\r\n\r\n";

// What the device advertises, in the order it advertises it.
enum class Advert { RootDevice, DeviceUdn, DeviceType, ServiceType };
inline constexpr Advert kAllAdverts[] = {Advert::RootDevice, Advert::DeviceUdn, Advert::DeviceType,
                                         Advert::ServiceType};

// The NT value of an advertisement (the ST of its search answer).
std::string notification_type(Advert advert, std::string_view udn_proper);

// SSDP messages. `location_address` and `http_port` make the LOCATION.
std::string search_answer(Advert advert, std::string_view udn_proper,
                          std::string_view location_address, uint16_t http_port,
                          std::string_view search_target);
std::string alive_message(Advert advert, std::string_view udn_proper,
                          std::string_view location_address, uint16_t http_port);
std::string byebye_message(Advert advert, std::string_view udn_proper);

// The usage text for the given program path.
std::string usage_text(std::string_view program);

}  // namespace presence::integration
