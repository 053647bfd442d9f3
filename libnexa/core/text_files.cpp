// Text files as line lists, and whole-file writers.
#include "core/text_files.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/directories.h"
#include "core/sys.h"

namespace nexa {

int write_text_file(std::string_view text, const char* path, mode_t mode) {
  if (!path) return 1;
  create_directories(path, mode);
  return sys::replace_file(path, text, mode) ? 0 : 1;
}

int write_line_list(GSList* lines, const char* path, mode_t mode) {
  std::string text;
  for (GSList* node = lines; node; node = node->next)
    if (node->data) text += static_cast<const char*>(node->data);
  return write_text_file(text, path, mode);
}

GSList* load_line_list(const char* path) {
  if (!path) return nullptr;
  sys::Result<FilePtr> file = sys::open_file(path, "r");
  if (!file) return nullptr;
  GSList* lines = nullptr;
  char piece[kLinePiece + 1];
  while (std::fgets(piece, sizeof piece, file->get())) lines = g_slist_prepend(lines, strdup(piece));
  return g_slist_reverse(lines);
}

}  // namespace nexa
