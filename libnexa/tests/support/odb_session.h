// A client handle on the configuration stand-in, with seeding and its log.
#pragma once

#include <glib.h>

#include <string>
#include <utility>
#include <vector>

#include "odb.h"

namespace nexa::testing {

using Props = std::vector<std::pair<std::string, std::string>>;

// Owns a handle from odb_handle_new for the length of a test; the stand-in
// itself is made fresh by LibraryTest.
class OdbSession {
 public:
  OdbSession();
  ~OdbSession();
  OdbSession(const OdbSession&) = delete;
  OdbSession& operator=(const OdbSession&) = delete;

  OdbHandle* get() const { return handle_; }
  operator OdbHandle*() const { return handle_; }

  // Seeds an object of the class with these properties in namespace ns;
  // returns its oid. Seeding is not logged.
  guint32 add(const std::string& class_name, const Props& props = {}, const std::string& ns = "");
  // Stores more properties on an object (another namespace, say).
  void set(guint32 oid, const Props& props, const std::string& ns = "");

  // The change log as written, and as lines (a value holding a line feed
  // spans two lines).
  std::string log_text() const;
  std::vector<std::string> log() const;
  void clear_log();

 private:
  OdbHandle* handle_;
};

}  // namespace nexa::testing
