// Text files as line lists, and whole-file writers.
#pragma once

#include <glib.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"

namespace nexa {

// How an edit of one line of a configuration file ended. The exported
// calls report it as a state (1, or 2 once the line was found and
// rewritten, written or not) and a result (0, or -1 on a failure).
enum class LineEdit { kFailed, kNotFound, kWritten, kWriteFailed };
inline int edit_state(LineEdit edit) {
  return edit == LineEdit::kWritten || edit == LineEdit::kWriteFailed ? 2 : 1;
}
inline int edit_result(LineEdit edit) {
  return edit == LineEdit::kFailed || edit == LineEdit::kWriteFailed ? -1 : 0;
}

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
