// Connections to the configuration daemon and the object lookups built on
// its client library.
#include "core/odb_access.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/commands.h"
#include "core/messages.h"
#include "core/owners.h"

namespace nexa {

namespace {

// The client library takes terminated texts.
std::string text(std::string_view value) {
  return std::string(value);
}

GSList* find_with(OdbHandle& h, std::string_view class_name, OdbProps* criteria) {
  return odb_find_cmnd(&h, text(class_name).c_str(), criteria);
}

}  // namespace

sys::Result<OdbHandle*> connect_cgi() {
  OdbHandle* h = odb_handle_new();
  if (!h) return sys::Status::failure(ENOMEM);
  if (odb_connect_cmnd(h, kDaemonSocket) == 0) {
    odb_handle_destroy(h);
    return sys::Status::failure(ECONNREFUSED);
  }
  return h;
}

sys::Result<OdbHandle*> connect_handler(guint32& oid) {
  OdbHandle* h = odb_handle_new();
  if (!h) return sys::Status::failure(ENOMEM);
  oid = odb_connect_handler_cmnd(h);
  if (oid == 0) {
    odb_handle_destroy(h);
    return sys::Status::failure(ECONNREFUSED);
  }
  return h;
}

int bye_handler(OdbHandle& h, int status, std::string_view message) {
  const int result = odb_bye_handler_cmnd(&h, status, text(message).c_str());
  odb_handle_destroy(&h);
  return result;
}

int bye_cgi(OdbHandle& h) {
  const int result = odb_bye_cmnd(&h);
  odb_handle_destroy(&h);
  return result;
}

GSList* find_class_oids(OdbHandle& h, std::string_view class_name) {
  PropsPtr criteria = new_props();
  return find_with(h, class_name, criteria.get());
}

GSList* find_oids_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value) {
  PropsPtr criteria = new_props();
  odb_props_set(criteria.get(), text(key).c_str(), text(value).c_str());
  return find_with(h, class_name, criteria.get());
}

guint32 first_oid(GSList* oids) {
  return oids ? oid_of(oids) : 0;
}

guint32 first_oid_with(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value) {
  return first_oid(find_oids_with(h, class_name, key, value));
}

guint32 system_oid(OdbHandle& h) {
  return first_oid(find_class_oids(h, "System"));
}

OdbProps* get_main_props(OdbHandle& h, guint32 oid) {
  return odb_get_cmnd(&h, oid, "");
}

std::string_view prop_or_empty(OdbProps* props, const char* key) {
  const char* value = props ? odb_props_get(props, key) : nullptr;
  return value ? value : "";
}

Found find_and_compare(OdbHandle& h, std::string_view class_name, std::string_view key,
                       std::string_view value) {
  Found found;
  for (GSList* node = find_class_oids(h, class_name); node; node = node->next) {
    found.oid = oid_of(node);
    OdbProps* props = get_main_props(h, found.oid);
    if (props && text_is(odb_props_get(props, text(key).c_str()), value)) {
      found.props = props;
      break;
    }
  }
  return found;
}

Found system_namespace(OdbHandle& h, std::string_view ns) {
  const guint32 system = system_oid(h);
  if (system == 0) return {};
  return {odb_get_cmnd(&h, system, text(ns).c_str()), system};
}

Found system_and_oid(OdbHandle& h) {
  Found found;
  for (GSList* node = find_class_oids(h, "System"); node; node = node->next)
    found = {get_main_props(h, oid_of(node)), oid_of(node)};
  return found;
}

Found network_by_device(OdbHandle& h, std::string_view dev_name) {
  for (GSList* node = find_class_oids(h, "Network"); node; node = node->next) {
    OdbProps* props = get_main_props(h, oid_of(node));
    if (props && text_is(odb_props_get(props, "devName"), dev_name)) return {props, oid_of(node)};
  }
  return {};
}

OdbProps* first_network(OdbHandle& h) {
  const guint32 network = first_oid(find_class_oids(h, "Network"));
  return network ? get_main_props(h, network) : nullptr;
}

void toggle_system_namespace_commit(OdbHandle& h, std::string_view ns) {
  const Found system = system_namespace(h, ns);
  const char* commit = system.props ? odb_props_get(system.props, "commit") : nullptr;
  if (!commit) return;
  PropsPtr changes = new_props();
  odb_props_set(changes.get(), "commit", text_is(commit, "1") ? "0" : "1");
  odb_set_cmnd(&h, system.oid, text(ns).c_str(), changes.get());
}

void props_update(OdbProps& changes, OdbProps* current, std::string_view key,
                  std::string_view value) {
  const std::string k = text(key);
  const char* now = current ? odb_props_get(current, k.c_str()) : nullptr;
  if (!text_is(now, value)) odb_props_set(&changes, k.c_str(), text(value).c_str());
}

OdbProps* disk_namespace(OdbHandle& h) {
  const guint32 system = system_oid(h);
  return system ? odb_get_cmnd(&h, system, "Disk") : nullptr;
}

const char* system_mount_path(OdbHandle& h) {
  OdbProps* flags = disk_namespace(h);
  return flags ? odb_props_get(flags, "rootdir") : nullptr;
}

bool boots_from_disk(OdbHandle& h) {
  const guint32 system = system_oid(h);
  OdbProps* props = system ? get_main_props(h, system) : nullptr;
  return props && text_is(odb_props_get(props, "hd_bootup"), "1");
}

void toggle_daemon(OdbProps& p, std::string_view script, int flags) {
  const char* enabled = odb_props_get(&p, "enabled");
  if (!enabled) return;
  const bool on = enabled[0] == '1';
  if ((flags & 2) && on) run_discarding_output(CommandLine().word(script).text(" stop"));
  run_discarding_output(CommandLine().word(script).text(on ? Literal(" start") : Literal(" stop")));
}

char* error_message(const OdbError* error) {
  return error && error->message ? strdup(error->message) : nullptr;
}

char* last_error_message(GSList* errors) {
  GSList* last = g_slist_last(errors);
  return last ? error_message(static_cast<const OdbError*>(last->data)) : nullptr;
}

unsigned count_named(OdbHandle& h, std::string_view class_name, std::string_view value) {
  return g_slist_length(find_oids_with(h, class_name, "name", value));
}

}  // namespace nexa
