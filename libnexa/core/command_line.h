// Shell command lines built from fixed literal parts and quoted values, so
// that no value can change the shape of a command.
#pragma once

#include <string>
#include <string_view>

namespace nexa {

// A fixed part of a command line. Only a compile-time constant text (a
// string literal) converts to it; a value must go through CommandLine's
// value methods instead.
class Literal {
 public:
  // Implicit, so that a literal stands wherever a Literal is taken.
  template <size_t N>
  consteval Literal(const char (&text)[N]) : text_(text, N - 1) {}
  constexpr std::string_view text() const { return text_; }

 private:
  std::string_view text_;
};

// A value the shell sees as exactly one literal word. Ordinary values
// (letters, digits and . - _ : / @ , + = %) come back unchanged, so command
// lines read as written; anything else is single-quoted. NUL bytes, which
// would end the command line early, are dropped.
std::string shell_quote(std::string_view value);

class CommandLine {
 public:
  CommandLine() = default;
  explicit CommandLine(Literal start) : line_(start.text()) {}

  // The raw path of the exported nexalib_system* operations only: their
  // callers pass several words by design and quote values themselves.
  static CommandLine from_caller(std::string_view text);

  CommandLine& text(Literal fixed);
  // One literal shell word (see shell_quote).
  CommandLine& word(std::string_view value);
  // A value inside double quotes that the fixed parts write ("lcd_show
  // \"%s\""): ", $, ` and \ are escaped; a line break or NUL is refused.
  CommandLine& in_quotes(std::string_view value);
  // The same for the start of an operand (a file, a device, a host, an
  // interface): a value beginning with "-", which the program would take
  // for an option (and most take options anywhere), is refused.
  CommandLine& operand(std::string_view value);
  CommandLine& operand_in_quotes(std::string_view value);
  CommandLine& number(long long value);
  // " > PATH" with the path mapped under the library's root and quoted, so
  // the shell writes where the library then reads.
  CommandLine& redirect_to(std::string_view path);
  // " >/dev/null 2>&1".
  CommandLine& discard_output();

  // False once a value was refused; such a line is never run.
  bool valid() const { return valid_; }
  const std::string& str() const { return line_; }

 private:
  std::string line_;
  bool valid_ = true;
};

}  // namespace nexa
