// Owners for the GLib objects the stand-in holds, so every exit path frees them.
#pragma once

#include <glib.h>

#include <memory>

namespace odb_standin {

template <auto Release>
struct GlibRelease {
  template <typename T>
  void operator()(T* p) const {
    Release(p);
  }
};

using KeyFilePtr = std::unique_ptr<GKeyFile, GlibRelease<g_key_file_free>>;
using ErrorPtr = std::unique_ptr<GError, GlibRelease<g_error_free>>;
using StrvPtr = std::unique_ptr<gchar*, GlibRelease<g_strfreev>>;
using GTextPtr = std::unique_ptr<gchar, GlibRelease<g_free>>;

}  // namespace odb_standin
