// Run-level switches in the run-level file and the inetd files.
#include "services/run_levels.h"

#include <syslog.h>

#include <cstdio>

#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/sys.h"
#include "core/text_files.h"

namespace nexa {
namespace {

constexpr mode_t kInetdFileMode = 0644;

std::string_view without_leading_blanks(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

// Whether the line holds the word after leading blanks, followed by one of
// the characters that may end it.
bool starts_with_word(std::string_view line, std::string_view word, std::string_view ends) {
  const std::string_view rest = without_leading_blanks(line);
  return rest.starts_with(word) && rest.size() > word.size() &&
         ends.find(rest[word.size()]) != std::string_view::npos;
}

bool is_telnet_entry(std::string_view line) {
  return starts_with_word(line, "telnet", " \t");
}

std::string joined(const std::vector<std::string_view>& lines) {
  std::string text;
  for (const std::string_view line : lines) text += line;
  return text;
}

// The text with a line feed after its last line, so that a line replaced
// or added there stays a line of its own.
std::string closed_text(std::string_view text) {
  std::string closed(text);
  if (!closed.empty() && !closed.ends_with('\n')) closed += '\n';
  return closed;
}

// The file's text, or "" when there is none; nothing when it is there but
// cannot be read (rewriting it would lose it).
std::optional<std::string> existing_text(std::string_view path) {
  sys::Result<std::string> text = sys::read_file(path);
  if (text) return std::move(*text);
  if (sys::exists(path)) return std::nullopt;
  return std::string();
}

int refuse(std::string_view what, std::string_view file) {
  sys::log(LOG_ERR,
           std::string(what) + " holds a line break, " + std::string(file) + " left as it is\n");
  return -1;
}

}  // namespace

std::string with_run_level_line(std::string_view text, std::string_view key, bool yes) {
  const std::string line = std::string(key) + (yes ? "=\"YES\"\n" : "=\"NO\"\n");
  const std::string closed = closed_text(text);
  std::vector<std::string_view> lines = text_lines(closed);
  bool replaced = false;
  for (std::string_view& old : lines) {
    // Only key followed by "=": SAMBA must not take the SAMBA_WINS line.
    if (!without_leading_blanks(old).starts_with(std::string(key) + "=")) continue;
    old = line;
    replaced = true;
    break;
  }
  if (!replaced) lines.emplace_back(line);
  return joined(lines);
}

std::optional<std::string> with_telnet_ports(std::string_view text, std::string_view port) {
  const std::string closed = closed_text(text);
  std::vector<std::string_view> lines = text_lines(closed);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!is_telnet_entry(lines[i])) continue;
    const std::string tcp = "telnet          " + std::string(port) + "/tcp\n";
    const std::string udp = "telnet          " + std::string(port) + "/udp\n";
    lines[i] = tcp;
    // The udp entry takes the next line only when that is telnet's too;
    // another service's line (or the end of the file) stays.
    if (i + 1 < lines.size() && is_telnet_entry(lines[i + 1]))
      lines[i + 1] = udp;
    else
      lines.insert(lines.begin() + static_cast<long>(i) + 1, udp);
    return joined(lines);
  }
  return std::nullopt;
}

std::optional<std::string> with_telnet_switched(std::string_view text, bool enabled) {
  const std::string closed = closed_text(text);
  std::vector<std::string_view> lines = text_lines(closed);
  const std::string line = std::string(enabled ? kTelnetEnabled : kTelnetDisabled) + "\n";
  for (std::string_view& old : lines) {
    const std::string_view rest = without_leading_blanks(old);
    if (!rest.starts_with(kTelnetEnabled) && !rest.starts_with(kTelnetDisabled)) continue;
    old = line;
    return joined(lines);
  }
  return std::nullopt;
}

int update_rc_conf(OdbHandle& h, std::string_view ns, std::string_view key, std::string_view path,
                   mode_t mode) {
  const Found found = system_namespace(h, ns);
  if (!found.props) {
    say_at(NEXA_ORIGIN("nexalib"), "%s object not found\n", std::string(ns).c_str());
    return -1;
  }
  const char* enabled = odb_props_get(found.props, "enabled");
  if (!enabled) return 0;
  if (!is_acceptable(ValueKind::kFreeText, key)) return refuse("run-level key", path);
  const sys::Result<LockHold> hold = hold_for_edit(path);
  if (!hold) return -1;
  const std::optional<std::string> text = existing_text(path);
  if (!text) return -1;
  const std::string rewritten = with_run_level_line(*text, key, enabled[0] == '1');
  return write_text_file(rewritten, path, mode) ? 0 : -1;
}

namespace {

LineEdit write_edit(const std::optional<std::string>& rewritten, std::string_view path) {
  if (!rewritten) return LineEdit::kNotFound;
  return write_text_file(*rewritten, path, kInetdFileMode) ? LineEdit::kWritten
                                                           : LineEdit::kWriteFailed;
}

}  // namespace

LineEdit modify_inetd_services(std::string_view port) {
  const sys::Result<LockHold> hold = hold_for_edit(kServicesFile);
  if (!hold) return LineEdit::kFailed;
  const sys::Result<std::string> text = sys::read_file(kServicesFile);
  if (!text) return LineEdit::kFailed;
  if (!is_acceptable(ValueKind::kFreeText, port)) {
    refuse("telnet port", kServicesFile);
    return LineEdit::kFailed;
  }
  return write_edit(with_telnet_ports(*text, port), kServicesFile);
}

LineEdit modify_inetd_conf(std::string_view value) {
  const sys::Result<LockHold> hold = hold_for_edit(kInetdConf);
  if (!hold) return LineEdit::kFailed;
  const sys::Result<std::string> text = sys::read_file(kInetdConf);
  if (!text) return LineEdit::kFailed;
  return write_edit(with_telnet_switched(*text, value != "0"), kInetdConf);
}

}  // namespace nexa
