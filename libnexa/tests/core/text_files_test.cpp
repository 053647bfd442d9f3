// Text files as line lists, the whole-file writers and /etc/group.
#include <cstdio>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class TextFilesTest : public testing::LibraryTest {};

using testing::items;

TEST_F(TextFilesTest, LoadKeepsLineFeedsAndSplitsLongLines) {
  const std::string longline(2100, 'x');
  write_file("/etc/f", "one\n\ntwo\n" + longline + "\nlast");
  GSList* lines = nexalib_load_txt_file_to_list("/etc/f");
  EXPECT_EQ(items(lines), (std::vector<std::string>{"one\n", "\n", "two\n", std::string(1023, 'x'),
                                                    std::string(1023, 'x'),
                                                    std::string(54, 'x') + "\n", "last"}));
  EXPECT_EQ(nexalib_put_list_to_txt_file(lines, "/etc/g", 0600), 0);
  EXPECT_EQ(read_file("/etc/g"), read_file("/etc/f")) << "written back byte for byte";
  EXPECT_EQ(mode_of("/etc/g"), 0600u);
  nexalib_g_slist_free_all(lines);
  EXPECT_EQ(nexalib_load_txt_file_to_list("/etc/missing"), nullptr);
}

TEST_F(TextFilesTest, WritersMakeParentDirectoriesAndReplaceWholeFiles) {
  GString* text = g_string_new("[global]\n");
  // The directories made are for everybody to enter, whatever the file's
  // own mode or the process's mask.
  const mode_t mask = umask(077);
  EXPECT_EQ(nexalib_output_to_file(text, "/etc/samba/new/smb.conf", 0600), 0);
  EXPECT_EQ(umask(mask), 077u);
  EXPECT_EQ(mode_of("/etc/samba"), 0755u);
  EXPECT_EQ(mode_of("/etc/samba/new"), 0755u);
  EXPECT_EQ(nexalib_output_to_file(text, "/etc/samba/new/smb.conf", 0644), 0);
  g_string_free(text, TRUE);
  EXPECT_EQ(read_file("/etc/samba/new/smb.conf"), "[global]\n");
  EXPECT_EQ(mode_of("/etc/samba/new/smb.conf"), 0644u);
  EXPECT_EQ(nexalib_put_a_line_to_txt_file("short\n", "/etc/samba/new/smb.conf", 0640), 0);
  EXPECT_EQ(read_file("/etc/samba/new/smb.conf"), "short\n") << "truncated, not appended";
  EXPECT_EQ(mode_of("/etc/samba/new/smb.conf"), 0640u);
}

TEST_F(TextFilesTest, UnwritableTargetReportsOne) {
  write_file("/etc/blocked", "a file where a directory should be");
  EXPECT_EQ(nexalib_put_a_line_to_txt_file("x", "/etc/blocked/f", 0644), 1);
  EXPECT_EQ(nexalib_output_to_file(nullptr, "/etc/f", 0644), 1);
}

// A rewrite keeps the group file's mode; a new one gets the usual mode.
TEST_F(TextFilesTest, GroupFileRoundTrip) {
  write_file("/etc/group", "root:x:0:\nstaff:x:50:ann,bob\n", 0640);
  GSList* lines = nexalib_etc_group_to_list();
  lines = nexalib_remove_record_from_list(lines, "bob");
  lines = g_slist_append(lines, strdup("media:x:60:\n"));
  EXPECT_EQ(nexalib_put_to_group_file(lines), 0);
  nexalib_g_slist_free_all(lines);
  EXPECT_EQ(read_file("/etc/group"), "root:x:0:\nmedia:x:60:\n");
  EXPECT_EQ(mode_of("/etc/group"), 0640u);
  std::remove(path("/etc/group").c_str());
  lines = g_slist_append(nullptr, strdup("root:x:0:\n"));
  EXPECT_EQ(nexalib_put_to_group_file(lines), 0);
  nexalib_g_slist_free_all(lines);
  EXPECT_EQ(mode_of("/etc/group"), 0644u);
}

}  // namespace
}  // namespace nexa
