// The test controls of odb_standin.h over the stand-in's configuration and log.
#include "odb_standin.h"

#include "activity_log.h"
#include "config_store.h"
#include "props.h"

using namespace odb_standin;

extern "C" {

void odb_standin_reset(void) {
  forget_everything();
  log_clear();
}

guint32 odb_standin_add_object(const char* class_name) {
  return class_name ? add_object(class_name, {}) : 0;
}

void odb_standin_set_prop(guint32 oid, const char* ns, const char* key, const char* value) {
  if (key) set_value(oid, ns ? ns : "", key, value);
}

const char* odb_standin_get_prop(guint32 oid, const char* ns, const char* key) {
  if (!key) return nullptr;
  const std::string* value = stored_value(oid, ns ? ns : "", key);
  return value ? value->c_str() : nullptr;
}

int odb_standin_has_object(guint32 oid) {
  return has_object(oid) ? 1 : 0;
}

void odb_standin_fail_connect(int fail) {
  settings().fail_connect = fail != 0;
}

void odb_standin_set_handler_oid(guint32 oid) {
  settings().handler_oid = oid;
}

void odb_standin_set_bye_result(int result) {
  settings().bye_result = result;
}

void odb_standin_add_last_error(guint32 oid, const char* ns, const char* key, const char* message) {
  settings().last_errors.push_back({oid, ns ? ns : "", key ? key : "", message ? message : ""});
}

OdbProps* odb_standin_event_props(int state) {
  return props_create(state, false);
}

void odb_standin_props_set_old(OdbProps* p, const char* key, const char* value) {
  if (p && key && value) props_put(p->old_values, key, value);
}

char* odb_standin_log_text(void) {
  return g_strdup(log_text().c_str());
}

void odb_standin_log_clear(void) {
  log_clear();
}

}  // extern "C"
