// The texts the library prints for its callers: diagnostics and dumps on
// standard output, a few on standard error. They all pass through here, so
// a test can take them as they are made instead of reading the streams.
#pragma once

#include <cstdarg>
#include <functional>
#include <optional>
#include <string>

namespace nexa {

enum class Stream { kOut, kErr };

// Where a message says it comes from: "<source> (<line>) " before its
// text, or "<source>(<line>) " for the radio's messages.
struct Origin {
  const char* source;
  int line;
  bool spaced = true;
};
#define NEXA_ORIGIN(source) \
  ::nexa::Origin {          \
    source, __LINE__        \
  }
#define NEXA_ORIGIN_UNSPACED(source) \
  ::nexa::Origin {                   \
    source, __LINE__, false          \
  }

struct Message {
  Stream stream;
  std::optional<Origin> origin;
  std::string text;  // as printed after the origin
};

// The printf-style message in a string that grows to fit.
std::string format_message(const char* format, va_list args);

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say_at(Origin origin, const char* format, ...) __attribute__((format(printf, 2, 3)));
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink that takes every message instead of the streams (an
// empty one restores them); returns the previous.
using MessageSink = std::function<void(const Message&)>;
MessageSink set_message_sink(MessageSink sink);

}  // namespace nexa
