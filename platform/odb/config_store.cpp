// The stand-in's one configuration per process: objects, injected errors and test settings.
#include "config_store.h"

#include "key_file.h"
#include "odb_array.h"

#include <algorithm>
#include <limits>

namespace odb_standin {
namespace {

struct Store {
  bool loaded = false;
  std::string file;  // empty: the configuration lives in memory only
  Objects objects;
  Settings settings;
};

Store& store() {
  static Store instance;
  return instance;
}

Objects& objects() {
  ensure_loaded();
  return store().objects;
}

void save() {
  if (!store().file.empty()) save_key_file(store().file, store().objects);
}

Object* find_object(guint32 oid) {
  auto it = objects().find(oid);
  return it == objects().end() ? nullptr : &it->second;
}

bool value_matches(const std::string& stored, const std::string& wanted) {
  if (stored == wanted) return true;
  if (!is_odb_array(stored)) return false;
  return std::ranges::count(split_odb_array(stored), wanted) > 0;
}

bool matches(const Object& object, const Properties& criteria) {
  auto main = object.namespaces.find("");
  for (const auto& [key, wanted] : criteria) {
    if (main == object.namespaces.end()) return false;
    auto stored = main->second.find(key);
    if (stored == main->second.end() || !value_matches(stored->second, wanted)) return false;
  }
  return true;
}

}  // namespace

void ensure_loaded() {
  Store& s = store();
  if (s.loaded) return;
  s.loaded = true;
  const char* file = g_getenv("ODB_STANDIN_FILE");
  s.file = file ? file : "";
  if (!s.file.empty()) s.objects = load_key_file(s.file);
}

void forget_everything() {
  store() = Store{};
}

Settings& settings() {
  return store().settings;
}

guint32 add_object(std::string_view class_name, const Properties& main_values) {
  Objects& all = objects();
  guint32 last = all.empty() ? 0 : all.rbegin()->first;
  if (last == std::numeric_limits<guint32>::max()) return 0;
  all[last + 1] = Object{std::string(class_name), {{"", main_values}}};
  save();
  return last + 1;
}

bool destroy_object(guint32 oid) {
  if (objects().erase(oid) == 0) return false;
  save();
  return true;
}

bool has_object(guint32 oid) {
  return find_object(oid) != nullptr;
}

bool set_values(guint32 oid, const std::string& ns, const Properties& values) {
  Object* object = find_object(oid);
  if (!object) return false;
  Properties& stored = object->namespaces[ns];
  for (const auto& [key, value] : values) stored[key] = value;
  save();
  return true;
}

void set_value(guint32 oid, const std::string& ns, const std::string& key, const char* value) {
  Object* object = find_object(oid);
  if (!object) return;
  if (value)
    object->namespaces[ns][key] = value;
  else if (auto it = object->namespaces.find(ns); it != object->namespaces.end())
    it->second.erase(key);
  save();
}

const std::string* stored_value(guint32 oid, const std::string& ns, const std::string& key) {
  const Object* object = find_object(oid);
  if (!object) return nullptr;
  auto space = object->namespaces.find(ns);
  if (space == object->namespaces.end()) return nullptr;
  auto it = space->second.find(key);
  return it == space->second.end() ? nullptr : &it->second;
}

std::optional<Properties> namespace_values(guint32 oid, const std::string& ns) {
  const Object* object = find_object(oid);
  if (!object) return std::nullopt;
  auto space = object->namespaces.find(ns);
  if (space != object->namespaces.end() && !space->second.empty()) return space->second;
  // Every object has a main namespace, even an empty one.
  if (ns.empty()) return Properties{};
  return std::nullopt;
}

std::vector<guint32> find_objects(std::string_view class_name, const Properties& criteria) {
  std::vector<guint32> found;
  for (const auto& [oid, object] : objects())
    if (object.class_name == class_name && matches(object, criteria)) found.push_back(oid);
  return found;
}

}  // namespace odb_standin
