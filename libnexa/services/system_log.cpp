// The system logger's rule for the appliance's messages.
#include "services/system_log.h"

#include <syslog.h>

#include <cstdio>

#include "core/command_line.h"
#include "core/config_values.h"
#include "core/sys.h"
#include "services/line_files.h"

namespace nexa {
namespace {

void note_in_local_log(std::string_view log_host) {
  std::string note =
      log_host.empty() ? "Stop redirect system log. " : "The system log has been redirected to ";
  note.append(log_host).append("\n");
  (void)sys::append_to_file(kMessagesFile, note, 0644, sys::TornLine::kRemove);
}

sys::Status write_syslog_rule(std::string_view rule, std::string_view pattern) {
  if (!is_acceptable(ValueKind::kFreeText, rule)) {
    sys::log(LOG_ERR, "logger rule refused: it holds a line break\n");
    return sys::Status::failure(EINVAL);
  }
  std::string line(rule);
  line += '\n';
  const sys::Status written = replace_records(kSyslogConf, pattern, line, 0644);
  if (!written) sys::log(LOG_ERR, "logger configuration could not be written\n");
  return written;
}

int restart_syslog() {
  return sys::run_command(CommandLine("/etc/rc.d/S12syslog.sh restart"));
}

}  // namespace

int update_syslog(std::string_view rule, std::string_view pattern) {
  return write_syslog_rule(rule, pattern) ? restart_syslog() : -1;
}

std::optional<std::string> syslog_rule(std::string_view log_host) {
  std::string rule = kSyslogSelector;
  if (log_host.empty()) return rule + "\t-" + kMessagesFile;
  // An empty host means the local file, so a host is never empty here.
  if (!is_acceptable(ValueKind::kLogHost, log_host)) return std::nullopt;
  return rule.append("\t@").append(log_host);
}

sys::Status construct_syslog_conf(OdbHandle& h, guint32 oid) {
  OdbProps* props = odb_get_cmnd(&h, oid, "Syslog");
  const char* value = props ? odb_props_get(props, "logClient") : nullptr;
  const std::string_view log_host = value ? value : "";
  const std::optional<std::string> rule = syslog_rule(log_host);
  if (!rule) {
    sys::log(LOG_ERR, "log host refused: the logger would not read it as one host\n");
    return sys::Status::failure(EINVAL);
  }
  // The note tells of a change made, so only a written rule gets one.
  if (const sys::Status written = write_syslog_rule(*rule, kSyslogSelector); !written)
    return written;
  note_in_local_log(log_host);
  restart_syslog();
  return sys::Status::success();
}

}  // namespace nexa
