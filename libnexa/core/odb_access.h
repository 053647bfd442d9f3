// Connections to the configuration daemon and the object lookups built on
// its client library.
#pragma once

#include <glib.h>

#include <string>
#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kDaemonSocket = "/usr/trellis/odbd.socket";

// A connection the caller owns, or why there is none: ENOMEM when no handle
// could be made, ECONNREFUSED when the daemon cannot be reached (for a
// handler: gave no oid). oid gets what the daemon gave a handler.
sys::Result<OdbHandle*> connect_cgi();
sys::Result<OdbHandle*> connect_handler(guint32& oid);
// End the connection and destroy the handle; the client library's result.
int bye_handler(OdbHandle& h, int status, std::string_view message);
int bye_cgi(OdbHandle& h);

// Lists belong to the client library; NULL when nothing matches.
GSList* find_class_oids(OdbHandle& h, std::string_view class_name);
GSList* find_oids_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value);
guint32 first_oid(GSList* oids);
// The first object of the class whose key equals value; 0 for none.
guint32 first_oid_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value);
// The first "System" object; 0 when there is none.
guint32 system_oid(OdbHandle& h);
// Whether a property text (null when unset) is value.
inline bool text_is(const char* text, std::string_view value) {
  return text && text == value;
}
inline guint32 oid_of(GSList* node) {
  return GPOINTER_TO_UINT(node->data);
}

// Props of the client library (nullptr when there are none) and the oid of
// the object they came from, or that a lookup reached (0 for none).
struct Found {
  OdbProps* props = nullptr;
  guint32 oid = 0;
};

OdbProps* get_main_props(OdbHandle& h, guint32 oid);
// A property's text, or "" when there are no props or no such property;
// valid while the props are.
std::string_view prop_or_empty(OdbProps* props, const char* key);
// The first object of the class whose property key equals value exactly;
// the oid is the match, or the last candidate tried when none matched.
Found find_and_compare(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value);
// A namespace of the first "System" object (the oid is that object's).
Found system_namespace(OdbHandle& h, std::string_view ns);
// The main props of the last "System" object.
Found system_and_oid(OdbHandle& h);
// The "Network" object of the device; the oid only when found.
Found network_by_device(OdbHandle& h, std::string_view dev_name);
OdbProps* first_network(OdbHandle& h);

void toggle_system_namespace_commit(OdbHandle& h, std::string_view ns);
// Sets key in changes when value differs from its value in current.
void props_update(OdbProps& changes, OdbProps* current, std::string_view key,
                  std::string_view value);
// The "System" object's "Disk" namespace, when it has one.
OdbProps* disk_namespace(OdbHandle& h);
// The system mount path: "rootdir" of that namespace (null when unset).
const char* system_mount_path(OdbHandle& h);
// Whether the first "System" object says the appliance booted from disk.
bool boots_from_disk(OdbHandle& h);
void toggle_daemon(OdbProps& p, std::string_view script, int flags);

// A malloc'ed copy of the error's message (of the last record of a list),
// or nullptr.
char* error_message(const OdbError* error);
char* last_error_message(GSList* errors);

// Objects of the class whose "name" is value.
unsigned count_named(OdbHandle& h, std::string_view class_name, std::string_view value);

}  // namespace nexa
