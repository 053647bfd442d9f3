// Connections to the configuration daemon, lookups and props operations,
// through the exported operations and the client-library stand-in.
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class OdbAccessTest : public LibraryTest {
 protected:
  testing::OdbSession odb;
  OdbHandle* h = odb.get();
};

TEST_F(OdbAccessTest, CgiConnectionFailureShowsAPageAndExits) {
  odb_standin_fail_connect(1);
  const auto child = testing::run_in_child([] { nexalib_connect_daemon_by_socket_file(); });
  EXPECT_EQ(child.exit_status, 1);
  EXPECT_EQ(child.out,
            "Content-type:text/html\n\nFATAL: The crucial daemon was not found<br>"
            "FATAL: Please make sure it is running properply<br>");
}

TEST_F(OdbAccessTest, HandlerConnectionWithoutAnOidExits) {
  const auto child = testing::run_in_child([] {
    int oid = -1;
    nexalib_connect_daemon(&oid);
  });
  EXPECT_EQ(child.exit_status, 1);
  EXPECT_EQ(child.out, "FATAL: failt to connect daemon\n");
}

TEST_F(OdbAccessTest, ConnectionsAndByeByes) {
  OdbHandle* cgi = nexalib_connect_daemon_by_socket_file();
  ASSERT_NE(cgi, nullptr);
  EXPECT_EQ(nexalib_bye_bye_socket_file_fail(cgi), 0);
  odb_standin_set_handler_oid(7);
  int oid = 0;
  OdbHandle* handler = nexalib_connect_daemon(&oid);
  EXPECT_EQ(oid, 7);
  odb_standin_set_bye_result(5);
  EXPECT_EQ(nexalib_bye_bye_handler_fail(handler, "share_dup"), 5) << "the client's result";
  EXPECT_EQ(odb.log(), (std::vector<std::string>{"connect /usr/trellis/odbd.socket", "bye",
                                                 "connect_handler 7", "bye_handler 1 share_dup"}));
  for (auto bye : {nexalib_bye_bye_handler_success, nexalib_bye_bye_socket_file_success,
                   nexalib_bye_bye_socket_file_fail})
    EXPECT_EQ(bye(nullptr), -1);
  EXPECT_EQ(nexalib_bye_bye_handler_fail(nullptr, "x"), -1);
}

TEST_F(OdbAccessTest, LookupsByClassAndProperty) {
  const guint32 a = odb.add("Share", {{"name", "music"}, {"users", "&ann&bob&"}});
  const guint32 b = odb.add("Share", {{"name", "films"}});
  odb.add("User", {{"name", "music"}});
  EXPECT_EQ(get_oids_numbers(find_classname_oids(h, "Share")), 2);
  EXPECT_EQ(find_classname_oids(h, "Nothing"), nullptr);
  EXPECT_EQ(get_oids_numbers(nullptr), 0);
  EXPECT_EQ(nexalib_find_an_oid_by_name(h, "Share", "films"), static_cast<int>(b));
  EXPECT_EQ(nexalib_find_an_oid_by_name(h, "Share", "none"), 0);
  GSList* with_bob = nexalib_get_class_oids_by_key_and_val(h, "Share", "users", "bob");
  ASSERT_EQ(get_oids_numbers(with_bob), 1);
  EXPECT_EQ(GPOINTER_TO_UINT(with_bob->data), a);
  int oid = static_cast<int>(b);
  EXPECT_STREQ(odb_props_get(get_data_by_handle_oid(h, &oid), "name"), "films");
}

TEST_F(OdbAccessTest, CompareLookupWalksTheClassInOrder) {
  const guint32 a = odb.add("Disk", {{"slot", "1"}});
  const guint32 b = odb.add("Disk", {{"slot", "2"}});
  int oid = 0;
  OdbProps* found = nexalib_get_objectOid_and_compare(h, &oid, "Disk", "slot", "1");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(oid, static_cast<int>(a));
  EXPECT_EQ(nexalib_get_objectOid_and_compare(h, &oid, "Disk", "slot", "3"), nullptr);
  EXPECT_EQ(oid, static_cast<int>(b)) << "holds the last oid tried";
  EXPECT_EQ(nexalib_get_objectOid_and_compare(h, &oid, "Disk", "model", "x"), nullptr)
      << "a missing property is not equal";
}

TEST_F(OdbAccessTest, SystemAndNetworkObjects) {
  EXPECT_EQ(nexalib_get_system(h), nullptr);
  int oid = 99;
  EXPECT_EQ(nexalib_get_system_namespace_and_oid(h, &oid, "Samba"), nullptr);
  EXPECT_EQ(oid, 99) << "untouched without a System object";
  EXPECT_EQ(nexalib_get_bootup_type(h), 0);

  const guint32 sys = odb.add("System", {{"hd_bootup", "1"}});
  odb_standin_set_prop(sys, "Samba", "enabled", "1");
  EXPECT_EQ(nexalib_get_bootup_type(h), 1);
  EXPECT_STREQ(odb_props_get(nexalib_get_system_namespace(h, "Samba"), "enabled"), "1");
  EXPECT_NE(nexalib_get_system_namespace_and_oid(h, &oid, "Samba"), nullptr);
  EXPECT_EQ(oid, static_cast<int>(sys));
  oid = 0;
  EXPECT_STREQ(odb_props_get(nexalib_get_system_and_oid(h, &oid), "hd_bootup"), "1");
  EXPECT_EQ(oid, static_cast<int>(sys));

  odb.add("Network", {{"devName", "eth0"}});
  const guint32 wan = odb.add("Network", {{"devName", "eth1"}});
  EXPECT_STREQ(odb_props_get(nexalib_get_network(h), "devName"), "eth0");
  EXPECT_NE(nexalib_get_network_and_oid(h, &oid, "eth1"), nullptr);
  EXPECT_EQ(oid, static_cast<int>(wan));
  EXPECT_EQ(nexalib_get_network_and_oid(h, &oid, "wlan0"), nullptr);
  EXPECT_EQ(oid, static_cast<int>(wan));
}

TEST_F(OdbAccessTest, ToggleCommitFlipsOnlyAnExactOne) {
  const guint32 sys = odb.add("System");
  for (const auto& [before, after] : std::vector<std::pair<const char*, const char*>>{
           {"1", "0"}, {"0", "1"}, {"yes", "1"}, {"", "1"}}) {
    odb_standin_set_prop(sys, "Ftp", "commit", before);
    EXPECT_EQ(nexalib_toggle_system_namespace_commit(h, "Ftp"), 0);
    EXPECT_STREQ(odb_standin_get_prop(sys, "Ftp", "commit"), after) << before;
  }
  odb.clear_log();
  EXPECT_EQ(nexalib_toggle_system_namespace_commit(h, "Nfs"), 0);
  EXPECT_EQ(odb.log_text(), "") << "no commit property: nothing written";
}

TEST_F(OdbAccessTest, PropsUpdateRecordsOnlyChanges) {
  OdbProps* current = odb_standin_event_props(1);
  odb_standin_props_set_old(current, "port", "21");
  OdbProps* changes = odb_props_new();
  EXPECT_EQ(nexalib_props_update(changes, current, "port", "21"), 0);
  EXPECT_EQ(nexalib_props_new_count(changes), 0u);
  nexalib_props_update(changes, current, "port", "2121");
  nexalib_props_update(changes, current, "banner", "hi");
  EXPECT_EQ(nexalib_props_new_count(changes), 2u);
  EXPECT_STREQ(odb_props_get_new(changes, "port"), "2121");
  EXPECT_EQ(nexalib_props_old_count(current), 1u);
  EXPECT_EQ(nexalib_props_new_count(nullptr), 0u);
  odb_props_destroy(changes);
  odb_props_destroy(current);
}

TEST_F(OdbAccessTest, ToggleDaemonRunsTheServiceScript) {
  const char* script = "/usr/ruvoro/etc/rc.d/S80samba.sh";
  auto run = [&](const char* enabled, int flags) {
    commands.lines.clear();
    OdbProps* p = odb_props_new();
    if (enabled) odb_props_set(p, "enabled", enabled);
    EXPECT_EQ(nexalib_toggle_daemon(p, script, flags), 0);
    odb_props_destroy(p);
    return commands.lines;
  };
  const std::string stop = std::string(script) + " stop >/dev/null 2>&1";
  const std::string start = std::string(script) + " start >/dev/null 2>&1";
  EXPECT_EQ(run("1", 2), (std::vector<std::string>{stop, start}));
  EXPECT_EQ(run("1", 0), (std::vector<std::string>{start}));
  EXPECT_EQ(run("0", 0), (std::vector<std::string>{stop}));
  EXPECT_EQ(run("0", 2), (std::vector<std::string>{stop}));
  EXPECT_TRUE(run(nullptr, 2).empty());
}

TEST_F(OdbAccessTest, DuplicateAndExistenceChecks) {
  EXPECT_EQ(nexalib_check_duplicate_class_nameval(h, "Group", "staff"), -1);
  EXPECT_EQ(nexalib_isexist_class_nameval(h, "Group", "staff"), 0);
  odb.add("Group", {{"name", "staff"}});
  EXPECT_EQ(nexalib_check_duplicate_class_nameval(h, "Group", "staff"), 0);
  EXPECT_EQ(nexalib_isexist_class_nameval(h, "Group", "staff"), 1);
  odb.add("Group", {{"name", "staff"}});
  EXPECT_EQ(nexalib_check_duplicate_class_nameval(h, "Group", "staff"), -1);
  EXPECT_EQ(nexalib_isexist_class_nameval(h, "Group", "staff"), 1);
}

}  // namespace
}  // namespace nexa
