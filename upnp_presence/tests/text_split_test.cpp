// Splitting and the strict number parsers.
#include "text_split.h"

#include <gtest/gtest.h>

namespace presence {
namespace {

using ::testing::Test;

TEST(SplitText, CountsEveryDelimiterIncludingEmptyTokens) {
  EXPECT_EQ(split_text("a b", " "), (TokenList{"a", "b"}));
  EXPECT_EQ(split_text("a  b", " "), (TokenList{"a", "", "b"}));
  EXPECT_EQ(split_text("", " "), (TokenList{""}));
  EXPECT_EQ(split_text(" a ", " "), (TokenList{"", "a", ""}));
}

TEST(SplitText, HeaderBlockEndsWithTwoEmptyTokens) {
  const std::string_view block = "GET / HTTP/1.0\r\nHost: x\r\n\r\n";
  EXPECT_EQ(split_text(block, "\r\n"), (TokenList{"GET / HTTP/1.0", "Host: x", "", ""}));
}

TEST(SplitText, TokensPointIntoTheText) {
  const std::string text = "ab--cd";
  const TokenList tokens = split_text(text, "--");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[1].data(), text.data() + 4);
}

TEST(SplitText, DelimiterCutByTheEndIsNotAMatch) {
  EXPECT_EQ(split_text("a\r", "\r\n"), (TokenList{"a\r"}));
}

TEST(ParseUintText, AcceptsOnlyAWholeNonNegativeNumber) {
  EXPECT_EQ(parse_uint_text("3"), 3u);
  EXPECT_EQ(parse_uint_text(""), 0u);
  EXPECT_EQ(parse_uint_text(" 7"), 7u);
  EXPECT_EQ(parse_uint_text("+7"), 7u);
  EXPECT_EQ(parse_uint_text("4294967295"), 4294967295u);
  EXPECT_FALSE(parse_uint_text("3x"));
  EXPECT_FALSE(parse_uint_text("3 "));
  EXPECT_FALSE(parse_uint_text("-3"));
  EXPECT_FALSE(parse_uint_text(" -3"));
  EXPECT_FALSE(parse_uint_text("4294967296"));
  EXPECT_FALSE(parse_uint_text("99999999999999999999999"));
  EXPECT_FALSE(parse_uint_text("   "));
  EXPECT_FALSE(parse_uint_text(std::string_view("1\0", 2)));
}

TEST(ParseIntText, RefusesValuesBeyondThirtyTwoBits) {
  EXPECT_EQ(parse_int_text("-3"), -3);
  EXPECT_EQ(parse_int_text("2147483647"), 2147483647);
  EXPECT_EQ(parse_int_text("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(parse_int_text(""), 0);
  EXPECT_FALSE(parse_int_text("2147483648"));
  EXPECT_FALSE(parse_int_text("-2147483649"));
  EXPECT_FALSE(parse_int_text("12a"));
}

TEST(ParseLeadingCount, ReadsLeadingDigitsLikeAtoiButRefusesNonsense) {
  EXPECT_EQ(parse_leading_count("5"), 5u);
  EXPECT_EQ(parse_leading_count("  12abc"), 12u);
  EXPECT_EQ(parse_leading_count("+0"), 0u);
  EXPECT_FALSE(parse_leading_count(""));
  EXPECT_FALSE(parse_leading_count("abc"));
  EXPECT_FALSE(parse_leading_count("-5"));
  EXPECT_FALSE(parse_leading_count("99999999999"));
}

}  // namespace
}  // namespace presence
