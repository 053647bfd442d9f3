// The test harness itself: shell words, variables, golden files, validators, owners.
#include <gtest/gtest-spi.h>

#include <cstdlib>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using Words = std::vector<std::string>;

TEST(ShellWords, QuotesAndBackslashesAreRemovedLikeTheShellDoes) {
  const std::vector<std::pair<std::string, Words>> cases = {
      {"smbpasswd -a 'my share' x", {"smbpasswd", "-a", "my share", "x"}},
      {R"(echo "say \"hi\"" \$HOME)", {"echo", R"(say "hi")", "$HOME"}},
      {R"(echo 'a'\''b')", {"echo", "a'b"}},
      {"cmd >/dev/null 2>&1", {"cmd", ">/dev/null", "2>&1"}},
      {"a;b | c", {"a;b", "|", "c"}},
      {"a\nb", {"a", "b"}},
      {"  ", {}},
  };
  for (const auto& [line, words] : cases) EXPECT_EQ(testing::shell_words(line), words) << line;
}

TEST(ShellWords, UnparsableLinesFail) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"echo 'open", "cannot parse \"echo 'open\""},
      {"echo \"open", "cannot parse"},
      {"echo end\\", "cannot parse"},
      {{"a\0b", 3}, "NUL byte: \"a\\0b\""},
  };
  for (const auto& [line, message] : cases) {
    Words words = {"unchanged"};
    EXPECT_NONFATAL_FAILURE(words = testing::shell_words(line), message);
    EXPECT_TRUE(words.empty()) << testing::display(line);
  }
}

TEST(ScopedEnv, RestoresTheEarlierValueOrAbsence) {
  unsetenv("NEXA_HARNESS_VAR");
  {
    testing::ScopedEnv set("NEXA_HARNESS_VAR", "first");
    EXPECT_STREQ(std::getenv("NEXA_HARNESS_VAR"), "first");
    {
      testing::ScopedEnv unset("NEXA_HARNESS_VAR", nullptr);
      EXPECT_EQ(std::getenv("NEXA_HARNESS_VAR"), nullptr);
    }
    EXPECT_STREQ(std::getenv("NEXA_HARNESS_VAR"), "first");
  }
  EXPECT_EQ(std::getenv("NEXA_HARNESS_VAR"), nullptr);
}

class HarnessFilesTest : public LibraryTest {};

TEST_F(HarnessFilesTest, GoldenMismatchShowsTheFirstDifferingLine) {
  testing::ScopedEnv no_update("NEXA_UPDATE_GOLDEN", nullptr);
  write_file("/golden/page.golden", "one\ntwo\nthree\n");
  const std::string dir = path("/golden");
  testing::expect_golden("one\ntwo\nthree\n", "page.golden", dir);
  EXPECT_NONFATAL_FAILURE(testing::expect_golden("one\nTWO\nthree\n", "page.golden", dir),
                          "line 2:\n  golden: \"two\"\n  actual: \"TWO\"");
  EXPECT_NONFATAL_FAILURE(testing::expect_golden("one\ntwo\nthree", "page.golden", dir),
                          "line 4:\n  golden: \"\"\n  actual: (end of text)");
  EXPECT_NONFATAL_FAILURE(testing::expect_golden("x", "missing.golden", dir), "no golden file");
  EXPECT_EQ(read_file("/golden/page.golden"), "one\ntwo\nthree\n") << "left as it was";
}

TEST_F(HarnessFilesTest, GoldenUpdateRewritesAndStillReports) {
  testing::ScopedEnv update("NEXA_UPDATE_GOLDEN", "1");
  write_file("/golden/page.golden", "old\n");
  const std::string dir = path("/golden");
  EXPECT_NONFATAL_FAILURE(testing::expect_golden("new\n", "page.golden", dir), "rewrote");
  EXPECT_NONFATAL_FAILURE(testing::expect_golden("made\n", "sub/new.golden", dir), "rewrote");
  EXPECT_EQ(read_file("/golden/page.golden"), "new\n");
  EXPECT_EQ(read_file("/golden/sub/new.golden"), "made\n");
  testing::expect_golden("new\n", "page.golden", dir);  // equal: nothing to report
}

TEST_F(HarnessFilesTest, ValidatorRunsTheProgramOnTheFile) {
  write_file("/good.sh", "if true; then echo ok; fi\n");
  write_file("/bad.sh", "if true; then echo ok\n");
  EXPECT_TRUE(testing::expect_accepted_by({"/bin/sh", "-n"}, path("/good.sh")));
  EXPECT_TRUE(testing::expect_accepted_by({"sh", "-n"}, path("/good.sh"))) << "found in PATH";
  const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
      {{"/bin/sh", "-n"}, "/bin/sh -n " + path("/bad.sh") + " refused the file (exit status 2)"},
      {{"nexa-no-such-checker"}, "validator nexa-no-such-checker is not installed"},
  };
  for (const auto& [argv, message] : refusals) {
    bool accepted = true;
    EXPECT_NONFATAL_FAILURE(accepted = testing::expect_accepted_by(argv, path("/bad.sh")), message);
    EXPECT_FALSE(accepted) << argv[0];
  }
}

TEST_F(HarnessFilesTest, OdbSessionSeedsObjectsAndReadsTheLog) {
  testing::OdbSession odb;
  const guint32 share = odb.add("Share", {{"name", "music"}, {"path", "/share/music"}});
  odb.set(share, {{"enabled", "1"}}, "Nfs");
  EXPECT_EQ(nexalib_find_an_oid_by_name(odb, "Share", "music"), static_cast<int>(share));
  EXPECT_TRUE(odb.log().empty()) << "seeding is not logged";
  odb.add("System", {{"commit", "1"}}, "Ftp");
  nexalib_toggle_system_namespace_commit(odb, "Ftp");
  nexalib_toggle_system_namespace_commit(odb, "Ftp");
  EXPECT_EQ(odb.log(), (Words{"set 2 Ftp commit=0", "set 2 Ftp commit=1"}));
  odb.clear_log();
  EXPECT_EQ(odb.log_text(), "");
}

// LeakSanitizer in the test build checks that the owners free everything.
TEST(Owned, ListsTablesAndTextsFreeThemselves) {
  testing::OwnedList list = testing::make_list({"a", "", "b c"});
  EXPECT_EQ(testing::items(list), (Words{"a", "", "b c"}));
  list.reset(nexalib_delete_member_from_list(list.release(), "a"));
  EXPECT_EQ(testing::items(list), (Words{"", "b c"}));
  EXPECT_TRUE(testing::items(testing::make_list({})).empty());

  testing::ScopedEnv query("QUERY_STRING", "b=2&a=1");
  const testing::OwnedTable table(nexalib_get_get_data());
  EXPECT_EQ(testing::entries(table), (std::map<std::string, std::string>{{"a", "1"}, {"b", "2"}}));
  const testing::OwnedGString array(nexalib_list_to_odb_array(list.get()));
  EXPECT_STREQ(array->str, "&&b c&");
}

}  // namespace
}  // namespace nexa
