// Props: value precedence, key iteration, event state, ownership checks, odb arrays.
#include "standin_fixture.h"

#include <cstdlib>
#include <set>

namespace {

using PropsTest = StandinTest;

TEST_F(PropsTest, GetPrefersTheNewValueThenTheOldOne) {
  OdbProps* p = odb_standin_event_props(1);
  odb_standin_props_set_old(p, "name", "old");
  odb_standin_props_set_old(p, "size", "10");
  odb_props_set(p, "name", "new");

  EXPECT_STREQ(odb_props_get(p, "name"), "new");
  EXPECT_STREQ(odb_props_get(p, "size"), "10");
  EXPECT_EQ(odb_props_get(p, "absent"), nullptr);
  EXPECT_STREQ(odb_props_get_new(p, "name"), "new");
  EXPECT_STREQ(odb_props_get_old(p, "name"), "old");
  EXPECT_EQ(odb_props_get_new(p, "size"), nullptr);
  EXPECT_EQ(odb_props_get_old(p, "absent"), nullptr);
  odb_props_destroy(p);
}

TEST_F(PropsTest, SetKeepsACopyAndTheLatestValue) {
  char value[] = "first";
  OdbProps* p = props({});
  odb_props_set(p, "key", value);
  value[0] = 'X';
  EXPECT_STREQ(odb_props_get(p, "key"), "first");
  odb_props_set(p, "key", "second");
  EXPECT_STREQ(odb_props_get(p, "key"), "second");
  EXPECT_EQ(g_hash_table_size(p->new_values), 1u);
  EXPECT_EQ(g_hash_table_size(p->old_values), 0u);
}

std::multiset<std::string> all_keys(OdbProps* p) {
  std::multiset<std::string> keys;
  while (const char* key = odb_props_nextkey(p)) keys.insert(key);
  return keys;
}

TEST_F(PropsTest, IterationVisitsEachKeyOfEitherTableOnce) {
  OdbProps* p = odb_standin_event_props(1);
  odb_standin_props_set_old(p, "both", "1");
  odb_standin_props_set_old(p, "old_only", "1");
  odb_props_set(p, "both", "2");
  odb_props_set(p, "new_only", "2");

  // Without a reinit, nextkey starts the iteration itself.
  const std::multiset<std::string> expected{"both", "new_only", "old_only"};
  EXPECT_EQ(all_keys(p), expected);
  EXPECT_EQ(odb_props_nextkey(p), nullptr);
  odb_props_reinit(p);
  EXPECT_EQ(all_keys(p), expected);
  odb_props_destroy(p);
}

TEST_F(PropsTest, EventPropsCarryTheirStateAndOthersReadAsModified) {
  for (int state : {2, 3, 7}) {
    OdbProps* p = odb_standin_event_props(state);
    odb_props_reinit(p);
    EXPECT_EQ(odb_props_state(p), state);
    odb_props_destroy(p);
  }
  OdbProps* plain = props({});
  odb_props_reinit(plain);
  EXPECT_NE(odb_props_state(plain), 2);
  EXPECT_NE(odb_props_state(plain), 3);
}

TEST_F(PropsTest, NullArgumentsAreHarmless) {
  odb_props_destroy(nullptr);
  odb_handle_destroy(nullptr);
  EXPECT_EQ(odb_props_get(nullptr, "key"), nullptr);
  OdbProps* p = props({{"key", "value"}});
  odb_props_set(p, nullptr, "value");
  odb_props_set(p, "other", nullptr);
  EXPECT_EQ(odb_props_get(p, nullptr), nullptr);
  EXPECT_EQ(g_hash_table_size(p->new_values), 1u);
}

TEST_F(PropsTest, DestroyingPropsOwnedByTheClientLibraryAborts) {
  guint32 oid = odb_standin_add_object("Share");
  OdbProps* got = odb_get_cmnd(handle(), oid, "");
  ASSERT_NE(got, nullptr);
  EXPECT_DEATH(odb_props_destroy(got), "belong to the client library");
}

struct ArrayCase {
  const char* text;
  std::vector<std::string> items;
};

TEST_F(PropsTest, ArrayDeserialSplitsClosedItemsOnly) {
  const ArrayCase cases[] = {
      {"&a&b&", {"a", "b"}},         {"&&", {""}},         {"&&&", {"", ""}}, {"&a&b", {"a"}},
      {"& x &y=1&", {" x ", "y=1"}}, {"a&b&", {"a", "b"}}, {"&", {}},         {"plain", {}},
  };
  for (const auto& c : cases) {
    GSList* list = odb_array_deserial(c.text);
    std::vector<std::string> items;
    for (GSList* node = list; node; node = node->next)
      items.emplace_back(static_cast<char*>(node->data));
    EXPECT_EQ(items, c.items) << c.text;
    g_slist_free_full(list, free);
  }
  EXPECT_EQ(odb_array_deserial(nullptr), nullptr);
  EXPECT_EQ(odb_array_deserial(""), nullptr);
}

}  // namespace
