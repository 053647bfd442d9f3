// The C boundary of the system service operations: each exported function
// converts its arguments, calls the library's C++ code and converts the
// result.
#include "nexalib.h"

#include <cstring>

#include "core/processes.h"
#include "services/alerts.h"
#include "services/bittorrent.h"
#include "services/bonjour.h"
#include "services/crontab.h"
#include "services/music_server.h"
#include "services/run_levels.h"
#include "services/service_startup.h"
#include "services/system_log.h"

using namespace nexa;

// ---- Service start-up and run levels

int nexalib_start_all_service(OdbHandle* h, guint32* oid) {
  if (h && oid) start_all_services(*h, *oid);
  return 0;
}
int nexalib_update_rc_conf(OdbHandle* h, const char* ns, const char* key, const char* path,
                           mode_t mode) {
  if (!h || !ns || !key || !path) return -1;
  return update_rc_conf(*h, ns, key, path, mode);
}
int nexalib_modify_inetd_services(const char* port, int* state) {
  if (!port || !state) return -1;
  const LineEdit edit = modify_inetd_services(port);
  *state = edit_state(edit);
  return edit_result(edit);
}
int nexalib_modify_inetd_conf(const char* value, int* state) {
  if (!value || !state) return -1;
  const LineEdit edit = modify_inetd_conf(value);
  *state = edit_state(edit);
  return edit_result(edit);
}
int nexalib_process_is_die(const char* path) {
  return !path || process_is_die(path) ? 1 : 0;
}
int nexalib_os_in_min_mode(OdbHandle* h) {
  return !h || os_in_min_mode(*h) ? -1 : 0;
}

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
  // A rule that was not written is no success.
  return !h || construct_syslog_conf(*h, static_cast<guint32>(oid)) ? 0 : -1;
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
  if (!h) return 0;
  const sys::Result<int> running = started_sessions(*h);
  return running ? *running : 0;
}
void nexalib_bt_start_wait_sessions(OdbHandle* h) {
  if (h) start_wait_sessions(*h);
}

// ---- Bonjour and the music server

void Bonjour_Check_iTunes_Server(char* buffer) {
  if (!buffer) return;
  const std::string_view server = daap_server();
  std::memcpy(buffer, server.data(), server.size());
  buffer[server.size()] = '\0';
}
void Bonjour_prepare_daapd_conf(const char* server, const char* host, const char* mount_path) {
  if (server && host && mount_path) prepare_daap_config(server, host, mount_path);
}
int BonjourLib_iTunes_START(const char* host, const char* mount_path) {
  return host && mount_path ? start_music_server(host, mount_path) : -1;
}
void BonjourLib_iTunes_STOP(void) {
  stop_music_server();
}
void BonjourLib_mDNSResponder_START(const char* name) {
  if (name) start_mdns_responder(name);
}
void BonjourLib_mDNSResponder_STOP(void) {
  stop_mdns_responder();
}
void BonjourLib_RouteTable_add(const char* ifname) {
  if (ifname) add_multicast_route(ifname);
}
void BonjourLib_RouteTable_del(const char* ifname) {
  if (ifname) delete_multicast_route(ifname);
}
void bj_dbg(const char* text) {
  if (text) bonjour_debug(text);
}
