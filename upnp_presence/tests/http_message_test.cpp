// The in-place HTTP and SSDP header parser.
#include "http_message.h"

#include <gtest/gtest.h>

namespace presence {
namespace {

TEST(ParseHttpMessage, RequestLineAndHeadersInOrder) {
  const auto msg = parse_http_message(
      "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nST: a\r\nST: b\r\n\r\n");
  ASSERT_TRUE(msg);
  EXPECT_TRUE(msg->is_request());
  EXPECT_EQ(msg->method, "M-SEARCH");
  EXPECT_EQ(msg->path, "*");
  EXPECT_EQ(msg->version, "1.1");
  ASSERT_EQ(msg->headers.size(), 3u);
  EXPECT_EQ(msg->headers[0].name, "HOST");
  EXPECT_EQ(msg->headers[0].value, "239.255.255.250:1900");
  EXPECT_EQ(msg->headers[1].value, "a");
  EXPECT_EQ(msg->headers[2].value, "b");
}

TEST(ParseHttpMessage, StatusLine) {
  const auto msg = parse_http_message("HTTP/1.1 200 OK\r\nEXT:\r\n\r\n");
  ASSERT_TRUE(msg);
  EXPECT_FALSE(msg->is_request());
  EXPECT_EQ(msg->status_code, 200);
  EXPECT_EQ(msg->status_text, "OK");
  EXPECT_EQ(msg->version, "1.1");
  ASSERT_EQ(msg->headers.size(), 1u);
  EXPECT_EQ(msg->headers[0].value, "");
}

TEST(ParseHttpMessage, TrimsOnlySpacesAroundValues) {
  const auto msg =
      parse_http_message("GET / HTTP/1.0\r\nFoo:   bar  \r\n Tab:\tx\t\r\nSp:   \r\n\r\n");
  ASSERT_TRUE(msg);
  ASSERT_EQ(msg->headers.size(), 3u);
  EXPECT_EQ(msg->headers[0].name, "Foo");
  EXPECT_EQ(msg->headers[0].value, "bar");
  EXPECT_EQ(msg->headers[1].name, " Tab") << "names are not trimmed";
  EXPECT_EQ(msg->headers[1].value, "\tx\t");
  EXPECT_EQ(msg->headers[2].value, "   ") << "a value of spaces only stays whole";
}

TEST(ParseHttpMessage, ValueKeepsFurtherColons) {
  const auto msg = parse_http_message("GET / HTTP/1.0\r\nHost: a:80\r\n\r\n");
  ASSERT_TRUE(msg);
  EXPECT_EQ(msg->headers[0].value, "a:80");
}

TEST(ParseHttpMessage, StopsAtTheFirstEmptyLine) {
  const auto msg = parse_http_message("GET / HTTP/1.0\r\nA: 1\r\n\r\nnot a header\r\n");
  ASSERT_TRUE(msg);
  EXPECT_EQ(msg->headers.size(), 1u);
}

TEST(ParseHttpMessage, LastValueWithoutLineEnd) {
  const auto msg = parse_http_message("NOTIFY * HTTP/1.1\r\nNT: x ");
  ASSERT_TRUE(msg);
  EXPECT_EQ(msg->headers[0].value, "x");
}

TEST(ParseHttpMessage, RefusesMalformedBlocks) {
  EXPECT_FALSE(parse_http_message("GET / HTTP/1.0\r\nno colon here\r\n\r\n"));
  EXPECT_FALSE(parse_http_message("GET\r\n\r\n")) << "request line without a path";
  EXPECT_FALSE(parse_http_message("HTTP/1.1 200\r\n\r\n")) << "status line without text";
  EXPECT_FALSE(parse_http_message("\r\n\r\n"));
  EXPECT_FALSE(parse_http_message(""));
}

TEST(ParseHttpMessage, DoubleSpaceGivesAnEmptyPath) {
  const auto msg = parse_http_message("GET  / HTTP/1.0\r\n\r\n");
  ASSERT_TRUE(msg);
  EXPECT_EQ(msg->path, "");
}

TEST(HeaderNames, PrefixAndExactComparisonsIgnoreCase) {
  EXPECT_TRUE(name_starts_with("Content-Length", "content-length"));
  EXPECT_TRUE(name_starts_with("MANX", "MAN"));
  EXPECT_FALSE(name_starts_with("MA", "MAN"));
  EXPECT_TRUE(name_equals("sid", "SID"));
  EXPECT_FALSE(name_equals("SIDX", "SID"));
}

}  // namespace
}  // namespace presence
