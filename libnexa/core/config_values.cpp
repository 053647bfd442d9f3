// Values from configuration objects, callers and the network, guarded in
// one place before they go into a file, a list or an array.
#include "core/config_values.h"

#include <algorithm>
#include <array>

namespace nexa {

namespace {

constexpr size_t kKinds = static_cast<size_t>(ValueKind::kPathComponent) + 1;

std::string_view forbidden(ValueKind kind) {
  using namespace std::string_view_literals;
  switch (kind) {
    case ValueKind::kFreeText: return "\r\n\0"sv;
    case ValueKind::kSectionName: return "\r\n\0[]"sv;
    case ValueKind::kAccountName: return "\r\n\0:, \t"sv;
    case ValueKind::kAccountField: return "\r\n\0:"sv;
    case ValueKind::kListItem: return "\r\n\0,"sv;
    case ValueKind::kOdbArrayItem: return "\r\n\0&"sv;
    case ValueKind::kDhcpWord: return "\r\n\0 \t;{}#\""sv;
    case ValueKind::kLogHost: return "\r\n\0 \t;#@()\"'\\"sv;
    case ValueKind::kPathComponent: return "\r\n\0/"sv;
  }
  return "\r\n\0"sv;
}

bool is_special_name(std::string_view value) {
  return value.empty() || value == "." || value == "..";
}

}  // namespace

bool is_acceptable(ValueKind kind, std::string_view value) {
  if (kind == ValueKind::kPathComponent && is_special_name(value)) return false;
  // Every value of every file passes here: one table lookup a character.
  using Table = std::array<bool, 256>;
  static const std::array<Table, kKinds> tables = [] {
    std::array<Table, kKinds> all{};
    for (size_t k = 0; k < kKinds; ++k)
      for (const char c : forbidden(static_cast<ValueKind>(k)))
        all[k][static_cast<unsigned char>(c)] = true;
    return all;
  }();
  const Table& bad = tables[static_cast<size_t>(kind)];
  return std::none_of(value.begin(), value.end(),
                      [&](char c) { return bad[static_cast<unsigned char>(c)]; });
}

std::string flattened(ValueKind kind, std::string_view value) {
  const std::string_view bad = forbidden(kind);
  // Kinds that refuse blanks get an underscore.
  const bool blanks_refused = kind == ValueKind::kAccountName || kind == ValueKind::kDhcpWord ||
                              kind == ValueKind::kLogHost;
  const char blank = blanks_refused ? '_' : ' ';
  std::string clean;
  clean.reserve(value.size());
  for (const char c : value) {
    if (c == '\0') continue;
    clean += bad.find(c) == std::string_view::npos ? c : blank;
  }
  if (kind == ValueKind::kPathComponent && is_special_name(clean)) return "";
  return clean;
}

}  // namespace nexa
