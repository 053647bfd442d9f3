// Times as the pages and logs show them.
#pragma once

#include <string>
#include <string_view>

namespace nexa {

// Seconds since the epoch, as decimal text.
std::string tick_text();
// "month/day/year hh:mm:ss" in local time for decimal seconds since the
// epoch; empty when the moment cannot be represented.
std::string local_time_text(std::string_view seconds);

}  // namespace nexa
