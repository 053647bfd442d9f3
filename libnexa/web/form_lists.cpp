// The pages' selection lists: share access lists, object names and oids.
#include "web/form_lists.h"

#include "core/odb_access.h"
#include "core/string_lists.h"

namespace nexa {

std::vector<std::string> share_list_items(std::string_view array, std::string_view prefix,
                                          std::string_view suffix) {
  std::vector<std::string> items = split_odb_array(array);
  for (auto& item : items) item.insert(0, prefix).append(suffix);
  return items;
}

std::vector<std::string> names_of(OdbHandle* h, GSList* oids, std::string_view prefix) {
  std::vector<std::string> names;
  for (GSList* node = oids; node; node = node->next) {
    OdbProps* props = h ? get_main_props(*h, oid_of(node)) : nullptr;
    const char* name = props ? odb_props_get(props, "name") : nullptr;
    names.push_back(std::string(prefix) + (name ? name : ""));
  }
  return names;
}

GSList* without_named(OdbHandle& h, GSList* names, GSList* oids, std::string_view class_name) {
  GSList* kept = g_slist_copy(oids);
  for (GSList* node = names; node; node = node->next) {
    const guint32 oid =
        first_oid(find_oids_with(h, class_name, "name", static_cast<char*>(node->data)));
    if (oid) kept = g_slist_remove_all(kept, GUINT_TO_POINTER(oid));
  }
  return kept;
}

}  // namespace nexa
