// SSDP: answers to searches, and the alive and byebye announcements.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device.h"
#include "http_message.h"

namespace presence {

enum class AdvertKind { RootDevice = 1, DeviceUdn = 2, DeviceType = 3, ServiceType = 4 };
inline constexpr AdvertKind kAllKinds[] = {AdvertKind::RootDevice, AdvertKind::DeviceUdn,
                                           AdvertKind::DeviceType, AdvertKind::ServiceType};

inline constexpr uint16_t kSsdpPort = 1900;
inline constexpr const char* kSsdpGroup = "239.255.255.250";
inline constexpr int kMaxAge = 1800;
// Each accepted search costs a timer entry until it is answered; a flood of
// searches must not grow memory without end.
inline constexpr size_t kMaxPendingSearches = 256;

struct PendingSearchReply {
  std::string target;
  DeviceState* device;
  sockaddr_in requester;
};

// What a search asks for, once its headers have been checked.
struct SearchRequest {
  std::string target;
  uint32_t delay_bound_s;  // MX capped at 10; 0 means answer at once
};

// The M-SEARCH checks: path "*", version 1.1, MAN "ssdp:discover" in quotes
// and a usable MX. Header names match by prefix, ignoring case.
std::optional<SearchRequest> parse_msearch(const HttpMessage& msg);

// The kinds that answer a search target, in answer order.
std::vector<AdvertKind> kinds_for_search_target(std::string_view target, std::string_view udn);

// One message of each format for one interface address (network order).
std::string format_search_answer(const DeviceState& device, uint32_t address, AdvertKind kind,
                                 std::string_view target);
std::string format_alive(const DeviceState& device, uint32_t address, AdvertKind kind);
std::string format_byebye(const DeviceState& device, AdvertKind kind);

void open_ssdp_sockets(DeviceState& device);
void ssdp_pre_select(DeviceState& device, fd_set& read);
void ssdp_post_select(DeviceState& device, const fd_set& read);

void handle_msearch(DeviceState& device, const HttpMessage& msg);
void send_search_replies(const PendingSearchReply& reply);
void send_alive_set(DeviceState& device);
void send_byebye_set(DeviceState& device);
void send_alive_kind(DeviceState& device, AdvertKind kind);

}  // namespace presence
