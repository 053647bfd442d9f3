// Form input from POST and GET, URL decoding and the pages' string helpers.
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::ChildResult;
using testing::run_in_child;

// Prints a form table sorted, one "key=value" per line.
void print_table(GHashTable* table) {
  if (!table) {
    std::printf("(null)\n");
    return;
  }
  std::vector<std::string> lines;
  g_hash_table_foreach(
      table,
      [](gpointer k, gpointer v, gpointer out) {
        static_cast<std::vector<std::string>*>(out)->push_back(std::string(static_cast<char*>(k)) +
                                                               "=" + static_cast<char*>(v));
      },
      &lines);
  std::sort(lines.begin(), lines.end());
  for (const auto& line : lines) std::printf("%s\n", line.c_str());
  nexalib_g_hash_table_free_all(table);
}

ChildResult post(const char* length, std::string_view body) {
  return run_in_child(
      [length] {
        if (length) setenv("CONTENT_LENGTH", length, 1);
        print_table(nexalib_get_post_data());
        // Whatever the parser did not read is still there.
        char rest[64] = {};
        std::printf("rest=%s", fgets(rest, sizeof rest, stdin) ? rest : "");
      },
      body);
}

TEST(PostData, DecodesValuesAndLeavesOutEmptyFields) {
  const std::string body = "name=a+b%21&empty=&n=1";
  const ChildResult r = post(std::to_string(body.size()).c_str(), body);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, "n=1\nname=a b!\nrest=");
}

TEST(PostData, HostileBodiesAreHandledSafely) {
  const std::string body = "a=%4&b=%&c=%zz&noequals&d=x%00y&a=%41&=v";
  const ChildResult r = post(std::to_string(body.size()).c_str(), body);
  EXPECT_EQ(r.out, "=v\na=A\nb=%\nc=%zz\nd=x\nrest=") << "later keys win; escapes cut short stay";
}

TEST(PostData, LengthsThatAreNotABodyGiveNullWithoutReading) {
  for (const char* length : {"0", "-5", "abc", ""}) {
    SCOPED_TRACE(length);
    EXPECT_EQ(post(length, "x=1\n").out, "(null)\nrest=x=1\n");
  }
  EXPECT_EQ(post(nullptr, "x=1\n").out, "(null)\nrest=x=1\n");
}

TEST(PostData, LengthIsReadLikeAtoiAndTheBodyEndsAtAZeroByte) {
  EXPECT_EQ(post("3abc", "a=1&b=2").out, "a=1\nrest=&b=2");
  EXPECT_EQ(post("8", std::string_view("a=1\0&b=2", 8)).out, "a=1\nrest=");
}

TEST(PostData, LengthsBeyondMemoryEndTheProgram) {
  const ChildResult r = post("99999999999999999999999", "a=1");
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "Unable to allocate buffer\n");
}

TEST(PostData, ShortBodyEndsTheProgram) {
  const ChildResult r = post("100", "x=1");
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "input length < CONTENT_LENGTH\n");
}

TEST(GetData, KeepsEscapesAndTheEnvironment) {
  const ChildResult r = run_in_child([] {
    setenv("QUERY_STRING", "name=a+b%21&empty=&n=1", 1);
    print_table(nexalib_get_get_data());
    std::printf("env=%s\n", std::getenv("QUERY_STRING"));
    unsetenv("QUERY_STRING");
    print_table(nexalib_get_get_data());
  });
  EXPECT_EQ(r.out, "n=1\nname=a b%21\nenv=name=a+b%21&empty=&n=1\n");
}

TEST(UrlText, HexPairsAndUnescaping) {
  EXPECT_EQ(nexalib_ui_x2c("41"), 'A');
  EXPECT_EQ(nexalib_ui_x2c("6f"), 'o');
  EXPECT_EQ(static_cast<unsigned char>(nexalib_ui_x2c("FF")), 0xFF);
  char text[] = "%41b%2Fc%2";
  nexalib_ui_unescape_url(text);
  EXPECT_STREQ(text, "Ab/c%2");
}

TEST(PageStrings, SmallHelpers) {
  char upper[] = "MiXeD 1";
  EXPECT_STREQ(lower_case(upper), "mixed 1");
  char* copy = newstr("abc");
  EXPECT_STREQ(copy, "abc");
  free(copy);
  char word[] = "abc";
  nexalib_ui_reverse(word);
  EXPECT_STREQ(word, "cba");
  char number[12];
  nexalib_ui_itoa(-120, number);
  EXPECT_STREQ(number, "-120");
  nexalib_ui_itoa(0, number);
  EXPECT_STREQ(number, "0");
  nexalib_ui_itoa(INT_MIN, number);
  EXPECT_STREQ(number, "-2147483648");
  EXPECT_EQ(nexalib_ui_string_replace("a", "_", "."), nullptr);
  EXPECT_EQ(nexalib_ui_string_replace("ab", "_", "."), nullptr);
  char* replaced = nexalib_ui_string_replace("a_b_c", "_", ".");
  EXPECT_STREQ(replaced, "a.b.c");
  free(replaced);
}

TEST(PageStrings, GetlineReadsALineOrAPiece) {
  const ChildResult r = run_in_child(
      [] {
        char buf[8];
        const int a = nexalib_getline(buf, 8);
        std::printf("%d:%.*s|", a, a, buf);
        const int b = nexalib_getline(buf, 4);
        std::printf("%d:%.*s|", b, b, buf);
        const int c = nexalib_getline(buf, 8);
        std::printf("%d:%.*s|", c, c - 1, buf);
        std::printf("%d", nexalib_getline(buf, 8));
      },
      "ab\nlongline");
  EXPECT_EQ(r.out, "3:ab\n|4:long|5:line|0");
}

class NameListsTest : public testing::LibraryTest {};

std::vector<std::string> take_list(GSList* list) {
  std::vector<std::string> items;
  for (GSList* node = list; node; node = node->next)
    items.emplace_back(static_cast<char*>(node->data));
  nexalib_g_slist_free_all(list);
  return items;
}

TEST_F(NameListsTest, SpaceListsAndShareLists) {
  EXPECT_EQ(take_list(nexalib_ui_string_to_list(" a b ")), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(take_list(nexalib_ui_string_to_list(" a b")), std::vector<std::string>{"a"});
  EXPECT_EQ(nexalib_ui_string_to_list(nullptr), nullptr);
  EXPECT_EQ(take_list(nexalib_ui_string_to_list_for_share("&x&y&", "-S", "P-")),
            (std::vector<std::string>{"P-x-S", "P-y-S"}));
  EXPECT_EQ(nexalib_ui_string_to_list_for_share(nullptr, "", ""), nullptr);
}

TEST_F(NameListsTest, NamesAndOidsOfObjects) {
  OdbHandle* h = odb_handle_new();
  const guint32 ann = odb_standin_add_object("User");
  odb_standin_set_prop(ann, "", "name", "ann");
  const guint32 bob = odb_standin_add_object("User");
  odb_standin_set_prop(bob, "", "name", "bob");
  GSList* oids = g_slist_append(
      g_slist_append(g_slist_append(nullptr, GUINT_TO_POINTER(ann)), GUINT_TO_POINTER(bob)),
      GUINT_TO_POINTER(ann));
  EXPECT_EQ(take_list(nexalib_ui_get_name_from_oids(h, oids, "@")),
            (std::vector<std::string>{"@ann", "@bob", "@ann"}));
  GSList* names = g_slist_append(nullptr, strdup("ann"));
  GSList* left = nexalib_ui_remove_entries_from_oids(h, names, oids, "User");
  ASSERT_EQ(g_slist_length(left), 1u);
  EXPECT_EQ(GPOINTER_TO_UINT(left->data), bob);
  EXPECT_EQ(g_slist_length(oids), 3u) << "the given list is not changed";
  g_slist_free(left);
  g_slist_free(oids);
  nexalib_g_slist_free_all(names);
  odb_handle_destroy(h);
}

}  // namespace
}  // namespace nexa
