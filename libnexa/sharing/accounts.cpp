// Adding users and groups to the account files with the appliance's id
// rules, and looking up group ids.
#include "sharing/accounts.h"

#include <fcntl.h>

#include <glib.h>

#include <cstdio>
#include <cstring>

#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/messages.h"

namespace nexa {

namespace {

// The name the account tools' messages have always carried.
constexpr const char* kSource = "bb_adduser";
constexpr mode_t kAccountFileMode = 0644;

// An account file opened for appending (made when missing).
sys::Result<UniqueFd> open_for_append(std::string_view path) {
  return sys::open_descriptor(path, O_RDWR | O_APPEND | O_CREAT, kAccountFileMode);
}

// One whole line, synced: the account tools' files stay whole through a
// kill, and a last line typed without its line feed stays a line.
sys::Status append_account_line(int fd, std::string_view line) {
  return sys::append_lines(fd, line, sys::TornLine::kRemoveAtPageEnd, true);
}

bool is_account_name(std::string_view name) {
  return is_acceptable(ValueKind::kAccountName, name);
}

// A group's member field: account names between commas, or none.
bool is_member_list(std::string_view members) {
  if (members.empty()) return true;
  for (size_t start = 0;;) {
    const size_t comma = members.find(',', start);
    if (!is_account_name(members.substr(start, comma - start))) return false;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

bool is_legal_uid(int uid) {
  return uid >= kFirstUserId && uid <= kIdLimit;
}

// One above the highest user id in use in [kFirstUserId, kIdLimit), or the
// first one; nothing when the name is in use.
std::optional<int> next_free_uid(const std::vector<IdRecord>& users, std::string_view name,
                                 bool scan) {
  int candidate = kFirstUserId;
  for (const IdRecord& user : users) {
    if (is_same_login(user.name, name)) return std::nullopt;
    if (scan && user.id && *user.id >= static_cast<uint32_t>(candidate) && *user.id < kIdLimit)
      candidate = static_cast<int>(*user.id) + 1;
  }
  return candidate;
}

// The user's own group takes the uid as its id, so a uid some group has as
// its id moves up.
IdScan choose_gid(Account& account, std::optional<std::string_view> text) {
  if (!text) return IdScan::kUnreadable;
  // Only ids the uid can move through matter: a flag for each up to the
  // limit.
  std::vector<bool> used(kIdLimit + 1);
  bool name_taken = false;
  for (const IdRecord& group : id_records(*text, kGroupFields)) {
    if (group.id && *group.id <= kIdLimit) used[*group.id] = true;
    name_taken = name_taken || group.name == account.name;
  }
  while (is_legal_uid(account.uid) && used[static_cast<size_t>(account.uid)]) ++account.uid;
  if (name_taken) return IdScan::kGroupNameInUse;
  account.gid = account.uid;
  return IdScan::kChosen;
}

void report(IdScan code, std::string_view name) {
  switch (code) {
    case IdScan::kChosen: break;
    case IdScan::kNameInUse:
      say("%.*s: login name already in use\n", static_cast<int>(name.size()), name.data());
      break;
    case IdScan::kIllegalUid: say("illegal uid or no uids left\n"); break;
    case IdScan::kGroupNameInUse:
      say("group name %.*s already in use\n", static_cast<int>(name.size()), name.data());
      break;
    case IdScan::kUnreadable: say("generic error.\n"); break;
  }
}

}  // namespace

bool is_same_login(std::string_view a, std::string_view b) {
  return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool is_writable(const Account& account) {
  return is_account_name(account.name) &&
         is_acceptable(ValueKind::kAccountField, account.password) &&
         is_acceptable(ValueKind::kAccountField, account.gecos) &&
         is_acceptable(ValueKind::kAccountField, account.home) &&
         is_acceptable(ValueKind::kAccountField, account.shell);
}

std::string passwd_line(const Account& account) {
  std::string line = account.name;
  line.append(":").append(account.password);
  line.append(":").append(std::to_string(account.uid));
  line.append(":").append(std::to_string(account.gid));
  line.append(":").append(account.gecos);
  line.append(":").append(account.home);
  line.append(":").append(account.shell);
  return line + "\n";
}

IdScan choose_ids(Account& account, std::string_view passwd,
                  std::optional<std::string_view> group) {
  const std::optional<int> uid =
      next_free_uid(id_records(passwd, kPasswdFields), account.name, account.uid == 0);
  if (!uid) return IdScan::kNameInUse;
  if (account.uid == 0) account.uid = *uid;
  if (account.gid == 0) {
    const IdScan gid = choose_gid(account, group);
    if (gid != IdScan::kChosen) return gid;
  }
  return is_legal_uid(account.uid) ? IdScan::kChosen : IdScan::kIllegalUid;
}

IdScan choose_ids(Account& account) {
  const sys::Result<std::string> passwd = sys::read_file(sys::kPasswdFile);
  if (!passwd) return IdScan::kUnreadable;
  // The group file only matters for a gid still to choose.
  const sys::Result<std::string> group =
      account.gid == 0 ? sys::read_file(sys::kGroupFile) : sys::Status::failure(ENOENT);
  return choose_ids(account, *passwd,
                    group ? std::optional<std::string_view>(*group) : std::nullopt);
}

sys::Status add_user(Account& account) {
  // The name itself is not printed: it may hold anything.
  if (!is_account_name(account.name)) say("invalid login name\n");
  if (!is_writable(account) || account.gid < 0) return sys::Status::failure(EINVAL);
  // The scan and the append under one lock, so no other writer takes the
  // same id in between.
  const sys::Result<LockHold> lock = LockHold::take(LockScope::kAccounts);
  sys::Result<UniqueFd> file =
      lock ? open_for_append(sys::kPasswdFile) : sys::Result<UniqueFd>(lock.status());
  if (!file) {
    say_at(NEXA_ORIGIN(kSource), "Fail to open passwd file, err:%s\n", std::strerror(file.error()));
    return file.status();
  }
  const IdScan code = choose_ids(account);
  report(code, account.name);
  if (code != IdScan::kChosen)
    return sys::Status::failure(code == IdScan::kUnreadable   ? EIO
                                : code == IdScan::kIllegalUid ? ERANGE
                                                              : EEXIST);
  const sys::Status added = append_account_line(file->get(), passwd_line(account));
  if (!added)
    say_at(NEXA_ORIGIN(kSource), "Fail to add to /etc/passwd, err:%s\n",
           std::strerror(added.error()));
  return added;
}

AddGroup add_group(std::string_view name, int gid, std::string_view members) {
  if (!is_account_name(name) || !is_member_list(members) || gid < 0) return AddGroup::kFailed;
  const sys::Result<LockHold> lock = LockHold::take(LockScope::kAccounts);
  if (!lock) return AddGroup::kFailed;
  const sys::Result<std::string> text = sys::read_file(sys::kGroupFile);
  if (!text) return AddGroup::kFailed;
  AddGroup result = AddGroup::kAdded;
  uint32_t highest = static_cast<uint32_t>(gid);
  for (const IdRecord& group : id_records(*text, kGroupFields)) {
    if (group.name == name) result = AddGroup::kNameInUse;
    if (!group.id) continue;
    if (gid != 0 && *group.id == static_cast<uint32_t>(gid)) result = AddGroup::kIdInUse;
    if (*group.id<kIdLimit&& * group.id> highest) highest = *group.id;
  }
  if (result != AddGroup::kAdded) return result;
  const uint32_t id = gid != 0 ? static_cast<uint32_t>(gid) : highest + 1;
  std::string line(name);
  line.append(":x:").append(std::to_string(id)).append(":").append(members).append("\n");
  sys::Result<UniqueFd> file = open_for_append(sys::kGroupFile);
  if (!file || !append_account_line(file->get(), line)) return AddGroup::kFailed;
  return AddGroup::kAdded;
}

std::optional<gid_t> group_id(std::string_view name) {
  if (const std::optional<sys::Group> group = sys::find_group(name)) return group->gid;
  say("group %.*s does not exist\n", static_cast<int>(name.size()), name.data());
  return std::nullopt;
}

}  // namespace nexa
