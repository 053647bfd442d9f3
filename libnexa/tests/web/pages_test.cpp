// Redirect pages byte for byte, the daemon's last error, navigation files.
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::run_in_child;

constexpr const char* kHead =
    "Content-type:text/html\n\n<HTML>\n<HEAD>\n<META HTTP-EQUIV=\"expires\" CONTENT=\"-1\">\n"
    "<META HTTP-EQUIV=\"Pragma\" CONTENT=\"no-cache\">\n</HEAD>\n<BODY>\n";

TEST(RedirectPages, GotoUrlPostsTheEmptyForm) {
  testing::expect_golden(run_in_child([] { nexalib_ui_gotoURL("/cgi-bin/share.cgi", 0); }).out,
                         "web/goto_url.golden");
}

TEST(RedirectPages, GotoNewIpAlertsThenMoves) {
  EXPECT_EQ(run_in_child([] { nexalib_ui_gotoNewIP("192.168.1.30", "Address changed", 3000); }).out,
            std::string(kHead) +
                "<script language=\"JavaScript\">\nfunction gotoUrl()\n{\n"
                "top.location = \"http://192.168.1.30\";\n}\nalert('Address changed');\n"
                "setTimeout('gotoUrl()', 3000);\n</script>\n</FORM>\n</BODY>\n</HTML>\n");
}

TEST(RedirectPages, GotoTopUrlStaysOnTheHost) {
  EXPECT_EQ(
      run_in_child([] { nexalib_ui_gotoTopURL("/web/index.htm", 500); }).out,
      std::string(kHead) +
          "<INPUT TYPE=\"HIDDEN\" NAME=\"\" VALUE=\"\" >\n<script language=\"JavaScript\">\n"
          "function gotoUrl()\n{\n"
          "        top.location=\"http://\"+document.location.hostname+\"/web/index.htm\";\n}\n"
          "setTimeout('gotoUrl()', 500);\n</script>\n</BODY>\n</HTML>\n");
}

class PagesTest : public testing::LibraryTest {};

TEST_F(PagesTest, LastErrorIsTheLastRecordsMessage) {
  for (const char* message : {"first", "second", "third"})
    odb_standin_add_last_error(1, "", "name", message);
  testing::OdbSession odb;
  const testing::OwnedText text(nexalib_ui_show_odb_last_errors(odb_last_errors_cmnd(odb)));
  EXPECT_STREQ(text.get(), "third");
  EXPECT_EQ(nexalib_ui_show_odb_last_errors(nullptr), nullptr);
  OdbError empty{1, nullptr, nullptr, nullptr};
  EXPECT_EQ(nexalib_ui_odb_error_parse(&empty), nullptr);
}

TEST_F(PagesTest, FileExistenceMeansARegularFile) {
  write_file("/usr/webroot/nav/a.xml", "x");
  EXPECT_EQ(nexalib_is_file_exist("/usr/webroot/nav/a.xml"), 1);
  EXPECT_EQ(nexalib_is_file_exist("/usr/webroot/nav"), 0);
  EXPECT_EQ(nexalib_is_file_exist("/usr/webroot/nav/none.xml"), 0);
}

TEST_F(PagesTest, MinimalModeRemovesTheTenNavigationFiles) {
  write_file("/usr/webroot/nav/user_group.xml", "x");
  write_file("/usr/webroot/nav/bt2/bt2.xml", "x");
  write_file("/usr/webroot/nav/system.xml", "kept");
  nexalib_mini_mode_set();
  EXPECT_FALSE(exists("/usr/webroot/nav/user_group.xml"));
  EXPECT_FALSE(exists("/usr/webroot/nav/bt2/bt2.xml"));
  EXPECT_EQ(read_file("/usr/webroot/nav/system.xml"), "kept");
}

TEST_F(PagesTest, WizardNavigationFollowsTheSystemNamespaces) {
  write_file("/usr/webroot/nav/wizard/addGroup.xml", "g");
  write_file("/usr/webroot/nav/wizard/addShare.xml", "s");
  const guint32 sys = odb_standin_add_object("System");
  odb_standin_set_prop(sys, "GroupDefaults", "quota", "0");
  OdbHandle* h = odb_handle_new();
  nexalib_remove_wizard_nav(h);
  EXPECT_TRUE(exists("/usr/webroot/nav/wizard/addGroup.xml"));
  EXPECT_FALSE(exists("/usr/webroot/nav/wizard/addShare.xml"));
  nexalib_remove_wizard_nav(h);  // already gone: nothing to report
  odb_handle_destroy(h);
  nexalib_remove_wizard_nav(nullptr);
  EXPECT_TRUE(exists("/usr/webroot/nav/wizard/addGroup.xml")) << "no daemon, nothing known";
}

}  // namespace
}  // namespace nexa
