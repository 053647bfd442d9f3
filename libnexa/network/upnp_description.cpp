// The UPnP device description file, written whole from the "System"
// object's identity.
#include "network/upnp_description.h"

#include <glib.h>

#include "core/config_values.h"
#include "core/odb_access.h"
#include "core/text_files.h"

namespace nexa {
namespace {

std::string value_of(OdbProps* props, const char* key) {
  return xml_text(prop_or_empty(props, key));
}

}  // namespace

std::string xml_text(std::string_view value) {
  std::string line = flattened(ValueKind::kFreeText, value);
  // Control characters are not allowed in XML 1.0 text, not even escaped.
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  char* valid = g_utf8_make_valid(line.data(), static_cast<gssize>(line.size()));
  char* escaped = g_markup_escape_text(valid, -1);
  std::string out = escaped;
  g_free(escaped);
  g_free(valid);
  return out;
}

std::string upnp_description(OdbProps* system) {
  const std::string vendor = value_of(system, "productVendor");
  const std::string host = value_of(system, "hostname");
  const std::string url = value_of(system, "manufacturerURL");
  const std::string description = value_of(system, "Description");
  const std::string product = value_of(system, "productName");
  // The "%s" placeholders are filled in by the program that serves the file.
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<root xmlns=\"urn:schemas-upnp-org:device-1-0\">\n<specVersion>\n<major>1</major>\n"
         "<minor>0</minor>\n</specVersion>\n<device>\n"
         "<deviceType>urn:schemas-upnp-org:device:Sample:1</deviceType>\n"
         "<presentationURL>%s</presentationURL>\n"
         "<friendlyName>" +
         host +
         "</friendlyName>\n"
         "<manufacturer>" +
         vendor +
         "</manufacturer>\n"
         "<manufacturerURL>" +
         url +
         "</manufacturerURL>\n"
         "<modelDescription>" +
         description +
         "</modelDescription>\n"
         "<modelName>" +
         host +
         "</modelName>\n"
         "<modelNumber>" +
         product +
         "</modelNumber>\n"
         "<serialNumber>%s</serialNumber>\n<UDN>uuid:%s</UDN>\n<serviceList>\n<service>\n"
         "<serviceType>urn:schemas-upnp-org:service:" +
         host +
         ":1</serviceType>\n"
         "<serviceId>urn:upnp-org:serviceId:" +
         host +
         "1</serviceId>\n"
         "<SCPDURL>" +
         host +
         "Service/scpd.xml</SCPDURL>\n"
         "<controlURL>" +
         host +
         "Service/control</controlURL>\n"
         "<eventSubURL>" +
         host +
         "Service/event</eventSubURL>\n"
         "</service>\n</serviceList>\n</device>\n</root>\n";
}

sys::Status write_upnp_description(OdbHandle& h) {
  const guint32 system = system_oid(h);
  return write_text_file(upnp_description(system ? get_main_props(h, system) : nullptr),
                         kUpnpDescription, 0755);
}

}  // namespace nexa
