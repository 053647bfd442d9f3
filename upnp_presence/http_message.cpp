// HTTP requests and responses (and SSDP datagrams) parsed in place.
#include "http_message.h"

#include <strings.h>

#include "text_split.h"

namespace presence {

namespace {

std::string_view after_last_slash(std::string_view token) {
  const size_t slash = token.rfind('/');
  return slash == std::string_view::npos ? token : token.substr(slash + 1);
}

std::string_view trim_spaces(std::string_view value) {
  const size_t first = value.find_first_not_of(' ');
  if (first == std::string_view::npos) return value;  // all spaces: kept whole
  const size_t last = value.find_last_not_of(' ');
  return value.substr(first, last - first + 1);
}

bool parse_first_line(std::string_view line, HttpMessage& msg) {
  const TokenList parts = split_text(line, " ");
  if (parts[0].starts_with("HTTP/")) {
    if (parts.size() < 3) return false;
    msg.version = after_last_slash(parts[0]);
    const auto code = parse_leading_count(parts[1]);
    msg.status_code = code ? static_cast<int>(*code) : 0;
    msg.status_text = parts[2];
    return true;
  }
  if (parts.size() < 2) return false;
  msg.method = parts[0];
  msg.path = parts[1];
  msg.status_code = -1;
  msg.version = after_last_slash(parts.back());
  return true;
}

}  // namespace

std::optional<HttpMessage> parse_http_message(std::string_view block) {
  const TokenList lines = split_text(block, "\r\n");
  HttpMessage msg;
  if (!parse_first_line(lines[0], msg)) return std::nullopt;
  for (size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
    const std::string_view line = lines[i];
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    msg.headers.push_back({line.substr(0, colon), trim_spaces(line.substr(colon + 1))});
  }
  return msg;
}

bool name_starts_with(std::string_view name, std::string_view word) {
  return name.size() >= word.size() && strncasecmp(name.data(), word.data(), word.size()) == 0;
}

bool name_equals(std::string_view name, std::string_view word) {
  return name.size() == word.size() && name_starts_with(name, word);
}

}  // namespace presence
