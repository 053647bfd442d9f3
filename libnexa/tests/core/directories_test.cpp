// Directory creation along a path, with modes and results.
#include <sys/stat.h>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class DirectoriesTest : public testing::LibraryTest {};

TEST_F(DirectoriesTest, MakesEveryLevelWithTheMode) {
  EXPECT_EQ(nexalib_create_dir("/share/a/b/c/", 0750), 0);
  for (const char* dir : {"/share", "/share/a", "/share/a/b", "/share/a/b/c"}) {
    EXPECT_TRUE(isdir(dir)) << dir;
    EXPECT_EQ(mode_of(dir), 0750u) << dir;
  }
  EXPECT_EQ(nexalib_create_dir("/share/a/b/c/", 0750), 0) << "nothing left to make";
}

TEST_F(DirectoriesTest, FilePathMakesItsParentsAndReportsTheMissingFile) {
  EXPECT_EQ(nexalib_create_dir("/data/x/y/file.txt", 0755), -2);
  EXPECT_TRUE(isdir("/data/x/y"));
  EXPECT_FALSE(exists("/data/x/y/file.txt"));
}

TEST_F(DirectoriesTest, ExistingDirectoriesKeepTheirMode) {
  write_file("/keep/f", "");
  chmod(path("/keep").c_str(), 0700);
  EXPECT_EQ(nexalib_create_dir("/keep/new/", 0755), 0);
  EXPECT_EQ(mode_of("/keep"), 0700u);
  EXPECT_EQ(mode_of("/keep/new"), 0755u);
}

TEST_F(DirectoriesTest, UnmakeableDirectoryIsReported) {
  write_file("/plain", "a file");
  // mkdir fails (-1), and in the end the path itself has no mode to set (-2).
  EXPECT_EQ(nexalib_create_dir("/plain/sub/", 0755), -2);
  EXPECT_EQ(read_file("/plain"), "a file");
}

TEST_F(DirectoriesTest, PathWithoutASecondSlashDoesNothing) {
  EXPECT_EQ(nexalib_create_dir("/lonely", 0755), 0);
  EXPECT_EQ(nexalib_create_dir("relative", 0755), 0);
  EXPECT_EQ(nexalib_create_dir("", 0755), 0);
  EXPECT_FALSE(exists("/lonely"));
}

TEST_F(DirectoriesTest, IsdirTellsDirectoriesFromFiles) {
  write_file("/d/f", "x");
  EXPECT_EQ(isdir("/d"), 1);
  EXPECT_EQ(isdir("/d/f"), 0);
  EXPECT_EQ(isdir("/nothing"), 0);
}

}  // namespace
}  // namespace nexa
