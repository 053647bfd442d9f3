// Samba sections of the appliance's shares: folder shares, user homes and
// the printer share, made from configuration objects and kept in a loaded
// section list.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/owners.h"
#include "odb.h"
#include "sharing/smb_conf.h"

namespace nexa {

inline constexpr const char* kSambaScript = "/usr/ruvoro/etc/rc.d/S80samba.sh";
inline constexpr const char* kTrashFolder = "Network Trash Folder";

// Users (odb array) and groups (odb array, as "@group") of one access
// list, joined by commas; nothing when both are empty.
std::optional<std::string> access_list(std::string_view users, std::string_view groups);
// Everybody with access: the read-only list, then the read-write one.
std::optional<std::string> valid_users(std::string_view ro_users, std::string_view ro_groups,
                                       std::string_view rw_users, std::string_view rw_groups);

// A name that may head a share's own section: not empty, one line, no
// brackets, and no server-wide section. Sections by such a name can be
// removed, whoever wrote them.
bool is_share_name(std::string_view name);
// A name a new share may have: a share name that Samba and the FTP server
// read as nothing but itself, in a section header and in a path.
bool is_new_share_name(std::string_view name);

struct FolderShare {
  std::string_view name, path, allow_for_all;
  std::string_view ro_users, ro_groups, rw_users, rw_groups;
  std::string_view description, tss_enabled, file_system;
};
// The share's section; nothing for a share nobody may use, or a name or
// path that cannot be written as one.
RecordTablePtr folder_share_section(const FolderShare& share);

struct UserShare {
  std::string_view name, home, description, tss_enabled, file_system;
};
RecordTablePtr user_share_section(const UserShare& share);
RecordTablePtr printer_section();

// "base/name/" ("/" for an empty base), or nothing for a name that is no
// single path component.
std::optional<std::string> home_directory(std::string_view base, std::string_view name);
std::optional<std::string> trash_folder(std::string_view base, std::string_view name);

// Edits of a loaded section list for the configuration handlers; each
// returns the list's new head and records what it did in change.
GSList* add_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                         Change& change);
GSList* modify_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                            Change& change);
GSList* delete_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                            Change& change);
// A section named by a share, user or group, never a server-wide one.
GSList* delete_share_section(GSList* sections, std::string_view name, Change& change);

struct HomeSettings {
  std::string_view system_mount_path, tss_enabled;
};
GSList* create_user_share(OdbProps& user, GSList* sections, Change& change,
                          const HomeSettings& settings);
GSList* modify_user_share(OdbProps& user, GSList* sections, Change& change,
                          const HomeSettings& settings);

}  // namespace nexa
