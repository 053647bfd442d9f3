// Text files as line lists, and whole-file writers.
#pragma once

#include <glib.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"

namespace nexa {

// Lines are read in pieces of at most this many characters.
inline constexpr size_t kLinePiece = 1023;

// Makes the missing parent directories (0755), then replaces the file
// atomically with the text and gives it the mode; on failure the old file
// is untouched.
sys::Status write_text_file(std::string_view text, std::string_view path, mode_t mode);
sys::Status write_lines(const std::vector<std::string_view>& lines, std::string_view path,
                        mode_t mode);
// The file's lines, each with its line feed, longer ones in pieces.
sys::Result<std::vector<std::string>> load_lines(std::string_view path);

}  // namespace nexa
