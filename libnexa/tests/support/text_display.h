// Showing texts in failure messages so that invisible bytes can be seen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nexa::testing {

// The text in double quotes with C escapes for control bytes, quotes and
// backslashes (bytes above 0x7f too unless the text is valid UTF-8); texts
// longer than limit bytes are cut and their length given.
std::string display(std::string_view text, size_t limit = 120);

}  // namespace nexa::testing
