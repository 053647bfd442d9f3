// What was done to the stand-in, kept for tests and appended to ODB_STANDIN_LOG.
#pragma once

#include "props.h"

#include <string>

namespace odb_standin {

void log_entry(const std::string& entry);
// The entries so far, each followed by "\n".
std::string log_text();
void log_clear();

// How entries show texts: the main namespace as "" (quotes included), and
// props as " key=value" for each key, sorted.
std::string ns_word(const std::string& ns);
std::string assignments(const Properties& values);

}  // namespace odb_standin
