// Splitting byte ranges without copying, and strict decimal parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace presence {

// Tokens point into the split text; they are neither copied nor terminated.
using TokenList = std::vector<std::string_view>;

// Splits at every occurrence of the delimiter. There is always one more token
// than delimiters found; empty tokens count.
TokenList split_text(std::string_view text, std::string_view delimiter);

// Base-10 conversions in the manner of strtol/strtoul: leading white space and
// a sign are accepted, nothing may follow the number, the value must fit in
// 32 bits. An empty text is 0. The unsigned form refuses any minus sign.
std::optional<int32_t> parse_int_text(std::string_view text);
std::optional<uint32_t> parse_uint_text(std::string_view text);

// Leading decimal digits as atoi reads them (white space, optional sign);
// nullopt when there are no digits, the number is negative or too large.
std::optional<uint32_t> parse_leading_count(std::string_view text);

}  // namespace presence
