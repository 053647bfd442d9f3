// Reading what the UWB radio tools print: neighbour addresses, attribute
// fields and the device state, plus the text forms of a radio address.
#include "network/uwb_output.h"

#include <cstdio>

namespace nexa {
namespace {

std::string hex_bytes(std::initializer_list<unsigned char> bytes) {
  std::string text;
  for (const unsigned char byte : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", byte);
    text += pair;
  }
  return text;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One number as scanf's "%x" reads it (blanks skipped, "0x" allowed), its
// low 32 bits kept; consumed from the front of text.
std::optional<unsigned> take_hex(std::string_view& text) {
  size_t at = 0;
  while (at < text.size() && is_blank(text[at])) ++at;
  if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      hex_digit(text[at + 2]) >= 0)
    at += 2;
  const size_t first = at;
  unsigned value = 0;
  for (; at < text.size() && hex_digit(text[at]) >= 0; ++at)
    value = value * 16 + static_cast<unsigned>(hex_digit(text[at]));
  if (at == first) return std::nullopt;
  text.remove_prefix(at);
  return value;
}

}  // namespace

std::string display_form(const Eui& e) {
  std::string text = hex_bytes({e[0]});
  for (size_t i = 1; i < e.size(); ++i) text += ":" + hex_bytes({e[i]});
  return text;
}

std::string tool_form(const Eui& e) {
  return hex_bytes({e[3], e[2], e[1], e[0]}) + "_0000" + hex_bytes({e[5], e[4]});
}

std::string serial_number(const Eui& e) {
  return hex_bytes({e[4], e[5]});
}

std::optional<Eui> neighbor_address(std::string_view line) {
  constexpr std::string_view kWord = "NEIGHBOR";
  const size_t word = line.find(kWord);
  if (word == std::string_view::npos) return std::nullopt;
  const size_t zero = line.find('0', word + kWord.size());
  if (zero == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(zero);
  Eui eui{};
  for (size_t i = 0; i < eui.size(); ++i) {
    if (i > 0) {
      if (!rest.starts_with('-')) return std::nullopt;
      rest.remove_prefix(1);
    }
    const std::optional<unsigned> byte = take_hex(rest);
    if (!byte) return std::nullopt;
    eui[i] = static_cast<unsigned char>(*byte & 0xFFU);
  }
  return eui;
}

std::optional<unsigned> attribute_field(std::string_view line, int fields, int wanted) {
  std::optional<unsigned> found;
  for (int i = 1; i <= fields; ++i) {
    const std::optional<unsigned> field = take_hex(line);
    if (!field) return std::nullopt;
    if (i == wanted) found = field;
  }
  return found;
}

std::optional<char> device_state(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.find("state") == std::string::npos) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos || equals + 1 >= line.size()) return std::nullopt;
    const char state = line[equals + 1];
    if (state == '\n' || state == '\r') return std::nullopt;
    return state;
  }
  return std::nullopt;
}

}  // namespace nexa
