// Props: the new and old value tables of one namespace, with key iteration and event state.
#pragma once

#include "odb.h"

#include <map>
#include <string>

namespace odb_standin {

using Properties = std::map<std::string, std::string>;

// client_owned props (those odb_get_cmnd hands out) are freed only with their handle.
OdbProps* props_create(int state, bool client_owned);
void props_free(OdbProps* p);
// The caller's odb_props_destroy: refuses, loudly, props the client library owns.
void props_destroy_by_caller(OdbProps* p);

void props_put(GHashTable* table, const char* key, const char* value);
void props_put_all(GHashTable* table, const Properties& values);
// The new value of a key when it has one, else its old value.
const char* props_value(OdbProps* p, const char* key);
Properties props_new_values(OdbProps* p);
// Every key of either table with the value props_value gives it.
Properties props_current_values(OdbProps* p);

void props_restart_keys(OdbProps* p);
const char* props_next_key(OdbProps* p);
int props_state(OdbProps* p);

}  // namespace odb_standin
