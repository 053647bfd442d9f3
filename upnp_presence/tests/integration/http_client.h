// A plain TCP client for talking HTTP to the daemon byte by byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "unique_fd.h"

namespace presence::integration {

using std::chrono::milliseconds;

struct ReadResult {
  std::string data;
  bool closed = false;     // the daemon ended the connection
  milliseconds elapsed{};  // from the start of the read to its end
};

class HttpConnection {
 public:
  // Connects (blocking, up to 5 s); throws std::runtime_error on failure.
  HttpConnection(const std::string& address, uint16_t port);

  // Sends all the bytes; false when the connection refused them.
  bool send(std::string_view bytes);
  // Reads until the daemon closes the connection or the timeout passes.
  ReadResult read_until_closed(milliseconds timeout);
  // Sends a whole request and reads the answer until the close (up to 5 s).
  // Throws std::runtime_error when the request cannot be sent.
  ReadResult exchange(std::string_view request);

 private:
  UniqueFd socket_;
};

// One request on a fresh connection, and everything the daemon answers
// before it closes the connection (up to 5 s).
ReadResult http_exchange(const std::string& address, uint16_t port, std::string_view request);

}  // namespace presence::integration
