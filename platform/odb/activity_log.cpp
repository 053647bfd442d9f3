// What was done to the stand-in, kept for tests and appended to ODB_STANDIN_LOG.
#include "activity_log.h"

#include <glib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace odb_standin {
namespace {

std::vector<std::string>& entries() {
  static std::vector<std::string> instance;
  return instance;
}

struct FileClose {
  void operator()(FILE* f) const { std::fclose(f); }
};

// Opened per entry: the programs sharing the log are short-lived and take turns.
void append_to_file(const std::string& entry) {
  const char* path = g_getenv("ODB_STANDIN_LOG");
  if (!path || !*path) return;
  std::unique_ptr<FILE, FileClose> file(std::fopen(path, "a"));
  if (!file) {
    g_warning("odb stand-in: cannot append to %s", path);
    return;
  }
  std::fputs((entry + "\n").c_str(), file.get());
}

}  // namespace

void log_entry(const std::string& entry) {
  entries().push_back(entry);
  append_to_file(entry);
}

std::string log_text() {
  std::string text;
  for (const auto& entry : entries()) text.append(entry).append("\n");
  return text;
}

void log_clear() {
  entries().clear();
}

std::string ns_word(const std::string& ns) {
  return ns.empty() ? "\"\"" : ns;
}

std::string assignments(const Properties& values) {
  std::string text;
  for (const auto& [key, value] : values) text.append(" ").append(key).append("=").append(value);
  return text;
}

}  // namespace odb_standin
