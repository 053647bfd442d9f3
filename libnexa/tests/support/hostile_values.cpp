// Values a user could type to break a command line or a configuration file.
#include "hostile_values.h"

#include "text_display.h"

namespace nexa::testing {

const std::vector<HostileValue>& hostile_values() {
  using namespace std::string_literals;
  static const std::vector<HostileValue> values = {
      {"single_quote", "it's"},
      {"double_quote", "say \"hi\""},
      {"backslash", "a\\b\\"},
      {"command_substitution", "$(touch /tmp/nexa-pwned)"},
      {"backticks", "`touch /tmp/nexa-pwned`"},
      {"variable", "$HOME${PATH}"},
      {"semicolon", "a;touch /tmp/nexa-pwned"},
      {"and_and", "a && touch /tmp/nexa-pwned"},
      {"pipe", "a|tee /tmp/nexa-pwned"},
      {"redirection", "a >/tmp/nexa-pwned 2>&1"},
      {"glob", "*"},
      {"line_feed", "a\ntouch /tmp/nexa-pwned"},
      {"carriage_return", "a\rb"},
      {"crlf", "a\r\nb"},
      {"nul_inside", "a\0b"s},
      {"leading_dash", "--help"},
      {"dot_dot", ".."},
      {"path_climb", "../../etc/passwd"},
      {"section_header", "[global]"},
      {"comment", "# x"},
      {"key_value", "path = /"},
      {"colon", "a:b"},
      {"comma", "a,b"},
      {"ampersand", "a&b"},
      {"printf_format", "%s%n%x"},
      {"long_4096", std::string(4096, 'x')},
      {"non_utf8", "\xff\xfe\xc3("},
      {"empty", ""},
      {"blanks", " \t "},
      // Syntax to the servers that read names: Samba's macros, the FTP
      // server's patterns and variables, access lists, passwd's compat
      // lines, a home's "~", names the servers fold into others.
      {"samba_macro", "%U"},
      {"env_macro", "%{env:UNSET}"},
      {"pattern", "alice-wor?"},
      {"negation", "!carol"},
      {"group_notation", "@family"},
      {"nis_compat", "+"},
      {"nis_netgroup", "+@staff"},
      {"comment_name", "#x"},
      {"dot", "."},
      {"tilde", "~root"},
      {"leading_blank", " public"},
      {"blank_run", "my  photos"},
      {"control",
       "a\x01"
       "b"},
      {"long_33", std::string(33, 'a')},
      {"non_ascii", "Fotos M\xc3\xa1s"},
  };
  return values;
}

std::string hostile_value_name(const ::testing::TestParamInfo<HostileValue>& info) {
  return info.param.name;
}

std::ostream& operator<<(std::ostream& out, const HostileValue& hostile) {
  return out << hostile.name << ": " << display(hostile.value, 40);
}

}  // namespace nexa::testing
