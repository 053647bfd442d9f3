// The device module: wires connections and SSDP into the event chain.
#include "device.h"

#include "documents.h"
#include "ssdp.h"

namespace presence {

DeviceState::DeviceState(EventChain& chain_, TimerList& timers_, DeviceSettings settings_)
    : chain(chain_), timers(timers_), settings(std::move(settings_)) {
  for (auto& slot : slots) slot.device = this;
}

void DeviceState::form_identity() {
  // Without any usable interface there is no address to put in the UDN; it
  // still has to be a fixed, well-formed text for the life of the process.
  udn = "uuid:" + settings.udn_prefix + local_address_text.value_or("0.0.0.0");
  description_document =
      build_description_document(settings.friendly_name, settings.serial_number, udn_proper());
}

void DeviceState::interfaces_changed() {
  interfaces_changed_flag = true;
  chain_wake(chain);
}

void DeviceState::pre_select(fd_set& read, fd_set&, fd_set& except, int32_t& wait_ms) {
  ssdp_pre_select(*this, read);
  connections_pre_select(*this, read, except, wait_ms);
}

void DeviceState::post_select(int result, const fd_set& read, const fd_set&, const fd_set& except) {
  if (result <= 0) return;
  connections_post_select(*this, read, except);
  ssdp_post_select(*this, read);
}

void DeviceState::destroy() {
  send_byebye_set(*this);
}

DeviceState& device_create(EventChain& chain, DeviceSettings settings) {
  TimerList& timers = timer_list_create(chain);
  auto device = std::make_unique<DeviceState>(chain, timers, std::move(settings));
  open_listening_socket(*device);
  open_ssdp_sockets(*device);
  device->form_identity();
  return chain_add_module(chain, std::move(device));
}

}  // namespace presence
