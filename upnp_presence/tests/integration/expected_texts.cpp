// Golden texts: the daemon's replies and SSDP messages, byte for byte.
#include "expected_texts.h"

namespace presence::integration {

namespace {

std::string_view usn_suffix(Advert advert) {
  switch (advert) {
    case Advert::RootDevice: return "::upnp:rootdevice";
    case Advert::DeviceUdn: return "";
    case Advert::DeviceType: return "::urn:schemas-upnp-org:device:QuorvelZentraLite:1";
    case Advert::ServiceType: return "::urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1";
  }
  return "";
}

std::string usn(Advert advert, std::string_view udn_proper) {
  return "uuid:" + std::string(udn_proper) + std::string(usn_suffix(advert));
}

}  // namespace

std::string description_url(std::string_view address, uint16_t http_port) {
  return "http://" + std::string(address) + ":" + std::to_string(http_port) + "/";
}

std::string udn_proper(int web_admin_port, std::string_view address) {
  return "f6edff09-71a4-47df-" + std::to_string(web_admin_port) + "-" + std::string(address);
}

std::string description_headers() {
  return "HTTP/1.0 200  OK\r\nCONTENT-TYPE:  text/xml\r\nServer: " +
         std::string(kDescriptionServer) + "\r\n\r\n";
}

std::string description_reply(std::string_view friendly_name_xml, std::string_view udn_proper) {
  return description_headers() +
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
         "<specVersion><major>1</major><minor>0</minor></specVersion>"
         "<device>"
         "<deviceType>urn:schemas-upnp-org:device:QuorvelZentraLite:1</deviceType>"
         "<presentationURL>/web</presentationURL>"
         "<friendlyName>" +
         std::string(friendly_name_xml) +
         "</friendlyName>"
         "<manufacturer>Quorvel Technology</manufacturer>"
         "<manufacturerURL>http://www.quorvel.com/</manufacturerURL>"
         "<modelDescription /><modelName /><modelNumber />"
         "<serialNumber>0000001</serialNumber>"
         "<UDN>uuid:" +
         std::string(udn_proper) +
         "</UDN>"
         "<iconList><icon><mimetype>image/png</mimetype><width>16</width><height>16</height>"
         "<depth>32</depth><url>ztile.png</url></icon></iconList>"
         "<serviceList><service>"
         "<serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>"
         "<serviceId>urn:upnp-org:serviceId:WANCommonInterfaceConfig</serviceId>"
         "<SCPDURL>MediaService/scpd.xml</SCPDURL>"
         "<controlURL>MediaService/control</controlURL>"
         "<eventSubURL>MediaService/event</eventSubURL>"
         "</service></serviceList>"
         "</device></root>";
}

std::string service_reply_headers() {
  return "HTTP/1.0 200  OK\r\nCONTENT-TYPE:  text/xml\r\nServer: " + std::string(kPosixServer) +
         "\r\nContent-Length: 186\r\n\r\n";
}

std::string service_reply_body() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<scpd xmlns=\"urn:schemas-upnp-org:service-1-0\">"
         "<specVersion><major>1</major><minor>0</minor></specVersion>"
         "<actionList /><serviceStateTable /></scpd>";
}

std::string head_reply() {
  return "HTTP/1.0 200 OK\r\nServer: " + std::string(kPosixServer) +
         "\r\nContent-Type: text/xml\r\n\r\n";
}

std::string not_found_reply() {
  return "HTTP/1.0 404 File Not Found\r\nServer: " + std::string(kPosixServer) +
         "\r\nContent-Length: 0\r\n\r\n";
}

std::string bad_request_reply() {
  return "HTTP/1.0 400 Bad Request\r\nServer: " + std::string(kPosixServer) +
         "\r\nContent-Length: 0\r\n\r\n";
}

std::string redirect_reply(std::string_view address, int web_admin_port) {
  return "HTTP/1.0 302 Temporary Redirect\r\nLocation: http://" + std::string(address) + ":" +
         std::to_string(web_admin_port) + "/\r\n\r\n";
}

std::string notification_type(Advert advert, std::string_view udn_proper) {
  switch (advert) {
    case Advert::RootDevice: return "upnp:rootdevice";
    case Advert::DeviceUdn: return "uuid:" + std::string(udn_proper);
    case Advert::DeviceType: return std::string(kDeviceType);
    case Advert::ServiceType: return std::string(kServiceType);
  }
  return "";
}

std::string search_answer(Advert advert, std::string_view udn_proper,
                          std::string_view location_address, uint16_t http_port,
                          std::string_view search_target) {
  return "HTTP/1.1 200 OK\r\nLOCATION: " + description_url(location_address, http_port) +
         "\r\nEXT:\r\nSERVER: " + std::string(kPosixServer) +
         "\r\nUSN: " + usn(advert, udn_proper) +
         "\r\nCACHE-CONTROL: max-age=1800\r\nST: " + std::string(search_target) + "\r\n\r\n";
}

std::string alive_message(Advert advert, std::string_view udn_proper,
                          std::string_view location_address, uint16_t http_port) {
  return "NOTIFY * HTTP/1.1\r\nLOCATION: " + description_url(location_address, http_port) +
         "\r\nHOST: 239.255.255.250:1900\r\nSERVER: " + std::string(kPosixServer) +
         "\r\nNTS: ssdp:alive\r\nUSN: " + usn(advert, udn_proper) +
         "\r\nCACHE-CONTROL: max-age=1800\r\nNT: " + notification_type(advert, udn_proper) +
         "\r\n\r\n";
}

std::string byebye_message(Advert advert, std::string_view udn_proper) {
  return "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nNTS: ssdp:byebye\r\nUSN: " +
         usn(advert, udn_proper) + "\r\nNT: " + notification_type(advert, udn_proper) +
         "\r\nContent-Length: 0\r\n\r\n";
}

std::string usage_text(std::string_view program) {
  const std::string path(program);
  return "\nUsage : " + path + " [--port port] [--help]\n\nprogram            : \"" + path +
         "\"\n--name name        : server Name (default=hostname (Zentra Lite))"
         "\n--port port        : server Port Number (default=8088)"
         "\n--help             : show this usage\n";
}

}  // namespace presence::integration
