// The packed form in which the reply documents are stored in the binary.
//
// A packed text is a run of records: a literal count N (one byte), N literal
// bytes, then a copy of L bytes (0..63) from D bytes back (1..1023) in two
// bytes: B1 = L | (D & 3) << 6, B2 = D >> 2. The last record copies nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace presence {

inline constexpr size_t kMaxLiteralRun = 255;
inline constexpr size_t kMaxCopyLength = 63;
inline constexpr size_t kMaxCopyDistance = 1023;

// Restores exactly expanded_length bytes; nullopt when the stream is cut short
// or refers outside what has been produced.
std::optional<std::string> expand_packed_text(std::span<const unsigned char> packed,
                                              size_t expanded_length);

// Produces the shortest stream this format allows for the text. Copies never
// overlap their source (D >= L) and the last record always copies nothing.
std::vector<unsigned char> pack_text(std::string_view text);

}  // namespace presence
