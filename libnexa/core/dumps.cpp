// Debugging dumps of props, lists and record tables.
#include "core/dumps.h"

#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "core/sys.h"

namespace nexa {

namespace {

const char* text_or_null(gconstpointer p) {
  return p ? static_cast<const char*>(p) : "(null)";
}

}  // namespace

void dump_props_to_file(OdbProps* p) {
  if (!p) return;
  sys::Result<FilePtr> file = sys::create_output_file(kDumpFile);
  if (!file) return;
  odb_props_reinit(p);
  while (const char* key = odb_props_nextkey(p)) {
    if (const char* value = odb_props_get_new(p, key))
      std::fprintf(file->get(), "new:key=%s,val=%s\n", key, value);
    if (const char* value = odb_props_get_old(p, key))
      std::fprintf(file->get(), "old:key=%s,val=%s\n", key, value);
  }
}

void dump_list_to_file(GSList* list) {
  sys::Result<FilePtr> file = sys::create_output_file(kDumpFile);
  if (!file) return;
  for (GSList* node = list; node; node = node->next)
    std::fprintf(file->get(), "data=%s", text_or_null(node->data));
}

void dump_oid_list(GSList* oids) {
  for (GSList* node = oids; node; node = node->next)
    say("%s : oid=%d\n", "nexalib", static_cast<int>(GPOINTER_TO_UINT(node->data)));
}

void dump_string_list(GSList* list) {
  for (GSList* node = list; node; node = node->next)
    say("%s :data=%s", "nexalib", text_or_null(node->data));
}

void dump_table_entry(gpointer key, gpointer value, gpointer) {
  if (key && std::strcmp(static_cast<const char*>(key), "section") == 0) return;
  say("key=%s, val=%s\n", text_or_null(key), text_or_null(value));
}

void dump_record_list(GSList* records) {
  for (GSList* node = records; node; node = node->next) {
    auto* table = static_cast<GHashTable*>(node->data);
    if (!table) continue;
    say("[%s]\n", text_or_null(g_hash_table_lookup(table, "section")));
    g_hash_table_foreach(table, dump_table_entry, nullptr);
  }
}

}  // namespace nexa
