// Base64 with the standard alphabet and "=" padding.
#include "core/base64.h"

#include <glib.h>

#include <algorithm>
#include <cstdint>

namespace nexa {

std::string base64_encode(std::string_view bytes) {
  gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
  std::string text(encoded);
  g_free(encoded);
  return text;
}

namespace {

int sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

// GLib's decoder gives "=" a meaning of its own wherever it stands; here it
// is skipped like any other character outside the alphabet.
size_t base64_decode(std::string_view text, unsigned char* out, size_t capacity) {
  size_t written = 0;
  uint32_t bits = 0;
  int pending = 0;
  for (const char c : text) {
    const int value = sextet(c);
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    pending += 6;
    if (pending < 8) continue;
    pending -= 8;
    if (written == capacity) break;
    out[written++] = static_cast<unsigned char>(bits >> pending);
    bits &= (1u << pending) - 1;
  }
  return written;
}

std::string decode_password(std::string_view text) {
  unsigned char decoded[32] = {};
  const size_t n = base64_decode(text, decoded, sizeof decoded);
  const auto* bytes = reinterpret_cast<const char*>(decoded);
  return std::string(bytes, std::find(bytes, bytes + n, '\0'));
}

}  // namespace nexa
