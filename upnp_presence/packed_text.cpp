// Expanding and producing packed texts.
#include "packed_text.h"

#include <algorithm>
#include <limits>

namespace presence {

std::optional<std::string> expand_packed_text(std::span<const unsigned char> packed,
                                              size_t expanded_length) {
  std::string out;
  out.reserve(expanded_length);
  size_t in = 0;
  while (out.size() < expanded_length) {
    if (in >= packed.size()) return std::nullopt;
    const size_t literals = packed[in++];
    if (literals > packed.size() - in || literals > expanded_length - out.size())
      return std::nullopt;
    out.append(reinterpret_cast<const char*>(packed.data() + in), literals);
    in += literals;
    if (out.size() == expanded_length) break;
    if (packed.size() - in < 2) return std::nullopt;
    const unsigned b1 = packed[in];
    const unsigned b2 = packed[in + 1];
    in += 2;
    const size_t length = b1 & 0x3f;
    const size_t distance = (b1 >> 6) + b2 * 4;
    // A record that produces nothing would loop for ever.
    if (literals == 0 && length == 0) return std::nullopt;
    if (length == 0) continue;
    if (distance == 0 || distance > out.size() || length > expanded_length - out.size())
      return std::nullopt;
    const size_t from = out.size() - distance;
    for (size_t i = 0; i < length; ++i) out.push_back(out[from + i]);
  }
  return out;
}

namespace {

struct Match {
  size_t length = 0;
  size_t distance = 0;
};

// Longest usable copy at pos; it must leave at least one byte for the final
// literal record.
Match longest_match(std::string_view text, size_t pos) {
  Match best;
  const size_t room = text.size() - pos - 1;
  const size_t max_distance = std::min(pos, kMaxCopyDistance);
  for (size_t distance = 1; distance <= max_distance; ++distance) {
    const size_t limit = std::min({distance, kMaxCopyLength, room});
    size_t length = 0;
    while (length < limit && text[pos + length] == text[pos - distance + length]) ++length;
    if (length > best.length) best = {length, distance};
  }
  return best;
}

}  // namespace

std::vector<unsigned char> pack_text(std::string_view text) {
  const size_t n = text.size();
  constexpr size_t kInf = std::numeric_limits<size_t>::max() / 2;
  std::vector<Match> match(n);
  for (size_t pos = 0; pos + 1 < n; ++pos) match[pos] = longest_match(text, pos);

  // record_cost[i]: fewest bytes that encode text[i..] as whole records.
  // copy_cost[j]:   the same when the current record's literals end at j.
  std::vector<size_t> record_cost(n + 1, kInf), copy_cost(n + 1, kInf);
  std::vector<size_t> best_literals(n + 1, 0), best_copy(n + 1, 0);
  record_cost[n] = 0;
  copy_cost[n] = 0;
  for (size_t i = n; i-- > 0;) {
    copy_cost[i] = record_cost[i];  // copy nothing; a new record follows
    best_copy[i] = 0;
    for (size_t len = 1; len <= match[i].length; ++len) {
      if (record_cost[i + len] < copy_cost[i]) {
        copy_cost[i] = record_cost[i + len];
        best_copy[i] = len;
      }
    }
    for (size_t lit = 0; lit <= kMaxLiteralRun && i + lit <= n; ++lit) {
      const size_t j = i + lit;
      // The stream must not end on a copy, and an empty record goes nowhere.
      if (j == n && lit == 0) continue;
      const size_t after = j == n ? 0 : copy_cost[j];
      if (lit == 0 && best_copy[j] == 0) continue;
      const size_t cost = 3 + lit + after;
      if (cost < record_cost[i]) {
        record_cost[i] = cost;
        best_literals[i] = lit;
      }
    }
  }

  std::vector<unsigned char> out;
  size_t pos = 0;
  while (pos < n) {
    const size_t lit = best_literals[pos];
    out.push_back(static_cast<unsigned char>(lit));
    out.insert(out.end(), text.begin() + pos, text.begin() + pos + lit);
    pos += lit;
    const size_t len = pos == n ? 0 : best_copy[pos];
    const size_t distance = len == 0 ? 0 : match[pos].distance;
    out.push_back(static_cast<unsigned char>(len | (distance & 3) << 6));
    out.push_back(static_cast<unsigned char>(distance >> 2));
    pos += len;
  }
  return out;
}

}  // namespace presence
