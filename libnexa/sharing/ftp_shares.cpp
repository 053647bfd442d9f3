// The FTP server's access rules: one Directory block per folder share and
// per user home in proftpd.conf, and the blocks hiding the system volume's
// service directories.
#include "sharing/ftp_shares.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/odb_access.h"
#include "core/string_lists.h"
#include "core/text_files.h"

namespace nexa {

namespace {

constexpr std::string_view kDenyAll = "<Limit DIRS READ WRITE>\nDenyAll\n</Limit>\n";
constexpr std::string_view kClosing = "</Directory>";
constexpr std::array<const char*, 4> kServiceDirectories = {"lost+found", "local", "log", "temp"};
constexpr int kCreated = 2;
constexpr int kDestroyed = 3;
// proftpd refuses the whole file for a longer line.
constexpr size_t kLongestLine = 4096;

const char* prop(OdbProps& props, const char* key) {
  return odb_props_get(&props, key);
}

const char* text_of(GSList* node) {
  return node->data ? static_cast<const char*>(node->data) : "";
}

bool ends_line(std::string_view text) {
  return text.ends_with('\n');
}

// A line of the file as the loader left it: in pieces when it was long.
struct WholeLine {
  GSList* first;
  GSList* next;        // the next line's first piece
  std::string joined;  // the pieces of a long line put together
  const char* c_str() const { return joined.empty() ? text_of(first) : joined.c_str(); }
};

WholeLine whole_line(GSList* node) {
  WholeLine line{node, node->next, {}};
  // Most lines are one piece, read where they are.
  if (ends_line(text_of(node)) || !line.next) return line;
  line.joined = text_of(node);
  while (line.next) {
    const std::string_view piece = text_of(line.next);
    line.joined += piece;
    line.next = line.next->next;
    if (ends_line(piece)) break;
  }
  return line;
}

// proftpd splits a directive's arguments at blanks, ends them at "#", reads
// a final backslash as a continuation and unescapes inside double quotes;
// a text holding any of those goes in quotes, so it stays one argument.
std::string config_word(std::string_view text) {
  if (!text.empty() && text.find_first_of(" \t\"\\#") == std::string_view::npos)
    return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::vector<std::string> odb_array(OdbProps& props, const char* key) {
  const char* array = prop(props, key);
  return array ? split_odb_array(array) : std::vector<std::string>{};
}

std::string allow_line(std::string_view directive, std::string_view names) {
  if (names.empty()) return "";
  std::string line = std::string(directive) + " " + config_word(names);
  return line.size() <= kLongestLine ? line + "\n" : "";
}

std::string allow_each(std::string_view directive, const std::vector<std::string>& names) {
  std::string lines;
  for (const std::string& name : names) lines += allow_line(directive, join_group_members({name}));
  return lines;
}

// Users on one line (proftpd admits any one of them), or one line each
// when the list is too long for one; groups one line each (a list of
// groups would admit only members of every one).
std::string allow_lines(OdbProps& share, const char* users_key, const char* groups_key) {
  const std::vector<std::string> users = odb_array(share, users_key);
  const std::string together =
      allow_line("AllowUser", join_group_members({users.begin(), users.end()}));
  const std::string user_lines = together.empty() ? allow_each("AllowUser", users) : together;
  return user_lines + allow_each("AllowGroup", odb_array(share, groups_key));
}

std::string limit(std::string_view rights, std::string allowed) {
  if (allowed.empty()) return allowed;
  return "<Limit DIRS " + std::string(rights) + ">\n" + allowed + "</Limit>\n";
}

std::string hidden_block(std::string_view opening) {
  return std::string(opening) + "\nHideNoAccess on\n<Limit ALL>\nDenyAll\n</Limit>\n</Directory>\n";
}

std::optional<std::string> opening_in(const char* base, const char* name) {
  const std::optional<std::string> path = path_in(base, name);
  return path ? directory_opening(*path) : std::nullopt;
}

// The opening of a block to write: proftpd takes "~" at the start for a
// home and patterns, "%" and a backslash anywhere for more than the path,
// so only a directory without them gets one.
std::optional<std::string> new_opening(std::string_view directory) {
  if (directory.starts_with('~') || !is_acceptable(ValueKind::kSharePath, directory))
    return std::nullopt;
  return directory_opening(directory);
}

std::optional<std::string> new_opening_in(const char* base, const char* name, ValueKind name_kind) {
  if (!name || !is_acceptable(name_kind, name)) return std::nullopt;
  const std::optional<std::string> path = path_in(base, name);
  return path ? new_opening(*path) : std::nullopt;
}

}  // namespace

std::optional<std::string> directory_opening(std::string_view directory) {
  if (directory.empty() || !is_acceptable(ValueKind::kFreeText, directory)) return std::nullopt;
  std::string opening = "<Directory " + config_word(directory) + ">";
  if (opening.size() > kLongestLine) return std::nullopt;
  return opening;
}

std::optional<std::string> path_in(const char* base, const char* name) {
  if (!base || !name || !*base || !is_acceptable(ValueKind::kFreeText, base) ||
      !is_acceptable(ValueKind::kPathComponent, name))
    return std::nullopt;
  return std::string(base) + "/" + name;
}

std::optional<FtpBlock> find_block(GSList* lines, std::string_view opening) {
  std::optional<FtpBlock> found;
  bool closed = false;
  for (GSList* node = lines; node;) {
    const WholeLine line = whole_line(node);
    node = line.next;
    std::string_view text = skip_blank(line.c_str());
    if (ends_line(text)) text.remove_suffix(1);
    if (text == opening) {
      found = FtpBlock{line.first, nullptr};
      closed = false;
    } else if (found && !closed && text.starts_with(kClosing)) {
      found->after = line.next;
      closed = true;
    }
  }
  return closed ? found : std::nullopt;
}

GSList* remove_block(GSList* lines, FtpBlock block) {
  if (!block.first || g_slist_position(lines, block.first) < 0) return lines;
  for (GSList* node = block.first; node && node != block.after;) {
    GSList* next = node->next;
    std::free(node->data);
    lines = g_slist_delete_link(lines, node);
    node = next;
  }
  return lines;
}

bool remove_blocks(StringListPtr& lines, std::string_view opening) {
  bool removed = false;
  while (const std::optional<FtpBlock> block = find_block(lines.get(), opening)) {
    lines.reset(remove_block(lines.release(), *block));
    removed = true;
  }
  return removed;
}

void append_block(StringListPtr& lines, std::string_view block) {
  const GSList* last = g_slist_last(lines.get());
  const std::string_view last_text = last && last->data ? static_cast<const char*>(last->data) : "";
  std::string element = last_text.empty() || ends_line(last_text) ? "" : "\n";
  element += block;
  lines.reset(g_slist_append(lines.release(), strdup(element.c_str())));
}

StringListPtr load_ftp_conf() {
  const sys::Result<std::vector<std::string>> lines = load_lines(kFtpConfFile);
  return lines ? to_string_list(*lines) : StringListPtr();
}

sys::Status write_ftp_conf(GSList* lines) {
  return write_lines(list_items(lines), kFtpConfFile, kFtpConfMode);
}

std::optional<std::string> folder_share_opening(OdbProps& share, const char* system_path) {
  if (text_is(prop(share, "isDisk"), "0")) return opening_in(system_path, prop(share, "name"));
  const char* mount_point = prop(share, "mountPoint");
  return mount_point ? directory_opening(mount_point) : std::nullopt;
}

std::optional<std::string> folder_share_block(OdbProps& share, const char* system_path) {
  const char* mount_point = prop(share, "mountPoint");
  const std::optional<std::string> opening =
      text_is(prop(share, "isDisk"), "0")
          ? new_opening_in(system_path, prop(share, "name"), ValueKind::kShareName)
          : (mount_point ? new_opening(mount_point) : std::nullopt);
  if (!opening) return std::nullopt;
  std::string block = *opening + "\n" + std::string(kDenyAll);
  const char* for_all = prop(share, "allowForAll");
  if (for_all && for_all[0] == '0') {
    block += limit("READ", allow_lines(share, "allowROUsers", "allowROGroups"));
    block += limit("READ WRITE", allow_lines(share, "allowRWUsers", "allowRWGroups"));
  } else if (for_all && for_all[0] == '1') {
    block += "<Limit DIRS READ WRITE>\nAllowAll\n</Limit>\n";
  }
  return block + std::string(kClosing) + "\n";
}

std::optional<std::string> user_home_block(OdbProps& user, const char* system_path) {
  const char* name = prop(user, "name");
  const std::optional<std::string> opening =
      new_opening_in(system_path, name, ValueKind::kAccountName);
  if (!opening) return std::nullopt;
  if (text_is(prop(user, "createDir"), "1")) {
    const std::string allowed = allow_line("AllowUser", join_group_members({name}));
    if (allowed.empty()) return std::nullopt;
    return *opening + "\n" + std::string(kDenyAll) + "<Limit DIRS READ WRITE>\n" + allowed +
           "</Limit>\n" + std::string(kClosing) + "\n";
  }
  if (sys::is_directory(std::string(system_path) + "/" + name)) return hidden_block(*opening);
  return std::nullopt;
}

sys::Status update_folder_share(OdbHandle& h, OdbProps& share) {
  const char* system_path = system_mount_path(h);
  const sys::Result<LockHold> hold = hold_for_edit(kFtpConfFile);
  if (!hold) return hold.status();
  StringListPtr lines = load_ftp_conf();
  const std::optional<std::string> opening = folder_share_opening(share, system_path);
  const bool found = opening && find_block(lines.get(), *opening);
  odb_props_reinit(&share);
  const int state = odb_props_state(&share);
  if (found && state != kCreated) remove_blocks(lines, *opening);
  if (state != kDestroyed && !(found && state == kCreated))
    if (const auto block = folder_share_block(share, system_path)) append_block(lines, *block);
  return write_ftp_conf(lines.get());
}

int update_user_home(OdbHandle& h, OdbProps& user, int flags) {
  const char* system_path = system_mount_path(h);
  const sys::Result<LockHold> hold = hold_for_edit(kFtpConfFile);
  if (!hold) return -1;
  StringListPtr lines = load_ftp_conf();
  int flag = -1;
  const std::optional<std::string> opening = opening_in(system_path, prop(user, "name"));
  if (opening && remove_blocks(lines, *opening)) flag = 2;
  if (flags & 1)
    if (const auto block = user_home_block(user, system_path)) {
      append_block(lines, *block);
      flag = 2;
    }
  if (flag == 2 && !write_ftp_conf(lines.get())) return -1;
  return flag;
}

int hide_service_directories(OdbHandle& h) {
  const char* system_path = system_mount_path(h);
  const sys::Result<LockHold> hold = hold_for_edit(kFtpConfFile);
  if (!hold) return -1;
  StringListPtr lines = load_ftp_conf();
  std::string blocks;
  bool replaced = false;
  for (const char* directory : kServiceDirectories) {
    const std::optional<std::string> opening =
        new_opening_in(system_path, directory, ValueKind::kPathComponent);
    if (!opening) return -1;
    const bool removed = remove_blocks(lines, *opening);
    if (directory == kServiceDirectories[0]) replaced = removed;
    blocks += hidden_block(*opening);
  }
  append_block(lines, blocks);
  if (!write_ftp_conf(lines.get())) return -1;
  return replaced ? 0 : -1;
}

}  // namespace nexa
