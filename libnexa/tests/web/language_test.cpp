// Language of a request, installed languages, catalogs and character sets.
#include <filesystem>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::run_in_child;

class LanguageTest : public testing::LibraryTest {
 protected:
  void install(const char* code) {
    write_file(std::string("/usr/share/locale/") + code + "/LC_MESSAGES/.keep", "");
  }
  // Builds a catalog from the test's .po file with msgfmt, as a release would.
  void install_catalog(const std::string& code, const std::string& domain) {
    install(code.c_str());
    const std::string po = std::string(CATALOG_DIR) + "/" + code + "." + domain + ".po";
    const std::string mo = path("/usr/share/locale/" + code + "/LC_MESSAGES/" + domain + ".mo");
    ASSERT_EQ(std::system(("msgfmt -o '" + mo + "' '" + po + "'").c_str()), 0) << po;
  }
  std::string browser(const char* accept) {
    if (accept)
      setenv("HTTP_ACCEPT_LANGUAGE", accept, 1);
    else
      unsetenv("HTTP_ACCEPT_LANGUAGE");
    char code[8];
    std::memset(code, 'z', sizeof code);
    nexalib_get_localePreferenceBrowser(code);
    unsetenv("HTTP_ACCEPT_LANGUAGE");
    return std::string(code, strnlen(code, sizeof code));
  }
};

TEST_F(LanguageTest, BrowserTagsAgainstInstalledLanguages) {
  install("zh_TW");
  install("en_US");
  EXPECT_EQ(browser("zh-tw"), "zh_TW");
  EXPECT_EQ(browser("fr;q=0.8,en-us;q=0.5,"), "en_US");
  EXPECT_EQ(browser("fr;q=0.8,en-us;q=0.5"), "en") << "the tag after the last comma is not tried";
  EXPECT_EQ(browser("fr, zh-TW,"), "zh_TW") << "blanks after a comma are skipped";
  EXPECT_EQ(browser(nullptr), "en");
  EXPECT_EQ(browser(""), "en");
}

TEST_F(LanguageTest, HostileTagsNeverOverflowOrLeaveTheLocaleDirectory) {
  install("zh_TW");
  write_file("/usr/share/x/LC_MESSAGES/.keep", "");
  EXPECT_EQ(browser("zh-tw-verylongvariant"), "en");
  EXPECT_EQ(browser(std::string(5000, 'a').c_str()), "en");
  EXPECT_EQ(browser((std::string(3000, ',') + "zh-tw,").c_str()), "zh_TW");
  EXPECT_EQ(browser("../x,"), "en");
  EXPECT_EQ(browser("-,-;,;-,"), "en");
}

TEST_F(LanguageTest, UserPreferenceWinsOverTheBrowser) {
  install("zh_TW");
  const guint32 user = odb_standin_add_object("User");
  odb_standin_set_prop(user, "", "name", "ann");
  odb_standin_set_prop(user, "", "localePreference", "ja");
  const guint32 other = odb_standin_add_object("User");
  odb_standin_set_prop(other, "", "name", "bob");
  odb_standin_set_prop(other, "", "localePreference", "browser");
  OdbHandle* h = odb_handle_new();
  setenv("HTTP_ACCEPT_LANGUAGE", "zh-tw", 1);
  setenv("HTTP_COOKIE", "theme=x; LoginUser=ann; lang=fr", 1);
  EXPECT_STREQ(nexalib_get_localePreference(h), "ja");
  setenv("HTTP_COOKIE", "LoginUser=bob", 1);
  EXPECT_STREQ(nexalib_get_localePreference(h), "zh_TW");
  setenv("HTTP_COOKIE", "LoginUser=nobody", 1);
  EXPECT_STREQ(nexalib_get_localePreference(h), "zh_TW");
  unsetenv("HTTP_COOKIE");
  EXPECT_STREQ(nexalib_get_wizard_localePreference(h), "zh_TW")
      << "no wizard: the request's language";
  const guint32 wizard = odb_standin_add_object("Wizard");
  odb_standin_set_prop(wizard, "", "localePreference", "zh_CN");
  EXPECT_STREQ(nexalib_get_wizard_localePreference(h), "zh_CN");
  odb_standin_set_prop(wizard, "", "localePreference", "browser");
  EXPECT_STREQ(nexalib_get_wizard_localePreference(h), "zh_TW");
  unsetenv("HTTP_ACCEPT_LANGUAGE");
  odb_handle_destroy(h);
}

TEST_F(LanguageTest, InstalledLanguagesInOrder) {
  char list[NEXALIB_LOCALE_LIST_SIZE];
  EXPECT_EQ(nexalib_get_dir_locale(list), 0);
  EXPECT_STREQ(list, "");
  EXPECT_EQ(logged.size(), 1u)
      << "a directory that cannot be listed is reported, not taken as empty";
  install("zh_TW");
  install("en");
  install("ja");
  write_file("/usr/share/locale/.hidden/LC_MESSAGES/.keep", "");
  write_file("/usr/share/locale/noLC/file", "");
  EXPECT_NE(nexalib_get_dir_locale(list), 0);
  EXPECT_STREQ(list, "&en&ja&zh_TW&");
  for (int i = 0; i < 100; ++i) install(("l" + std::to_string(1000 + i)).c_str());
  nexalib_get_dir_locale(list);
  EXPECT_LT(std::strlen(list), sizeof list) << "stays within the destination";
  EXPECT_EQ(list[std::strlen(list) - 1], '&');
}

TEST_F(LanguageTest, CatalogsTranslateWithoutAnyLanguageInTheEnvironment) {
  install_catalog("ja", "message");
  install_catalog("ja", "odb");
  install_catalog("fr", "message");
  const auto child = run_in_child([] {
    for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE"}) unsetenv(name);
    std::printf("%s|", nexalib_ui_gettext("ja", "message", "hello"));
    std::printf("%s|", nexalib_ui_gettext("fr", "message", "hello"));
    std::printf("%s|", nexalib_ui_gettext("ja", "message", "not translated"));
    std::printf("LANG=%s|", std::getenv("LANG"));
    char reference[] = "[[base-odbUser.userExists]] extra";
    std::printf("%s|", i18n_odbd_err_msg("ja", reference));
    std::printf("%s|", reference);
    char plain[] = "diskFull";
    std::printf("%s|", i18n_odbd_err_msg("ja", plain));
    char broken[] = "[[base-odb no dot";
    std::printf("%s", i18n_odbd_err_msg("ja", broken));
  });
  EXPECT_EQ(child.out,
            "こんにちは|bonjour|not translated|LANG=ja|ユーザーは既に存在します|"
            "[[base-odbUser.userExists|ディスクがいっぱいです|[[base-odb no dot");
}

TEST_F(LanguageTest, ErrorMessageAndCharsetGoIntoThePatch) {
  install_catalog("ja", "message");
  const auto child = run_in_child([] {
    setenv("QUERY_STRING", "page=3&err_msg=diskFull", 1);
    PatchMem* p = AllocatePatchMem();
    show_system_error_message("ja", p);
    set_charset("zh_TW", p);
    set_charset("de", p);
    std::printf("%s", p->var_start);
    unsetenv("QUERY_STRING");
    PatchMem* empty = AllocatePatchMem();
    show_system_error_message("ja", empty);
    std::printf("%s", empty->var_start);
    // Markup in a link to the page stays text.
    setenv("QUERY_STRING", "err_msg=<script>\"a'</script>", 1);
    PatchMem* hostile = AllocatePatchMem();
    show_system_error_message("ja", hostile);
    std::printf("%s", hostile->var_start);
  });
  EXPECT_EQ(child.out,
            "err_msg_0=ディスクがいっぱいです\ncharset_0=big5\ncharsetid_0=TW\n"
            "charset_0=ISO-8859-1\ncharsetid_0=\nerr_msg_0=\n"
            "err_msg_0=&lt;script&gt;&quot;a&#39;&lt;/script&gt;\n");
}

TEST(Charsets, EveryLanguageOfTheTable) {
  const std::vector<std::tuple<const char*, const char*, const char*>> table = {
      {"en", "ISO-8859-1", "EN"}, {"zh_TW", "big5", "TW"},  {"zh_CN", "gb2312", "CN"},
      {"ja", "UTF-8", "JP"},      {"fr", "ISO-8859-1", ""}, {"", "ISO-8859-1", ""}};
  for (const auto& [lang, charset, id] : table) {
    PatchMem* p = AllocatePatchMem();
    set_charset(lang, p);
    EXPECT_EQ(std::string(p->var_start),
              std::string("charset_0=") + charset + "\ncharsetid_0=" + id + "\n")
        << lang;
  }
}

}  // namespace
}  // namespace nexa
