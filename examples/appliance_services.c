/* Points the system logger at the log host of the "System" object's
 * "Syslog" namespace and sets the weekly clock update from its "Time"
 * namespace, as the handlers of those pages do. */
#include <stdio.h>

#include "appliance_session.h"

int main(void) {
  OdbHandle *h = session_open("appliance_services");
  int system;
  const char *server;
  if (!h) return 1;
  system = session_first_oid(h, "System");
  if (!system) return session_close(h, 1);
  nexalib_construct_syslog_conf_and_append_message_to_log_file(h, system);
  printf("system log: also sent to %s\n", session_prop(h, system, "Syslog", "logClient"));
  server = session_prop(h, system, "Time", "ntpServer");
  nexalib_settime_set_ntpServer(h, 0, *server ? server : "none");
  printf("time: weekly update from %s\n", *server ? server : "(none)");
  return session_close(h, 0);
}
