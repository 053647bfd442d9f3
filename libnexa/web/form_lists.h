// The pages' selection lists: share access lists, object names and oids.
#pragma once

#include <glib.h>

#include <string>
#include <string_view>
#include <vector>

#include "odb.h"

namespace nexa {

// The elements of an odb array, each between prefix and suffix.
std::vector<std::string> share_list_items(std::string_view array, std::string_view prefix,
                                          std::string_view suffix);
// The "name" of each object, after prefix ("" for an object without one,
// and for all without a connection).
std::vector<std::string> names_of(OdbHandle* h, GSList* oids, std::string_view prefix);
// A new oid list: oids without the objects of the class named in names.
GSList* without_named(OdbHandle& h, GSList* names, GSList* oids, std::string_view class_name);

}  // namespace nexa
