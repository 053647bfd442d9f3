// Users and groups in the account files: the appliance's id rules, the
// appends and the passwd rewrite, and the "Group" objects' member lists.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

// Automatic ids lie in [kFirstUserId, kIdLimit]; ids from kIdLimit up are
// never taken as the highest one in use.
inline constexpr int kFirstUserId = 500;
inline constexpr int kIdLimit = 65000;

struct Account {
  std::string name, password;
  int uid = 0;
  int gid = 0;
  std::string gecos, home, shell;
};

// Whether two login names are one to Samba, which finds users in its lists
// without regard to case; a new login may not be another's so.
bool is_same_login(std::string_view a, std::string_view b);
// Whether every field can go into a passwd line as it is.
bool is_writable(const Account& account);
// "name:password:uid:gid:gecos:home:shell\n".
std::string passwd_line(const Account& account);

// A line of an account file as the id rules see it: its first field, and
// its id (the third field) when the line has all the file's fields and the
// id is a number.
struct IdRecord {
  std::string_view name;
  std::optional<uint32_t> id;
};
inline constexpr size_t kPasswdFields = 7;
inline constexpr size_t kGroupFields = 4;
// The records of an account file's text, in order; blank lines and
// comments are none.
std::vector<IdRecord> id_records(std::string_view text, size_t fields);

// The outcome of choosing the ids of a new account; the values are the
// codes callers know.
enum class IdScan {
  kChosen = 0,
  kNameInUse = 1,
  kIllegalUid = 2,
  kGroupNameInUse = 3,
  kUnreadable = 4,
};
// Fills in a uid or gid of 0 from the account files; an existing login name
// is in use whether or not a uid was given.
IdScan choose_ids(Account& account);
// The same from the files' texts (no group text: it could not be read).
IdScan choose_ids(Account& account, std::string_view passwd, std::optional<std::string_view> group);

// Appends the account with the chosen ids (printing the failure), or
// nothing (EINVAL for a record that cannot be written, EEXIST for a name in use,
// ERANGE for an illegal uid).
sys::Status add_user(Account& account);

enum class AddGroup { kAdded = 0, kNameInUse = 1, kIdInUse = 2, kFailed = -1 };
AddGroup add_group(std::string_view name, int gid, std::string_view members);

// The group's id, or nothing after "group %s does not exist".
std::optional<gid_t> group_id(std::string_view name);

// Replaces (keep) or removes the lines of the account's login name.
sys::Status update_passwd(const Account& account, bool keep);
// text with every line whose first field is name replaced by replacement
// (or dropped when it is empty); other lines stay byte for byte.
std::string rewrite_lines(std::string_view text, std::string_view name,
                          std::string_view replacement);

// The "members" odb arrays of the "Group" objects; EINVAL for a user that
// cannot be an element (nothing is changed then).
sys::Status add_user_to_group_objects(OdbHandle& h, std::string_view user, GSList* groups);
sys::Status remove_user_from_group_objects(OdbHandle& h, std::string_view user);

}  // namespace nexa
