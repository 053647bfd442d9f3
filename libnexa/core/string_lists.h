// String lists, record tables, odb arrays and comma lists.
#pragma once

#include <glib.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/owners.h"

namespace nexa {

// A string list owns malloc'ed strings; release() hands it to a caller.
StringListPtr to_string_list(const std::vector<std::string>& items);
std::vector<std::string_view> list_items(GSList* list);
// Record tables own malloc'ed keys and values.
gboolean free_table_entry(gpointer key, gpointer value, gpointer unused);

// "&a&b&c&" for a, b, c. An element holding "&" (it would read back as
// two) or a line break cannot be represented and is left out.
std::string join_odb_array(const std::vector<std::string_view>& items);
// The first character (the leading delimiter) is skipped; every later
// delimiter ends an element; text after the last one is dropped.
std::vector<std::string> split_delimited(std::string_view text, char delimiter);
inline std::vector<std::string> split_odb_array(std::string_view array) {
  return split_delimited(array, '&');
}
// "a,b,c". Elements that are no account name (holding "," ":" or a line
// break, which would break a group line) are left out.
std::string join_group_members(const std::vector<std::string_view>& items);

GSList* delete_member(GSList* list, std::string_view member);
GSList* find_line_with_key(GSList* lines, std::string_view key);
// Removes every non-empty, non-comment line containing the pattern. An empty
// pattern would match every line and removes nothing.
GSList* remove_records(GSList* lines, std::string_view pattern);

const char* skip_blank(const char* s);
void split_in_place(char** argv, char* s, char delimiter);

}  // namespace nexa
