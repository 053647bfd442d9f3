// Environment variables set for one scope of a test.
#pragma once

#include <optional>
#include <string>

namespace nexa::testing {

// Sets (or, with a null value, unsets) a variable; the destructor gives it
// back its earlier value, or unsets it when it had none.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace nexa::testing
