// Persistence: the key file shared by a sequence of programs, and the log file.
#include "standin_fixture.h"

#include <fstream>
#include <sstream>

namespace {

class KeyFileTest : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    file_ = (tmp_ / "odb.ini").string();
    g_setenv("ODB_STANDIN_FILE", file_.c_str(), TRUE);
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void write(const std::string& text) { std::ofstream(file_) << text; }

  std::string file_;
};

TEST_F(KeyFileTest, ChangesReachTheFileInItsGroupLayout) {
  guint32 oid = odb_create_cmnd(handle(), "Share", props({{"name", "music"}}));
  odb_set_cmnd(handle(), oid, "status", props({{"mounted", "1"}}));
  guint32 gone = odb_create_cmnd(handle(), "Share", props({{"name", "tmp"}}));
  odb_destroy_cmnd(handle(), gone);

  EXPECT_EQ(read(file_),
            "[1]\n"
            "class=Share\n"
            "name=music\n"
            "\n"
            "[1/status]\n"
            "mounted=1\n");
}

TEST_F(KeyFileTest, TheNextProgramSeesTheSameConfiguration) {
  guint32 a = odb_create_cmnd(handle(), "Share", props({{"name", "a"}}));
  guint32 disk = odb_standin_add_object("Disk");
  guint32 b = odb_create_cmnd(handle(), "Share", props({{"name", "b"}, {"public", "1"}}));
  odb_set_cmnd(handle(), b, "status", props({{"mounted", "1"}}));
  end_program();

  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", nullptr)), (std::vector<guint32>{a, b}));
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Disk", nullptr)), std::vector<guint32>{disk});
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(handle(), b, ""), "public"), "1");
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(handle(), b, "status"), "mounted"), "1");
  EXPECT_EQ(odb_create_cmnd(handle(), "Share", nullptr), b + 1);
}

TEST_F(KeyFileTest, LoadsAFileWrittenByHandOnFirstUse) {
  write(
      "# seeded for a test\n"
      "[4]\nclass=Disk\ndevName=sda\n\n"
      "[4/status]\nstate=spun down\n\n"
      "[9]\nclass=Share\n");
  // The test controls see the file too, before any handle exists.
  EXPECT_STREQ(odb_standin_get_prop(4, "", "devName"), "sda");

  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Disk", props({{"devName", "sda"}}))),
            std::vector<guint32>{4});
  EXPECT_STREQ(odb_props_get(odb_get_cmnd(handle(), 4, "status"), "state"), "spun down");
  EXPECT_EQ(odb_props_get(odb_get_cmnd(handle(), 4, ""), "class"), nullptr);
  EXPECT_EQ(odb_standin_add_object("Share"), 10u);
}

TEST_F(KeyFileTest, ValuesWithAnyTextSurviveTheFile) {
  const std::vector<std::string> values = {"two\nlines",
                                           "  leading and trailing  ",
                                           "&a&b&",
                                           "key=value",
                                           "[group]",
                                           "back\\slash\\n",
                                           "tab\there\r",
                                           "#hash",
                                           ";semi",
                                           "caf\xe9 latin-1",
                                           ""};
  guint32 oid = odb_standin_add_object("Share");
  OdbProps* changes = props({});
  for (size_t i = 0; i < values.size(); ++i)
    odb_props_set(changes, ("v" + std::to_string(i)).c_str(), values[i].c_str());
  odb_set_cmnd(handle(), oid, "", changes);
  odb_set_cmnd(handle(), oid, "extra ns", changes);
  end_program();
  EXPECT_NE(read(file_).find("\nv0=two\\nlines\n"), std::string::npos);

  for (const char* ns : {"", "extra ns"})
    for (size_t i = 0; i < values.size(); ++i) {
      const char* got = odb_standin_get_prop(oid, ns, ("v" + std::to_string(i)).c_str());
      ASSERT_NE(got, nullptr) << ns << " " << i;
      EXPECT_EQ(got, values[i]) << ns << " " << i;
    }
}

TEST_F(KeyFileTest, APropertyNamedClassCannotReplaceTheClass) {
  guint32 oid = odb_create_cmnd(handle(), "Share", props({{"class", "Disk"}, {"name", "a"}}));
  end_program();
  EXPECT_EQ(oids(odb_find_cmnd(handle(), "Share", nullptr)), std::vector<guint32>{oid});
  EXPECT_EQ(odb_find_cmnd(handle(), "Disk", nullptr), nullptr);
}

TEST_F(KeyFileTest, TheLogFileCollectsTheEntriesOfEveryProgram) {
  std::string log_file = (tmp_ / "odb.log").string();
  g_setenv("ODB_STANDIN_LOG", log_file.c_str(), TRUE);
  odb_connect_cmnd(handle(), "/sock");
  odb_create_cmnd(handle(), "Share", props({{"name", "a"}}));
  EXPECT_EQ(read(log_file), log());
  end_program();

  odb_destroy_cmnd(handle(), 1);
  odb_bye_cmnd(handle());
  EXPECT_EQ(read(log_file), "connect /sock\ncreate Share 1 name=a\ndestroy 1\nbye\n");
}

}  // namespace
