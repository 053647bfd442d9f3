// What the event log tests share: a log directory, events as the daemon
// hands them, the entries of a log, and a played "mkdir -p".
#pragma once

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "core/config_values.h"
#include "core/owners.h"
#include "eventlog/log_files.h"
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa::testing {

class EventLogTest : public LibraryTest {
 protected:
  EventLogTest() {
    std::filesystem::create_directories(path("/var/log"));
    commands.on("mkdir -p ", [](const std::string& line) {
      std::error_code failed;
      std::filesystem::create_directories(shell_words(line).at(2), failed);
      return failed ? 1 : 0;
    });
  }
  ~EventLogTest() override { ::tzset(); }  // after a test's own time zone
  // An event in a state (0 modify, 2 add, 3 delete): current values, new ones.
  static PropsPtr event(int state, const Props& current, const Props& changes) {
    PropsPtr props(odb_standin_event_props(state));
    for (const auto& [key, value] : current)
      odb_standin_props_set_old(props.get(), key.c_str(), value.c_str());
    for (const auto& [key, value] : changes) odb_props_set(props.get(), key.c_str(), value.c_str());
    return props;
  }
  // A log's lines, each without what precedes its first blank (a stamp).
  std::vector<std::string> entries(const char* log = kAdminLog) const {
    std::vector<std::string> lines;
    std::istringstream in(read_file(log));
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(l.find(' ') + 1));
    return lines;
  }
  // A file's content, or "(missing)" (also when its name is too long).
  std::string content(const std::string& f) const {
    return ::access(path(f).c_str(), F_OK) == 0 ? read_file(f) : "(missing)\n";
  }
  static std::string filled(size_t size) { return std::string(size - 1, 'x') + "\n"; }
};

}  // namespace nexa::testing
