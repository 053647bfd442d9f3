// Comparing generated text with a reviewed copy kept beside the tests.
#pragma once

#include <string>
#include <string_view>
#include "call_site.h"

namespace nexa::testing {

// libnexa/tests/golden in the source tree.
std::string golden_directory();

// Fails (non-fatally) unless actual equals the golden file byte for byte,
// showing the first differing line. With NEXA_UPDATE_GOLDEN=1 in the
// environment a differing or missing golden file is rewritten with actual
// instead; that still fails, so an update run never passes unnoticed.
// Failures are reported where expect_golden was called.
// name is relative to directory, e.g. "web/goto_url.golden".
void expect_golden(std::string_view actual, const std::string& name,
                   const std::string& directory = golden_directory(), CallSite where = {});

}  // namespace nexa::testing
