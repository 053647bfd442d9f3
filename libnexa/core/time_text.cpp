// Times as the pages and logs show them.
#include "core/time_text.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/sys.h"

namespace nexa {

std::string tick_text() {
  return std::to_string(static_cast<int>(sys::now()));
}

std::string local_time_text(std::string_view seconds) {
  const time_t moment =
      static_cast<time_t>(std::strtoll(std::string(seconds).c_str(), nullptr, 10));
  struct tm local {};
  if (!localtime_r(&moment, &local)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace nexa
