// The stand-in's one configuration per process: objects, injected errors and test settings.
#pragma once

#include "props.h"

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace odb_standin {

struct Object {
  std::string class_name;
  std::map<std::string, Properties> namespaces;  // "" is the main one
};
// Ordered by oid, and new oids only grow, so this is also creation order.
using Objects = std::map<guint32, Object>;

struct ErrorRecord {
  guint32 oid = 0;
  std::string ns;
  std::string key;
  std::string message;
};

struct Settings {
  bool fail_connect = false;
  guint32 handler_oid = 0;
  int bye_result = 0;
  std::vector<ErrorRecord> last_errors;
};

// Every accessor loads the key file named by ODB_STANDIN_FILE first, once per
// process or per reset; every change below writes it back.
void ensure_loaded();
void forget_everything();
Settings& settings();

guint32 add_object(std::string_view class_name, const Properties& main_values);
bool destroy_object(guint32 oid);
bool has_object(guint32 oid);
bool set_values(guint32 oid, const std::string& ns, const Properties& values);
// A null value removes the property.
void set_value(guint32 oid, const std::string& ns, const std::string& key, const char* value);
const std::string* stored_value(guint32 oid, const std::string& ns, const std::string& key);
// The values of one namespace: null for an unknown oid and for a namespace
// other than the main one that holds no property.
std::optional<Properties> namespace_values(guint32 oid, const std::string& ns);
// Objects of the class whose main namespace matches every criterion, by oid.
std::vector<guint32> find_objects(std::string_view class_name, const Properties& criteria);

}  // namespace odb_standin
