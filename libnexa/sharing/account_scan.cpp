// Reading the names and ids of the account files' records for the id
// rules: one pass over the text, no record built, as the rules run on
// every addition and the files hold thousands of accounts.
#include <charconv>

#include "sharing/accounts.h"

namespace nexa {

namespace {

// As the C library's readers: leading blanks skipped, "#" starts a comment.
std::string_view record_text(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos || line[start] == '#') return {};
  return line.substr(start);
}

std::optional<uint32_t> number(std::string_view field) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || error != std::errc() || end != field.data() + field.size()) return {};
  return value;
}

// One pass over the record's characters: the ends of its first three
// fields and the number of fields.
IdRecord id_record(std::string_view record, size_t fields) {
  const char* const begin = record.data();
  const char* const end = begin + record.size();
  const char* ends[3] = {end, end, end};
  size_t count = 1;
  for (const char* c = begin; c != end; ++c) {
    if (*c != ':') continue;
    if (count <= 3) ends[count - 1] = c;
    ++count;
  }
  IdRecord result{std::string_view(begin, static_cast<size_t>(ends[0] - begin)), std::nullopt};
  if (count == fields)
    result.id = number(std::string_view(ends[1] + 1, static_cast<size_t>(ends[2] - ends[1] - 1)));
  return result;
}

}  // namespace

std::vector<IdRecord> id_records(std::string_view text, size_t fields) {
  std::vector<IdRecord> records;
  records.reserve(text.size() / 32);  // lines are rarely shorter
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view record = record_text(text.substr(0, end));
    if (!record.empty()) records.push_back(id_record(record, fields));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return records;
}

}  // namespace nexa
