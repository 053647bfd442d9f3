// Control of the rtorrent BitTorrent client.
#include "services/bittorrent.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "core/sys.h"
#include "core/text_files.h"
#include "services/line_files.h"

namespace nexa {
namespace {

constexpr std::string_view kBlanks = " \t";

bool starts_after_blanks(std::string_view line, std::string_view word) {
  const size_t start = line.find_first_not_of(kBlanks);
  return start != std::string_view::npos && line.substr(start).starts_with(word);
}

bool holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A process id as ps prints it: decimal digits only, never 0 (which would
// make kill hit the whole process group).
std::optional<long> decimal_pid(std::string_view word) {
  if (word.empty() || word.size() > 9) return std::nullopt;
  long pid = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  if (pid == 0) return std::nullopt;
  return pid;
}

// The ps output file sits where the caller says (often /tmp): read it
// without following a link planted there after ps wrote it.
sys::Result<std::string> read_unlinked_file(std::string_view path) {
  const sys::Result<UniqueFd> fd =
      sys::open_descriptor(path, O_RDONLY | O_NOFOLLOW, 0, sys::LastLink::kKeep);
  if (!fd) return fd.status();
  return sys::read_all(fd->get());
}

}  // namespace

std::optional<std::string> with_rates(std::string_view text, const char* download,
                                      const char* upload) {
  const struct {
    std::string_view key;
    const char* rate;
  } settings[] = {{"download_rate", download}, {"upload_rate", upload}};
  std::vector<std::string> lines = whole_lines(text);
  bool rewritten = false;
  for (std::string& line : lines)
    for (const auto& setting : settings) {
      if (!setting.rate || !starts_after_blanks(line, setting.key)) continue;
      line = std::string(setting.key) + " = " + setting.rate + "\n";
      rewritten = true;
      break;
    }
  if (!rewritten) return std::nullopt;
  return joined_lines(lines);
}

void set_bt_conf(OdbHandle& h) {
  const Found bt = system_namespace(h, "BT");
  if (bt.oid == 0) {
    bye_cgi(h);
    return;
  }
  const char* download = bt.props ? odb_props_get(bt.props, "download") : nullptr;
  const char* upload = bt.props ? odb_props_get(bt.props, "upload") : nullptr;
  for (const char* rate : {download, upload})
    if (rate && !is_acceptable(ValueKind::kFreeText, rate)) {
      sys::log(LOG_ERR, "BitTorrent rate refused: it holds a line break\n");
      return;
    }
  const sys::Result<LockHold> hold = hold_for_edit(kRtorrentRc);
  if (!hold) return;
  const sys::Result<std::string> text = sys::read_file(kRtorrentRc);
  if (!text) return;
  if (const std::optional<std::string> changed = with_rates(*text, download, upload))
    write_text_file(*changed, kRtorrentRc, 0644);
}

std::optional<long> client_pid(std::string_view ps_output, std::string_view pattern) {
  std::optional<long> found;
  for (const std::string& line : whole_lines(ps_output)) {
    if (!holds(line, "rtorrent") || !holds(line, pattern) || holds(line, "sh -c")) continue;
    const std::string_view view = line;
    const size_t start = std::min(view.find_first_not_of(kBlanks), view.size());
    const std::string_view rest = view.substr(start);
    const std::string_view word = rest.substr(0, rest.find_first_of(" \t\n"));
    if (const std::optional<long> pid = decimal_pid(word)) found = pid;
  }
  return found;
}

void stop_bt(std::string_view pattern, std::string_view tmp_path) {
  if (!run_into_file(CommandLine("ps -aux | grep rtorrent"), tmp_path, "\n >/dev/null 2>&1"))
    return;
  const sys::Result<std::string> listing = read_unlinked_file(tmp_path);
  if (!listing) return;
  if (const std::optional<long> pid = client_pid(*listing, pattern))
    run_discarding_output(std::move(CommandLine("kill -9 ").number(*pid).text("\n")));
}

void remove_bt_status_files(std::string_view directory, std::string_view name) {
  if (!is_acceptable(ValueKind::kPathComponent, name)) {
    sys::log(LOG_ERR, "BitTorrent status files kept: the download name is no file name\n");
    return;
  }
  for (const Literal suffix : {Literal(".status\" \n"), Literal(".status.tmp\" \n")}) {
    CommandLine command("rm -f \"");
    command.operand_in_quotes(directory).text("/").in_quotes(name).text(suffix);
    run_discarding_output(std::move(command));
  }
}

sys::Result<int> started_sessions(OdbHandle& h) {
  GSList* oids = find_class_oids(h, "BT");
  if (!oids) {
    bye_handler(h, 0, "");
    return sys::Status::failure(ENOENT);
  }
  int count = 0;
  for (GSList* node = oids; node; node = node->next)
    if (prop_or_empty(get_main_props(h, oid_of(node)), "status") == "start") ++count;
  return count;
}

void start_wait_sessions(OdbHandle& h) {
  sys::Result<int> running = started_sessions(h);
  if (!running) return;
  for (GSList* node = find_class_oids(h, "BT"); node; node = node->next) {
    OdbProps* props = get_main_props(h, oid_of(node));
    if (prop_or_empty(props, "status") != "wait" || *running > kMaxRunningDownloads - 1) continue;
    PropsPtr changes = new_props();
    odb_props_set(changes.get(), "start", prop_or_empty(props, "start") == "1" ? "0" : "1");
    odb_set_cmnd(&h, oid_of(node), "", changes.get());
    ++*running;
  }
}

}  // namespace nexa
