// Connections to the configuration daemon and the object lookups built on
// its client library.
#pragma once

#include <glib.h>

#include <string_view>

#include "odb.h"

namespace nexa {

inline constexpr const char* kDaemonSocket = "/usr/trellis/odbd.socket";

// Connections end the process with status 1 when the daemon cannot be
// reached, after the documented message on standard output.
OdbHandle* connect_cgi();
OdbHandle* connect_handler(int* oid);
int bye_handler(OdbHandle* h, int status, const char* message);
int bye_cgi(OdbHandle* h);

// Lists belong to the client library; NULL when nothing matches.
GSList* find_class_oids(OdbHandle* h, const char* class_name);
GSList* find_oids_with(OdbHandle* h, const char* class_name, const char* key, const char* value);
guint32 first_oid(GSList* oids);
inline guint32 oid_of(GSList* node) {
  return GPOINTER_TO_UINT(node->data);
}

OdbProps* get_main_props(OdbHandle* h, guint32 oid);
// The first object of the class whose property key equals value exactly;
// *oid walks the candidates, so it holds the match (or the last one tried).
OdbProps* find_and_compare(OdbHandle* h, int* oid, const char* class_name, const char* key,
                           const char* value);
// A namespace of the first "System" object; *oid (when given) is set to it.
OdbProps* system_namespace(OdbHandle* h, int* oid, const char* ns);
OdbProps* system_and_oid(OdbHandle* h, int* oid);
OdbProps* network_by_device(OdbHandle* h, int* oid, const char* dev_name);
OdbProps* first_network(OdbHandle* h);

int toggle_system_namespace_commit(OdbHandle* h, const char* ns);
void props_update(OdbProps* changes, OdbProps* current, const char* key, const char* value);
int bootup_type(OdbHandle* h);
void toggle_daemon(OdbProps* p, const char* script, int flags);

// Objects of the class whose "name" is value.
unsigned count_named(OdbHandle* h, const char* class_name, const char* value);

}  // namespace nexa
