// Splitting recorded command lines into the words the shell would pass on.
#include "shell_words.h"

#include <glib.h>
#include <gtest/gtest.h>

#include "text_display.h"

namespace nexa::testing {

std::vector<std::string> shell_words(const std::string& line, CallSite where) {
  std::vector<std::string> words;
  if (line.find('\0') != std::string::npos) {
    ADD_FAILURE_AT(where.file_name(), where.line_number())
        << "command line holds a NUL byte: " << display(line);
    return words;
  }
  int argc = 0;
  char** argv = nullptr;
  GError* error = nullptr;
  if (!g_shell_parse_argv(line.c_str(), &argc, &argv, &error)) {
    // GLib refuses a line without words; the shell runs it as nothing.
    if (!g_error_matches(error, G_SHELL_ERROR, G_SHELL_ERROR_EMPTY_STRING))
      ADD_FAILURE_AT(where.file_name(), where.line_number())
          << "the shell cannot parse " << display(line) << ": " << error->message;
    g_error_free(error);
    return words;
  }
  words.assign(argv, argv + argc);
  g_strfreev(argv);
  return words;
}

}  // namespace nexa::testing
