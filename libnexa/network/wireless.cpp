// Applying the wireless configuration object to the access point's radio
// driver, for each driver generation.
#include "network/wireless.h"

#include <cstdlib>
#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/odb_access.h"
#include "network/wireless_files.h"

namespace nexa {
namespace {

// "iwpriv ra0 set NAME=value": the setting is one word, however the value
// is spelt (SSIDs and keys hold blanks, quotes and "$").
int set_parameter(std::string_view parameter, std::string_view value) {
  std::string setting(parameter);
  setting += '=';
  setting += value;
  return run_discarding_output(std::move(CommandLine("/usr/sbin/iwpriv ra0 set ").word(setting)));
}

void set_number(std::string_view parameter, int value) {
  set_parameter(parameter, std::to_string(value));
}

std::string lower_case(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string upper_case(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The fixed drivers' commands run by the shell as they are; the image's
// driver's go through the library's runner with their output discarded.
void run(WirelessDriver driver, CommandLine command) {
  if (driver == WirelessDriver::kImage) {
    run_discarding_output(std::move(command));
  } else {
    sys::run_command(command);
  }
}

struct Driver {
  WirelessDriver kind;
  std::string daemon;  // the authenticator, "rt2860apd"
};

Driver driver_of(WirelessDriver kind) {
  switch (kind) {
    case WirelessDriver::kRt61: return {kind, "rt61apd"};
    case WirelessDriver::kRt2860: return {kind, "rt2860apd"};
    case WirelessDriver::kImage: break;
  }
  return {kind, lower_case(image_driver_name()) + "apd"};
}

// The RADIUS settings of the image's driver go into its parameter file.
void write_radius_file(OdbHandle& h, OdbProps* props) {
  const std::string name = upper_case(image_driver_name());
  const std::optional<std::string> file = parameter_file_of(name);
  if (file) {
    set_parameter_line(*file, "RADIUS_Server", prop_or_empty(props, "radius_ip"));
    set_parameter_line(*file, "RADIUS_Port", prop_or_empty(props, "radius_port"));
    set_parameter_line(*file, name == "RT2880" ? "RADIUS_Key1" : "RADIUS_Key",
                       prop_or_empty(props, "radius_key"));
    set_parameter_line(*file, "own_ip_addr", prop_or_empty(first_network(h), "ipaddr"));
  }
  run_discarding_output(CommandLine("ifconfig ra0 down"));
  run_discarding_output(CommandLine("ifconfig ra0 up"));
}

// The fixed drivers hand the RADIUS settings to their handler scripts.
void run_radius_scripts(OdbHandle& h, OdbProps* props, WirelessDriver kind) {
  const bool rt61 = kind == WirelessDriver::kRt61;
  CommandLine write_conf(rt61
                             ? Literal("/usr/trellis/handlers/base/wireless/write_conf.sh")
                             : Literal("/usr/trellis/handlers/base/wireless-Ra2860/write_conf.sh"));
  // The addresses and the port are operands of the script; the key is a
  // secret that may begin with anything.
  write_conf.text(" ").operand(prop_or_empty(props, "radius_ip"));
  write_conf.text(" ").operand(prop_or_empty(props, "radius_port"));
  write_conf.text(" ").word(prop_or_empty(props, "radius_key"));
  write_conf.text(" ").operand(prop_or_empty(first_network(h), "ipaddr"));
  run_discarding_output(std::move(write_conf));
  if (rt61) {
    sys::run_command(CommandLine("chmod 777 /usr/trellis/handlers/base/wireless/wireless.sh"));
    sys::run_command(CommandLine("/usr/trellis/handlers/base/wireless/wireless.sh"));
  } else {
    sys::run_command(
        CommandLine("chmod 777 /usr/trellis/handlers/base/wireless-Ra2860/wireless.sh"));
    sys::run_command(CommandLine("/usr/trellis/handlers/base/wireless-Ra2860/wireless.sh"));
  }
}

void set_wep(OdbProps* props, bool with_keys) {
  set_driver_parameter(props, "authMode", "AuthMode");
  set_driver_parameter(props, "encrypType", "EncrypType");
  set_number("IEEE8021X", 0);
  if (!with_keys) return;
  set_driver_parameter(props, "key1", "Key1");
  set_driver_parameter(props, "key2", "Key2");
  set_driver_parameter(props, "key3", "Key3");
  set_driver_parameter(props, "key4", "Key4");
  set_driver_parameter(props, "defaultKeyID", "DefaultKeyID");
}

// The security parameters; whether the authenticator has to run.
bool set_security(OdbHandle& h, OdbProps* props, WirelessDriver kind) {
  const std::string_view mode = prop_or_empty(props, "authMode");
  if (mode == "OPEN" || mode == "SHARED") {
    set_wep(props, mode == "SHARED" || prop_or_empty(props, "encrypType") == "WEP");
    return false;
  }
  if (mode == "WPAPSK" || mode == "WPA2PSK") {
    set_driver_parameter(props, "authMode", "AuthMode");
    set_driver_parameter(props, "encrypType", "EncrypType");
    set_number("IEEE8021X", 0);
    set_driver_parameter(props, "SSID", "SSID");
    set_driver_parameter(props, "wpapsk_key", "WPAPSK");
    set_number("DefaultKeyID", 2);
    return false;
  }
  if (mode != "WPA" && mode != "WPA2") return false;
  if (kind == WirelessDriver::kImage) {
    write_radius_file(h, props);
  } else {
    run_radius_scripts(h, props, kind);
  }
  set_driver_parameter(props, "authMode", "AuthMode");
  set_driver_parameter(props, "encrypType", "EncrypType");
  set_number("DefaultKeyID", 2);
  set_number("IEEE8021X", 0);
  if (mode == "WPA2" && kind != WirelessDriver::kRt61) {
    set_number("PreAuth", 0);
    set_number("PMKCachePeriod", 10);
  }
  set_driver_parameter(props, "rekeyMethod", "RekeyMethod");
  set_driver_parameter(props, "rekeyInterval", "RekeyInterval");
  return true;
}

// The fixed drivers set the radio before the security parameters.
void set_fixed_radio(OdbProps* props, WirelessDriver kind) {
  if (kind == WirelessDriver::kRt2860) set_parameter("Debug", "0");
  set_driver_parameter(props, "hideSSID", "HideSSID");
  set_driver_parameter(props, "countryRegion", "CountryRegion");
  set_driver_parameter(props, "channel", "Channel");
  set_driver_parameter(props, "wirelessMode", "WirelessMode");
  set_driver_parameter(props, "txRate", "TxRate");
  if (kind == WirelessDriver::kRt2860) set_driver_parameter(props, "mcs", "HtMcs");
}

void set_image_radio(OdbProps* props) {
  set_parameter("Debug", "0");
  set_driver_parameter(props, "hideSSID", "HideSSID");
  set_driver_parameter(props, "wirelessMode", "WirelessMode");
  const int mode = std::atoi(std::string(prop_or_empty(props, "wirelessMode")).c_str());
  if (mode == 2 || mode == 8) {
    set_driver_parameter(props, "countryCode", "CountryCode");
  } else {
    set_driver_parameter(props, "countryRegion", "CountryRegion");
  }
  set_driver_parameter(props, "channel", "Channel");
  set_driver_parameter(props, "txRate", "TxRate");
  set_driver_parameter(props, "mcs", "HtMcs");
}

}  // namespace

int set_driver_parameter(OdbProps* props, std::string_view property_name,
                         std::string_view parameter) {
  return set_parameter(parameter, prop_or_empty(props, std::string(property_name).c_str()));
}

void apply_wireless_conf(OdbHandle& h, guint32 oid, WirelessDriver kind) {
  if (prop_or_empty(system_namespace(h, "Wireless").props, "enabled") == "0") return;
  const Driver driver = driver_of(kind);
  run(kind, std::move(CommandLine("killall ").word(driver.daemon)));
  run(kind, CommandLine("ifconfig br0 down"));
  OdbProps* props = get_main_props(h, oid);
  if (kind != WirelessDriver::kImage) set_fixed_radio(props, kind);
  const bool authenticator = set_security(h, props, kind);
  if (kind == WirelessDriver::kImage) {
    set_image_radio(props);
  }
  set_driver_parameter(props, "SSID", "SSID");
  run(kind, CommandLine("ifconfig br0 up"));
  if (authenticator) run(kind, std::move(CommandLine("/sbin/").word(driver.daemon)));
}

}  // namespace nexa
