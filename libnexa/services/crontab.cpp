// Root's crontab: one line per kind of job, and the weekly time job.
#include "services/crontab.h"

#include <glib.h>
#include <syslog.h>

#include <cstdio>
#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/messages.h"
#include "core/sys.h"
#include "services/line_files.h"

namespace nexa {
namespace {

bool same_text_any_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (g_ascii_tolower(a[i]) != g_ascii_tolower(b[i])) return false;
  return true;
}

// Cron ends a command at an unescaped "%" (the rest becomes its input);
// cron takes the backslash of "\%" away again before the shell runs.
std::string escaped_for_cron(std::string_view command) {
  std::string escaped;
  for (const char c : command) {
    if (c == '%') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The crontab without the job lines holding pattern, plus the new job when
// add is set; false (nothing written) when the job would not be one whole
// line or the file could not be written.
bool write_job(std::string_view schedule, std::string_view command, std::string_view pattern,
               bool add) {
  std::string line;
  if (add) {
    line.append(schedule).append(" ").append(command).append("\n");
    if (!is_acceptable(ValueKind::kFreeText, schedule) ||
        !is_acceptable(ValueKind::kFreeText, command) || line.size() > kCrontabLineRoom) {
      sys::log(LOG_ERR, "crontab job refused: it would not be one whole line\n");
      return false;
    }
  }
  if (!replace_records(kCrontabFile, pattern, line, 0644)) {
    sys::log(LOG_ERR, "crontab could not be written\n");
    return false;
  }
  return true;
}

int restart_cron() {
  return sys::run_command(CommandLine("/etc/rc.d/S90crond.sh restart &"));
}

}  // namespace

int update_crontab(std::string_view schedule, std::string_view command, std::string_view pattern,
                   bool add) {
  return write_job(schedule, command, pattern, add) ? restart_cron() : -1;
}

void set_ntp_server(std::string_view server) {
  // A server beginning with "-" would be one of ntpdate's options, in the
  // job and in the run alike.
  CommandLine job("/usr/bin/ntpdate ");
  job.operand(server);
  if (!is_acceptable(ValueKind::kFreeText, server) || !job.valid()) {
    sys::log(LOG_ERR, "time server refused: it holds a line break or begins with \"-\"\n");
    return;
  }
  if (same_text_any_case(server, "none")) {
    update_crontab(kWeekly, "", kNtpdate, false);
    return;
  }
  if (!write_job(kWeekly, escaped_for_cron(job.str()), kNtpdate, true)) return;
  restart_cron();
  say("\tRunning %s -b %.*s to update time\n", kNtpdate, static_cast<int>(server.size()),
      server.data());
  std::fflush(stdout);
  run_discarding_output(std::move(CommandLine("/usr/bin/ntpdate -b ").operand(server)));
}

}  // namespace nexa
