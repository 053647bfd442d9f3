// String lists, odb arrays, comma lists and line lists in memory.
#include <gmock/gmock.h>

#include <cstring>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::items;
using testing::make_list;
using testing::OwnedList;

std::string take(GString* s) {
  if (!s) return "(null)";
  std::string copy(s->str, s->len);
  g_string_free(s, TRUE);
  return copy;
}

TEST(OdbArrays, ListsAndArraysConvertBothWays) {
  const OwnedList abc = make_list({"a", "b", "c"});
  EXPECT_EQ(take(nexalib_list_to_odb_array(abc.get())), "&a&b&c&");
  EXPECT_EQ(take(nexalib_list_to_group_member_format(abc.get())), "a,b,c");
  EXPECT_EQ(take(nexalib_list_to_odb_array(nullptr)), "(null)");
  EXPECT_EQ(take(nexalib_list_to_group_member_format(nullptr)), "(null)");
  EXPECT_EQ(items(OwnedList(nexalib_odb_array_to_list("&a&b&c&"))),
            (std::vector<std::string>{"a", "b", "c"}));
}

TEST(OdbArrays, EdgesOfTheArrayForm) {
  EXPECT_EQ(nexalib_odb_array_to_list(nullptr), nullptr);
  EXPECT_EQ(nexalib_odb_array_to_list(""), nullptr);
  EXPECT_EQ(nexalib_odb_array_to_list("&"), nullptr) << "no element";
  EXPECT_EQ(items(OwnedList(nexalib_odb_array_to_list("&&"))), std::vector<std::string>{""});
  EXPECT_EQ(items(OwnedList(nexalib_odb_array_to_list("&a&b"))), std::vector<std::string>{"a"})
      << "the unclosed element is lost";
}

TEST(OdbArrays, ElementsTheFormCannotCarryAreLeftOut) {
  EXPECT_EQ(take(nexalib_list_to_odb_array(make_list({"ann", "x&admin", "bob"}).get())),
            "&ann&bob&");
  EXPECT_EQ(take(nexalib_list_to_group_member_format(
                make_list({"ann", "evil,root", "a:b", "new\nline", "bob"}).get())),
            "ann,bob");
}

TEST(OdbArrays, HostileElementsNeverAddElementsOrLines) {
  using ::testing::AnyOf;
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    // As far as a C list can carry it: up to a NUL.
    const std::string value = hostile.value.substr(0, hostile.value.find('\0'));
    const OwnedList list = make_list({"ann", value, "bob"});
    EXPECT_THAT(take(nexalib_list_to_odb_array(list.get())),
                AnyOf("&ann&" + value + "&bob&", "&ann&bob&"));
    EXPECT_THAT(take(nexalib_list_to_group_member_format(list.get())),
                AnyOf("ann," + value + ",bob", "ann,bob"));
  }
}

TEST(StringLists, DeleteMemberRemovesTheFirstExactMatch) {
  OwnedList list = make_list({"ann", "bob", "ann"});
  list.reset(nexalib_delete_member_from_list(list.release(), "ann"));
  EXPECT_EQ(items(list), (std::vector<std::string>{"bob", "ann"}));
  EXPECT_EQ(nexalib_delete_member_from_list(list.get(), "an"), list.get());
  EXPECT_EQ(items(list), (std::vector<std::string>{"bob", "ann"}));
}

TEST(LineLists, FindByKeySkipsLeadingBlanks) {
  const OwnedList lines = make_list({"# users\n", " \tusers:x:100:\n", "staff:x:50:ann\n"});
  GSList* found = nexalib_get_list_by_key(lines.get(), "users:");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(static_cast<char*>(found->data), " \tusers:x:100:\n");
  EXPECT_EQ(nexalib_get_list_by_key(lines.get(), "nobody:"), nullptr);
}

TEST(LineLists, RemoveRecordKeepsCommentsAndEmptyLines) {
  OwnedList lines =
      make_list({"# ann's group\n", "ann:x:1:\n", "", "staff:x:50:ann\n", "bob:x:2:\n"});
  lines.reset(nexalib_remove_record_from_list(lines.release(), "ann"));
  EXPECT_EQ(items(lines), (std::vector<std::string>{"# ann's group\n", "", "bob:x:2:\n"}));
  lines.reset(nexalib_remove_record_from_list(lines.release(), ""));
  EXPECT_EQ(items(lines).size(), 3u) << "an empty pattern removes nothing";
}

TEST(Strings, SafeCopyAndCuts) {
  char small[1] = {'x'};
  EXPECT_STREQ(nexalib_safe_strncpy(small, "abc", 1), "");
  char four[4];
  EXPECT_STREQ(nexalib_safe_strncpy(four, "abcdef", 4), "abc");
  char guard[2] = {'g', 'g'};
  nexalib_safe_strncpy(guard + 1, "abc", 0);
  EXPECT_EQ(guard[0], 'g') << "size 0 writes nothing";

  char line[] = "value\nrest";
  EXPECT_EQ(nexalib_RemoveCR(line), line + 5);
  EXPECT_STREQ(line, "value");
  char plain[] = "value";
  EXPECT_EQ(nexalib_RemoveCR(plain), nullptr);

  const char* padded = " \t x ";
  EXPECT_EQ(nexalib_skip_blank(padded), padded + 3);
  char tail[] = "ab \t";
  EXPECT_EQ(nexalib_skip_rblank(tail + 4), tail + 1) << "from the terminator back to b";
}

TEST(Strings, ArgvSplitInPlace) {
  char text[] = "a,b,,c";
  char* argv[4] = {};
  convert_array_to_argv_style(argv, text, ",;");
  EXPECT_STREQ(argv[0], "a");
  EXPECT_STREQ(argv[1], "b");
  EXPECT_STREQ(argv[2], ",c") << "the character after a delimiter is not tested";
  EXPECT_EQ(argv[3], nullptr);

  char trailing[] = "a,";
  char* two[3] = {};
  convert_array_to_argv_style(two, trailing, ",");
  EXPECT_STREQ(two[0], "a");
  EXPECT_STREQ(two[1], "");
  EXPECT_EQ(two[2], nullptr) << "never reads past the terminator";
}

TEST(Freeing, TablesAndRecordListsReleaseEverything) {
  // LeakSanitizer in the test build checks that nothing is left.
  GHashTable* table = g_hash_table_new(g_str_hash, g_str_equal);
  g_hash_table_insert(table, strdup("section"), strdup("music"));
  g_hash_table_insert(table, strdup("path"), strdup("/share/music"));
  EXPECT_EQ(g_hash_table_foreach_remove(table, nexalib_g_hash_table_free_buffer, nullptr), 2u);
  g_hash_table_insert(table, strdup("a"), strdup("b"));
  nexalib_g_hash_table_free_all(table);
  nexalib_g_hash_table_free_all(nullptr);

  GSList* records = nullptr;
  for (int i = 0; i < 3; ++i) {
    GHashTable* record = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(record, strdup("section"), strdup("s"));
    records = g_slist_prepend(records, record);
  }
  nexalib_g_slist_free_all_hash(records);
  GSList* strings = make_list({"a", "b"}).release();
  g_slist_foreach(strings, nexalib_g_slist_free_buffer, nullptr);
  g_slist_free(strings);
  nexalib_g_slist_free_all(nullptr);
}

}  // namespace
}  // namespace nexa
