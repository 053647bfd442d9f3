// The C boundary of the sharing and account operations: each exported
// function converts its arguments, calls the library's C++ code and converts
// the result.
#include <cstring>
#include <optional>
#include <string>

#include "core/owners.h"
#include "nexalib.h"
#include "sharing/ftp_shares.h"
#include "sharing/quotas.h"

using namespace nexa;

// ---- smb.conf model ---------------------------------------------------------

// ---- Samba folder, user and printer shares ----------------------------------

// ---- FTP shares --------------------------------------------------------------

namespace {

// Loads the file for a finder and hands the lines and the block out.
int hand_out_block(GSList** lines, GSList** first, GSList** after,
                   const std::optional<std::string>& opening) {
  StringListPtr loaded = load_ftp_conf();
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

// ---- Disk quotas --------------------------------------------------------------

namespace {

std::string_view type_of(const char* fs_type) {
  return fs_type ? fs_type : "";
}

}  // namespace

int nexalib_set_user_quota(const char* user, int megabytes, const char* mount_dir,
                           const char* fs_type) {
  return user && mount_dir &&
                 set_account_quota(QuotaKind::kUser, user, megabytes, mount_dir, type_of(fs_type))
             ? 0
             : -1;
}
int nexalib_set_group_quota(const char* group, int megabytes, const char* mount_dir,
                            const char* fs_type) {
  return group && mount_dir &&
                 set_account_quota(QuotaKind::kGroup, group, megabytes, mount_dir, type_of(fs_type))
             ? 0
             : -1;
}
int nexalib_setquota(const char* device, int kind, int id, int megabytes, const char* fs_type) {
  const std::optional<QuotaKind> quota = quota_kind(kind);
  return device && quota && set_quota(device, *quota, id, megabytes, type_of(fs_type)) ? 0 : -1;
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
  const sys::Result<int> used = account_usage(QuotaKind::kUser, user, mount_dir, type_of(fs_type));
  if (used) *usage = *used;
  return 0;
}
int nexalib_get_group_disk_usage(const char* group, int* usage, const char* mount_dir,
                                 const char* fs_type) {
  if (!group || !usage || !mount_dir) return -1;
  const sys::Result<int> used =
      account_usage(QuotaKind::kGroup, group, mount_dir, type_of(fs_type));
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
