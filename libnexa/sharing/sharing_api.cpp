// The C boundary of the sharing and account operations: each exported
// function converts its arguments, calls the library's C++ code and converts
// the result.
#include <optional>
#include <string>

#include "core/owners.h"
#include "nexalib.h"
#include "sharing/ftp_shares.h"

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
