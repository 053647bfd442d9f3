// The UPnP root device: HTTP connections, replies and SSDP, as one module of
// the event chain.
#pragma once

#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "event_chain.h"
#include "http_message.h"
#include "interfaces.h"
#include "timer_list.h"
#include "unique_fd.h"

namespace presence {

class DeviceState;

inline constexpr size_t kHeaderBufferSize = 2048;
inline constexpr int kConnectionSlots = 5;
inline constexpr uint32_t kHeaderLimitMs = 3000;
// A client that announced a body must deliver it within this time of being
// accepted; otherwise it could hold one of the five slots for ever.
inline constexpr uint32_t kRequestLimitMs = 10000;
// No request of ours carries a body we use; refuse absurd announcements
// rather than allocate them.
inline constexpr uint32_t kMaxBodyLength = 64 * 1024;
inline constexpr uint32_t kAcceptPauseMs = 100;

struct ConnectionSlot {
  std::array<char, kHeaderBufferSize> header{};
  std::vector<char> body;              // only while a body arrives in pieces
  std::optional<HttpMessage> request;  // parsed header
  size_t expected_body_length = 0;
  size_t header_received = 0;
  size_t body_received = 0;
  UniqueFd socket;  // none while the slot is free
  bool complete = false;
  uint32_t accepted_at = 0;  // timer clock at accept
  DeviceState* device = nullptr;

  bool busy() const { return static_cast<bool>(socket); }
  bool receiving_body() const { return !body.empty() && !complete; }
};

using PresentationHandler = std::function<void(ConnectionSlot&, const HttpMessage&)>;

struct DeviceSettings {
  std::string friendly_name;
  std::string udn_prefix;
  std::string serial_number = "0000001";
  int advert_cycle_s = 1800;
  uint16_t http_port = 0;  // 0: a free port from 50000 to 64999 at random
  int web_admin_port = 8088;
};

class DeviceState : public ChainModule {
 public:
  DeviceState(EventChain& chain, TimerList& timers, DeviceSettings settings);

  void pre_select(fd_set& read, fd_set& write, fd_set& except, int32_t& wait_ms) override;
  void post_select(int result, const fd_set& read, const fd_set& write,
                   const fd_set& except) override;
  // Withdraws the device (byebye set); the rest is released by the destructor.
  void destroy() override;

  // Called by the interface watch; handled at the next pass.
  void interfaces_changed();

  // Forms the UDN and the description document once local_address_text is
  // known (or known to be missing).
  void form_identity();

  EventChain& chain;
  TimerList& timers;
  DeviceSettings settings;
  bool interfaces_changed_flag = false;
  std::string udn;  // "uuid:" and the UDN proper
  std::string_view udn_proper() const { return std::string_view(udn).substr(5); }
  std::string description_document;
  bool started = false;

  // The address chosen while the SSDP sockets were opened; unset when no
  // interface could be used at start-up.
  std::optional<std::string> local_address_text;
  PresentationHandler presentation_handler;

  // SSDP
  sockaddr_in ssdp_sender{};
  std::array<char, 4096 + 1> ssdp_buffer{};
  InterfaceAddressList interface_addresses;
  std::vector<UniqueFd> ssdp_send_sockets;  // one per interface address
  UniqueFd ssdp_receive_socket;
  size_t pending_search_replies = 0;

  // HTTP
  UniqueFd listening_socket;
  uint16_t http_port = 0;
  bool accept_paused = false;  // after accept ran out of descriptors
  std::array<ConnectionSlot, kConnectionSlots> slots;
};

// Opens the HTTP and SSDP sockets and adds the device (after its own timer
// list) to the chain. Socket failures end the process with status 1.
DeviceState& device_create(EventChain& chain, DeviceSettings settings);

// connection.cpp
void open_listening_socket(DeviceState& device);
void connections_pre_select(DeviceState& device, fd_set& read, fd_set& except, int32_t& wait_ms);
void connections_post_select(DeviceState& device, const fd_set& read, const fd_set& except);
void read_connection(ConnectionSlot& slot);
void close_connection(ConnectionSlot& slot);
// Sends a whole reply without blocking the loop, then closes the connection.
void send_reply(ConnectionSlot& slot, std::string_view reply);

// dispatch.cpp
void dispatch_request(const HttpMessage& request, ConnectionSlot& slot);
void redirect_to_web_admin(ConnectionSlot& slot, const HttpMessage& request);
void handle_subscribe(ConnectionSlot& slot, const HttpMessage& request);
void handle_unsubscribe(ConnectionSlot& slot, const HttpMessage& request);
void send_status_reply(ConnectionSlot& slot, int code, std::string_view text);

}  // namespace presence
