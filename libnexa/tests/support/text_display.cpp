// Texts written on one line so that invisible bytes can be seen.
#include "text_display.h"

#include <cctype>
#include <cstdio>

namespace nexa::testing {

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr std::string_view kEscaped("\n\r\t\0\\", 5);
constexpr std::string_view kEscapeLetters = "nrt0\\";

std::string one_byte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (const size_t at = kEscaped.find(c); at != npos) return std::string("\\") + kEscapeLetters[at];
  if (byte >= 0x20 && byte != 0x7f) return std::string(1, c);
  char hex[5];
  std::snprintf(hex, sizeof hex, "\\x%02x", byte);
  return hex;
}

}  // namespace

std::string shown(std::string_view text) {
  std::string out = text.empty() ? "\"\"" : "";
  for (size_t i = 0, run = 1; i < text.size(); i += run, run = 1) {
    while (i + run < text.size() && text[i + run] == text[i]) ++run;
    const std::string one = one_byte(text[i]);
    if (run >= 16 && one.size() == 1) {
      out += "{" + std::to_string(run) + one + "}";
    } else {
      for (size_t k = 0; k < run; ++k) out += one;
    }
  }
  return out;
}

std::string unescape(std::string_view text) {
  if (text == "\"\"") return "";
  std::string out;
  for (size_t i = 0, end; i < text.size(); ++i) {
    if (text[i] == '{' && i + 1 < text.size() && std::isdigit(text[i + 1]) &&
        (end = text.find('}', i)) != npos) {
      out.append(std::stoul(std::string(text.substr(i + 1))), text[end - 1]);
      i = end;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else if (text[i] == '\\' && i + 1 < text.size()) {
      const size_t at = std::string_view("nrts0").find(text[++i]);
      out += at == npos ? text[i] : "\n\r\t \0"[at];
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string display(std::string_view text, size_t limit) {
  if (text.empty()) return "\"\"";
  std::string out = "\"" + shown(text.substr(0, limit)) + "\"";
  if (limit < text.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

}  // namespace nexa::testing
