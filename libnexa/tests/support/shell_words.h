// Splitting recorded command lines into the words the shell would pass on.
#pragma once

#include <string>
#include <vector>
#include "call_site.h"

namespace nexa::testing {

// The words of a command line after the shell's quote and backslash removal,
// so a test can check that a value stayed exactly one word. Operators are
// not interpreted: standing alone, `>`, `2>&1`, `|`, `&&` or `;` come back as
// words of their own; glued to other text they stay inside that word, and
// an unquoted line feed separates words like a blank. A line with no words
// gives an empty vector. A line the shell could not parse (an unmatched
// quote, a trailing backslash, a NUL byte) gives an empty vector and a
// non-fatal failure naming the line, reported where shell_words was called.
std::vector<std::string> shell_words(const std::string& line, CallSite where = {});

}  // namespace nexa::testing
