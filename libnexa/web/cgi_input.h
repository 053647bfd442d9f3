// CGI form input and the small string operations of the pages.
#pragma once

#include <glib.h>

#include "core/owners.h"
#include "core/sys.h"

#include <cstdio>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nexa {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Splits "k=v&k=v" into pairs; "+" in values becomes a blank and, with
// decode, "%" escapes are decoded. Pairs without "=" or with an empty value
// are left out; later keys replace earlier ones when put into a table.
FormFields parse_form(std::string_view body, bool decode);
// A form table as the pages use it: malloc'ed keys and values.
RecordTablePtr to_form_table(const FormFields& fields);

// CONTENT_LENGTH read as atoi would (leading digits); nullopt when absent
// or below 1. Values beyond what memory can hold stay large, never wrap.
std::optional<unsigned long long> content_length();

// The POST body's form; ENODATA when CONTENT_LENGTH is absent or below 1,
// ENOMEM when no buffer holds the announced length, EIO when the body is
// shorter than announced.
sys::Result<FormFields> read_post_form(FILE* in);
// The QUERY_STRING's form ("%" escapes kept); empty when there is none.
FormFields query_form();

// Reads in up to n characters or a line feed (kept, no terminator added);
// 0 at the end of input, n when n characters were read, otherwise the
// characters read plus one.
int read_line(FILE* in, char* buf, int n);
// A copy with every from replaced by to.
std::string replaced(std::string_view text, char from, char to);

char hex_pair_value(const char* two);
// Decodes "%" and two hexadecimal digits; an escape cut short or with other
// characters stays as it is.
void unescape_url(char* text);

}  // namespace nexa
