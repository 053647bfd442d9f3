// Shell command lines built from fixed literal parts and quoted values.
#include "core/command_line.h"

#include "core/sys.h"

namespace nexa {

namespace {

bool is_plain_shell_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view(".-_:/@,+=%").find(c) != std::string_view::npos;
}

}  // namespace

std::string shell_quote(std::string_view value) {
  if (!value.empty()) {
    bool plain = true;
    for (const char c : value) plain = plain && is_plain_shell_character(c);
    if (plain) return std::string(value);
  }
  std::string quoted = "'";
  for (const char c : value) {
    if (c == '\0') continue;
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += '\'';
  return quoted;
}

CommandLine CommandLine::from_caller(std::string_view text) {
  CommandLine line;
  line.line_ = text;
  return line;
}

CommandLine& CommandLine::text(Literal fixed) {
  line_ += fixed.text();
  return *this;
}

CommandLine& CommandLine::word(std::string_view value) {
  line_ += shell_quote(value);
  return *this;
}

CommandLine& CommandLine::in_quotes(std::string_view value) {
  for (const char c : value) {
    if (c == '\n' || c == '\r' || c == '\0') {
      valid_ = false;
      return *this;
    }
    if (c == '"' || c == '$' || c == '`' || c == '\\') line_ += '\\';
    line_ += c;
  }
  return *this;
}

CommandLine& CommandLine::operand(std::string_view value) {
  if (value.starts_with('-')) valid_ = false;
  return word(value);
}

CommandLine& CommandLine::operand_in_quotes(std::string_view value) {
  if (value.starts_with('-')) valid_ = false;
  return in_quotes(value);
}

CommandLine& CommandLine::number(long long value) {
  line_ += std::to_string(value);
  return *this;
}

CommandLine& CommandLine::redirect_to(std::string_view path) {
  const std::string mapped = sys::map_path(path);
  if (mapped.empty()) valid_ = false;
  line_ += " > ";
  line_ += shell_quote(mapped);
  return *this;
}

CommandLine& CommandLine::discard_output() {
  line_ += " >/dev/null 2>&1";
  return *this;
}

}  // namespace nexa
