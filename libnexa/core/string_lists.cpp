// String lists, record tables, odb arrays and comma lists.
#include "core/string_lists.h"

#include "core/config_values.h"

#include <cstdlib>
#include <cstring>

namespace nexa {

StringListPtr to_string_list(const std::vector<std::string>& items) {
  GSList* list = nullptr;
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    list = g_slist_prepend(list, strdup(it->c_str()));
  return StringListPtr(list);
}

std::vector<std::string_view> list_items(GSList* list) {
  std::vector<std::string_view> items;
  for (GSList* node = list; node; node = node->next)
    if (node->data) items.emplace_back(static_cast<const char*>(node->data));
  return items;
}

gboolean free_table_entry(gpointer key, gpointer value, gpointer) {
  std::free(key);
  std::free(value);
  return TRUE;
}

void free_record_table(GHashTable* table) {
  if (!table) return;
  g_hash_table_foreach_remove(table, free_table_entry, nullptr);
  g_hash_table_destroy(table);
}

std::string join_odb_array(const std::vector<std::string_view>& items) {
  std::string array = "&";
  for (const auto item : items) {
    if (!is_acceptable(ValueKind::kOdbArrayItem, item)) continue;
    array += item;
    array += '&';
  }
  return array;
}

std::vector<std::string> split_delimited(std::string_view text, char delimiter) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  size_t start = 1;
  for (size_t end = text.find(delimiter, start); end != std::string_view::npos;
       end = text.find(delimiter, start)) {
    items.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

std::string join_group_members(const std::vector<std::string_view>& items) {
  std::string members;
  for (const auto item : items) {
    if (!is_acceptable(ValueKind::kAccountName, item)) continue;
    if (!members.empty()) members += ',';
    members += item;
  }
  return members;
}

GSList* delete_member(GSList* list, std::string_view member) {
  for (GSList* node = list; node; node = node->next) {
    if (node->data && static_cast<const char*>(node->data) == member) {
      std::free(node->data);
      return g_slist_delete_link(list, node);
    }
  }
  return list;
}

const char* skip_blank(const char* s) {
  while (*s == ' ' || *s == '\t') ++s;
  return s;
}

GSList* find_line_with_key(GSList* lines, std::string_view key) {
  for (GSList* node = lines; node; node = node->next)
    if (node->data &&
        std::string_view(skip_blank(static_cast<const char*>(node->data))).starts_with(key))
      return node;
  return nullptr;
}

GSList* remove_records(GSList* lines, std::string_view pattern) {
  if (pattern.empty()) return lines;
  GSList* node = lines;
  while (node) {
    GSList* next = node->next;
    const char* line = static_cast<const char*>(node->data);
    if (line && line[0] != '\0' && line[0] != '#' &&
        std::string_view(line).find(pattern) != std::string_view::npos) {
      std::free(node->data);
      lines = g_slist_delete_link(lines, node);
    }
    node = next;
  }
  return lines;
}

void split_in_place(char** argv, char* s, char delimiter) {
  size_t count = 0;
  argv[count++] = s;
  if (delimiter == '\0') return;
  for (char* p = s; *p; ++p) {
    if (*p != delimiter) continue;
    *p = '\0';
    argv[count++] = p + 1;
    // The character after a delimiter is not tested, so "a,,b" splits once;
    // but never step over the end of the string.
    if (p[1] == '\0') break;
    ++p;
  }
}

}  // namespace nexa
