// Owners for the lists, tables and texts the library hands back to tests.
#pragma once

#include <glib.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nexa::testing {

// A test that fails half way still frees everything, so LeakSanitizer
// reports only the library's own leaks.
struct ListFree {
  void operator()(GSList* list) const;  // nexalib_g_slist_free_all
};
struct TableFree {
  void operator()(GHashTable* table) const;  // nexalib_g_hash_table_free_all
};
struct GStringFree {
  void operator()(GString* text) const { g_string_free(text, TRUE); }
};
struct MallocFree {
  void operator()(char* text) const { std::free(text); }
};

// A list of malloc'ed strings. Operations that return a new head take it
// back with list.reset(operation(list.release(), ...)).
using OwnedList = std::unique_ptr<GSList, ListFree>;
// A record table of malloc'ed keys and values.
using OwnedTable = std::unique_ptr<GHashTable, TableFree>;
using OwnedGString = std::unique_ptr<GString, GStringFree>;
using OwnedText = std::unique_ptr<char, MallocFree>;

// A list of malloc'ed copies of the items (each ends at its first NUL, as
// any C string would).
OwnedList make_list(const std::vector<std::string>& items);
// The strings of a list, in order; a null element fails the test.
std::vector<std::string> items(const GSList* list);
inline std::vector<std::string> items(const OwnedList& list) {
  return items(list.get());
}
// The entries of a table of strings, sorted by key (none for a null table).
std::map<std::string, std::string> entries(GHashTable* table);
inline std::map<std::string, std::string> entries(const OwnedTable& table) {
  return entries(table.get());
}

}  // namespace nexa::testing
