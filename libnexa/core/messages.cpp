// The one way out for the texts the library prints.
#include "core/messages.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace nexa {

namespace {

MessageSink& current_sink() {
  static MessageSink sink;
  return sink;
}

void emit(Message message) {
  if (const MessageSink& sink = current_sink()) return sink(message);
  FILE* stream = message.stream == Stream::kOut ? stdout : stderr;
  if (message.origin)
    std::fprintf(stream, message.origin->spaced ? "%s (%d) " : "%s(%d) ", message.origin->source,
                 message.origin->line);
  std::fwrite(message.text.data(), 1, message.text.size(), stream);
}

}  // namespace

std::string format_message(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  emit({Stream::kOut, std::nullopt, std::move(text)});
}

void say_at(Origin origin, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  emit({Stream::kOut, origin, std::move(text)});
}

void warn(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  emit({Stream::kErr, std::nullopt, std::move(text)});
}

MessageSink set_message_sink(MessageSink sink) {
  return std::exchange(current_sink(), std::move(sink));
}

}  // namespace nexa
