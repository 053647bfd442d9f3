// Text files as line lists, and whole-file writers.
#pragma once

#include <glib.h>
#include <sys/types.h>

#include <string_view>

namespace nexa {

inline constexpr const char* kGroupFile = "/etc/group";
// Lines are read in pieces of at most this many characters.
inline constexpr size_t kLinePiece = 1023;

// Makes the missing parent directories (with mode), then replaces the file
// atomically with the text and gives it the mode. 0, or 1 when it could not
// be written (the old file is then untouched).
int write_text_file(std::string_view text, const char* path, mode_t mode);
int write_line_list(GSList* lines, const char* path, mode_t mode);
// NULL when the file cannot be opened.
GSList* load_line_list(const char* path);

}  // namespace nexa
