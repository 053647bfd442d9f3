// Values from configuration objects, callers and the network, guarded in
// one place before they go into a file, a list or an array.
#include "core/config_values.h"

#include <glib.h>

#include <algorithm>
#include <array>

namespace nexa {

namespace {

constexpr size_t kKinds = static_cast<size_t>(ValueKind::kShareName) + 1;
constexpr size_t kLongestAccountName = 32;

using Table = std::array<bool, 256>;

std::string_view forbidden(ValueKind kind) {
  using namespace std::string_view_literals;
  switch (kind) {
    case ValueKind::kFreeText: return "\r\n\0"sv;
    case ValueKind::kSectionName: return "\r\n\0[]"sv;
    case ValueKind::kAccountName: return ""sv;  // by what it allows, below
    case ValueKind::kAccountField: return "\r\n\0:"sv;
    case ValueKind::kListItem: return "\r\n\0,"sv;
    case ValueKind::kOdbArrayItem: return "\r\n\0&"sv;
    case ValueKind::kDhcpWord: return "\r\n\0 \t;{}#\""sv;
    case ValueKind::kLogHost: return "\r\n\0 \t;#@()\"'\\"sv;
    case ValueKind::kPathComponent: return "\r\n\0/"sv;
    case ValueKind::kSharePath: return "\r\n\0%*?[]\\"sv;
    case ValueKind::kShareName: return "%*?[]\\/\x7f"sv;  // and every control character
  }
  return "\r\n\0"sv;
}

bool is_account_character(unsigned char c) {
  return g_ascii_isalnum(c) || c == '.' || c == '_' || c == '-';
}

Table table_of(ValueKind kind) {
  Table bad{};
  for (const char c : forbidden(kind)) bad[static_cast<unsigned char>(c)] = true;
  for (size_t c = 0; c < bad.size(); ++c) {
    if (kind == ValueKind::kAccountName)
      bad[c] = !is_account_character(static_cast<unsigned char>(c));
    if (kind == ValueKind::kShareName && c < 0x20) bad[c] = true;
  }
  return bad;
}

// Every value of every file passes here: one table lookup a character.
const Table& bad_characters(ValueKind kind) {
  static const std::array<Table, kKinds> tables = [] {
    std::array<Table, kKinds> all{};
    for (size_t k = 0; k < kKinds; ++k) all[k] = table_of(static_cast<ValueKind>(k));
    return all;
  }();
  return tables[static_cast<size_t>(kind)];
}

bool is_special_name(std::string_view value) {
  return value.empty() || value == "." || value == "..";
}

// Samba reads a section name without blanks at its ends and with each run
// of blanks as one: such a name would be another share's.
bool is_folded_by_samba(std::string_view name) {
  return name.starts_with(' ') || name.ends_with(' ') || name.find("  ") != name.npos;
}

// What the characters alone cannot say.
bool has_acceptable_shape(ValueKind kind, std::string_view value) {
  switch (kind) {
    case ValueKind::kPathComponent: return !is_special_name(value);
    case ValueKind::kAccountName:
      return !value.empty() && value.size() <= kLongestAccountName &&
             (g_ascii_isalpha(value[0]) || value[0] == '_');
    case ValueKind::kShareName:
      return !is_special_name(value) && !is_folded_by_samba(value) &&
             g_utf8_validate(value.data(), static_cast<gssize>(value.size()), nullptr);
    default: return true;
  }
}

}  // namespace

bool is_acceptable(ValueKind kind, std::string_view value) {
  const Table& bad = bad_characters(kind);
  return has_acceptable_shape(kind, value) && std::none_of(value.begin(), value.end(), [&](char c) {
           return bad[static_cast<unsigned char>(c)];
         });
}

std::string flattened(ValueKind kind, std::string_view value) {
  const Table& bad = bad_characters(kind);
  // Kinds that refuse blanks, and names of shares, get an underscore.
  const bool blanks_refused = kind == ValueKind::kAccountName || kind == ValueKind::kDhcpWord ||
                              kind == ValueKind::kLogHost || kind == ValueKind::kSharePath ||
                              kind == ValueKind::kShareName;
  const char blank = blanks_refused ? '_' : ' ';
  std::string clean;
  clean.reserve(value.size());
  for (const char c : value) {
    if (c == '\0') continue;
    clean += bad[static_cast<unsigned char>(c)] ? blank : c;
  }
  if (kind == ValueKind::kAccountName) {
    if (clean.size() > kLongestAccountName) clean.resize(kLongestAccountName);
    if (!clean.empty() && !has_acceptable_shape(kind, clean)) clean[0] = '_';
  }
  if ((kind == ValueKind::kPathComponent || kind == ValueKind::kShareName) &&
      !is_acceptable(kind, clean))
    return "";
  return clean;
}

}  // namespace nexa
