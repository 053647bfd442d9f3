// Splitting byte ranges without copying, and strict decimal parsing.
#include "text_split.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

namespace presence {

TokenList split_text(std::string_view text, std::string_view delimiter) {
  TokenList tokens;
  if (delimiter.empty()) {
    tokens.push_back(text);
    return tokens;
  }
  size_t start = 0;
  for (size_t pos = text.find(delimiter); pos != std::string_view::npos;
       pos = text.find(delimiter, start)) {
    tokens.push_back(text.substr(start, pos - start));
    start = pos + delimiter.size();
  }
  tokens.push_back(text.substr(start));
  return tokens;
}

namespace {

bool starts_with_minus(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  return i < text.size() && text[i] == '-';
}

}  // namespace

std::optional<int32_t> parse_int_text(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(copy.c_str(), &end, 10);
  if (end != copy.c_str() + copy.size() || errno == ERANGE) return std::nullopt;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<uint32_t> parse_uint_text(std::string_view text) {
  // strtoul would quietly negate " -3" into a huge number.
  if (starts_with_minus(text)) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(copy.c_str(), &end, 10);
  if (end != copy.c_str() + copy.size() || errno == ERANGE) return std::nullopt;
  if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::optional<uint32_t> parse_leading_count(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  uint64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
    if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace presence
