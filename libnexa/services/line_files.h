// Small line-oriented system files (the crontab, the logger configuration,
// the BitTorrent client's settings) edited as whole lines, never cut.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"

namespace nexa {

// The lines of a text, each with its line feed; a last line without one
// comes last as it is.
std::vector<std::string_view> text_lines(std::string_view text);
// The same lines as copies, for editing in place.
std::vector<std::string> whole_lines(std::string_view text);
// The file's whole lines; a missing file has none.
sys::Result<std::vector<std::string>> load_whole_lines(std::string_view path);
// The lines without the records holding pattern (non-empty, non-comment
// lines, as nexalib_remove_record_from_list removes them).
std::vector<std::string> without_records(const std::vector<std::string>& lines,
                                         std::string_view pattern);
// The lines joined; a last line without its line feed gets one, so that
// whatever follows starts a line of its own.
std::string joined_lines(const std::vector<std::string>& lines);
// Removes the records holding pattern from the file, appends line (which
// ends with its line feed; empty for none) and replaces the file with
// mode.
sys::Status replace_records(std::string_view path, std::string_view pattern, std::string_view line,
                            mode_t mode);

}  // namespace nexa
