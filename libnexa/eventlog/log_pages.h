// The page files a log is cut into for display, 30 lines a page.
#pragma once

#include <string_view>

namespace nexa {

// Removes the old page files "<dir>/log/.<name>*", then writes pages 1 to 9
// of the log at path into "<dir>/log/.<name>1" to "...9" (empty past the
// end). A name that is not one path component writes nothing.
void write_log_pages(std::string_view name, std::string_view dir, std::string_view path);

}  // namespace nexa
