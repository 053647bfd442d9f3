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

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
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
