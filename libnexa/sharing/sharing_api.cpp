// The C boundary of the sharing and account operations: each exported
// function converts its arguments, calls the library's C++ code and converts
// the result.
#include "nexalib.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "sharing/accounts.h"

// ---- smb.conf model ---------------------------------------------------------

// ---- Samba folder, user and printer shares ----------------------------------

// ---- FTP shares --------------------------------------------------------------

// ---- Users and groups ---------------------------------------------------------

namespace {

const char* text_or_empty(const char* text) {
  return text ? text : "";
}

// The one record nexalib_adduser hands out, overwritten by the next call.
passwd* kept_record(const nexa::Account& account) {
  static nexa::Account kept;
  static passwd record{};
  kept = account;
  record = {kept.name.data(),
            kept.password.data(),
            static_cast<uid_t>(kept.uid),
            static_cast<gid_t>(kept.gid),
            kept.gecos.data(),
            kept.home.data(),
            kept.shell.data()};
  return &record;
}

}  // namespace

void if_i_am_not_root(void) {
  if (geteuid() == 0) return;
  std::printf("Only root may add a user or group to the system.\n");
  std::exit(1);
}

passwd* nexalib_adduser(const char* login, const char* password, int uid, int gid,
                        const char* gecos, const char* home, const char* shell) {
  if_i_am_not_root();
  if (!login) return nullptr;
  nexa::Account account{login,
                        text_or_empty(password),
                        uid,
                        gid,
                        text_or_empty(gecos),
                        home ? home : "nohome",
                        text_or_empty(shell)};
  return nexa::add_user(account) ? kept_record(account) : nullptr;
}

int nexalib_addgroup(const char* name, int gid, const char* members) {
  if (!name) return -1;
  return static_cast<int>(nexa::add_group(name, gid, text_or_empty(members)));
}

int nexalib_get_gid_by_grpname(const char* name) {
  const std::optional<gid_t> gid = nexa::group_id(name ? name : "users");
  return gid ? static_cast<int>(*gid) : 0;
}

int nexalib_update_passwd(const struct passwd* record, int flags) {
  if (!record || !record->pw_name) return -1;
  const nexa::Account account{record->pw_name,
                              text_or_empty(record->pw_passwd),
                              static_cast<int>(record->pw_uid),
                              static_cast<int>(record->pw_gid),
                              text_or_empty(record->pw_gecos),
                              text_or_empty(record->pw_dir),
                              text_or_empty(record->pw_shell)};
  return nexa::update_passwd(account, (flags & 1) != 0) ? 0 : -1;
}

int nexalib_add_user_in_groups_db(OdbHandle* h, const char* user, GSList* groups) {
  if (!h || !user) return -1;
  return nexa::add_user_to_group_objects(*h, user, groups) ? 0 : -1;
}

int nexalib_delete_user_in_groups_db(OdbHandle* h, const char* user) {
  if (!h || !user) return -1;
  return nexa::remove_user_from_group_objects(*h, user) ? 0 : -1;
}

// ---- Disk quotas --------------------------------------------------------------
