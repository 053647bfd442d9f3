// The system logger's rule for the appliance's messages: local file or a
// remote log host.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kSyslogConf = "/etc/syslog.conf";
inline constexpr const char* kMessagesFile = "/var/log/messages";
inline constexpr const char* kSyslogSelector = "*.=info;*.=notice;mail.none";

// Replaces the lines holding pattern with rule and restarts the logger;
// the restart's status, or -1 (nothing written, nothing run) for a rule
// holding a line break or a file that could not be written.
int update_syslog(std::string_view rule, std::string_view pattern);
// The rule for a log host ("" for the local file); nothing for a host the
// logger would read as something else.
std::optional<std::string> syslog_rule(std::string_view log_host);
// Points the appliance's rule at namespace "Syslog"'s "logClient" of oid
// (the local file when empty or unset) and notes the change in the local
// log; a host that is refused or a rule that cannot be written changes
// nothing and fails.
sys::Status construct_syslog_conf(OdbHandle& h, guint32 oid);

}  // namespace nexa
