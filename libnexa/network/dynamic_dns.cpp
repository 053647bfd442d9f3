// The dynamic-DNS client's configuration text and the status read from its
// log.
#include "network/dynamic_dns.h"

#include "core/config_values.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/sys.h"

namespace nexa {
namespace {

// The log is read in pieces of at most this many characters.
constexpr size_t kLogPiece = 254;

std::string prop(OdbProps* props, const char* key, ValueKind kind) {
  return flattened(kind, prop_or_empty(props, key));
}

void append_bounded(std::string& status, std::string_view text) {
  const size_t room = kDdnsStatusRoom - 1;
  if (status.size() < room) status.append(text.substr(0, room - status.size()));
}

}  // namespace

std::string ddns_configuration(OdbHandle& h) {
  const guint32 ddns_oid = first_oid(find_class_oids(h, "Ddns"));
  OdbProps* ddns = ddns_oid ? get_main_props(h, ddns_oid) : nullptr;
  OdbProps* pppoe = system_namespace(h, "Pppoe").props;
  const char* pppoe_enabled = pppoe ? odb_props_get(pppoe, "enabled") : nullptr;
  // The user name ends at the first ":" of its line, so it cannot hold one.
  return "service-type=dyndns\nuser=" + prop(ddns, "username", ValueKind::kAccountField) + ":" +
         prop(ddns, "passwd", ValueKind::kFreeText) +
         "\nhost=" + prop(ddns, "hostname", ValueKind::kFreeText) +
         "\ninterface=" + (text_is(pppoe_enabled, "1") ? "ppp0" : "eth1") +
         "\nmax-interval=2073600\ncache-file=/tmp/ez-ipupdate.cache\n";
}

void append_ddns_log_text(std::string& status, std::string_view log) {
  while (!log.empty()) {
    size_t length = std::min(log.find('\n'), kLogPiece - 1) + 1;
    length = std::min(length, log.size());
    std::string_view piece = log.substr(0, length);
    log.remove_prefix(length);
    piece = piece.substr(0, piece.find_first_of(std::string_view("\n\0", 2)));
    if (piece.empty() || piece.find("ez-ipupdate") != std::string_view::npos) continue;
    append_bounded(status, piece);
    append_bounded(status, " . ");
  }
}

void append_ddns_log(std::string& status) {
  const sys::Result<std::string> log = sys::read_file(kDdnsLog);
  if (log) append_ddns_log_text(status, *log);
}

std::string ddns_status(std::string_view enabled) {
  if (enabled == "0") return "DDNS client is closed.";
  std::string status;
  append_ddns_log(status);
  return status.empty() ? "connecting" : status;
}

void set_ddns_status(OdbHandle& h, guint32 oid, OdbProps* current, std::string_view enabled) {
  PropsPtr changes = new_props();
  props_update(*changes, current, "status", ddns_status(enabled));
  odb_set_cmnd(&h, oid, "Ddns", changes.get());
}

}  // namespace nexa
