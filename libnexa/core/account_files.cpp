// Users and groups as the (mapped) account files list them; the running
// system's name service is never asked, so a root holds its own accounts.
#include <grp.h>
#include <pwd.h>

#include "core/sys.h"

namespace nexa::sys {

namespace {

// Compat entries ("+name", "-name") leave fields null.
std::string text(const char* field) {
  return field ? field : "";
}

User user_of(const passwd& entry) {
  return {text(entry.pw_name),  text(entry.pw_passwd), entry.pw_uid,        entry.pw_gid,
          text(entry.pw_gecos), text(entry.pw_dir),    text(entry.pw_shell)};
}

Group group_of(const group& entry) {
  Group g{text(entry.gr_name), text(entry.gr_passwd), entry.gr_gid, {}};
  for (char** member = entry.gr_mem; member && *member; ++member) g.members.emplace_back(*member);
  return g;
}

// fgetpwent and fgetgrent skip malformed lines, as the C library's own
// lookups do.
template <typename Entry, typename Record, typename Next, typename Convert>
Result<std::vector<Record>> entries_of(FILE* file, Next next, Convert convert) {
  std::vector<Record> records;
  for (;;) {
    errno = 0;
    const Entry* entry = next(file);
    if (!entry) break;
    records.push_back(convert(*entry));
  }
  if (std::ferror(file)) return Status::failure(EIO);
  return records;
}

template <typename Entry, typename Record, typename Next, typename Convert>
Result<std::vector<Record>> read_entries(const char* path, Next next, Convert convert) {
  Result<FilePtr> file = open_file(path, "r");
  if (!file) return file.status();
  return entries_of<Entry, Record>(file->get(), next, convert);
}

// Read in memory, as the files would be.
template <typename Entry, typename Record, typename Next, typename Convert>
std::vector<Record> entries_in(std::string_view text, Next next, Convert convert) {
  if (text.empty()) return {};
  const FilePtr file(::fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
  if (!file) return {};
  Result<std::vector<Record>> records = entries_of<Entry, Record>(file.get(), next, convert);
  return records ? std::move(*records) : std::vector<Record>{};
}

template <typename Record>
std::optional<Record> find_named(const Result<std::vector<Record>>& records,
                                 std::string_view name) {
  if (records)
    for (const Record& record : *records)
      if (record.name == name) return record;
  return std::nullopt;
}

}  // namespace

Result<std::vector<User>> read_users() {
  return read_entries<passwd, User>(kPasswdFile, ::fgetpwent, user_of);
}

Result<std::vector<Group>> read_groups() {
  return read_entries<group, Group>(kGroupFile, ::fgetgrent, group_of);
}

std::vector<User> users_in(std::string_view text) {
  return entries_in<passwd, User>(text, ::fgetpwent, user_of);
}

std::vector<Group> groups_in(std::string_view text) {
  return entries_in<group, Group>(text, ::fgetgrent, group_of);
}

std::optional<User> find_user(std::string_view name) {
  return find_named(read_users(), name);
}

std::optional<Group> find_group(std::string_view name) {
  return find_named(read_groups(), name);
}

}  // namespace nexa::sys
