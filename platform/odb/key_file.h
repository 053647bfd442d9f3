// The stand-in's configuration as a GLib key file, shared by a sequence of programs.
#pragma once

#include "config_store.h"

#include <string>

namespace odb_standin {

// A missing file is an empty configuration; an unreadable one is reported
// and treated as empty.
Objects load_key_file(const std::string& path);
// Replaces the file atomically; names a key file cannot hold are reported and skipped.
void save_key_file(const std::string& path, const Objects& objects);

}  // namespace odb_standin
