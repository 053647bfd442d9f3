// Keeping the "members" of the "Group" objects in step with the accounts.
#include <algorithm>

#include "core/config_values.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "sharing/accounts.h"

namespace nexa {

namespace {

constexpr const char* kGroupClass = "Group";
constexpr const char* kMembers = "members";

// An empty name would also match every object in a lookup.
bool is_member_name(std::string_view user) {
  return !user.empty() && is_acceptable(ValueKind::kOdbArrayItem, user);
}

std::string members_of(OdbHandle& h, guint32 oid) {
  OdbProps* props = get_main_props(h, oid);
  const char* members = props ? odb_props_get(props, kMembers) : nullptr;
  return members ? members : "";
}

void set_members(OdbHandle& h, guint32 oid, const std::string& members) {
  const PropsPtr changes = new_props();
  odb_props_set(changes.get(), kMembers, members.c_str());
  odb_set_cmnd(&h, oid, "", changes.get());
}

void add_member(OdbHandle& h, guint32 oid, std::string_view user) {
  const std::string members = members_of(h, oid);
  const std::vector<std::string> items = split_odb_array(members);
  if (std::find(items.begin(), items.end(), user) != items.end()) return;
  set_members(h, oid, (members.empty() ? "&" : members) + std::string(user) + "&");
}

}  // namespace

sys::Status add_user_to_group_objects(OdbHandle& h, std::string_view user, GSList* groups) {
  if (!is_member_name(user)) return sys::Status::failure(EINVAL);
  for (const std::string_view group : list_items(groups)) {
    if (group.empty()) continue;
    for (GSList* node = find_oids_with(h, kGroupClass, "name", group); node; node = node->next)
      add_member(h, oid_of(node), user);
  }
  return sys::Status::success();
}

sys::Status remove_user_from_group_objects(OdbHandle& h, std::string_view user) {
  if (!is_member_name(user)) return sys::Status::failure(EINVAL);
  for (GSList* node = find_oids_with(h, kGroupClass, kMembers, user); node; node = node->next) {
    std::vector<std::string> items = split_odb_array(members_of(h, oid_of(node)));
    std::erase(items, user);
    const std::vector<std::string_view> rest(items.begin(), items.end());
    set_members(h, oid_of(node), rest.empty() ? std::string() : join_odb_array(rest));
  }
  return sys::Status::success();
}

}  // namespace nexa
