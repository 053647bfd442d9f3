// Samba sections of folder shares, user homes and the printer, and the share
// objects kept in the configuration daemon.
#include <algorithm>
#include <map>
#include <regex>
#include <sstream>

#include "nexalib.h"
#include "odb_standin.h"
#include "samba_check.h"

namespace nexa {
namespace {

using Entries = std::map<std::string, std::string>;

struct SectionListFree {
  void operator()(GSList* sections) const { nexalib_g_slist_free_all_hash(sections); }
};
using OwnedSections = std::unique_ptr<GSList, SectionListFree>;

class SambaSharesTest : public testing::SambaTest {
 protected:
  SambaSharesTest() {
    system = odb.add("System");
    odb.set(system, {{"rootdir", "/mnt/system"}}, "Disk");
    odb.set(system, {{"tss_enabled", "1"}, {"enabled", "1"}}, "Samba");
    write_file("/etc/mtab", "/dev/sda1 /mnt/system xfs rw 0 0\n/dev/sdb1 /mnt/usb1 vfat rw 0 0\n");
    // The mount table lists only what statfs can see.
    write_file("/mnt/system/.keep", "");
    write_file("/mnt/usb1/.keep", "");
    sections.reset(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
    odb.clear_log();
  }

  // A "FolderShare" object's props as its handler reads them.
  OdbProps* share(const testing::Props& values) {
    const guint32 oid = odb.add("FolderShare", values);
    last_oid = static_cast<int>(oid);
    return odb_get_cmnd(odb, oid, "");
  }
  OdbProps* user(const testing::Props& values) { return share(values); }

  // Runs an edit on the list and gives the flag it left.
  template <typename Edit>
  int edit(Edit edit_list, int flag = 0) {
    GSList* head = edit_list(sections.release(), &flag);
    sections.reset(head);
    return flag;
  }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (GSList* cell = sections.get(); cell; cell = cell->next)
      out.emplace_back(static_cast<const char*>(
          g_hash_table_lookup(static_cast<GHashTable*>(cell->data), "section")));
    return out;
  }
  Entries section(const char* name) const {
    auto entries = testing::entries(nexalib_get_hash_table_by_section_name(sections.get(), name));
    entries.erase("section");
    return entries;
  }

  testing::OdbSession odb;
  guint32 system = 0;
  int last_oid = 0;
  OwnedSections sections;
};

TEST_F(SambaSharesTest, FolderShareSections) {
  // Each row changes a public share of everyone's on ext3; its section is
  // the public one with the row's entries changed ("": left out).
  struct Settings {
    const char *allow = "1", *ro_users = "", *ro_groups = "", *rw_users = "", *rw_groups = "",
               *tss = "0", *fs = "ext3";
  };
  const Entries public_share = {{"path", "/p"},
                                {"available", "1"},
                                {"create mask", "0777"},
                                {"directory mask", "0777"},
                                {"writeable", "yes"},
                                {"guest ok", "true"},
                                {"comment", "Music for all"}};
  const Entries private_share = {
      {"create mask", "0775"}, {"directory mask", "0775"}, {"writeable", "no"}, {"guest ok", ""}};
  const auto with = [](Entries base, const Entries& changes) {
    for (const auto& [key, value] : changes) {
      if (value.empty()) {
        base.erase(key);
      } else {
        base[key] = value;
      }
    }
    return base;
  };
  const struct Row {
    const char* what;
    Settings settings;
    Entries expected;  // empty: no section
  } rows[] = {
      {"public share", {.ro_users = "&bob&"}, public_share},
      {"read-only user and read-write group",
       {.allow = "0", .ro_users = "&bob&", .rw_groups = "&staff&"},
       with(with(public_share, private_share),
            {{"valid users", "bob,@staff"}, {"write list", "@staff"}})},
      {"sendfile on xfs",
       {.tss = "1", .fs = "xfs"},
       with(public_share, {{"use sendfile", "yes"}, {"use receivefile", "no"}})},
      {"sendfile elsewhere",
       {.allow = "0", .rw_users = "&ann&eve&", .rw_groups = "&a&b&", .tss = "1"},
       with(with(public_share, private_share), {{"use sendfile", "yes"},
                                                {"use receivefile", "yes"},
                                                {"valid users", "ann,eve,@a,@b"},
                                                {"write list", "ann,eve,@a,@b"}})},
      {"private share naming nobody", {.allow = "0", .ro_users = "&&"}, {}},
      {"neither public nor private, naming nobody", {.allow = ""}, {}},
      {"names that would split a list are left out",
       {.allow = "0", .ro_users = "&x,root&", .ro_groups = "&a b&", .rw_users = "&bob&"},
       with(with(public_share, private_share), {{"valid users", "bob"}, {"write list", "bob"}})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Settings& s = row.settings;
    const testing::OwnedTable table(nexalib_smb_conf_folder_share_hash_create(
        "music", "/p", s.allow, s.ro_users, s.ro_groups, s.rw_users, s.rw_groups, "Music\nfor all",
        s.tss, s.fs));
    Entries entries = testing::entries(table);
    entries.erase("section");
    EXPECT_EQ(entries, row.expected);
  }
}

TEST_F(SambaSharesTest, AddingModifyingAndDeletingFolderShares) {
  const auto add = [&](OdbProps* p) {
    return edit([&](GSList* l, int* f) {
      return nexalib_smb_conf_folder_share_add(odb, last_oid, p, l, f);
    });
  };
  OdbProps* folder = share({{"name", "docs"}, {"isDisk", "0"}, {"allowForAll", "1"}});
  EXPECT_EQ(add(folder), 2);
  EXPECT_TRUE(exists("/mnt/system/docs"));
  EXPECT_EQ(mode_of("/mnt/system/docs"), 0777u);
  EXPECT_EQ(section("docs").at("path"), "/mnt/system/docs");
  EXPECT_EQ(section("docs").at("use receivefile"), "no") << "the system volume is xfs";

  OdbProps* disk = share({{"name", "usb"},
                          {"mountPoint", "/mnt/usb1"},
                          {"isDisk", "1"},
                          {"allowForAll", "0"},
                          {"allowRWUsers", "&bob&"}});
  EXPECT_EQ(add(disk), 2);
  EXPECT_EQ(add(disk), 2) << "added again: replaced, not doubled";
  EXPECT_EQ(names(), (std::vector<std::string>{"docs", "usb"}));
  EXPECT_EQ(section("usb").at("path"), "/mnt/usb1");
  EXPECT_EQ(section("usb").at("use receivefile"), "yes");
  EXPECT_EQ(mode_of("/mnt/usb1"), 0777u);

  OdbProps* unnamed = share({{"name", ""}});
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_smb_conf_folder_share_modify(odb, last_oid, unnamed, l, f);
            }),
            1);
  OdbProps* emptied = share({{"name", "usb"}, {"mountPoint", "/mnt/usb1"}, {"allowForAll", "0"}});
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_smb_conf_folder_share_modify(odb, last_oid, emptied, l, f);
            }),
            2);
  EXPECT_EQ(names(), (std::vector<std::string>{"docs"})) << "nobody may use it any more";

  OdbProps* kept = share({{"name", "docs"}, {"dontDelete", "1"}});
  const int kept_oid = last_oid;
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_smb_conf_folder_share_delete(odb, last_oid, kept, l, f);
            }),
            -1);
  EXPECT_EQ(odb.log(), (std::vector<std::string>{"bad_data " + std::to_string(kept_oid) +
                                                 " \"\" FolderShare fshare_reserved"}));
  OdbProps* gone = share({{"name", "docs"}, {"dontDelete", "0"}});
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_smb_conf_folder_share_delete(odb, last_oid, gone, l, f);
            }),
            2);
  EXPECT_TRUE(names().empty());
}

TEST_F(SambaSharesTest, ServerWideSectionsAreNeverAShare) {
  write_file("/etc/smb.conf", "[global]\nworkgroup=HOME\n[homes]\nbrowseable=no\n");
  sections.reset(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
  for (const char* name : {"global", "GLOBAL", "Homes", "printers"}) {
    SCOPED_TRACE(name);
    OdbProps* p = share({{"name", name},
                         {"isDisk", "0"},
                         {"allowForAll", "1"},
                         {"createDir", "1"},
                         {"dontDelete", "0"}});
    EXPECT_EQ(edit([&](GSList* l, int* f) {
                return nexalib_smb_conf_folder_share_add(odb, last_oid, p, l, f);
              }),
              -1);
    EXPECT_EQ(edit([&](GSList* l, int* f) {
                return nexalib_smb_conf_folder_share_delete(odb, last_oid, p, l, f);
              }),
              -1);
    EXPECT_EQ(edit([&](GSList* l, int* f) {
                return nexalib_moduser_create(p, l, f, "/mnt/system", "0");
              }),
              -1);
    EXPECT_EQ(edit([&](GSList* l, int* f) {
                return nexalib_moduser_modify(p, l, f, "/mnt/system", "0");
              }),
              -1);
    EXPECT_EQ(edit([&](GSList* l, int* f) { return nexalib_modgroup_destroy(p, l, f); }), -1);
    EXPECT_EQ(names(), (std::vector<std::string>{"global", "homes"}));
  }
}

// Samba takes names that differ only in case, or in blanks at the ends or
// in a row, for one share and merges a later section into the earlier one.
TEST_F(SambaSharesTest, NamesSambaTakesForAnotherShareAreRefused) {
  write_file("/etc/smb.conf",
             "[global]\nworkgroup=HOME\n[Public]\npath=/mnt/system/Public\n"
             "[Fotos M\xc3\xa1s]\npath=/mnt/system/fotos\n[Alice]\npath=/mnt/system/Alice\n");
  sections.reset(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
  for (const char* name : {"public", "PUBLIC", " Public", "Public ", "Fotos  M\xc3\xa1s",
                           "FOTOS M\xc3\x81S", "alice"}) {
    SCOPED_TRACE(name);
    odb.clear_log();
    OdbProps* p =
        share({{"name", name}, {"isDisk", "0"}, {"allowForAll", "1"}, {"createDir", "1"}});
    const bool user = std::string_view(name) == "alice";  // a user's home
    EXPECT_EQ(edit([&](GSList* l, int* f) {
                return user ? nexalib_moduser_create(p, l, f, "/mnt/system", "0")
                            : nexalib_smb_conf_folder_share_add(odb, last_oid, p, l, f);
              }),
              -1);
    EXPECT_EQ(odb.log().size(), user ? 0u : 1u) << "reported as fshare_fail";
  }
  OdbProps* other = share({{"name", "Public Music"}, {"isDisk", "0"}, {"allowForAll", "1"}});
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_smb_conf_folder_share_add(odb, last_oid, other, l, f);
            }),
            2);
  ASSERT_EQ(nexalib_put_list_hash_to_smb_conf(sections.get(), "/etc/smb.conf", 0644), 0);
  const std::vector<std::pair<std::string, std::string>> seen = samba_sections("/etc/smb.conf");
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"global", ""},
                      {"Public", "/mnt/system/Public"},
                      {"Fotos M\xc3\xa1s", "/mnt/system/fotos"},
                      {"Alice", "/mnt/system/Alice"},
                      {"Public Music", "/mnt/system/Public Music"}}));
}

// Samba finds users in its lists without regard to case: a name that is
// no account but another spelling of one would admit that account.
TEST_F(SambaSharesTest, OtherSpellingsOfAnAccountAdmitNobody) {
  write_file("/etc/passwd",
             "alice:x:500:100::/:/bin/false\nBob:x:501:100::/:/bin/false\n"
             "bob:x:502:100::/:/bin/false\n");
  const struct {
    const char *users, *expected;
  } rows[] = {
      {"&alice&", "alice"},     {"&Alice&carol&", "carol"}, {"&ALICE&", nullptr},
      {"&Bob&bob&", "Bob,bob"}, {"&BOB&", nullptr},         {"&dave&", "dave"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.users);
    char* list = nexalib_smb_write_list(row.users, "");
    EXPECT_EQ(list ? std::string(list) : "(none)", row.expected ? row.expected : "(none)");
    std::free(list);
  }
}

// Account names in access lists go through only when no list reads them
// as more than one account.
TEST_F(SambaSharesTest, OnlyAccountNamesReachAccessLists) {
  static const std::regex account("[A-Za-z_][A-Za-z0-9._-]{0,31}");
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    const std::string v = hostile.value.substr(0, hostile.value.find('\0'));
    const std::string array = "&" + v + "&carol&";
    GHashTable* made = nexalib_smb_conf_folder_share_hash_create(
        "docs", "/mnt/system/docs", "0", array.c_str(), array.c_str(), array.c_str(), array.c_str(),
        "", "0", "ext3");
    ASSERT_NE(made, nullptr);
    const Entries entries = testing::entries(made);
    nexalib_g_hash_table_free_all(made);
    // An "&" in the value parts it in two elements of the array.
    std::string users, groups;
    std::istringstream elements(v + "&carol");
    for (std::string name; std::getline(elements, name, '&');) {
      if (!std::regex_match(name, account)) continue;
      users += (users.empty() ? "" : ",") + name;
      groups += ",@" + name;
    }
    EXPECT_EQ(entries.at("write list"), users + groups);
  }
}

TEST_F(SambaSharesTest, NoShareNameAddsASectionOrAParameter) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    sections.reset();
    OdbProps* p = share({{"name", hostile.value},
                         {"isDisk", "0"},
                         {"allowForAll", "1"},
                         {"description", hostile.value}});
    const int flag = edit([&](GSList* l, int* f) {
      return nexalib_smb_conf_folder_share_add(odb, last_oid, p, l, f);
    });
    ASSERT_EQ(nexalib_put_list_hash_to_smb_conf(sections.get(), "/etc/smb.conf", 0644), 0);
    const std::string text = read_file("/etc/smb.conf");
    if (flag == -1) {
      EXPECT_EQ(text, "");
      continue;
    }
    EXPECT_EQ(flag, 2);
    const std::string stored =
        hostile.value.substr(0, hostile.value.find('\0'));  // the daemon keeps C strings
    EXPECT_EQ(names(), (std::vector<std::string>{stored}));
    // The header, eight parameters and the comment when there is one.
    const long lines = 9 + (hostile.value.empty() ? 0 : 1);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines) << text;
    EXPECT_TRUE(text.starts_with("[" + stored + "]\n")) << text;
    expect_samba_accepts("/etc/smb.conf");
  }
}

TEST_F(SambaSharesTest, UserHomeShares) {
  OdbProps* bob = user({{"name", "bob"}, {"createDir", "1"}, {"description", "Bob"}});
  const auto create = [&](OdbProps* p, const char* base) {
    return edit([&](GSList* l, int* f) { return nexalib_moduser_create(p, l, f, base, "1"); }, 1);
  };
  EXPECT_EQ(create(bob, "/mnt/system"), 2);
  EXPECT_EQ(section("bob"), (Entries{{"path", "/mnt/system/bob/"},
                                     {"available", "1"},
                                     {"use sendfile", "yes"},
                                     {"use receivefile", "no"},
                                     {"create mask", "0775"},
                                     {"directory mask", "0775"},
                                     {"writeable", "no"},
                                     {"valid users", "bob"},
                                     {"write list", "bob"},
                                     {"comment", "Bob"}}));
  EXPECT_EQ(create(bob, "/mnt/system"), 1) << "already there";
  OdbProps* no_dir = user({{"name", "ann"}, {"createDir", "0"}});
  EXPECT_EQ(create(no_dir, "/mnt/system"), 1);
  OdbProps* ann = user({{"name", "ann"}, {"createDir", "1"}});
  EXPECT_EQ(create(ann, ""), -1) << "no system volume: never a share of /";
  EXPECT_EQ(create(user({{"name", "../etc"}, {"createDir", "1"}}), "/mnt/system"), -1);

  OdbProps* bob_without = user({{"name", "bob"}, {"createDir", "0"}});
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_moduser_modify(bob_without, l, f, "/mnt/system", "0");
            }),
            2);
  EXPECT_TRUE(names().empty());
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_moduser_modify(bob, l, f, "/mnt/system", "0");
            }),
            2);
  EXPECT_EQ(names(), (std::vector<std::string>{"bob"}));
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_moduser_smb_conf_folder_share_delete(l, "bob", f, nullptr);
            }),
            2);
  EXPECT_EQ(edit([&](GSList* l, int* f) {
              return nexalib_moduser_smb_conf_folder_share_delete(l, "bob", f, nullptr);
            }),
            0);
}

TEST_F(SambaSharesTest, HomeAndTrashPaths) {
  struct Row {
    const char *base, *name;
    int result;
    const char *home, *trash;
  } rows[] = {
      {"/mnt/system", "bob", 0, "/mnt/system/bob/", "/mnt/system/bob/Network Trash Folder/"},
      {"", "bob", 0, "/", "/"},
      {"/mnt/system", "../etc", -1, "", ""},
      {"/mnt/system", "a/b", -1, "", ""},
      {"/mnt/system", "", -1, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    char home[NEXALIB_SHARE_PATH_SIZE] = "?";
    char trash[NEXALIB_SHARE_PATH_SIZE] = "?";
    EXPECT_EQ(nexalib_prepare_home_dir(row.base, row.name, home), row.result);
    EXPECT_EQ(nexalib_prepare_smb_trash_folder(row.base, row.name, trash), row.result);
    EXPECT_STREQ(home, row.home);
    EXPECT_STREQ(trash, row.trash);
  }
  // A path that does not fit is refused, never cut to a shorter one.
  char home[NEXALIB_SHARE_PATH_SIZE];
  const std::string name(NEXALIB_SHARE_PATH_SIZE - 12, 'n');
  EXPECT_EQ(nexalib_prepare_home_dir("/mnt/sys", name.c_str(), home), 0);
  EXPECT_EQ(nexalib_prepare_home_dir("/mnt/system", name.c_str(), home), -1);
  EXPECT_STREQ(home, "");
}

TEST_F(SambaSharesTest, ThePrinterShareAndItsSpool) {
  const testing::OwnedTable printers(nexalib_smb_conf_printer_add());
  EXPECT_EQ(testing::entries(printers).size(), 16u);
  EXPECT_EQ(testing::entries(printers).at("print command"), "/usr/ruvoro/bin/lpr -P%p -r %s");

  write_file("/system/spool/lpd/lp/status", "kept");
  EXPECT_EQ(nexalib_smb_printer_checkpc(odb), 0);
  EXPECT_EQ(mode_of("/system/spool/samba"), 01777u);
  EXPECT_EQ(mode_of("/system/spool/lpd/lp"), 0777u);
  EXPECT_EQ(mode_of("/system/spool/lpd/lp/control.pr"), 0666u);
  EXPECT_EQ(read_file("/system/spool/lpd/lp/status"), "kept");
  EXPECT_EQ(commands.lines, (std::vector<std::string>{
                                "/bin/rm -rf /var/spool/samba >/dev/null 2>&1",
                                "/bin/rm -rf /var/spool/lpd >/dev/null 2>&1",
                                "/bin/ln -sf /system/spool/samba /var/spool/samba >/dev/null 2>&1",
                                "/bin/ln -sf /system/spool/lpd /var/spool/lpd >/dev/null 2>&1"}));

  EXPECT_EQ(nexalib_toggle_smb_daemon(odb, 2), 0);
  EXPECT_EQ(commands.lines.back(), "/usr/ruvoro/etc/rc.d/S80samba.sh start >/dev/null 2>&1");
}

TEST_F(SambaSharesTest, AGeneratedConfigurationIsSambasOwn) {
  write_file("/etc/smb.conf", "[global]\nworkgroup=HOME\nguest account=nobody\n");
  sections.reset(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
  OdbProps* shares[] = {
      share(
          {{"name", "public"}, {"isDisk", "0"}, {"allowForAll", "1"}, {"description", "For all"}}),
      share({{"name", "team docs"},
             {"isDisk", "0"},
             {"allowForAll", "0"},
             {"allowROUsers", "&ann&"},
             {"allowRWGroups", "&staff&"},
             {"allowRWUsers", "&bob&eve&"}}),
  };
  for (OdbProps* p : shares)
    edit([&](GSList* l, int* f) { return nexalib_smb_conf_folder_share_add(odb, 0, p, l, f); });
  OdbProps* bob = user({{"name", "bob"}, {"createDir", "1"}});
  edit([&](GSList* l, int* f) { return nexalib_moduser_create(bob, l, f, "/mnt/system", "1"); });
  sections.reset(g_slist_append(sections.release(), nexalib_smb_conf_printer_add()));
  ASSERT_EQ(nexalib_put_list_hash_to_smb_conf(sections.get(), "/etc/smb.conf", 0644), 0);
  testing::expect_golden(read_file("/etc/smb.conf"), "sharing/smb_conf_shares.golden");
  expect_samba_accepts("/etc/smb.conf");
}

TEST_F(SambaSharesTest, DiskWideShares) {
  odb.add("Disk", {{"mountPoint", "/mnt/usb1"}, {"usbName", "Stick"}, {"busType", "scsi"}});
  odb.add("Disk", {{"mountPoint", "/mnt/system"}, {"usbName", "Main"}, {"busType", "sata"}});
  odb.add("Disk", {{"mountPoint", "/mnt/raid"}, {"usbName", "Raid"}, {"raidUsaged", "1"}});
  odb.add("Disk", {{"mountPoint", "/mnt/ide"}, {"usbName", "Old"}, {"busType", "ide"}});
  odb.add("Disk", {{"mountPoint", "/mnt/bad"}, {"usbName", "global"}});
  EXPECT_EQ(add_all_disk_foldershare(odb), -1) << "a disk named global gets no share";
  const std::vector<std::string> log = odb.log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].substr(log[0].find(' ', 20)),
            " allowForAll=1 descRO=1 description=usb disk isDisk=1 mountPoint=/mnt/usb1 "
            "name=Stick nowriteconf=1");
  EXPECT_TRUE(log[1].ends_with(" NFS allowForAll=1")) << log[1];
  EXPECT_NE(log[2].find("description=ide disk"), std::string::npos) << log[2];

  odb.clear_log();
  odb.add("Disk", {{"devName", "/dev/sdc"}, {"mountPoint", "/mnt/usb2"}});
  EXPECT_EQ(nexalib_hotplug_usb_folder_share_add(odb, "Stick", "/dev/sdb"), 0) << "exists";
  EXPECT_EQ(nexalib_hotplug_usb_folder_share_add(odb, "New", "/dev/sdx"), 0) << "no such disk";
  EXPECT_TRUE(odb.log().empty());
  EXPECT_EQ(nexalib_hotplug_usb_folder_share_add(odb, "New", "/dev/sdc"), 0);
  ASSERT_EQ(odb.log().size(), 2u);
  EXPECT_TRUE(odb.log()[0].ends_with(
      " allowForAll=1 descRO=1 description=usb disk isDisk=1 mountPoint=/mnt/usb2 name=New"));

  odb.clear_log();
  del_all_disk_foldershare(odb);
  EXPECT_EQ(odb.log().size(), 3u) << "Stick, Old and New";
}

TEST_F(SambaSharesTest, MembersOfShareAccessLists) {
  const guint32 music = odb.add("FolderShare", {{"name", "music"}, {"allowROUsers", ""}});
  const guint32 docs = odb.add("FolderShare", {{"name", "docs"}, {"allowROUsers", "&ann&"}});
  const auto value = [&](guint32 oid) {
    return std::string(odb_standin_get_prop(oid, "", "allowROUsers"));
  };
  EXPECT_EQ(nexalib_ui_add_entry_in_FolderShare_db(odb, "bob", "&music&docs&", "allowROUsers", 7),
            0);
  EXPECT_EQ(value(music), "&bob&");
  EXPECT_EQ(value(docs), "&ann&bob&");
  odb.clear_log();
  EXPECT_EQ(nexalib_ui_add_entry_in_FolderShare_db(odb, "bob", "&docs&", "allowROUsers", 7), 7);
  EXPECT_TRUE(odb.log().empty()) << "already a member";
  EXPECT_EQ(nexalib_ui_add_entry_in_FolderShare_db(odb, "a&b", "&docs&", "allowROUsers", 7), -1);
  EXPECT_EQ(nexalib_ui_add_entry_in_FolderShare_db(odb, "eve", "&none&", "allowROUsers", 7), 7);
  odb_standin_add_last_error(docs, "", "allowROUsers", "too many");
  EXPECT_EQ(nexalib_ui_add_entry_in_FolderShare_db(odb, "eve", "&docs&", "allowROUsers", 0), -1);

  EXPECT_EQ(nexalib_ui_delete_usergroup_in_foldershare_db(odb, "allowROUsers", "bob"), 0);
  EXPECT_EQ(value(music), "");
  EXPECT_EQ(value(docs), "&ann&eve&");
}

}  // namespace
}  // namespace nexa
