// The dynamic-DNS update client's configuration and its status from the
// client's log.
#pragma once
#include <glib.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "odb.h"

namespace nexa {

inline constexpr const char* kDdnsLog = "/var/log/log.ddns";
// Room of a status text, terminator included.
inline constexpr size_t kDdnsStatusRoom = 1024;

// The client's configuration lines from the first "Ddns" object (empty
// values without one) and the PPPoE setting.
std::string ddns_configuration(OdbHandle& h);
// Appends "line . " for each kept line of a log's text: empty lines and
// the client's own lines are left out; status stays within
// kDdnsStatusRoom - 1 characters.
void append_ddns_log_text(std::string& status, std::string_view log);
// The same with the client's log file; nothing when it cannot be read.
void append_ddns_log(std::string& status);
// The status text for the enabled flag ("0": closed, the log unread).
std::string ddns_status(std::string_view enabled);
// Stores the status in namespace "Ddns" of oid when it changed.
void set_ddns_status(OdbHandle& h, guint32 oid, OdbProps* current, std::string_view enabled);

}  // namespace nexa
