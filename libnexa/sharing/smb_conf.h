// The Samba configuration in memory: the file's kept lines, its sections as
// tables of parameters, and the text written back.
#pragma once

#include <glib.h>
#include <sys/types.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/owners.h"
#include "core/sys.h"

namespace nexa {

// What an edit of a section list did; the change flag callers collect.
enum class Change { kRefused = -1, kUnchanged = 1, kChanged = 2 };

inline constexpr const char* kSectionKey = "section";

// The file's lines with leading blanks removed, comments and empty lines
// dropped; each whole physical line with its line feed.
StringListPtr read_smb_lines(FILE* file);
sys::Result<StringListPtr> load_smb_lines(std::string_view path);
// The text between "[" and the first "]" of a header line.
std::optional<std::string_view> section_name(std::string_view line);
// The cells of the line list that hold headers (borrowed, in order).
GSList* header_cells(GSList* lines);
// One table per header; the body of a header runs to the next one.
RecordListPtr sections_from_headers(GSList* headers);
// The sections of a line list, and of a file's text (the same).
RecordListPtr sections_of(GSList* lines);
RecordListPtr sections_of_text(std::string_view text);
// The file as a section list; nothing when it cannot be read.
RecordListPtr load_smb_conf(std::string_view path);

GHashTable* find_section(GSList* sections, std::string_view name);
// The first section Samba takes for the same share as name while its own
// name differs: Samba folds blanks and compares names without regard to
// case, so it would merge a section of name into that one.
GHashTable* find_other_spelling(GSList* sections, std::string_view name);
// Takes the first section of that name out of the list and frees it.
GSList* remove_section(GSList* sections, std::string_view name, Change& change);
// A new section table holding only its name.
RecordTablePtr new_section(std::string_view name);
// Sets key to value in the table, replacing any entry of that key.
void put_parameter(GHashTable& section, std::string_view key, std::string_view value);
// Changes the value of a key the section already has.
Change set_parameter(GHashTable& section, std::string_view key, std::string_view value);

std::string smb_conf_text(GSList* sections);
sys::Status write_smb_conf(GSList* sections, std::string_view path, mode_t mode);

// "@a,@b": Unix groups in Samba's user lists; names that are no account
// name are left out.
std::string smb_group_list(const std::vector<std::string_view>& groups);

// Section names that Samba reads as server-wide settings or special shares
// ("global", "homes", "printers", "IPC$", in any case).
bool is_reserved_section(std::string_view name);

}  // namespace nexa
