// The two XML documents the device serves, kept packed in the binary.
#include "documents.h"

#include <cstdlib>
#include <initializer_list>

#include "packed_documents.h"
#include "packed_text.h"

namespace presence {

namespace {

std::string expand_or_die(std::span<const unsigned char> packed, size_t length) {
  auto text = expand_packed_text(packed, length);
  if (!text) std::abort();  // the build produced a broken document
  return std::move(*text);
}

}  // namespace

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at the start of text (1 to
// 4), or 0 when it is not one: a stray continuation byte, an overlong form,
// a surrogate, a code point past U+10FFFF or a cut sequence.
size_t utf8_sequence_length(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

// Characters XML 1.0 cannot carry, or a control point may refuse: C0
// controls but the tab (line breaks too, as names are one line), DEL, the
// C1 controls and the non-characters U+FFFE and U+FFFF.
bool is_dropped(std::string_view character) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(character[i]); };
  if (character.size() == 1) return (byte(0) < 0x20 && byte(0) != '\t') || byte(0) == 0x7F;
  if (character.size() == 2) return byte(0) == 0xC2 && byte(1) < 0xA0;
  return character == "\xEF\xBF\xBE" || character == "\xEF\xBF\xBF";
}

}  // namespace

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const size_t length = utf8_sequence_length(text);
    if (length == 0) {
      out += kReplacement;  // one replacement per byte that fits nowhere
      text.remove_prefix(1);
      continue;
    }
    const std::string_view character = text.substr(0, length);
    text.remove_prefix(length);
    if (is_dropped(character)) continue;
    switch (character[0]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += character;
    }
  }
  return out;
}

std::string build_description_document(std::string_view friendly_name,
                                       std::string_view serial_number,
                                       std::string_view udn_proper) {
  const std::string tmpl =
      expand_or_die(packed::description_template, packed::description_template_length);
  std::string out;
  out.reserve(tmpl.size() + friendly_name.size() * 2 + serial_number.size() + udn_proper.size());
  size_t from = 0;
  for (const std::string_view value : {friendly_name, serial_number, udn_proper}) {
    const size_t at = tmpl.find("%s", from);
    if (at == std::string::npos) break;
    out.append(tmpl, from, at - from);
    out += xml_escape(value);
    from = at + 2;
  }
  out.append(tmpl, from);
  return out;
}

std::string service_document() {
  return expand_or_die(packed::service_reply, packed::service_reply_length);
}

}  // namespace presence
