// HTTP requests and responses (and SSDP datagrams) parsed in place.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace presence {

struct HeaderField {
  std::string_view name;   // as received, not trimmed
  std::string_view value;  // spaces trimmed from both ends unless all spaces
};

// Every view points into the buffer that was parsed; the message must not
// outlive it.
struct HttpMessage {
  std::string_view method;
  std::string_view path;
  int status_code = -1;  // -1 for a request
  std::string_view status_text;
  std::string_view version;
  std::string_view body;
  std::vector<HeaderField> headers;     // arrival order, duplicates kept
  const sockaddr_in* source = nullptr;  // sender of an SSDP datagram

  bool is_request() const { return status_code == -1; }
};

// Parses a header block: a first line, then "name: value" lines up to the
// first empty line, lines ended by CR LF. nullopt when the first line has too
// few parts or a header line has no colon.
std::optional<HttpMessage> parse_http_message(std::string_view block);

// Case-insensitive comparison of the first word.size() characters of name.
bool name_starts_with(std::string_view name, std::string_view word);
bool name_equals(std::string_view name, std::string_view word);

}  // namespace presence
