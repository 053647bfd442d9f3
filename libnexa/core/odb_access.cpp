// Connections to the configuration daemon and the object lookups built on
// its client library.
#include "core/odb_access.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/commands.h"
#include "core/owners.h"

namespace nexa {

namespace {

bool equals(const char* a, const char* b) {
  return a && b && std::strcmp(a, b) == 0;
}

GSList* find_with(OdbHandle* h, const char* class_name, OdbProps* criteria) {
  if (!h || !class_name) return nullptr;
  return odb_find_cmnd(h, class_name, criteria);
}

}  // namespace

OdbHandle* connect_cgi() {
  OdbHandle* h = odb_handle_new();
  if (!h) return nullptr;
  if (odb_connect_cmnd(h, kDaemonSocket) == 0) {
    std::printf("Content-type:text/html%c%c", 10, 10);
    std::printf("FATAL: The crucial daemon was not found<br>");
    std::printf("FATAL: Please make sure it is running properply<br>");
    odb_handle_destroy(h);
    std::exit(1);
  }
  return h;
}

OdbHandle* connect_handler(int* oid) {
  OdbHandle* h = odb_handle_new();
  if (!h) return nullptr;
  const guint32 given = odb_connect_handler_cmnd(h);
  if (oid) *oid = static_cast<int>(given);
  if (given == 0) {
    std::printf("FATAL: failt to connect daemon\n");
    odb_handle_destroy(h);
    std::exit(1);
  }
  return h;
}

int bye_handler(OdbHandle* h, int status, const char* message) {
  if (!h) return -1;
  const int result = odb_bye_handler_cmnd(h, status, message ? message : "");
  odb_handle_destroy(h);
  return result;
}

int bye_cgi(OdbHandle* h) {
  if (!h) return -1;
  const int result = odb_bye_cmnd(h);
  odb_handle_destroy(h);
  return result;
}

GSList* find_class_oids(OdbHandle* h, const char* class_name) {
  PropsPtr criteria = new_props();
  return find_with(h, class_name, criteria.get());
}

GSList* find_oids_with(OdbHandle* h, const char* class_name, const char* key, const char* value) {
  if (!key || !value) return nullptr;
  PropsPtr criteria = new_props();
  odb_props_set(criteria.get(), key, value);
  return find_with(h, class_name, criteria.get());
}

guint32 first_oid(GSList* oids) {
  return oids ? oid_of(oids) : 0;
}

OdbProps* get_main_props(OdbHandle* h, guint32 oid) {
  return h ? odb_get_cmnd(h, oid, "") : nullptr;
}

OdbProps* find_and_compare(OdbHandle* h, int* oid, const char* class_name, const char* key,
                           const char* value) {
  for (GSList* node = find_class_oids(h, class_name); node; node = node->next) {
    if (oid) *oid = static_cast<int>(oid_of(node));
    OdbProps* props = get_main_props(h, oid_of(node));
    if (props && key && equals(odb_props_get(props, key), value)) return props;
  }
  return nullptr;
}

OdbProps* system_namespace(OdbHandle* h, int* oid, const char* ns) {
  const guint32 system = first_oid(find_class_oids(h, "System"));
  if (system == 0) return nullptr;
  if (oid) *oid = static_cast<int>(system);
  return odb_get_cmnd(h, system, ns ? ns : "");
}

OdbProps* system_and_oid(OdbHandle* h, int* oid) {
  OdbProps* props = nullptr;
  for (GSList* node = find_class_oids(h, "System"); node; node = node->next) {
    if (oid) *oid = static_cast<int>(oid_of(node));
    props = get_main_props(h, oid_of(node));
  }
  return props;
}

OdbProps* network_by_device(OdbHandle* h, int* oid, const char* dev_name) {
  for (GSList* node = find_class_oids(h, "Network"); node; node = node->next) {
    OdbProps* props = get_main_props(h, oid_of(node));
    if (props && equals(odb_props_get(props, "devName"), dev_name)) {
      if (oid) *oid = static_cast<int>(oid_of(node));
      return props;
    }
  }
  return nullptr;
}

OdbProps* first_network(OdbHandle* h) {
  const guint32 network = first_oid(find_class_oids(h, "Network"));
  return network ? get_main_props(h, network) : nullptr;
}

int toggle_system_namespace_commit(OdbHandle* h, const char* ns) {
  int oid = 0;
  OdbProps* props = system_namespace(h, &oid, ns);
  const char* commit = props ? odb_props_get(props, "commit") : nullptr;
  if (!commit) return 0;
  PropsPtr changes = new_props();
  odb_props_set(changes.get(), "commit", equals(commit, "1") ? "0" : "1");
  odb_set_cmnd(h, static_cast<guint32>(oid), ns ? ns : "", changes.get());
  return 0;
}

void props_update(OdbProps* changes, OdbProps* current, const char* key, const char* value) {
  if (!changes || !key || !value) return;
  const char* now = current ? odb_props_get(current, key) : nullptr;
  if (!equals(now, value)) odb_props_set(changes, key, value);
}

int bootup_type(OdbHandle* h) {
  const guint32 system = first_oid(find_class_oids(h, "System"));
  OdbProps* props = system ? get_main_props(h, system) : nullptr;
  return props && equals(odb_props_get(props, "hd_bootup"), "1") ? 1 : 0;
}

void toggle_daemon(OdbProps* p, const char* script, int flags) {
  const char* enabled = p ? odb_props_get(p, "enabled") : nullptr;
  if (!enabled || !script) return;
  const bool on = enabled[0] == '1';
  if ((flags & 2) && on) run_discarding_output(CommandLine().word(script).text(" stop"));
  run_discarding_output(CommandLine().word(script).text(on ? Literal(" start") : Literal(" stop")));
}

unsigned count_named(OdbHandle* h, const char* class_name, const char* value) {
  return g_slist_length(find_oids_with(h, class_name, "name", value));
}

}  // namespace nexa
