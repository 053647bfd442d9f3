// Where a harness helper was called from, so that its failures point at the
// test's line. std::source_location would do, but clang-tidy's clang cannot
// parse the standard library's version; the builtins behind it work in both
// compilers.
#pragma once

namespace nexa::testing {

struct CallSite {
  const char* file = __builtin_FILE();
  int line = __builtin_LINE();
  const char* file_name() const { return file; }
  int line_number() const { return line; }
};

}  // namespace nexa::testing
