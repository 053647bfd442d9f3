// Text files as line lists, and whole-file writers.
#include "core/text_files.h"

#include "core/directories.h"

namespace nexa {

sys::Status write_text_file(std::string_view text, std::string_view path, mode_t mode) {
  create_parent_directories(path);
  return sys::replace_file(path, text, mode);
}

sys::Status write_lines(const std::vector<std::string_view>& lines, std::string_view path,
                        mode_t mode) {
  std::string text;
  for (const std::string_view line : lines) text += line;
  return write_text_file(text, path, mode);
}

sys::Result<std::vector<std::string>> load_lines(std::string_view path) {
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return file.status();
  std::vector<std::string> lines;
  char piece[kLinePiece + 1];
  while (std::fgets(piece, sizeof piece, file->get())) lines.emplace_back(piece);
  return lines;
}

}  // namespace nexa
