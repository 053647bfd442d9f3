// The C boundary of the system service operations: each exported function
// converts its arguments, calls the library's C++ code and converts the
// result.
#include "nexalib.h"
#include "services/alerts.h"
#include "services/bittorrent.h"
#include "services/crontab.h"
#include "services/system_log.h"

using namespace nexa;

// ---- Service start-up and run levels

// ---- Scheduled tasks, system log and time

int nexalib_update_crontab_file(OdbHandle* /*h*/, const char* schedule, const char* command,
                                const char* pattern, int add) {
  if (!schedule || !command || !pattern) return -1;
  return update_crontab(schedule, command, pattern, add != 0);
}
int nexalib_update_syslog_file(OdbHandle* /*h*/, const char* rule, const char* pattern) {
  if (!rule || !pattern) return -1;
  return update_syslog(rule, pattern);
}
int nexalib_construct_syslog_conf_and_append_message_to_log_file(OdbHandle* h, int oid) {
  if (h) construct_syslog_conf(*h, static_cast<guint32>(oid));
  return 0;
}
int nexalib_settime_set_ntpServer(OdbHandle* /*h*/, int /*unused*/, const char* server) {
  if (server) set_ntp_server(server);
  return 0;
}

// ---- Alerts: mail and pop-up messages

void nexalib_send_popup_messages_to_machines(const char* message, const char* machines) {
  if (message && machines) send_popup_messages(message, machines);
}
void nexalib_send_mail_to_user(const char* host, const char* addresses, const char* user,
                               const char* body) {
  if (host && addresses && user && body) send_mail(host, addresses, user, body);
}

// ---- BitTorrent client control

void nexalib_set_bt_conf(OdbHandle* h) {
  if (h) set_bt_conf(*h);
}
void nexalib_stop_bt(const char* pattern, const char* tmp_path) {
  if (pattern && tmp_path) stop_bt(pattern, tmp_path);
}
void nexalib_remove_bt_status_files(const char* directory, const char* name) {
  if (directory && name) remove_bt_status_files(directory, name);
}
int nexalib_bt_get_start_sessions(OdbHandle* h) {
  return h ? started_sessions(*h).value_or(0) : 0;
}
void nexalib_bt_start_wait_sessions(OdbHandle* h) {
  if (h) start_wait_sessions(*h);
}

// ---- Bonjour and the music server
