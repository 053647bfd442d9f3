// Fuzz target: proftpd.conf contents through the Directory block finder and
// removal. The first line names the directory; the rest is the file, cut
// into the pieces the loader makes of it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/owners.h"
#include "core/text_files.h"
#include "sharing/ftp_shares.h"

namespace {

nexa::StringListPtr pieces_of(std::string_view text) {
  GSList* lines = nullptr;
  while (!text.empty()) {
    const size_t line_end = text.find('\n');
    const size_t end =
        std::min(line_end == std::string_view::npos ? text.size() : line_end + 1, nexa::kLinePiece);
    lines = g_slist_prepend(lines, strndup(text.data(), end));
    text.remove_prefix(end);
  }
  return nexa::StringListPtr(g_slist_reverse(lines));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.find('\0') != std::string_view::npos) return 0;  // files are read as C strings
  const size_t name_end = std::min(input.find('\n'), input.size());
  const auto opening = nexa::directory_opening(input.substr(0, name_end));
  input.remove_prefix(std::min(name_end + 1, input.size()));
  if (!opening) return 0;
  nexa::StringListPtr lines = pieces_of(input);
  const guint before = g_slist_length(lines.get());
  const auto block = nexa::find_block(lines.get(), *opening);
  if (block && (g_slist_position(lines.get(), block->first) < 0 ||
                (block->after && g_slist_position(block->first, block->after) <= 0)))
    std::abort();
  const bool removed = nexa::remove_blocks(lines, *opening);
  if (removed != block.has_value() || nexa::find_block(lines.get(), *opening) ||
      (removed && g_slist_length(lines.get()) >= before))
    std::abort();
  return 0;
}
