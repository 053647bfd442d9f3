// Base64, time texts and the debugging dumps.
#include <cstring>
#include <ctime>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

TEST(Base64, EncodesTheStandardVectors) {
  char out[16];
  for (const auto& [plain, coded] : std::vector<std::pair<const char*, const char*>>{
           {"abc", "YWJj"}, {"a", "YQ=="}, {"ab", "YWI="}, {"", ""}, {"abcd", "YWJjZA=="}}) {
    std::memset(out, 'z', sizeof out);
    nexalib_Base64Encode(plain, out);
    EXPECT_STREQ(out, coded) << plain;
  }
}

TEST(Base64, DecodeSkipsForeignCharactersAndRespectsTheSize) {
  unsigned char out[8] = {};
  EXPECT_EQ(nexalib_Base64Decode("YW Jj\n", out, sizeof out), 3);
  EXPECT_EQ(std::memcmp(out, "abc", 3), 0);
  EXPECT_EQ(nexalib_Base64Decode("YQ==", out, sizeof out), 1);
  EXPECT_EQ(out[0], 'a');
  unsigned char two[2] = {};
  EXPECT_EQ(nexalib_Base64Decode("YWJjZGVm", two, sizeof two), 2);
  EXPECT_EQ(nexalib_Base64Decode("YWJj", out, 0), 0);
}

TEST(Base64, DecodedPasswordStopsAtZeroAndAtThirtyTwoBytes) {
  char dst[40] = {};
  nexalib_get_decoed_password("c2VjcmV0", dst);  // "secret"
  EXPECT_STREQ(dst, "secret");
  char zero[40] = {};
  nexalib_get_decoed_password("YQBi", zero);  // "a\0b"
  EXPECT_STREQ(zero, "a");
  char big[40] = {};
  char encoded[128];
  nexalib_Base64Encode(std::string(40, 'p').c_str(), encoded);
  nexalib_get_decoed_password(encoded, big);
  EXPECT_EQ(std::string(big), std::string(32, 'p'));
}

class TimeTextTest : public testing::LibraryTest {};

TEST_F(TimeTextTest, LocaltimeInUtcAndTick) {
  setenv("TZ", "UTC", 1);
  tzset();
  const struct {
    const char* seconds;
    const char* shown;
  } rows[] = {
      {"0", "1/1/1970 00:00:00"},
      {"1700000000", "11/14/2023 22:13:20"},
      {"2147483648", "1/19/2038 03:14:08"},  // one second past 32-bit time
      {"4102444800", "1/1/2100 00:00:00"},
  };
  char buf[20];
  for (const auto& row : rows) EXPECT_STREQ(nexalib_get_localtime(row.seconds, buf), row.shown);
  char huge[20];
  nexalib_get_localtime("99999999999999", huge);
  EXPECT_LT(std::strlen(huge), sizeof huge) << "stays inside its 20 bytes";
  unsetenv("TZ");
  tzset();

  set_now(1700000000);
  char tick[12];
  EXPECT_STREQ(nexalib_get_tick(tick), "1700000000");
}

class DumpsTest : public testing::LibraryTest {};

TEST_F(DumpsTest, PropsAndListsGoToTheDumpFile) {
  OdbProps* p = odb_standin_event_props(1);
  odb_props_set(p, "name", "new");
  odb_standin_props_set_old(p, "name", "old");
  nexalib_dump_props_to_file(p);
  odb_props_destroy(p);
  EXPECT_EQ(read_file("/tmp/test"), "");  // no /tmp in the root yet: nothing written
  write_file("/tmp/.keep", "");
  p = odb_standin_event_props(1);
  odb_props_set(p, "name", "new");
  odb_standin_props_set_old(p, "name", "old");
  nexalib_dump_props_to_file(p);
  odb_props_destroy(p);
  EXPECT_EQ(read_file("/tmp/test"), "new:key=name,val=new\nold:key=name,val=old\n");

  GSList* list = g_slist_append(nullptr, strdup("a\n"));
  list = g_slist_append(list, strdup("b\n"));
  nexalib_dump_list_data_to_file(list);
  EXPECT_EQ(read_file("/tmp/test"), "data=a\ndata=b\n");
  ::testing::internal::CaptureStdout();
  nexalib_dump_list_string(list);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "nexalib :data=a\nnexalib :data=b\n");
  nexalib_g_slist_free_all(list);
}

TEST_F(DumpsTest, OidListsAndRecordsGoToStandardOutput) {
  GSList* oids = g_slist_append(nullptr, GUINT_TO_POINTER(3));
  ::testing::internal::CaptureStdout();
  nexalib_dump_list_int(oids);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "nexalib : oid=3\n");
  g_slist_free(oids);

  GHashTable* record = g_hash_table_new(g_str_hash, g_str_equal);
  g_hash_table_insert(record, strdup("section"), strdup("music"));
  g_hash_table_insert(record, strdup("path"), strdup("/share/music"));
  GSList* records = g_slist_append(nullptr, record);
  ::testing::internal::CaptureStdout();
  nexalib_dump_list_hash_table(records);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "[music]\nkey=path, val=/share/music\n");
  nexalib_g_slist_free_all_hash(records);
}

}  // namespace
}  // namespace nexa
