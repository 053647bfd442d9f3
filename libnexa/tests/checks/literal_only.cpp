// Compiles only while command lines take their fixed parts from literals:
// with NEXA_EXPECT_REFUSAL a runtime text is offered as a fixed part, which
// must not compile.
#include <string>

#include "core/command_line.h"

int main(int argc, char** argv) {
  nexa::CommandLine line("ls ");
  line.text(" -l").word(argc > 1 ? argv[1] : "");
#ifdef NEXA_EXPECT_REFUSAL
  const std::string fixed = argv[0];
  line.text(fixed.c_str());
#endif
  return line.str().empty() ? 1 : 0;
}
