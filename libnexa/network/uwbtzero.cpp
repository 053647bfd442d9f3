// The UWB radio through its tools: identifiers, neighbours and their link
// figures, the device state, and the configuration objects that show them.
#include "network/uwbtzero.h"

#include <net/if.h>
#include <sys/ioctl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/text_files.h"

namespace nexa {
namespace {

constexpr size_t kToolLine = 128;  // the tools print short lines

// The two halves of a tool-form address ("33221100_00005544") are two
// arguments of the tools; an empty part is left out.
void add_address(CommandLine& command, std::string_view address) {
  const size_t cut = address.find('_');
  for (const std::string_view part :
       {address.substr(0, cut),
        cut == std::string_view::npos ? std::string_view{} : address.substr(cut + 1)}) {
    if (!part.empty()) command.text(" ").operand(part);
  }
}

CommandLine attribute_command(int index, Literal request) {
  CommandLine command("/sbin/tzattribute -i ");
  command.number(index).text(request);
  return command;
}

CommandLine connect_command(int index, Literal request) {
  CommandLine command("/sbin/tzconnect -i ");
  command.number(index).text(request);
  return command;
}

struct FigureSource {
  Literal request;
  const char* file;
  int fields;
  int wanted;
  bool hex;
};

FigureSource source_of(LinkFigure figure) {
  switch (figure) {
    case LinkFigure::kTxRate: return {" get 1004", "/tmp/txrate.txt", 7, 6, false};
    case LinkFigure::kSelectedAck: return {" get 1004", "/tmp/ack.txt", 7, 5, false};
    case LinkFigure::kRxDiversity: return {" get 1005", "/tmp/rxdiversity", 5, 5, true};
    case LinkFigure::kSignalStrength: return {" get 1006", "/tmp/rssi", 4, 4, false};
    case LinkFigure::kConnectionState: break;
  }
  return {" get 0x0e", "/tmp/conmanager.txt", 4, 4, false};
}

std::string figure_text(unsigned value, bool hex) {
  char text[16];
  if (hex) {
    std::snprintf(text, sizeof text, "%x", value);
  } else {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  }
  return text;
}

// A "0..." value becomes "1", anything else "0", in the main namespace.
void flip(OdbHandle& h, guint32 oid, const char* key) {
  OdbProps* props = get_main_props(h, oid);
  const char* current = props ? odb_props_get(props, key) : nullptr;
  const PropsPtr changes = new_props();
  odb_props_set(changes.get(), key, current && current[0] == '0' ? "1" : "0");
  odb_set_cmnd(&h, oid, "", changes.get());
}

}  // namespace

sys::Result<Eui> radio_address(std::string_view interface) {
  struct ifreq request {};
  if (interface.size() < sizeof request.ifr_name) {
    interface.copy(request.ifr_name, interface.size());
    const sys::Status status = sys::interface_control(SIOCGIFHWADDR, request);
    if (status) {
      Eui eui{};
      std::memcpy(eui.data(), request.ifr_hwaddr.sa_data, eui.size());
      return eui;
    }
    if (status.error() == EMFILE || status.error() == ENFILE) return status;
  }
  return sys::Status::failure(ENODEV);
}

std::vector<Eui> scan_neighbors(int index) {
  std::vector<Eui> found;
  if (!run_into_file(connect_command(index, " scan"), "/tmp/scan.txt")) return found;
  const sys::Result<std::vector<std::string>> lines = load_lines("/tmp/scan.txt");
  if (!lines) return found;
  for (const std::string& line : *lines) {
    if (const std::optional<Eui> eui = neighbor_address(line)) found.push_back(*eui);
  }
  return found;
}

sys::Result<std::string> read_link_figure(LinkFigure figure, std::string_view address, int index) {
  const FigureSource source = source_of(figure);
  CommandLine command = attribute_command(index, source.request);
  if (figure != LinkFigure::kConnectionState) add_address(command, address);
  if (!run_into_file(std::move(command), source.file)) return sys::Status::failure(ENOENT);
  const std::optional<unsigned> value =
      attribute_field(first_line_of(source.file, kToolLine), source.fields, source.wanted);
  if (!value) return sys::Status::failure(ENODATA);
  return figure_text(*value, source.hex);
}

sys::Result<char> read_device_mode(int index) {
  if (!run_into_file(connect_command(index, " state"), "/tmp/state.txt"))
    return sys::Status::failure(ENOENT);
  const sys::Result<std::vector<std::string>> lines = load_lines("/tmp/state.txt");
  if (!lines) return lines.status();
  const std::optional<char> state = device_state(*lines);
  if (!state) return sys::Status::failure(ENODATA);
  return *state;
}

void set_rx_diversity(std::string_view address, std::string_view value, int index) {
  CommandLine command = attribute_command(index, " set 1005");
  add_address(command, address);
  command.text(" ").operand(value);
  run_into_file(std::move(command), "/tmp/set_rxdiversity");
}

void set_tx_rate(std::string_view address, std::string_view rate, std::string_view extra,
                 int index) {
  CommandLine command = attribute_command(index, " set 1004");
  add_address(command, address);
  const long decimal = std::strtol(std::string(rate).c_str(), nullptr, 10);
  command.text(" ").word(figure_text(static_cast<unsigned>(decimal), true));
  if (!extra.empty()) command.text(" ").operand(extra);
  run_into_file(std::move(command), "/tmp/set_txrate");
}

void record_neighbors(OdbHandle& h, guint32 oid) {
  OdbProps* radio = get_main_props(h, oid);
  if (!radio || text_is(odb_props_get(radio, "enabled"), "0")) return;
  const char* index_text = odb_props_get(radio, "index");
  const int index = index_text ? std::atoi(index_text) : 0;
  for (const Eui& eui : scan_neighbors(index)) {
    const std::string address = tool_form(eui);
    const PropsPtr props = new_props();
    odb_props_set(props.get(), "eui", display_form(eui).c_str());
    odb_props_set(props.get(), "eui_bin", address.c_str());
    odb_props_set(props.get(), "serialnum", serial_number(eui).c_str());
    // A figure the radio did not give is recorded empty.
    for (const auto& [key, figure] : {std::pair{"txrate", LinkFigure::kTxRate},
                                      {"rxdiversity", LinkFigure::kRxDiversity},
                                      {"rssi", LinkFigure::kSignalStrength},
                                      {"ack", LinkFigure::kSelectedAck}}) {
      const sys::Result<std::string> text = read_link_figure(figure, address, index);
      odb_props_set(props.get(), key, text ? text->c_str() : "");
    }
    odb_create_cmnd(&h, "uwbneighbor", props.get());
  }
}

void remove_neighbor_objects(OdbHandle& h) {
  for (GSList* node = find_class_oids(h, "uwbneighbor"); node; node = node->next) {
    say_at(NEXA_ORIGIN_UNSPACED("uwbtzero"), "remove object %d\n", static_cast<int>(oid_of(node)));
    odb_destroy_cmnd(&h, oid_of(node));
  }
}

void refresh_radios(OdbHandle& h) {
  for (GSList* node = find_class_oids(h, "uwbtzero"); node; node = node->next) {
    say_at(NEXA_ORIGIN_UNSPACED("uwbtzero"), "refresh uwbtzero object %d\n",
           static_cast<int>(oid_of(node)));
    flip(h, oid_of(node), "refresh");
  }
}

void refresh_neighbors(OdbHandle& h) {
  for (GSList* node = find_class_oids(h, "uwbtzero"); node; node = node->next) {
    say_at(NEXA_ORIGIN_UNSPACED("uwbtzero"), "refresh uwbtzero object %d\n",
           static_cast<int>(oid_of(node)));
    OdbProps* props = get_main_props(h, oid_of(node));
    if (props && text_is(odb_props_get(props, "enabled"), "1"))
      flip(h, oid_of(node), "neigrefresh");
  }
}

void refresh_device_neighbors(OdbHandle& h, std::string_view device) {
  const guint32 oid = first_oid_with(h, "uwbtzero", "devName", device);
  if (oid != 0) flip(h, oid, "neigrefresh");
}

}  // namespace nexa
