/* The connection boilerplate the example programs share. */
#include "appliance_session.h"

#include <stdio.h>

/* Where the appliance's configuration daemon listens; the stand-in
 * accepts any path. */
static const char *const kDaemonSocket = "/usr/trellis/odbd.socket";

OdbHandle *session_open(const char *program) {
  OdbHandle *h = odb_handle_new();
  if (h && odb_connect_cmnd(h, kDaemonSocket)) return h;
  fprintf(stderr, "%s: cannot reach the configuration daemon at %s\n", program, kDaemonSocket);
  if (h) odb_handle_destroy(h);
  return NULL;
}

int session_first_oid(OdbHandle *h, const char *class_name) {
  GSList *oids = find_classname_oids(h, class_name);
  if (oids) return (int)GPOINTER_TO_UINT(oids->data);
  fprintf(stderr, "no %s object in the configuration\n", class_name);
  return 0;
}

const char *session_prop(OdbHandle *h, int oid, const char *ns, const char *key) {
  OdbProps *props = oid ? odb_get_cmnd(h, (guint32)oid, ns) : NULL;
  const char *value = props ? odb_props_get(props, key) : NULL;
  return value ? value : "";
}

int session_close(OdbHandle *h, int failures) {
  nexalib_bye_bye_socket_file_success(h);
  return failures == 0 ? 0 : 1;
}
