// Comparing generated text with a reviewed copy kept beside the tests.
#include "golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "text_display.h"

namespace nexa::testing {
namespace {

std::optional<std::string> read_whole(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Line n (from 0) of text, the line feed left out; nullopt past the end.
std::optional<std::string_view> line_at(std::string_view text, size_t n) {
  size_t start = 0;
  for (; n > 0; --n) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) return std::nullopt;
    start = lf + 1;
  }
  return text.substr(start, text.find('\n', start) - start);
}

std::string first_difference(std::string_view expected, std::string_view actual) {
  // Different texts differ in some line, at the latest one past the shorter.
  for (size_t n = 0; n <= expected.size() + 1; ++n) {
    const auto want = line_at(expected, n);
    const auto got = line_at(actual, n);
    if (want != got) {
      return "first difference at line " + std::to_string(n + 1) +
             ":\n  golden: " + (want ? display(*want, 400) : "(end of text)") +
             "\n  actual: " + (got ? display(*got, 400) : "(end of text)");
    }
  }
  return "no differing line";
}

}  // namespace

std::string golden_directory() {
  return NEXA_GOLDEN_DIR;
}

void expect_golden(std::string_view actual, const std::string& name, const std::string& directory,
                   CallSite where) {
  const std::filesystem::path file = std::filesystem::path(directory) / name;
  const std::optional<std::string> expected = read_whole(file);
  if (expected && *expected == actual) return;

  const char* update = std::getenv("NEXA_UPDATE_GOLDEN");
  if (update && std::string_view(update) == "1") {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    if (!(out << actual)) {
      ADD_FAILURE_AT(where.file_name(), where.line_number())
          << "cannot rewrite golden file " << file.string();
      return;
    }
    ADD_FAILURE_AT(where.file_name(), where.line_number())
        << "rewrote golden file " << file.string()
        << "; review the change and run again without NEXA_UPDATE_GOLDEN";
    return;
  }
  if (!expected) {
    ADD_FAILURE_AT(where.file_name(), where.line_number())
        << "no golden file " << file.string()
        << " (NEXA_UPDATE_GOLDEN=1 writes it from the actual text)";
    return;
  }
  ADD_FAILURE_AT(where.file_name(), where.line_number())
      << "text differs from golden file " << file.string() << ", "
      << first_difference(*expected, actual)
      << "\n(NEXA_UPDATE_GOLDEN=1 rewrites it from the actual text)";
}

}  // namespace nexa::testing
