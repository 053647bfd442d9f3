// Owners for what the library hands back (lists, tables, texts).
#include "owned.h"

#include <gtest/gtest.h>

#include <cstring>

#include "nexalib.h"

namespace nexa::testing {

void ListFree::operator()(GSList* list) const {
  nexalib_g_slist_free_all(list);
}

void TableFree::operator()(GHashTable* table) const {
  nexalib_g_hash_table_free_all(table);
}

OwnedList make_list(const std::vector<std::string>& items) {
  GSList* list = nullptr;
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    list = g_slist_prepend(list, strdup(it->c_str()));
  return OwnedList(list);
}

std::vector<std::string> items(const GSList* list) {
  std::vector<std::string> out;
  for (const GSList* node = list; node; node = node->next) {
    if (!node->data) ADD_FAILURE() << "element " << out.size() << " of the list is null";
    out.emplace_back(node->data ? static_cast<const char*>(node->data) : "");
  }
  return out;
}

std::map<std::string, std::string> entries(GHashTable* table) {
  std::map<std::string, std::string> out;
  if (!table) return out;
  GHashTableIter it;
  gpointer key, value;
  g_hash_table_iter_init(&it, table);
  while (g_hash_table_iter_next(&it, &key, &value))
    out[static_cast<const char*>(key)] = value ? static_cast<const char*>(value) : "";
  return out;
}

}  // namespace nexa::testing
