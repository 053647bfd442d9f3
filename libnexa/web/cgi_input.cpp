// CGI form input and the small string operations of the pages.
#include "web/cgi_input.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "core/messages.h"
#include "core/sys.h"

namespace nexa {

namespace {

bool is_hex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

char hex_pair_value(const char* two) {
  auto digit = [](char c) {
    // Above 64 is a letter of either case; anything else a decimal digit.
    return c > 64 ? ((c & 0xdf) - 'A') + 10 : c - '0';
  };
  return static_cast<char>(digit(two[0]) * 16 + digit(two[1]));
}

void unescape_url(char* text) {
  char* out = text;
  for (char* in = text; *in; ++in, ++out) {
    if (in[0] == '%' && is_hex(in[1]) && is_hex(in[2])) {
      *out = hex_pair_value(in + 1);
      in += 2;
    } else {
      *out = *in;
    }
  }
  *out = '\0';
}

FormFields parse_form(std::string_view body, bool decode) {
  FormFields fields;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view pair = body.substr(start, end - start);
    const size_t eq = pair.find('=');
    if (eq != std::string_view::npos) {
      std::string value(pair.substr(eq + 1));
      for (char& c : value)
        if (c == '+') c = ' ';
      if (decode) {
        unescape_url(value.data());
        value.resize(std::strlen(value.c_str()));
      }
      if (!value.empty()) fields.emplace_back(std::string(pair.substr(0, eq)), std::move(value));
    }
    start = end + 1;
  }
  return fields;
}

RecordTablePtr to_form_table(const FormFields& fields) {
  GHashTable* table = g_hash_table_new(g_str_hash, g_str_equal);
  for (const auto& [key, value] : fields) {
    gpointer old_key = nullptr, old_value = nullptr;
    if (g_hash_table_lookup_extended(table, key.c_str(), &old_key, &old_value)) {
      g_hash_table_remove(table, key.c_str());
      std::free(old_key);
      std::free(old_value);
    }
    g_hash_table_insert(table, strdup(key.c_str()), strdup(value.c_str()));
  }
  return RecordTablePtr(table);
}

std::optional<unsigned long long> content_length() {
  const char* text = sys::environment("CONTENT_LENGTH");
  if (!text) return std::nullopt;
  errno = 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (errno == ERANGE && value > 0) return ULLONG_MAX;
  if (value < 1) return std::nullopt;
  return static_cast<unsigned long long>(value);
}

sys::Result<FormFields> read_post_form(FILE* in) {
  const auto announced = content_length();
  if (!announced) return sys::Status::failure(ENODATA);
  // On the 32-bit appliance a huge length must not wrap into a small buffer.
  const size_t length = *announced < SIZE_MAX ? static_cast<size_t>(*announced) : 0;
  std::unique_ptr<char[]> body(length ? new (std::nothrow) char[length + 1] : nullptr);
  if (!body) return sys::Status::failure(ENOMEM);
  if (std::fread(body.get(), 1, length, in) != length) return sys::Status::failure(EIO);
  body[length] = '\0';
  // The body is a text: it ends at its first zero byte.
  return parse_form(body.get(), true);
}

FormFields query_form() {
  // Parsed from a copy: the environment stays as it was, so a second reader
  // sees the whole query too.
  const char* query = sys::environment("QUERY_STRING");
  return query ? parse_form(query, false) : FormFields{};
}

int read_line(FILE* in, char* buf, int n) {
  int count = 0;
  while (count < n) {
    const int c = std::fgetc(in);
    if (c == EOF) break;
    buf[count] = static_cast<char>(c);
    if (c == '\n') return count + 1;
    ++count;
  }
  if (count == n) return n;
  return count == 0 ? 0 : count + 1;
}

std::string replaced(std::string_view text, char from, char to) {
  std::string copy(text);
  std::replace(copy.begin(), copy.end(), from, to);
  return copy;
}

}  // namespace nexa
