// Owners for GLib objects and the client library's props.
#pragma once

#include <glib.h>

#include <memory>

#include "odb.h"

namespace nexa {

struct GStringFree {
  void operator()(GString* s) const {
    if (s) g_string_free(s, TRUE);
  }
};
using GStringPtr = std::unique_ptr<GString, GStringFree>;

// Props made with odb_props_new; their maker destroys them right after use.
struct PropsDestroy {
  void operator()(OdbProps* p) const { odb_props_destroy(p); }
};
using PropsPtr = std::unique_ptr<OdbProps, PropsDestroy>;

inline PropsPtr new_props() {
  return PropsPtr(odb_props_new());
}

}  // namespace nexa
