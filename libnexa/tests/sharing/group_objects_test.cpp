// The "members" of the "Group" objects as users join and leave.
#include "core/odb_access.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class GroupObjectsTest : public testing::LibraryTest {
 protected:
  guint32 group(const std::string& name, const std::string& members) {
    return odb.add("Group", {{"name", name}, {"members", members}});
  }
  std::string members(guint32 oid) {
    const char* value = odb_props_get(get_main_props(*odb.get(), oid), "members");
    return value ? value : "(unset)";
  }
  testing::OdbSession odb;
};
// ctest selects the account tests by this name.
using account_groups = GroupObjectsTest;

TEST_F(account_groups, MembersJoinOnceAndLeave) {
  const guint32 empty = group("staff", "");
  const guint32 some = group("video", "&ann&");
  const guint32 member = group("audio", "&ann&bob&");
  const guint32 other = group("games", "&ann&");
  const testing::OwnedList names = testing::make_list({"staff", "video", "audio", ""});
  EXPECT_EQ(nexalib_add_user_in_groups_db(odb, "bob", names.get()), 0);
  EXPECT_EQ(members(empty), "&bob&");
  EXPECT_EQ(members(some), "&ann&bob&");
  EXPECT_EQ(members(member), "&ann&bob&");
  EXPECT_EQ(members(other), "&ann&") << "an empty name is no group, not every group";
  EXPECT_EQ(odb.log().size(), 2u) << "a member already there is not set again";

  EXPECT_EQ(nexalib_delete_user_in_groups_db(odb, "bob"), 0);
  EXPECT_EQ(members(empty), "");
  EXPECT_EQ(members(some), "&ann&");
  EXPECT_EQ(members(member), "&ann&");
  EXPECT_EQ(members(other), "&ann&");
}

TEST_F(account_groups, NamesThatSplitTheArrayAreRefused) {
  const guint32 staff = group("staff", "&ann&");
  const testing::OwnedList names = testing::make_list({"staff"});
  for (const char* user : {"a&b", "a\nb", "&", ""}) {
    SCOPED_TRACE(user);
    EXPECT_EQ(nexalib_add_user_in_groups_db(odb, user, names.get()), -1);
    EXPECT_EQ(nexalib_delete_user_in_groups_db(odb, user), -1);
  }
  EXPECT_EQ(members(staff), "&ann&");
  EXPECT_TRUE(odb.log().empty());
}

}  // namespace
}  // namespace nexa
