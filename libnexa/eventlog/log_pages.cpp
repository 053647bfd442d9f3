// The page files a log is cut into for display, 30 lines a page.
#include "eventlog/log_pages.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/owners.h"
#include "core/sys.h"

namespace nexa {
namespace {

constexpr int kPages = 9;
constexpr int kReadsPerPage = 30;
// A read takes at most this many characters: a longer line goes on in the
// next read, which counts as one of the page's reads.
constexpr size_t kPiece = 254;

// Appends up to 30 pieces of the log to one page file (created even when
// the log has ended).
void write_page(std::FILE* log, const std::string& page) {
  sys::Result<FilePtr> out = sys::open_file(page, "a");
  if (!out) return;
  char piece[kPiece + 1];
  for (int read = 0; read < kReadsPerPage; ++read) {
    if (!std::fgets(piece, sizeof piece, log)) continue;
    if (std::strcmp(piece, "\n") == 0) continue;
    std::fputs(piece, out->get());
  }
}

}  // namespace

void write_log_pages(std::string_view name, std::string_view dir, std::string_view path) {
  if (!is_acceptable(ValueKind::kPathComponent, name)) return;
  const std::string log_dir = std::string(dir) + "/log";
  // The name stays one literal word; only the trailing "*" is a pattern.
  CommandLine remove("rm -rf ");
  remove.operand(sys::map_path(log_dir)).text("/.").word(name).text("*");
  sys::run_command(remove);
  CommandLine make("mkdir -p ");
  make.operand(sys::map_path(log_dir));
  sys::run_command(make);

  sys::Result<FilePtr> log = sys::open_file(path, "r");
  if (!log) return;
  const std::string stem = log_dir + "/." + std::string(name);
  for (int n = 1; n <= kPages; ++n) write_page(log->get(), stem + std::to_string(n));
}

}  // namespace nexa
