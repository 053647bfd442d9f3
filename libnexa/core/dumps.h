// Debugging dumps of props, lists and record tables.
#pragma once

#include <glib.h>

#include "odb.h"

namespace nexa {

inline constexpr const char* kDumpFile = "/tmp/test";

void dump_props_to_file(OdbProps* p);
void dump_list_to_file(GSList* list);
void dump_oid_list(GSList* oids);
void dump_string_list(GSList* list);
void dump_table_entry(gpointer key, gpointer value, gpointer unused);
void dump_record_list(GSList* records);

}  // namespace nexa
