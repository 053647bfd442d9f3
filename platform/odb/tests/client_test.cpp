// Client calls: finding, reading and changing objects, and the log of what was done.
#include "standin_fixture.h"

namespace {

using ClientTest = StandinTest;

guint32 add(const char* class_name,
            std::initializer_list<std::pair<const char*, const char*>> main) {
  guint32 oid = odb_standin_add_object(class_name);
  for (const auto& [key, value] : main) odb_standin_set_prop(oid, "", key, value);
  return oid;
}

TEST_F(ClientTest, FindMatchesClassAndEveryCriterionInCreationOrder) {
  guint32 a1 = add("Share", {{"name", "a"}, {"public", "1"}});
  add("Disk", {{"name", "a"}, {"public", "1"}});
  guint32 b1 = add("Share", {{"name", "b"}, {"public", "1"}});
  guint32 a0 = add("Share", {{"name", "a"}, {"public", "0"}});
  guint32 unnamed = add("Share", {{"public", "1"}});
  guint32 a1_again = add("Share", {{"name", "a"}, {"public", "1"}});

  using V = std::vector<guint32>;
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", props({{"name", "a"}, {"public", "1"}}))),
            (V{a1, a1_again}));
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", nullptr)), (V{a1, b1, a0, unnamed, a1_again}));
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", props({}))), (V{a1, b1, a0, unnamed, a1_again}));
  EXPECT_EQ(odb_find_cmnd(handle(), "Share", props({{"name", "zzz"}})), nullptr);
  EXPECT_EQ(odb_find_cmnd(handle(), "Printer", nullptr), nullptr);
}

TEST_F(ClientTest, FindUsesTheCriteriaValuesAsGetGivesThem) {
  guint32 old_name = add("Share", {{"name", "old"}, {"public", "1"}});
  guint32 new_name = add("Share", {{"name", "new"}, {"public", "1"}});
  add("Share", {{"name", "new"}, {"public", "0"}});
  OdbProps* criteria = odb_standin_event_props(1);
  odb_standin_props_set_old(criteria, "name", "old");
  odb_standin_props_set_old(criteria, "public", "1");

  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", criteria)), std::vector<guint32>{old_name});
  odb_props_set(criteria, "name", "new");
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", criteria)), std::vector<guint32>{new_name});
  odb_props_destroy(criteria);
}

TEST_F(ClientTest, FindMatchesOneElementOfAnOdbArray) {
  guint32 group = add("Group", {{"users", "&alice&bob&"}});
  add("Group", {{"users", "&alice&bob"}});  // not closed: a plain value
  guint32 empty_item = add("Group", {{"users", "&&"}});

  using V = std::vector<guint32>;
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Group", props({{"users", "bob"}}))), V{group});
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Group", props({{"users", "&alice&bob&"}}))), V{group});
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Group", props({{"users", ""}}))), V{empty_item});
  EXPECT_EQ(odb_find_cmnd(handle(), "Group", props({{"users", "ali"}})), nullptr);
  EXPECT_EQ(odb_find_cmnd(handle(), "Group", props({{"users", "alice&bob"}})), nullptr);
}

TEST_F(ClientTest, GetHoldsTheStoredValuesOfOneNamespaceAsOldValues) {
  guint32 oid = add("Share", {{"name", "music"}});
  odb_standin_set_prop(oid, "status", "mounted", "1");
  guint32 bare = odb_standin_add_object("Share");

  OdbProps* main = odb_get_cmnd(handle(), oid, "");
  ASSERT_NE(main, nullptr);
  EXPECT_STREQ(odb_props_get_old(main, "name"), "music");
  EXPECT_EQ(odb_props_get(main, "mounted"), nullptr);
  EXPECT_EQ(g_hash_table_size(main->new_values), 0u);
  OdbProps* status = odb_get_cmnd(handle(), oid, "status");
  ASSERT_NE(status, nullptr);
  EXPECT_STREQ(odb_props_get(status, "mounted"), "1");
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(handle(), oid, nullptr), "name"), "music");

  OdbProps* empty = odb_get_cmnd(handle(), bare, "");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(g_hash_table_size(empty->old_values), 0u);
  EXPECT_EQ(odb_get_cmnd(handle(), bare, "status"), nullptr);
  EXPECT_EQ(odb_get_cmnd(handle(), 999, ""), nullptr);
}

TEST_F(ClientTest, SetAppliesTheNewValuesAndLogsThemSorted) {
  guint32 oid = add("Share", {{"name", "music"}, {"public", "0"}});
  OdbProps* changes = odb_get_cmnd(handle(), oid, "");
  odb_props_set(changes, "public", "1");
  odb_props_set(changes, "comment", "all of it");

  EXPECT_EQ(odb_set_cmnd(handle(), oid, "", changes), 1);
  EXPECT_EQ(odb_set_cmnd(handle(), oid, "status", props({{"mounted", "1"}})), 1);
  EXPECT_STREQ(odb_standin_get_prop(oid, "", "public"), "1");
  EXPECT_STREQ(odb_standin_get_prop(oid, "", "comment"), "all of it");
  EXPECT_STREQ(odb_standin_get_prop(oid, "", "name"), "music");
  EXPECT_STREQ(odb_standin_get_prop(oid, "status", "mounted"), "1");
  EXPECT_EQ(log(),
            "set 1 \"\" comment=all of it public=1\n"
            "set 1 status mounted=1\n");

  EXPECT_EQ(odb_set_cmnd(handle(), 999, "", props({{"a", "1"}})), 0);
  EXPECT_FALSE(odb_standin_has_object(999));
  EXPECT_EQ(log(), "set 1 \"\" comment=all of it public=1\nset 1 status mounted=1\n");
}

TEST_F(ClientTest, CreateAndDestroyChangeTheObjectsAndAreLogged) {
  odb_standin_add_object("Disk");
  OdbProps* values = odb_standin_event_props(2);
  odb_props_set(values, "public", "1");
  odb_props_set(values, "name", "music");
  odb_standin_props_set_old(values, "ignored", "x");

  guint32 oid = odb_create_cmnd(handle(), "Share", values);
  odb_props_destroy(values);
  EXPECT_EQ(oid, 2u);
  EXPECT_STREQ(odb_standin_get_prop(oid, "", "name"), "music");
  EXPECT_EQ(odb_standin_get_prop(oid, "", "ignored"), nullptr);
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", nullptr)), std::vector<guint32>{oid});
  EXPECT_EQ(odb_create_cmnd(handle(), nullptr, nullptr), 0u);

  EXPECT_EQ(odb_destroy_cmnd(handle(), oid), 1);
  EXPECT_FALSE(odb_standin_has_object(oid));
  EXPECT_EQ(odb_get_cmnd(handle(), oid, ""), nullptr);
  EXPECT_EQ(odb_destroy_cmnd(handle(), oid), 0);
  EXPECT_EQ(log(), "create Share 2 name=music public=1\ndestroy 2\n");
}

TEST_F(ClientTest, ConnectionCallsFollowTheInjectedResults) {
  EXPECT_NE(odb_connect_cmnd(handle(), "/var/run/odbd.sock"), 0);
  odb_standin_fail_connect(1);
  EXPECT_EQ(odb_connect_cmnd(handle(), "/var/run/odbd.sock"), 0);
  EXPECT_EQ(odb_connect_handler_cmnd(handle()), 0u);
  odb_standin_set_handler_oid(7);
  EXPECT_EQ(odb_connect_handler_cmnd(handle()), 7u);
  EXPECT_EQ(odb_bye_cmnd(handle()), 0);
  odb_standin_set_bye_result(-3);
  EXPECT_EQ(odb_bye_handler_cmnd(handle(), 1, "msg.disk.full"), -3);
  EXPECT_EQ(odb_bye_handler_cmnd(handle(), 0, ""), -3);
  odb_bad_data_cmnd(handle(), 7, "", "name", "msg.bad.name");
  odb_bad_data_cmnd(handle(), 7, "status", "mounted", "msg.bad.mount");
  EXPECT_EQ(log(),
            "connect /var/run/odbd.sock\n"
            "connect /var/run/odbd.sock\n"
            "connect_handler 0\n"
            "connect_handler 7\n"
            "bye\n"
            "bye_handler 1 msg.disk.full\n"
            "bye_handler 0 \n"
            "bad_data 7 \"\" name msg.bad.name\n"
            "bad_data 7 status mounted msg.bad.mount\n");
}

TEST_F(ClientTest, LastErrorsAreTheInjectedRecords) {
  EXPECT_EQ(odb_last_errors_cmnd(handle()), nullptr);
  odb_standin_add_last_error(4, "", "name", "name taken");
  odb_standin_add_last_error(5, "status", "size", "too big");

  for (int call = 0; call < 2; ++call) {
    GSList* errors = odb_last_errors_cmnd(handle());
    ASSERT_EQ(g_slist_length(errors), 2u);
    auto* first = static_cast<OdbError*>(errors->data);
    auto* second = static_cast<OdbError*>(errors->next->data);
    EXPECT_EQ(first->oid, 4u);
    EXPECT_STREQ(first->message, "name taken");
    EXPECT_EQ(second->oid, 5u);
    EXPECT_STREQ(second->ns, "status");
    EXPECT_STREQ(second->key, "size");
    EXPECT_STREQ(second->message, "too big");
  }
}

TEST_F(ClientTest, ResetForgetsObjectsSettingsErrorsAndLog) {
  guint32 oid = add("Share", {{"name", "a"}});
  odb_standin_set_handler_oid(oid);
  odb_standin_fail_connect(1);
  odb_standin_add_last_error(oid, "", "name", "bad");
  odb_connect_cmnd(handle(), "/sock");

  odb_standin_reset();
  EXPECT_FALSE(odb_standin_has_object(oid));
  EXPECT_EQ(odb_find_cmnd(handle(), "Share", nullptr), nullptr);
  EXPECT_EQ(log(), "");
  EXPECT_EQ(odb_last_errors_cmnd(handle()), nullptr);
  EXPECT_EQ(odb_connect_handler_cmnd(handle()), 0u);
  EXPECT_NE(odb_connect_cmnd(handle(), "/sock"), 0);
  EXPECT_EQ(odb_standin_add_object("Disk"), 1u);
}

}  // namespace
