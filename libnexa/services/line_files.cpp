// Small line-oriented system files edited as whole lines.
#include "services/line_files.h"

#include <algorithm>
#include <cerrno>

#include "core/file_locks.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "core/text_files.h"

namespace nexa {

std::vector<std::string_view> text_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const size_t size = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, size));
    text.remove_prefix(size);
  }
  return lines;
}

std::vector<std::string> whole_lines(std::string_view text) {
  const std::vector<std::string_view> views = text_lines(text);
  return {views.begin(), views.end()};
}

sys::Result<std::vector<std::string>> load_whole_lines(std::string_view path) {
  sys::Result<std::string> text = sys::read_file(path);
  if (!text) {
    if (text.error() == ENOENT) return std::vector<std::string>{};
    return text.status();
  }
  return whole_lines(*text);
}

std::vector<std::string> without_records(const std::vector<std::string>& lines,
                                         std::string_view pattern) {
  // The one rule of what a record is lives with the exported list
  // operation. It sees each line up to a NUL byte and keeps the order, and
  // equal texts share their fate, so its survivors are matched back to the
  // whole lines in order.
  StringListPtr list(remove_records(to_string_list(lines).release(), pattern));
  std::vector<std::string> kept;
  const GSList* node = list.get();
  for (const std::string& line : lines) {
    if (!node || std::string_view(line.c_str()) != static_cast<const char*>(node->data)) continue;
    kept.push_back(line);
    node = node->next;
  }
  return kept;
}

std::string joined_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

sys::Status replace_records(std::string_view path, std::string_view pattern, std::string_view line,
                            mode_t mode) {
  const sys::Result<LockHold> hold = hold_for_edit(path);
  if (!hold) return hold.status();
  sys::Result<std::vector<std::string>> lines = load_whole_lines(path);
  if (!lines) return lines.status();
  std::string text = joined_lines(without_records(*lines, pattern));
  text += line;
  return write_text_file(text, path, mode);
}

}  // namespace nexa
