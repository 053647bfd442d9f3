// Values from configuration objects, callers and the network, guarded in
// one place before they go into a file, a list or an array.
#include "core/config_values.h"

namespace nexa {

namespace {

std::string_view forbidden(ValueKind kind) {
  using namespace std::string_view_literals;
  switch (kind) {
    case ValueKind::kFreeText: return "\r\n\0"sv;
    case ValueKind::kSectionName: return "\r\n\0[]"sv;
    case ValueKind::kAccountName: return "\r\n\0:, \t"sv;
    case ValueKind::kAccountField: return "\r\n\0:"sv;
    case ValueKind::kListItem: return "\r\n\0,"sv;
    case ValueKind::kOdbArrayItem: return "\r\n\0&"sv;
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
  return value.find_first_of(forbidden(kind)) == std::string_view::npos;
}

std::string flattened(ValueKind kind, std::string_view value) {
  const std::string_view bad = forbidden(kind);
  const char blank = kind == ValueKind::kAccountName ? '_' : ' ';
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
