// The Samba configuration in memory: the file's kept lines, its sections as
// tables of parameters, and the text written back.
#include "sharing/smb_conf.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/config_values.h"
#include "core/string_lists.h"
#include "core/text_files.h"

namespace nexa {

namespace {

// The line's text without its end ("\n" or "\r\n").
std::string_view without_line_feed(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// A carriage return inside a line is a line break to some readers: the
// model holds a blank instead, so what it writes reads back the same.
std::string one_line(std::string_view text) {
  return flattened(ValueKind::kFreeText, text);
}

std::string_view without_leading_blanks(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view without_trailing_blanks(std::string_view text) {
  const size_t end = text.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
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

// A name the reader gives back as the same parameter: nothing that opens
// a header or a comment, no line break, no blank in front.
bool is_parameter_name(std::string_view key) {
  return is_acceptable(ValueKind::kFreeText, key) && key.find_first_of(" \t;#[") != 0;
}

// Adds one parameter line of a section body, with the continuation lines
// after it; returns the cell after what it used. A line without "=" sets
// nothing (Samba ignores it too) and is left out.
GSList* add_parameter(GHashTable& section, GSList* cell, GSList* end) {
  const std::string_view line = static_cast<const char*>(cell->data);
  cell = cell->next;
  const size_t equals = line.find('=');
  if (line.size() < 2 || equals == std::string_view::npos) return cell;
  std::string value = one_line(without_line_feed(line.substr(equals + 1)));
  while (continues(value) && cell != end) {
    value = without_trailing_blanks(value);
    value.pop_back();
    value += one_line(without_line_feed(static_cast<const char*>(cell->data)));
    cell = cell->next;
  }
  const std::string name = one_line(line.substr(0, equals));
  const std::string_view key = without_trailing_blanks(without_leading_blanks(name));
  // The table keeps the section's own name under "section"; Samba takes
  // a line opening with "[" for a (here broken) header.
  if (key != kSectionKey && is_parameter_name(key))
    put_parameter(section, key, without_continuation(without_leading_blanks(value)));
  return cell;
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
        static_cast<std::string*>(out)
            ->append(k)
            .append("=")
            .append(without_continuation(
                flattened(ValueKind::kFreeText, static_cast<const char*>(value))))
            .append("\n");
      },
      &text);
}

}  // namespace

StringListPtr read_smb_lines(FILE* file) {
  std::vector<std::string> kept;
  char* buffer = nullptr;
  size_t room = 0;
  ssize_t length;
  while ((length = ::getline(&buffer, &room, file)) >= 0) {
    const std::string_view line =
        without_leading_blanks(std::string_view(buffer, static_cast<size_t>(length)));
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '\0') continue;
    kept.emplace_back(line);
  }
  std::free(buffer);
  return to_string_list(kept);
}

sys::Result<StringListPtr> load_smb_lines(std::string_view path) {
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return sys::Status::failure(file.error());
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
    RecordTablePtr section =
        new_section(one_line(*section_name(static_cast<const char*>(first->data))));
    for (GSList* cell = first->next; cell && cell != end;)
      cell = add_parameter(*section, cell, end);
    sections = g_slist_prepend(sections, section.release());
  }
  return RecordListPtr(g_slist_reverse(sections));
}

RecordListPtr sections_of(GSList* lines) {
  GSList* headers = header_cells(lines);
  RecordListPtr sections = sections_from_headers(headers);
  g_slist_free(headers);
  return sections;
}

RecordListPtr load_smb_conf(std::string_view path) {
  const sys::Result<StringListPtr> lines = load_smb_lines(path);
  return lines ? sections_of(lines->get()) : nullptr;
}

GHashTable* find_section(GSList* sections, std::string_view name) {
  for (GSList* cell = sections; cell; cell = cell->next) {
    auto* section = static_cast<GHashTable*>(cell->data);
    const auto* own = static_cast<const char*>(g_hash_table_lookup(section, kSectionKey));
    if (own && own == name) return section;
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
  const std::string k(key);
  gpointer old_key = nullptr;
  gpointer old_value = nullptr;
  if (g_hash_table_steal_extended(&section, k.c_str(), &old_key, &old_value)) {
    std::free(old_key);
    std::free(old_value);
  }
  g_hash_table_insert(&section, strdup(k.c_str()), strdup(std::string(value).c_str()));
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
  for (const char* reserved : {"global", "homes", "printers"})
    if (name.size() == std::strlen(reserved) &&
        ::strncasecmp(name.data(), reserved, name.size()) == 0)
      return true;
  return false;
}

}  // namespace nexa
