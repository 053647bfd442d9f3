// A client handle on the configuration stand-in, with seeding and its log.
#include "odb_session.h"

#include <gtest/gtest.h>

#include "odb_standin.h"

namespace nexa::testing {

OdbSession::OdbSession() : handle_(odb_handle_new()) {
  if (!handle_) ADD_FAILURE() << "odb_handle_new gave no handle";
}

OdbSession::~OdbSession() {
  odb_handle_destroy(handle_);
}

guint32 OdbSession::add(const std::string& class_name, const Props& props, const std::string& ns) {
  const guint32 oid = odb_standin_add_object(class_name.c_str());
  set(oid, props, ns);
  return oid;
}

void OdbSession::set(guint32 oid, const Props& props, const std::string& ns) {
  for (const auto& [key, value] : props)
    odb_standin_set_prop(oid, ns.c_str(), key.c_str(), value.c_str());
}

std::string OdbSession::log_text() const {
  char* text = odb_standin_log_text();
  std::string copy = text ? text : "";
  g_free(text);
  return copy;
}

std::vector<std::string> OdbSession::log() const {
  std::vector<std::string> lines;
  const std::string text = log_text();
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void OdbSession::clear_log() {
  odb_standin_log_clear();
}

}  // namespace nexa::testing
