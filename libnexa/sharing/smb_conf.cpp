// The Samba configuration in memory: the file's kept lines, its sections as
// tables of parameters, and the text written back.
#include "sharing/smb_conf.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "core/config_values.h"
#include "core/string_lists.h"
#include "core/text_files.h"

namespace nexa {

namespace {

// A malloc'ed copy, up to a NUL as any C string.
char* copy_of(std::string_view text) {
  return text.empty() ? strdup("") : strndup(text.data(), text.size());
}

// The line's text without its end ("\n" or "\r\n").
std::string_view without_line_feed(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// A carriage return inside a line is a line break to some readers: the
// model holds a blank instead, so what it writes reads back the same.
// Most texts are fine as they are and are appended without a copy.
void append_one_line(std::string& out, std::string_view text) {
  if (is_acceptable(ValueKind::kFreeText, text))
    out += text;
  else
    out += flattened(ValueKind::kFreeText, text);
}

// The text itself, or its flattened copy kept in storage.
std::string_view one_line(std::string_view text, std::string& storage) {
  if (is_acceptable(ValueKind::kFreeText, text)) return text;
  storage = flattened(ValueKind::kFreeText, text);
  return storage;
}

std::string_view without_leading_blanks(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view without_trailing_blanks(std::string_view text) {
  const size_t end = text.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// A section name as Samba looks it up: blank runs as one blank, none at
// the ends, and case folded (byte by byte where the name is no UTF-8).
std::string samba_key(std::string_view name) {
  std::string folded;
  for (const char c : without_trailing_blanks(without_leading_blanks(name))) {
    const bool blank = c == ' ' || c == '\t';
    if (blank && folded.ends_with(' ')) continue;
    folded += blank ? ' ' : c;
  }
  const auto size = static_cast<gssize>(folded.size());
  const bool utf8 = g_utf8_validate(folded.data(), size, nullptr);
  char* cased = utf8 ? g_utf8_casefold(folded.data(), size) : g_ascii_strdown(folded.data(), size);
  std::string key(cased);
  g_free(cased);
  return key;
}

// A line ending in a backslash goes on in the next line, as Samba reads it.
bool continues(std::string_view value) {
  return without_trailing_blanks(value).ends_with('\\');
}

// A value written with a backslash at its end would swallow the next
// line; one read with nothing left to join has nothing to go on with.
std::string_view without_continuation(std::string_view value) {
  while (continues(value)) {
    value = without_trailing_blanks(value);
    value.remove_suffix(1);
  }
  return value;
}

// Whether a parameter line starting with this name reads back as one: not
// as a header or a comment, and without blanks in front.
bool opens_parameter(std::string_view key) {
  return key.empty() || std::string_view(" \t;#[").find(key[0]) == std::string_view::npos;
}

// A name the reader gives back as the same parameter: also on one line.
bool is_parameter_name(std::string_view key) {
  return is_acceptable(ValueKind::kFreeText, key) && opens_parameter(key);
}

// Adds one parameter line of a section body, with the continuation lines
// after it; returns how many lines it used. A line without "=" sets nothing
// (Samba ignores it too) and is left out.
size_t add_parameter(GHashTable& section, std::span<const std::string_view> body) {
  const std::string_view line = body[0];
  size_t used = 1;
  const size_t equals = line.find('=');
  if (line.size() < 2 || equals == std::string_view::npos) return used;
  std::string value_storage, name_storage;
  std::string_view value = one_line(without_line_feed(line.substr(equals + 1)), value_storage);
  if (continues(value) && used < body.size()) {
    value_storage = std::string(value);  // value may point into it
    while (continues(value_storage) && used < body.size()) {
      value_storage = without_trailing_blanks(value_storage);
      value_storage.pop_back();
      append_one_line(value_storage, without_line_feed(body[used++]));
    }
    value = value_storage;
  }
  const std::string_view key = without_trailing_blanks(
      without_leading_blanks(one_line(line.substr(0, equals), name_storage)));
  // The table keeps the section's own name under "section"; Samba takes
  // a line opening with "[" for a (here broken) header.
  if (key != kSectionKey && opens_parameter(key))
    put_parameter(section, key, without_continuation(without_leading_blanks(value)));
  return used;
}

// A section from its header line and the lines of its body.
RecordTablePtr parse_section(std::string_view header, std::span<const std::string_view> body) {
  std::string storage;
  RecordTablePtr section = new_section(one_line(*section_name(header), storage));
  for (size_t i = 0; i < body.size();) i += add_parameter(*section, body.subspan(i));
  return section;
}

// The line as the model keeps it (cut at a NUL by the caller, as any C
// string), leading blanks removed; nothing for a comment or an empty line.
std::optional<std::string_view> kept_line(std::string_view line) {
  line = without_leading_blanks(line);
  if (line.empty() || line[0] == ';' || line[0] == '#') return std::nullopt;
  return line;
}

void append_section_text(std::string& text, GHashTable* section) {
  const auto* name = static_cast<const char*>(g_hash_table_lookup(section, kSectionKey));
  if (!name) return;  // a table without a name cannot be written as a section
  // A name read from a header ends at its first "]"; only such a name is
  // written as it is.
  const std::string_view own = name;
  const bool reads_back = is_acceptable(ValueKind::kFreeText, own) && own.find(']') == own.npos;
  text.append("[")
      .append(reads_back ? std::string(own) : flattened(ValueKind::kSectionName, own))
      .append("]\n");
  g_hash_table_foreach(
      section,
      [](gpointer key, gpointer value, gpointer out) {
        const std::string_view k = static_cast<const char*>(key);
        // The last guard: no entry of a table reaches the file as a header,
        // a comment or two lines.
        if (k == kSectionKey || !is_parameter_name(k)) return;
        auto& text = *static_cast<std::string*>(out);
        text.append(k).append("=");
        const size_t start = text.size();
        append_one_line(text, static_cast<const char*>(value));
        text.resize(start + without_continuation(std::string_view(text).substr(start)).size());
        text += '\n';
      },
      &text);
}

}  // namespace

StringListPtr read_smb_lines(FILE* file) {
  GSList* kept = nullptr;
  char* buffer = nullptr;
  size_t room = 0;
  while (::getline(&buffer, &room, file) >= 0) {
    // The line as a C string: up to a NUL.
    if (const auto line = kept_line(buffer)) kept = g_slist_prepend(kept, copy_of(*line));
  }
  std::free(buffer);
  return StringListPtr(g_slist_reverse(kept));
}

sys::Result<StringListPtr> load_smb_lines(std::string_view path) {
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return file.status();
  return read_smb_lines(file->get());
}

std::optional<std::string_view> section_name(std::string_view line) {
  line = without_leading_blanks(line);
  if (!line.starts_with('[')) return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

GSList* header_cells(GSList* lines) {
  GSList* headers = nullptr;
  for (GSList* cell = lines; cell; cell = cell->next)
    if (cell->data && section_name(static_cast<const char*>(cell->data)))
      headers = g_slist_prepend(headers, cell);
  return g_slist_reverse(headers);
}

RecordListPtr sections_from_headers(GSList* headers) {
  GSList* sections = nullptr;
  for (GSList* header = headers; header; header = header->next) {
    auto* first = static_cast<GSList*>(header->data);
    GSList* end = header->next ? static_cast<GSList*>(header->next->data) : nullptr;
    std::vector<std::string_view> body;
    for (GSList* cell = first->next; cell && cell != end; cell = cell->next)
      body.emplace_back(static_cast<const char*>(cell->data));
    sections = g_slist_prepend(
        sections, parse_section(static_cast<const char*>(first->data), body).release());
  }
  return RecordListPtr(g_slist_reverse(sections));
}

RecordListPtr sections_of(GSList* lines) {
  GSList* headers = header_cells(lines);
  RecordListPtr sections = sections_from_headers(headers);
  g_slist_free(headers);
  return sections;
}

// The same sections as from the line list, read straight from the text.
RecordListPtr sections_of_text(std::string_view text) {
  std::vector<std::string_view> lines;
  std::vector<bool> headers;
  // Lines end at a NUL as C strings do; most files hold none.
  const bool has_nul = text.find('\0') != std::string_view::npos;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size() - 1);
    std::string_view line = text.substr(start, end - start + 1);
    if (has_nul) line = line.substr(0, line.find('\0'));
    if (const auto kept = kept_line(line)) {
      lines.push_back(*kept);
      headers.push_back(section_name(*kept).has_value());
    }
    start = end + 1;
  }
  GSList* sections = nullptr;
  size_t header = 0;
  while (header < lines.size() && !headers[header]) ++header;
  while (header < lines.size()) {
    size_t next = header + 1;
    while (next < lines.size() && !headers[next]) ++next;
    const std::span<const std::string_view> body(lines.data() + header + 1, next - header - 1);
    sections = g_slist_prepend(sections, parse_section(lines[header], body).release());
    header = next;
  }
  return RecordListPtr(g_slist_reverse(sections));
}

RecordListPtr load_smb_conf(std::string_view path) {
  const sys::Result<std::string> text = sys::read_file(path);
  return text ? sections_of_text(*text) : nullptr;
}

GHashTable* find_section(GSList* sections, std::string_view name) {
  for (GSList* cell = sections; cell; cell = cell->next) {
    auto* section = static_cast<GHashTable*>(cell->data);
    const auto* own = static_cast<const char*>(g_hash_table_lookup(section, kSectionKey));
    if (own && own == name) return section;
  }
  return nullptr;
}

GHashTable* find_other_spelling(GSList* sections, std::string_view name) {
  const std::string key = samba_key(name);
  for (GSList* cell = sections; cell; cell = cell->next) {
    auto* section = static_cast<GHashTable*>(cell->data);
    const auto* own = static_cast<const char*>(g_hash_table_lookup(section, kSectionKey));
    if (own && own != name && samba_key(own) == key) return section;
  }
  return nullptr;
}

GSList* remove_section(GSList* sections, std::string_view name, Change& change) {
  GHashTable* section = find_section(sections, name);
  if (!section) return sections;
  sections = g_slist_remove(sections, section);
  free_record_table(section);
  change = Change::kChanged;
  return sections;
}

RecordTablePtr new_section(std::string_view name) {
  RecordTablePtr section(g_hash_table_new(g_str_hash, g_str_equal));
  put_parameter(*section, kSectionKey, name);
  return section;
}

void put_parameter(GHashTable& section, std::string_view key, std::string_view value) {
  char* own_key = copy_of(key);
  gpointer old_key = nullptr;
  gpointer old_value = nullptr;
  if (g_hash_table_steal_extended(&section, own_key, &old_key, &old_value)) {
    std::free(old_key);
    std::free(old_value);
  }
  g_hash_table_insert(&section, own_key, copy_of(value));
}

Change set_parameter(GHashTable& section, std::string_view key, std::string_view value) {
  const std::string k(key);
  const auto* old = static_cast<const char*>(g_hash_table_lookup(&section, k.c_str()));
  if (!old || old == value) return Change::kUnchanged;
  put_parameter(section, key, value);
  return Change::kChanged;
}

std::string smb_conf_text(GSList* sections) {
  std::string text;
  for (GSList* cell = sections; cell; cell = cell->next)
    append_section_text(text, static_cast<GHashTable*>(cell->data));
  return text;
}

sys::Status write_smb_conf(GSList* sections, std::string_view path, mode_t mode) {
  return write_text_file(smb_conf_text(sections), path, mode);
}

std::string smb_group_list(const std::vector<std::string_view>& groups) {
  std::string text;
  for (const std::string_view group : groups) {
    if (!is_acceptable(ValueKind::kAccountName, group)) continue;
    text.append(text.empty() ? "@" : ",@").append(group);
  }
  return text;
}

bool is_reserved_section(std::string_view name) {
  for (const char* reserved : {"global", "homes", "printers", "ipc$"})
    if (name.size() == std::strlen(reserved) &&
        ::strncasecmp(name.data(), reserved, name.size()) == 0)
      return true;
  return false;
}

}  // namespace nexa
