// Samba sections of the appliance's shares: folder shares, user homes and
// the printer share, made from configuration objects and kept in a loaded
// section list.
#include "sharing/samba_shares.h"

#include <vector>

#include "core/config_values.h"
#include "core/directories.h"
#include "core/odb_access.h"
#include "core/string_lists.h"
#include "sharing/accounts.h"
#include "storage/disk_usage.h"

namespace nexa {

namespace {

std::vector<std::string_view> array_items(std::string_view array, std::vector<std::string>& keep) {
  keep = split_odb_array(array);
  return {keep.begin(), keep.end()};
}

// Samba finds a user in its lists without regard to case: a name that is
// no account but another spelling of one ("Alice" beside alice) would let
// that account in, so it is left out.
std::vector<std::string_view> without_other_spellings(std::vector<std::string_view> users) {
  const sys::Result<std::vector<sys::User>> accounts = sys::read_users();
  if (!accounts) return users;
  std::erase_if(users, [&](std::string_view name) {
    bool exact = false, other = false;
    for (const sys::User& account : *accounts) {
      exact = exact || account.name == name;
      other = other || is_same_login(account.name, name);
    }
    return other && !exact;
  });
  return users;
}

void put_common_parameters(GHashTable& section, std::string_view path, std::string_view tss_enabled,
                           std::string_view file_system) {
  put_parameter(section, "path", path);
  put_parameter(section, "available", "1");
  if (tss_enabled == "1") {
    put_parameter(section, "use sendfile", "yes");
    put_parameter(section, "use receivefile", file_system == "xfs" ? "no" : "yes");
  }
}

void put_comment(GHashTable& section, std::string_view description) {
  if (!description.empty())
    put_parameter(section, "comment", flattened(ValueKind::kFreeText, description));
}

std::string file_system_at(std::string_view mount_point) {
  return type_mounted_at(mount_point).value_or("");
}

void report_bad_share(OdbHandle& h, guint32 oid, const char* reason) {
  odb_bad_data_cmnd(&h, oid, "", "FolderShare", reason);
}

// Refuses a share whose name would be no share of its own.
bool refuse_share_name(OdbHandle& h, guint32 oid, std::string_view name, Change& change) {
  if (is_share_name(name)) return false;
  change = Change::kRefused;
  report_bad_share(h, oid, is_reserved_section(name) ? "fshare_reserved" : "fshare_fail");
  return true;
}

// Refuses a new share whose name a server would read as more than itself,
// or as the name of another section in the list.
bool refuse_new_share_name(OdbHandle& h, guint32 oid, std::string_view name, GSList* sections,
                           Change& change) {
  if (refuse_share_name(h, oid, name, change)) return true;
  if (is_new_share_name(name) && !find_other_spelling(sections, name)) return false;
  change = Change::kRefused;
  report_bad_share(h, oid, "fshare_fail");
  return true;
}

// The share's directory: a folder of the system volume (made here) or a
// whole disk's mount point (opened to everybody); nothing when no whole
// path can be built.
std::optional<std::string> prepare_share_path(OdbHandle& h, guint32 oid, OdbProps& share,
                                              std::string_view name) {
  if (text_is(odb_props_get(&share, "isDisk"), "0")) {
    const char* system = system_mount_path(h);
    if (!system || !*system || !is_acceptable(ValueKind::kSharePath, system)) return std::nullopt;
    std::string path = std::string(system) + "/" + std::string(name);
    if (create_directories(path + "/", 0777) != DirectoriesMade::kAll)
      report_bad_share(h, oid, "fshare_fail");
    return path;
  }
  const std::string_view mount_point = prop_or_empty(&share, "mountPoint");
  if (mount_point.empty() || !is_acceptable(ValueKind::kSharePath, mount_point))
    return std::nullopt;
  sys::change_mode(mount_point, 0777);
  return std::string(mount_point);
}

// Makes the share's section again from the object and appends it.
GSList* append_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                            Change& change) {
  const std::string_view name = prop_or_empty(&share, "name");
  if (refuse_new_share_name(h, oid, name, sections, change)) return sections;
  const std::optional<std::string> path = prepare_share_path(h, oid, share, name);
  if (!path) {
    change = Change::kRefused;
    report_bad_share(h, oid, "fshare_fail");
    return sections;
  }
  sections = remove_section(sections, name, change);
  const bool on_system = text_is(odb_props_get(&share, "isDisk"), "0");
  const char* system = system_mount_path(h);
  const Found samba = system_namespace(h, "Samba");
  const std::string file_system =
      file_system_at(on_system ? std::string_view(system) : std::string_view(*path));
  RecordTablePtr section = folder_share_section({
      .name = name,
      .path = *path,
      .allow_for_all = prop_or_empty(&share, "allowForAll"),
      .ro_users = prop_or_empty(&share, "allowROUsers"),
      .ro_groups = prop_or_empty(&share, "allowROGroups"),
      .rw_users = prop_or_empty(&share, "allowRWUsers"),
      .rw_groups = prop_or_empty(&share, "allowRWGroups"),
      .description = prop_or_empty(&share, "description"),
      .tss_enabled = prop_or_empty(samba.props, "tss_enabled"),
      .file_system = file_system,
  });
  if (section) sections = g_slist_append(sections, section.release());
  change = Change::kChanged;
  return sections;
}

bool is_user_share_name(std::string_view name) {
  return is_new_share_name(name) && is_acceptable(ValueKind::kAccountName, name);
}

GSList* append_user_share(std::string_view name, std::string_view description, GSList* sections,
                          Change& change, const HomeSettings& settings) {
  if (find_other_spelling(sections, name)) {
    change = Change::kRefused;
    return sections;
  }
  const std::optional<std::string> home = settings.system_mount_path.empty()
                                              ? std::nullopt
                                              : home_directory(settings.system_mount_path, name);
  RecordTablePtr section;
  if (home)
    section = user_share_section({name, *home, description, settings.tss_enabled,
                                  file_system_at(settings.system_mount_path)});
  if (!section) {
    change = Change::kRefused;
    return sections;
  }
  change = Change::kChanged;
  return g_slist_append(sections, section.release());
}

}  // namespace

bool is_share_name(std::string_view name) {
  return !name.empty() && is_acceptable(ValueKind::kSectionName, name) &&
         !is_reserved_section(name);
}

bool is_new_share_name(std::string_view name) {
  return is_share_name(name) && is_acceptable(ValueKind::kShareName, name);
}

std::optional<std::string> access_list(std::string_view users, std::string_view groups) {
  std::vector<std::string> user_names, group_names;
  std::string text = join_group_members(without_other_spellings(array_items(users, user_names)));
  const std::string group_text = smb_group_list(array_items(groups, group_names));
  if (!text.empty() && !group_text.empty()) text += ',';
  text += group_text;
  if (text.empty()) return std::nullopt;
  return text;
}

namespace {

// The read-only list, then the read-write one.
std::optional<std::string> joined(std::optional<std::string> readers,
                                  const std::optional<std::string>& writers) {
  if (!readers) return writers;
  if (writers) *readers += "," + *writers;
  return readers;
}

}  // namespace

std::optional<std::string> valid_users(std::string_view ro_users, std::string_view ro_groups,
                                       std::string_view rw_users, std::string_view rw_groups) {
  return joined(access_list(ro_users, ro_groups), access_list(rw_users, rw_groups));
}

RecordTablePtr folder_share_section(const FolderShare& share) {
  if (!is_new_share_name(share.name) || share.path.empty() ||
      !is_acceptable(ValueKind::kSharePath, share.path))
    return nullptr;
  const bool is_public = share.allow_for_all.starts_with('1');
  const std::optional<std::string> writers = access_list(share.rw_users, share.rw_groups);
  const std::optional<std::string> everybody =
      joined(access_list(share.ro_users, share.ro_groups), writers);
  // Without "valid users" Samba lets every account in: a share that is
  // not public and names nobody gets no section at all.
  if (!is_public && !everybody) return nullptr;

  RecordTablePtr section = new_section(share.name);
  put_common_parameters(*section, share.path, share.tss_enabled, share.file_system);
  const char* mask = is_public ? "0777" : "0775";
  put_parameter(*section, "create mask", mask);
  put_parameter(*section, "directory mask", mask);
  put_parameter(*section, "writeable", is_public ? "yes" : "no");
  if (is_public) {
    put_parameter(*section, "guest ok", "true");
  } else {
    put_parameter(*section, "valid users", *everybody);
    if (writers) put_parameter(*section, "write list", *writers);
  }
  put_comment(*section, share.description);
  return section;
}

RecordTablePtr user_share_section(const UserShare& share) {
  if (!is_user_share_name(share.name) || share.home.empty() ||
      !is_acceptable(ValueKind::kSharePath, share.home))
    return nullptr;
  RecordTablePtr section = new_section(share.name);
  put_common_parameters(*section, share.home, share.tss_enabled, share.file_system);
  put_parameter(*section, "create mask", "0775");
  put_parameter(*section, "directory mask", "0775");
  put_parameter(*section, "writeable", "no");
  put_parameter(*section, "valid users", share.name);
  put_parameter(*section, "write list", share.name);
  put_comment(*section, share.description);
  return section;
}

RecordTablePtr printer_section() {
  RecordTablePtr section = new_section("printers");
  static constexpr std::pair<const char*, const char*> kEntries[] = {
      {"comment", "Nexa NAS Printer Server"},
      {"browsable", "no"},
      {"use client driver", "yes"},
      {"path", "/var/spool/samba"},
      {"printable", "yes"},
      {"lpresume command", "/usr/ruvoro/bin/lpc release %p %j"},
      {"public", "no"},
      {"create mode", "0777"},
      {"print command", "/usr/ruvoro/bin/lpr -P%p -r %s"},
      {"lpq command", "/usr/ruvoro/bin/lpq -P%p"},
      {"lprm command", "/usr/ruvoro/bin/lprm -P%p %j"},
      {"queueresume command", "/usr/ruvoro/bin/lpc -P%p start"},
      {"queuepause command", "/usr/ruvoro/bin/lpc -P%p stop"},
      {"writable", "no"},
      {"lppause command", "/usr/ruvoro/bin/lpc hold %p %j"},
  };
  for (const auto& [key, value] : kEntries) put_parameter(*section, key, value);
  return section;
}

std::optional<std::string> home_directory(std::string_view base, std::string_view name) {
  if (!is_acceptable(ValueKind::kPathComponent, name)) return std::nullopt;
  if (base.empty()) return "/";
  return std::string(base) + "/" + std::string(name) + "/";
}

std::optional<std::string> trash_folder(std::string_view base, std::string_view name) {
  std::optional<std::string> folder = home_directory(base, name);
  if (folder && !base.empty()) *folder += std::string(kTrashFolder) + "/";
  return folder;
}

GSList* add_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                         Change& change) {
  return append_folder_share(h, oid, share, sections, change);
}

GSList* modify_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                            Change& change) {
  change = Change::kUnchanged;
  if (prop_or_empty(&share, "name").empty()) return sections;
  return append_folder_share(h, oid, share, sections, change);
}

GSList* delete_folder_share(OdbHandle& h, guint32 oid, OdbProps& share, GSList* sections,
                            Change& change) {
  if (prop_or_empty(&share, "dontDelete").starts_with('1')) {
    change = Change::kRefused;
    report_bad_share(h, oid, "fshare_reserved");
    return sections;
  }
  const std::string_view name = prop_or_empty(&share, "name");
  change = Change::kUnchanged;
  if (refuse_share_name(h, oid, name, change)) return sections;
  return remove_section(sections, name, change);
}

GSList* delete_share_section(GSList* sections, std::string_view name, Change& change) {
  if (!is_share_name(name)) {
    change = Change::kRefused;
    return sections;
  }
  return remove_section(sections, name, change);
}

GSList* create_user_share(OdbProps& user, GSList* sections, Change& change,
                          const HomeSettings& settings) {
  if (!text_is(odb_props_get(&user, "createDir"), "1")) return sections;
  const std::string_view name = prop_or_empty(&user, "name");
  if (is_reserved_section(name)) {
    change = Change::kRefused;
    return sections;
  }
  if (find_section(sections, name)) return sections;
  return append_user_share(name, prop_or_empty(&user, "description"), sections, change, settings);
}

GSList* modify_user_share(OdbProps& user, GSList* sections, Change& change,
                          const HomeSettings& settings) {
  const std::string_view name = prop_or_empty(&user, "name");
  if (name.empty()) return sections;
  sections = delete_share_section(sections, name, change);
  if (change == Change::kRefused || !text_is(odb_props_get(&user, "createDir"), "1"))
    return sections;
  return append_user_share(name, prop_or_empty(&user, "description"), sections, change, settings);
}

}  // namespace nexa
