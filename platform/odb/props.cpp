// Props: the new and old value tables of one namespace, with key iteration and event state.
#include "props.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <type_traits>
#include <vector>

namespace odb_standin {
namespace {

struct PropsPrivate {
  int state = 0;
  bool client_owned = false;
  bool iterating = false;
  std::vector<std::string> keys;  // taken when the iteration starts
  size_t next = 0;
};

// Callers see only the public prefix; the private part sits behind a pointer
// so that the whole stays standard-layout and an OdbProps* converts back.
struct FullProps {
  OdbProps pub;
  PropsPrivate* priv;
};
static_assert(std::is_standard_layout_v<FullProps>);

PropsPrivate& private_part(OdbProps* p) {
  return *reinterpret_cast<FullProps*>(p)->priv;
}

GHashTable* string_table() {
  return g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
}

template <typename Fn>
void for_each_entry(GHashTable* table, Fn fn) {
  GHashTableIter it;
  gpointer key = nullptr;
  gpointer value = nullptr;
  g_hash_table_iter_init(&it, table);
  while (g_hash_table_iter_next(&it, &key, &value))
    fn(static_cast<const char*>(key), static_cast<const char*>(value));
}

// The table's own copy of a key: it lives as long as the props, since keys are
// never removed and g_hash_table_insert keeps the first copy.
const char* stored_key(OdbProps* p, const std::string& key) {
  gpointer found = nullptr;
  if (g_hash_table_lookup_extended(p->new_values, key.c_str(), &found, nullptr) ||
      g_hash_table_lookup_extended(p->old_values, key.c_str(), &found, nullptr))
    return static_cast<const char*>(found);
  return nullptr;
}

}  // namespace

OdbProps* props_create(int state, bool client_owned) {
  auto* full = g_new0(FullProps, 1);
  full->pub.new_values = string_table();
  full->pub.old_values = string_table();
  full->priv = new PropsPrivate;
  full->priv->state = state;
  full->priv->client_owned = client_owned;
  return &full->pub;
}

void props_free(OdbProps* p) {
  if (!p) return;
  g_hash_table_destroy(p->new_values);
  g_hash_table_destroy(p->old_values);
  delete &private_part(p);
  g_free(reinterpret_cast<FullProps*>(p));
}

void props_destroy_by_caller(OdbProps* p) {
  if (p && private_part(p).client_owned) {
    // Freeing it here would only surface later as a double free in another place.
    std::fputs("odb_props_destroy: props from odb_get_cmnd belong to the client library\n", stderr);
    std::abort();
  }
  props_free(p);
}

void props_put(GHashTable* table, const char* key, const char* value) {
  g_hash_table_insert(table, g_strdup(key), g_strdup(value));
}

void props_put_all(GHashTable* table, const Properties& values) {
  for (const auto& [key, value] : values) props_put(table, key.c_str(), value.c_str());
}

const char* props_value(OdbProps* p, const char* key) {
  if (const auto* value = static_cast<const char*>(g_hash_table_lookup(p->new_values, key)))
    return value;
  return static_cast<const char*>(g_hash_table_lookup(p->old_values, key));
}

Properties props_new_values(OdbProps* p) {
  Properties values;
  for_each_entry(p->new_values, [&](const char* key, const char* value) { values[key] = value; });
  return values;
}

Properties props_current_values(OdbProps* p) {
  Properties values;
  for_each_entry(p->old_values, [&](const char* key, const char* value) { values[key] = value; });
  for_each_entry(p->new_values, [&](const char* key, const char* value) { values[key] = value; });
  return values;
}

void props_restart_keys(OdbProps* p) {
  std::set<std::string> keys;
  for_each_entry(p->new_values, [&](const char* key, const char*) { keys.insert(key); });
  for_each_entry(p->old_values, [&](const char* key, const char*) { keys.insert(key); });
  PropsPrivate& priv = private_part(p);
  priv.keys.assign(keys.begin(), keys.end());
  priv.next = 0;
  priv.iterating = true;
}

const char* props_next_key(OdbProps* p) {
  PropsPrivate& priv = private_part(p);
  if (!priv.iterating) props_restart_keys(p);
  if (priv.next == priv.keys.size()) return nullptr;
  return stored_key(p, priv.keys[priv.next++]);
}

int props_state(OdbProps* p) {
  return private_part(p).state;
}

}  // namespace odb_standin
