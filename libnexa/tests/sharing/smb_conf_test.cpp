// The Samba configuration model: reading, lookups, updates and writing back.
#include "sharing/smb_conf.h"

#include <algorithm>
#include <map>

#include "nexalib.h"
#include "samba_check.h"

namespace nexa {
namespace {

using Sections = std::vector<std::pair<std::string, std::map<std::string, std::string>>>;

struct SectionListFree {
  void operator()(GSList* sections) const { nexalib_g_slist_free_all_hash(sections); }
};
using OwnedSections = std::unique_ptr<GSList, SectionListFree>;

Sections contents(GSList* sections) {
  Sections out;
  for (GSList* cell = sections; cell; cell = cell->next) {
    auto entries = testing::entries(static_cast<GHashTable*>(cell->data));
    const std::string name = entries["section"];
    entries.erase("section");
    out.emplace_back(name, entries);
  }
  return out;
}

class SmbConfTest : public testing::SambaTest {
 protected:
  OwnedSections load(const std::string& text) {
    write_file("/etc/smb.conf", text);
    return OwnedSections(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
  }
};

TEST_F(SmbConfTest, ReadsSectionsAsSambaDoes) {
  const std::string long_line = "comment=" + std::string(1030, 'x') + "[inner]\n";
  const std::string users = [] {
    std::string list = "u0";
    for (int i = 1; i < 40; ++i) list += ",user" + std::to_string(i);
    return list;
  }();
  struct Row {
    const char* what;
    std::string text;
    Sections expected;
  } rows[] = {
      {"comments and blank lines only", "; a\n# b\n\n  \t\n", {}},
      {"text before the first header is lost", "x=1\n[a]\ny=2\n", {{"a", {{"y", "2"}}}}},
      {"header with blanks around and a comment after",
       "  [ my share ] ; note\n",
       {{" my share ", {}}}},
      {"blanks around = and trailing blanks kept",
       "[s]\n  path  =  /mnt/a  \n",
       {{"s", {{"path", "/mnt/a  "}}}}},
      {"a value holding * stays whole",
       "[s]\nveto files = /*.tmp/\n",
       {{"s", {{"veto files", "/*.tmp/"}}}}},
      {"a last line without a line feed keeps its characters",
       "[s]\npath=/mnt/abc",
       {{"s", {{"path", "/mnt/abc"}}}}},
      {"an empty value at the end of the file", "[s]\ncomment=", {{"s", {{"comment", ""}}}}},
      {"the later of two values wins", "[s]\na=1\na=2\n", {{"s", {{"a", "2"}}}}},
      {"a line without = sets nothing", "[s]\njust words\nb=1\n", {{"s", {{"b", "1"}}}}},
      {"continuation lines join",
       "[s]\nvalid users = a,\\\n  b\n",
       {{"s", {{"valid users", "a,b"}}}}},
      {"40 users are not cut",
       "[s]\nvalid users=" + users + "\n",
       {{"s", {{"valid users", users}}}}},
      {"a long line keeps its middle",
       "[s]\n" + long_line,
       {{"s", {{"comment", long_line.substr(8, long_line.size() - 9)}}}}},
      {"two sections of one name",
       "[a]\nx=1\n[a]\nx=2\n",
       {{"a", {{"x", "1"}}}, {"a", {{"x", "2"}}}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(contents(load(row.text).get()), row.expected);
  }
  EXPECT_EQ(nexalib_load_smb_conf_to_list_hash("/etc/missing.conf"), nullptr);
}

TEST_F(SmbConfTest, SectionHeadersFitTheCallersBuffer) {
  struct Row {
    std::string line;
    int result;
    std::string name;
  } rows[] = {
      {"  [public] ; x\n", 0, "public"},
      {"[]\n", 0, ""},
      {"[" + std::string(300, 'n') + "]\n", 0, std::string(NEXALIB_SECTION_NAME_SIZE - 1, 'n')},
      {"path=[x]\n", -1, ""},
      {"[unclosed\n", -1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    std::string line = row.line;
    char* text = line.data();
    char name[NEXALIB_SECTION_NAME_SIZE] = {};
    ASSERT_EQ(nexalib_get_smb_section(&text, name), row.result);
    EXPECT_EQ(std::string(name), row.name);
  }
  char name[NEXALIB_SECTION_NAME_SIZE];
  char* none = nullptr;
  EXPECT_EQ(nexalib_get_smb_section(&none, name), -1);
  EXPECT_EQ(nexalib_get_smb_section(nullptr, name), -1);
}

TEST_F(SmbConfTest, StepByStepLoadingGivesTheSameSections) {
  write_file("/etc/smb.conf", "# top\n[a]\nx=1\n\n[b]\ny=2\n");
  testing::OwnedList lines(nexalib_load_smb_file_to_list("/etc/smb.conf"));
  EXPECT_EQ(testing::items(lines),
            (std::vector<std::string>{"[a]\n", "x=1\n", "\n", "[b]\n", "y=2\n"}));
  GSList* headers = nexalib_get_smb_section_ptr_list(lines.get());
  ASSERT_EQ(g_slist_length(headers), 2u);
  OwnedSections sections(nexalib_create_hash_list(headers));
  g_slist_free(headers);
  EXPECT_EQ(contents(sections.get()), (Sections{{"a", {{"x", "1"}}}, {"b", {{"y", "2"}}}}));
  EXPECT_EQ(nexalib_create_hash_list(nullptr), nullptr);
}

TEST_F(SmbConfTest, SettingAValueReportsAChangeOnlyWhenThereIsOne) {
  const OwnedSections sections = load("[global]\nguest account=nobody\n[s]\npath=/a\n");
  GHashTable* s = nexalib_get_hash_table_by_section_name(sections.get(), "s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(nexalib_get_hash_table_by_section_name(sections.get(), "S"), nullptr);
  EXPECT_EQ(nexalib_hash_table_set(s, "missing", "x"), 1);
  EXPECT_EQ(nexalib_hash_table_set(s, "path", "/a"), 1);
  EXPECT_EQ(nexalib_hash_table_set(s, "path", nullptr), 1);
  EXPECT_EQ(nexalib_hash_table_set(s, "path", "/b"), 2);
  EXPECT_EQ(testing::entries(s),
            (std::map<std::string, std::string>{{"path", "/b"}, {"section", "s"}}));

  const testing::OdbSession odb;
  OdbProps* guest = odb_props_new();
  odb_props_set(guest, "name", "guest");
  EXPECT_EQ(nexalib_modify_smb_guest_account_name(guest, sections.get()), 2);
  EXPECT_EQ(nexalib_modify_smb_guest_account_name(guest, sections.get()), 1);
  odb_props_set(guest, "name", "x\nhosts allow = 0.0.0.0/0");
  EXPECT_EQ(nexalib_modify_smb_guest_account_name(guest, sections.get()), -1);
  odb_props_destroy(guest);
  const auto global =
      testing::entries(nexalib_get_hash_table_by_section_name(sections.get(), "global"));
  EXPECT_EQ(global.at("guest account"), "guest");
}

TEST_F(SmbConfTest, WritesSectionsInFileOrderWithoutComments) {
  const OwnedSections sections = load(
      "; Samba\n[global]\n  workgroup = HOME ; not a comment\n\n[music]\n# who\npath = "
      "/mnt/music\n");
  const testing::OwnedGString text(nexalib_put_list_hash_to_g_string(sections.get()));
  EXPECT_EQ(std::string(text->str),
            "[global]\nworkgroup=HOME ; not a comment\n[music]\npath=/mnt/music\n");
  EXPECT_EQ(nexalib_put_list_hash_to_smb_conf(sections.get(), "/etc/samba/smb.conf", 0640), 0);
  EXPECT_EQ(read_file("/etc/samba/smb.conf"), text->str);
  EXPECT_EQ(mode_of("/etc/samba/smb.conf"), 0640u);
  // A directory where the file should be: the failure is reported.
  EXPECT_EQ(nexalib_put_list_hash_to_smb_conf(sections.get(), "/etc/samba", 0644), -1);
}

TEST_F(SmbConfTest, NoValueInATableAddsALine) {
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    RecordTablePtr section = new_section(hostile.value);
    put_parameter(*section, "comment", hostile.value);
    put_parameter(*section, hostile.value, "x");
    GSList one = {section.get(), nullptr};
    const std::string text = smb_conf_text(&one);
    // Read back, it is one section whose comment swallowed nothing.
    const OwnedSections again = load(text);
    const Sections read = contents(again.get());
    ASSERT_EQ(read.size(), 1u) << text;
    EXPECT_LE(read[0].second.size(), 2u) << text;
    EXPECT_EQ(read[0].second.count("comment"), 1u) << text;
  }
}

// A realistic file: 50 shares with long user lists and masks with "*".
std::string realistic_smb_conf() {
  std::string text = "# written by hand\n[global]\n\tworkgroup = HOME\n\tguest account = nobody\n";
  for (int share = 0; share < 50; ++share) {
    text += "\n; share " + std::to_string(share) + "\n[share" + std::to_string(share) + "]\n";
    text += "\tpath = /mnt/disk1/share" + std::to_string(share) + "\n";
    std::string users = "@staff";
    for (int user = 0; user < 40; ++user) users += ",user" + std::to_string(user);
    text += "\tvalid users = " + users + "\n\twrite list = @staff\n";
    text += "\tveto files = /*.tmp/*.bak/\n\tcomment = Share * " + std::to_string(share) + "\n";
  }
  return text;
}

TEST_F(SmbConfTest, ARoundTripChangesNothingButCommentsAndOrder) {
  const OwnedSections first = load(realistic_smb_conf());
  ASSERT_EQ(g_slist_length(first.get()), 51u);
  ASSERT_EQ(nexalib_put_list_hash_to_smb_conf(first.get(), "/etc/smb.conf", 0644), 0);
  const OwnedSections second(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
  EXPECT_EQ(contents(second.get()), contents(first.get()));
  EXPECT_EQ(contents(first.get())[7].second.at("veto files"), "/*.tmp/*.bak/");
  expect_samba_accepts("/etc/smb.conf");
}

// Handlers that add a share each at the same moment: every share lands,
// in a file Samba reads.
TEST_F(SmbConfTest, SharesAddedAtOnceAllLand) {
  const auto add_share = [](int w, int i) {
    const std::string name = "s" + std::to_string(w) + "_" + std::to_string(i);
    GSList* sections = nexalib_load_smb_conf_to_list_hash("/etc/smb.conf");
    sections = g_slist_append(sections, nexalib_smb_conf_folder_share_hash_create(
                                            name.c_str(), ("/shares/" + name).c_str(), "1", "", "",
                                            "", "", "", "0", "ext3"));
    const int written = nexalib_put_list_hash_to_smb_conf(sections, "/etc/smb.conf", 0644);
    nexalib_g_slist_free_all_hash(sections);
    return written == 0;
  };
  testing::expect_no_edit_lost(
      [this] { write_file("/etc/smb.conf", "[global]\n\tworkgroup = HOME\n"); }, add_share,
      [] {
        const OwnedSections loaded(nexalib_load_smb_conf_to_list_hash("/etc/smb.conf"));
        return g_slist_length(loaded.get()) - 1u;
      });
  EXPECT_EQ(samba_sections("/etc/smb.conf").size(), 3u);
  expect_samba_accepts("/etc/smb.conf");
}

TEST_F(SmbConfTest, GroupNotationOfSamba) {
  const testing::OwnedList groups = testing::make_list({"staff", "bad,name", "media"});
  const testing::OwnedGString text(nexalib_list_to_smb_group_format(groups.get()));
  EXPECT_EQ(std::string(text->str), "@staff,@media");
  EXPECT_EQ(nexalib_list_to_smb_group_format(nullptr), nullptr);
}

}  // namespace
}  // namespace nexa
