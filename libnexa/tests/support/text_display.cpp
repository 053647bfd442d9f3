// Showing texts in failure messages so that invisible bytes can be seen.
#include "text_display.h"

#include <glib.h>

#include <cstdio>

namespace nexa::testing {

std::string display(std::string_view text, size_t limit) {
  const bool utf8 = g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
  const std::string_view shown = text.substr(0, limit);
  std::string out = "\"";
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (byte < 0x20 || byte == 0x7f || (byte > 0x7f && !utf8)) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x", byte);
          out += hex;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  if (shown.size() < text.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

}  // namespace nexa::testing
