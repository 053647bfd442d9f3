// Values a user could type to break a command line or a configuration file.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace nexa::testing {

struct HostileValue {
  std::string name;   // an identifier, usable as a test name
  std::string value;  // may hold any byte, NUL included
};

// Every value once. Those that would act if a shell ran them only touch
// /tmp/nexa-pwned.
//
// With a value-parameterised test:
//   INSTANTIATE_TEST_SUITE_P(Hostile, MyTest, ::testing::ValuesIn(hostile_values()),
//                            hostile_value_name);
// In a loop:
//   for (const auto& hostile : hostile_values()) { SCOPED_TRACE(hostile); ... }
const std::vector<HostileValue>& hostile_values();

// The value's name, for INSTANTIATE_TEST_SUITE_P.
std::string hostile_value_name(const ::testing::TestParamInfo<HostileValue>& info);

// "name: "value"" with invisible bytes escaped (SCOPED_TRACE and gtest's
// printing of parameters use it).
std::ostream& operator<<(std::ostream& out, const HostileValue& hostile);

}  // namespace nexa::testing
