// The UWB radio through its tools: identifiers, neighbours and their link
// figures, the device state, and the configuration objects that show them.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"
#include "network/uwb_output.h"
#include "odb.h"

namespace nexa {

// The radio address of an interface from its hardware address; ENODEV when
// the interface has none, EMFILE or ENFILE when no socket could be had.
sys::Result<Eui> radio_address(std::string_view interface);

// The neighbours a scan of the interface with that index finds.
std::vector<Eui> scan_neighbors(int index);

enum class LinkFigure { kTxRate, kSelectedAck, kRxDiversity, kSignalStrength, kConnectionState };
// A figure as text; ENOENT when the tool's output file could not be made,
// ENODATA when the output holds no usable line. The connection state takes
// no address.
sys::Result<std::string> read_link_figure(LinkFigure figure, std::string_view address, int index);
// The device state character, from the "state" line of the tool's output;
// ENOENT when the tool's output cannot be had, ENODATA without a state.
sys::Result<char> read_device_mode(int index);

void set_rx_diversity(std::string_view address, std::string_view value, int index);
// The rate is decimal text; the tool takes it in hexadecimal.
void set_tx_rate(std::string_view address, std::string_view rate, std::string_view extra,
                 int index);

// A "uwbneighbor" object for each neighbour of the "uwbtzero" object oid,
// with its identifiers and link figures; nothing when it is disabled.
void record_neighbors(OdbHandle& h, guint32 oid);
void remove_neighbor_objects(OdbHandle& h);
void refresh_radios(OdbHandle& h);
void refresh_neighbors(OdbHandle& h);
void refresh_device_neighbors(OdbHandle& h, std::string_view device);

}  // namespace nexa
