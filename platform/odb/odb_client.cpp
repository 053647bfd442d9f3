// The client calls of odb.h, answered from the stand-in's in-memory configuration.
#include "odb.h"

#include "activity_log.h"
#include "config_store.h"
#include "odb_array.h"
#include "props.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace odb_standin {
namespace {

void free_error(gpointer data) {
  auto* error = static_cast<OdbError*>(data);
  g_free(error->ns);
  g_free(error->key);
  g_free(error->message);
  g_free(error);
}

struct OidListFree {
  void operator()(GSList* list) const { g_slist_free(list); }
};
struct ErrorListFree {
  void operator()(GSList* list) const { g_slist_free_full(list, free_error); }
};
struct PropsFree {
  void operator()(OdbProps* p) const { props_free(p); }
};

std::string text(const char* s) {
  return s ? s : "";
}

GSList* oid_list(const std::vector<guint32>& oids) {
  GSList* list = nullptr;
  for (guint32 oid : oids) list = g_slist_prepend(list, GUINT_TO_POINTER(oid));
  return g_slist_reverse(list);
}

GSList* error_list(const std::vector<ErrorRecord>& records) {
  GSList* list = nullptr;
  for (const auto& record : records) {
    auto* error = g_new0(OdbError, 1);
    error->oid = record.oid;
    error->ns = g_strdup(record.ns.c_str());
    error->key = g_strdup(record.key.c_str());
    error->message = g_strdup(record.message.c_str());
    list = g_slist_prepend(list, error);
  }
  return g_slist_reverse(list);
}

Properties new_values_of(OdbProps* p) {
  return p ? props_new_values(p) : Properties{};
}

}  // namespace
}  // namespace odb_standin

// What the stand-in handed out on this handle, freed with it.
struct OdbHandle {
  std::vector<std::unique_ptr<GSList, odb_standin::OidListFree>> oid_lists;
  std::vector<std::unique_ptr<GSList, odb_standin::ErrorListFree>> error_lists;
  std::vector<std::unique_ptr<OdbProps, odb_standin::PropsFree>> props;
};

using namespace odb_standin;

extern "C" {

OdbHandle* odb_handle_new(void) {
  ensure_loaded();
  return new OdbHandle;
}

void odb_handle_destroy(OdbHandle* h) {
  delete h;
}

int odb_connect_cmnd(OdbHandle* h, const char* socket_path) {
  if (!h) return 0;
  log_entry("connect " + text(socket_path));
  return settings().fail_connect ? 0 : 1;
}

guint32 odb_connect_handler_cmnd(OdbHandle* h) {
  if (!h) return 0;
  guint32 oid = settings().handler_oid;
  log_entry("connect_handler " + std::to_string(oid));
  return oid;
}

int odb_bye_cmnd(OdbHandle* h) {
  if (!h) return 0;
  log_entry("bye");
  return settings().bye_result;
}

int odb_bye_handler_cmnd(OdbHandle* h, int status, const char* message) {
  if (!h) return 0;
  log_entry("bye_handler " + std::to_string(status) + " " + text(message));
  return settings().bye_result;
}

GSList* odb_find_cmnd(OdbHandle* h, const char* class_name, OdbProps* criteria) {
  if (!h || !class_name) return nullptr;
  auto oids = find_objects(class_name, criteria ? props_current_values(criteria) : Properties{});
  if (oids.empty()) return nullptr;
  GSList* list = oid_list(oids);
  h->oid_lists.emplace_back(list);
  return list;
}

OdbProps* odb_get_cmnd(OdbHandle* h, guint32 oid, const char* ns) {
  if (!h) return nullptr;
  auto values = namespace_values(oid, text(ns));
  if (!values) return nullptr;
  OdbProps* p = props_create(0, true);
  props_put_all(p->old_values, *values);
  h->props.emplace_back(p);
  return p;
}

int odb_set_cmnd(OdbHandle* h, guint32 oid, const char* ns, OdbProps* changes) {
  if (!h) return 0;
  Properties values = new_values_of(changes);
  if (!set_values(oid, text(ns), values)) return 0;
  log_entry("set " + std::to_string(oid) + " " + ns_word(text(ns)) + assignments(values));
  return 1;
}

guint32 odb_create_cmnd(OdbHandle* h, const char* class_name, OdbProps* props) {
  if (!h || !class_name || !*class_name) return 0;
  Properties values = new_values_of(props);
  guint32 oid = add_object(class_name, values);
  if (oid)
    log_entry("create " + text(class_name) + " " + std::to_string(oid) + assignments(values));
  return oid;
}

int odb_destroy_cmnd(OdbHandle* h, guint32 oid) {
  if (!h || !destroy_object(oid)) return 0;
  log_entry("destroy " + std::to_string(oid));
  return 1;
}

void odb_bad_data_cmnd(OdbHandle* h, guint32 oid, const char* ns, const char* key,
                       const char* message_id) {
  if (!h) return;
  log_entry("bad_data " + std::to_string(oid) + " " + ns_word(text(ns)) + " " + text(key) + " " +
            text(message_id));
}

GSList* odb_last_errors_cmnd(OdbHandle* h) {
  if (!h || settings().last_errors.empty()) return nullptr;
  GSList* list = error_list(settings().last_errors);
  h->error_lists.emplace_back(list);
  return list;
}

OdbProps* odb_props_new(void) {
  return props_create(0, false);
}

void odb_props_destroy(OdbProps* p) {
  props_destroy_by_caller(p);
}

const char* odb_props_get(OdbProps* p, const char* key) {
  return p && key ? props_value(p, key) : nullptr;
}

void odb_props_set(OdbProps* p, const char* key, const char* value) {
  if (p && key && value) props_put(p->new_values, key, value);
}

const char* odb_props_get_new(OdbProps* p, const char* key) {
  return p && key ? static_cast<const char*>(g_hash_table_lookup(p->new_values, key)) : nullptr;
}

const char* odb_props_get_old(OdbProps* p, const char* key) {
  return p && key ? static_cast<const char*>(g_hash_table_lookup(p->old_values, key)) : nullptr;
}

void odb_props_reinit(OdbProps* p) {
  if (p) props_restart_keys(p);
}

const char* odb_props_nextkey(OdbProps* p) {
  return p ? props_next_key(p) : nullptr;
}

int odb_props_state(OdbProps* p) {
  return p ? props_state(p) : 0;
}

GSList* odb_array_deserial(const char* array) {
  if (!array) return nullptr;
  GSList* list = nullptr;
  for (const auto& item : split_odb_array(array))
    list = g_slist_prepend(list, strdup(item.c_str()));
  return g_slist_reverse(list);
}

}  // extern "C"
