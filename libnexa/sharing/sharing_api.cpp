// The C boundary of the sharing and account operations: each exported
// function converts its arguments, calls the library's C++ code and converts
// the result.
#include "nexalib.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/c_strings.h"
#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "sharing/accounts.h"
#include "sharing/ftp_shares.h"
#include "sharing/quotas.h"
#include "sharing/samba_shares.h"
#include "sharing/share_objects.h"
#include "sharing/smb_conf.h"

using namespace nexa;

namespace {

const char* text_or_empty(const char* text) {
  return text ? text : "";
}

char* malloc_copy_or_null(const std::optional<std::string>& text) {
  return text ? strdup(text->c_str()) : nullptr;
}

// Out-parameters the caller may leave out.
int& flag_or_dummy(int* flag) {
  static int dummy;
  return flag ? *flag : dummy;
}

// Runs an edit of a section list with the caller's change flag.
template <typename Edit>
GSList* edit_sections(int* flag, Edit edit) {
  int& out = flag_or_dummy(flag);
  auto change = static_cast<Change>(out);
  GSList* sections = edit(change);
  out = static_cast<int>(change);
  return sections;
}

int copy_path_or_refuse(const std::optional<std::string>& path, char* out) {
  if (!out) return -1;
  out[0] = '\0';
  if (!path || path->size() >= NEXALIB_SHARE_PATH_SIZE) return -1;
  std::memcpy(out, path->c_str(), path->size() + 1);
  return 0;
}

}  // namespace

// ---- smb.conf model ---------------------------------------------------------

GSList* nexalib_load_smb_file_to_list(const char* path) {
  if (!path) return nullptr;
  return load_model(path, [&]() -> GSList* {
    sys::Result<StringListPtr> lines = load_smb_lines(path);
    return lines ? lines->release() : nullptr;
  });
}
int nexalib_get_smb_section(char** line, char* name) {
  if (!line || !*line || !name) return -1;
  const std::optional<std::string_view> found = section_name(*line);
  if (!found) return -1;
  copy_bounded(name, std::string(*found).c_str(), NEXALIB_SECTION_NAME_SIZE);
  return 0;
}
GSList* nexalib_get_smb_section_ptr_list(GSList* lines) {
  return header_cells(lines);
}
GSList* nexalib_create_hash_list(GSList* headers) {
  return headers ? sections_from_headers(headers).release() : nullptr;
}
GSList* nexalib_load_smb_conf_to_list_hash(const char* path) {
  if (!path) return nullptr;
  return load_model(path, [&] { return load_smb_conf(path).release(); });
}
GHashTable* nexalib_get_hash_table_by_section_name(GSList* sections, const char* name) {
  return name ? find_section(sections, name) : nullptr;
}
int nexalib_hash_table_set(GHashTable* section, const char* key, const char* value) {
  if (!section || !key || !value) return static_cast<int>(Change::kUnchanged);
  return static_cast<int>(set_parameter(*section, key, value));
}
int nexalib_modify_smb_guest_account_name(OdbProps* props, GSList* sections) {
  const char* name = props ? odb_props_get(props, "name") : nullptr;
  GHashTable* global = find_section(sections, "global");
  if (!global || !name) return static_cast<int>(Change::kUnchanged);
  if (!is_acceptable(ValueKind::kAccountName, name)) return static_cast<int>(Change::kRefused);
  return static_cast<int>(set_parameter(*global, "guest account", name));
}
GString* nexalib_list_to_smb_group_format(GSList* groups) {
  return groups ? g_string_new(smb_group_list(list_items(groups)).c_str()) : nullptr;
}
GString* nexalib_put_list_hash_to_g_string(GSList* sections) {
  return g_string_new(smb_conf_text(sections).c_str());
}
int nexalib_put_list_hash_to_smb_conf(GSList* sections, const char* path, int mode) {
  if (!path) return -1;
  const auto write = [&] { return write_smb_conf(sections, path, static_cast<mode_t>(mode)); };
  return write_back(path, write, sections) ? 0 : -1;
}

// ---- Samba folder, user and printer shares ----------------------------------

int nexalib_toggle_smb_daemon(OdbHandle* h, int flags) {
  if (h) toggle_samba(*h, flags);
  return 0;
}
char* nexalib_smb_write_list(const char* users, const char* groups) {
  return malloc_copy_or_null(access_list(text_or_empty(users), text_or_empty(groups)));
}
char* nexalib_smb_valid_user(const char* ro_users, const char* ro_groups, const char* rw_users,
                             const char* rw_groups) {
  return malloc_copy_or_null(valid_users(text_or_empty(ro_users), text_or_empty(ro_groups),
                                         text_or_empty(rw_users), text_or_empty(rw_groups)));
}
GHashTable* nexalib_smb_conf_folder_share_hash_create(
    const char* name, const char* path, const char* allow_for_all, const char* ro_users,
    const char* ro_groups, const char* rw_users, const char* rw_groups, const char* description,
    const char* tss_enabled, const char* file_system) {
  return folder_share_section({text_or_empty(name), text_or_empty(path),
                               text_or_empty(allow_for_all), text_or_empty(ro_users),
                               text_or_empty(ro_groups), text_or_empty(rw_users),
                               text_or_empty(rw_groups), text_or_empty(description),
                               text_or_empty(tss_enabled), text_or_empty(file_system)})
      .release();
}
GSList* nexalib_smb_conf_folder_share_hash_delete(GSList* sections, const char* name, int* flag) {
  return edit_sections(flag, [&](Change& change) {
    return delete_share_section(sections, text_or_empty(name), change);
  });
}
GSList* nexalib_smb_conf_folder_share_add(OdbHandle* h, int oid, OdbProps* props, GSList* sections,
                                          int* flag) {
  if (!h || !props) return sections;
  return edit_sections(flag, [&](Change& change) {
    return add_folder_share(*h, static_cast<guint32>(oid), *props, sections, change);
  });
}
GSList* nexalib_smb_conf_folder_share_modify(OdbHandle* h, int oid, OdbProps* props,
                                             GSList* sections, int* flag) {
  if (!h || !props) return sections;
  return edit_sections(flag, [&](Change& change) {
    return modify_folder_share(*h, static_cast<guint32>(oid), *props, sections, change);
  });
}
GSList* nexalib_smb_conf_folder_share_delete(OdbHandle* h, int oid, OdbProps* props,
                                             GSList* sections, int* flag) {
  if (!h || !props) return sections;
  return edit_sections(flag, [&](Change& change) {
    return delete_folder_share(*h, static_cast<guint32>(oid), *props, sections, change);
  });
}
GHashTable* nexalib_smb_conf_user_share_create(const char* name, const char* home,
                                               const char* description, const char* tss_enabled,
                                               const char* file_system) {
  return user_share_section({text_or_empty(name), text_or_empty(home), text_or_empty(description),
                             text_or_empty(tss_enabled), text_or_empty(file_system)})
      .release();
}
GSList* nexalib_moduser_create(OdbProps* props, GSList* sections, int* flag,
                               const char* system_mount_path, const char* tss_enabled) {
  if (!props) return sections;
  return edit_sections(flag, [&](Change& change) {
    return create_user_share(*props, sections, change,
                             {text_or_empty(system_mount_path), text_or_empty(tss_enabled)});
  });
}
GSList* nexalib_moduser_modify(OdbProps* props, GSList* sections, int* flag,
                               const char* system_mount_path, const char* tss_enabled) {
  if (!props) return sections;
  return edit_sections(flag, [&](Change& change) {
    return modify_user_share(*props, sections, change,
                             {text_or_empty(system_mount_path), text_or_empty(tss_enabled)});
  });
}
GSList* nexalib_moduser_smb_conf_folder_share_delete(GSList* sections, const char* name, int* flag,
                                                     const char*) {
  return nexalib_smb_conf_folder_share_hash_delete(sections, name, flag);
}
GSList* nexalib_modgroup_destroy(OdbProps* props, GSList* sections, int* flag) {
  const char* name = props ? odb_props_get(props, "name") : nullptr;
  return name ? nexalib_smb_conf_folder_share_hash_delete(sections, name, flag) : sections;
}
GHashTable* nexalib_smb_conf_printer_add(void) {
  return printer_section().release();
}
int nexalib_smb_printer_checkpc(OdbHandle*) {
  return prepare_printer_spool() ? 0 : -1;
}
int nexalib_prepare_home_dir(const char* base, const char* name, char* out) {
  return copy_path_or_refuse(home_directory(text_or_empty(base), text_or_empty(name)), out);
}
int nexalib_prepare_smb_trash_folder(const char* base, const char* name, char* out) {
  return copy_path_or_refuse(trash_folder(text_or_empty(base), text_or_empty(name)), out);
}
void del_all_disk_foldershare(OdbHandle* h) {
  if (h) delete_disk_shares(*h);
}
int add_all_disk_foldershare(OdbHandle* h) {
  return h && add_disk_shares(*h) ? 0 : -1;
}
int nexalib_hotplug_usb_folder_share_add(OdbHandle* h, const char* name, const char* dev_name) {
  if (!h || !name || !dev_name) return 0;
  return add_attached_disk_share(*h, name, dev_name) ? 0 : -1;
}
int nexalib_ui_delete_usergroup_in_foldershare_db(OdbHandle* h, const char* key,
                                                  const char* member) {
  if (h && key && member) remove_share_member(*h, key, member);
  return 0;
}
int nexalib_ui_add_entry_in_FolderShare_db(OdbHandle* h, const char* member, const char* shares,
                                           const char* key, int status) {
  if (!h || !member || !shares || !key) return status;
  return add_share_member(*h, member, shares, key, status);
}
void fshare_dbg(const char*) {}

// ---- FTP shares --------------------------------------------------------------

namespace {

// Loads the file for a finder and hands the lines and the block out.
int hand_out_block(GSList** lines, GSList** first, GSList** after,
                   const std::optional<std::string>& opening) {
  StringListPtr loaded(load_model(kFtpConfFile, [] { return load_ftp_conf().release(); }));
  const std::optional<FtpBlock> block = opening ? find_block(loaded.get(), *opening) : std::nullopt;
  *first = block ? block->first : nullptr;
  *after = block ? block->after : nullptr;
  *lines = loaded.release();
  return block ? 0 : -1;
}

GSList* with_block(GSList* lines, const std::optional<std::string>& block) {
  if (!block) return lines;
  StringListPtr owned(lines);
  append_block(owned, *block);
  return owned.release();
}

}  // namespace

int user_get_foldershare_section(GSList** lines, GSList** first, GSList** after, const char* base,
                                 const char* name) {
  if (!lines || !first || !after) return -1;
  const std::optional<std::string> path = path_in(base, name);
  return hand_out_block(lines, first, after, path ? directory_opening(*path) : std::nullopt);
}
int folder_get_foldershare_section(GSList** lines, GSList** first, GSList** after,
                                   const char* directory) {
  if (!lines || !first || !after) return -1;
  return hand_out_block(lines, first, after,
                        directory ? directory_opening(directory) : std::nullopt);
}
GSList* modftp_remove_ftp_share(GSList* lines, GSList* first, GSList* after) {
  return remove_block(lines, {first, after});
}
GSList* modftp_remove_foldershare(GSList* lines, GSList* first, GSList* after) {
  return remove_block(lines, {first, after});
}
GSList* modftp_add_foldershare(GSList* lines, OdbProps* share, const char* system_path) {
  return share ? with_block(lines, folder_share_block(*share, system_path)) : lines;
}
GSList* user_handler_add_ftp_share(GSList* lines, OdbProps* user, int* flag,
                                   const char* system_path) {
  const std::optional<std::string> block =
      user ? user_home_block(*user, system_path) : std::nullopt;
  if (block && flag) *flag = 2;
  return with_block(lines, block);
}
int user_handler_modify_ftp_conf(OdbHandle* h, int, OdbProps* user, int flags) {
  return h && user ? update_user_home(*h, *user, flags) : -1;
}
int modftp_modify_ftp_conf(OdbHandle* h, int, OdbProps* share) {
  return h && share && update_folder_share(*h, *share) ? 0 : -1;
}
int nexalib_ftp_hidenoaccess_lost_found(OdbHandle* h) {
  return h ? hide_service_directories(*h) : -1;
}

// ---- Users and groups ---------------------------------------------------------

namespace {

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
  say("Only root may add a user or group to the system.\n");
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

int nexalib_set_user_quota(const char* user, int megabytes, const char* mount_dir,
                           const char* fs_type) {
  return user && mount_dir &&
                 set_account_quota(QuotaKind::kUser, user, megabytes, mount_dir,
                                   text_or_empty(fs_type))
             ? 0
             : -1;
}
int nexalib_set_group_quota(const char* group, int megabytes, const char* mount_dir,
                            const char* fs_type) {
  return group && mount_dir &&
                 set_account_quota(QuotaKind::kGroup, group, megabytes, mount_dir,
                                   text_or_empty(fs_type))
             ? 0
             : -1;
}
int nexalib_setquota(const char* device, int kind, int id, int megabytes, const char* fs_type) {
  const std::optional<QuotaKind> quota = quota_kind(kind);
  return device && quota && set_quota(device, *quota, id, megabytes, text_or_empty(fs_type)) ? 0
                                                                                             : -1;
}
int nexalib_linuxquota_setqlim(const char* device, int id, int kind, const NexalibQuota* record) {
  const std::optional<QuotaKind> quota = quota_kind(kind);
  return device && record && quota && set_record_limits(device, id, *quota, *record, false) ? 0
                                                                                            : -1;
}
int nexalib_linuxquota_xfs_setqlim(const char* device, int id, int kind,
                                   const NexalibQuota* record) {
  const std::optional<QuotaKind> quota = quota_kind(kind);
  return device && record && quota && set_record_limits(device, id, *quota, *record, true) ? 0 : -1;
}
int nexalib_linuxquota_query(const char* device, int id, int kind, NexalibQuota* record) {
  const std::optional<QuotaKind> quota = quota_kind(kind);
  if (!device || !record || !quota) return -1;
  const sys::Result<NexalibQuota> found = query_quota(device, id, *quota);
  if (!found) return -1;
  *record = *found;
  return 0;
}
int nexalib_get_user_disk_usage(const char* user, int* usage, const char* mount_dir,
                                const char* fs_type) {
  if (!user || !usage || !mount_dir) return 0;
  const sys::Result<int> used =
      account_usage(QuotaKind::kUser, user, mount_dir, text_or_empty(fs_type));
  if (used) *usage = *used;
  return 0;
}
int nexalib_get_group_disk_usage(const char* group, int* usage, const char* mount_dir,
                                 const char* fs_type) {
  if (!group || !usage || !mount_dir) return -1;
  const sys::Result<int> used =
      account_usage(QuotaKind::kGroup, group, mount_dir, text_or_empty(fs_type));
  if (!used) return -1;
  *usage = *used;
  return 0;
}
int nexalib_mntdir2dev(const char* mount_dir, char* device) {
  const std::optional<std::string> found = mount_dir ? mount_device(mount_dir) : std::nullopt;
  if (!found || !device || found->size() >= NEXALIB_DEVICE_PATH_SIZE) return -1;
  std::memcpy(device, found->c_str(), found->size() + 1);
  return 0;
}
void nexalib_show_quota_info(const NexalibQuota* record) {
  if (record) print_quota(*record);
}
