// Fuzz target: expanding arbitrary packed streams, and packing arbitrary text.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "packed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the expanded length (12 bits); the rest is
  // the stream.
  const size_t length = data[0] | (data[1] & 0x0f) << 8;
  const std::span<const unsigned char> stream(data + 2, size - 2);
  if (const auto text = presence::expand_packed_text(stream, length);
      text && text->size() != length)
    std::abort();
  // Packing (the build tool's side) searches the whole text for every
  // place: only short inputs, and those that ask for it, go through it.
  if (size <= 96 && (data[1] & 0x10) != 0) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto packed = presence::pack_text(text);
    if (presence::expand_packed_text(packed, text.size()) != std::string(text)) std::abort();
  }
  return 0;
}
