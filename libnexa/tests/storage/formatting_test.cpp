// Format progress into the percentage file, and the partition description.
#include "storage/formatting.h"

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

class FormattingTest : public testing::LibraryTest {};

TEST_F(FormattingTest, ProgressLinesBecomePercentages) {
  const struct {
    const char* line;
    int flag;
    int result;
    const char* written;  // nullptr: the percentage file is not touched
  } rows[] = {
      {"512 2048\n", 0, 25, "25\n"},
      {"/dev/md1 formatting", 0, 10100, "10100"},
      {"/dev/md0 formatting", 0, 0, "0"},
      {"/dev/sdb1 x", 1, 0, "0"},
      {"/dev/sdb2 x", 0, 0, "10100"},
      {"/dev/sdc x", 0, 0, "0"},
      {"10 0", 0, 0, "0\n"},       // no division by zero
      {"some text", 0, 0, "0\n"},  // no numbers: 0 %
      {"2048 2048", 0, 100, "100\n"},
      {"nodata", 0, 0, nullptr},
      {"", 0, 0, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    write_file("/tmp/disk.percent", "old");
    write_file("/tmp/.fifo.tmp", std::string(row.line) + "\nsecond line\n");
    EXPECT_EQ(nexalib_get_mke2fs_percentage(row.flag), row.result);
    EXPECT_EQ(read_file("/tmp/disk.percent"), row.written ? row.written : "old");
    if (row.written) {
      EXPECT_EQ(mode_of("/tmp/disk.percent"), 0755u);
    }
  }
  remove(path("/tmp/.fifo.tmp").c_str());
  EXPECT_EQ(nexalib_get_mke2fs_percentage(0), 0) << "no progress file";
}

TEST_F(FormattingTest, PartitionTableIsWrittenWhole) {
  EXPECT_EQ(nexalib_create_sfdisk_ptable("/tmp/ptable", ",,83\n", 0600), 0);
  EXPECT_EQ(read_file("/tmp/ptable"), ",,83\n");
  EXPECT_EQ(mode_of("/tmp/ptable"), 0600u);
  write_file("/tmp/dir/.keep", "");
  EXPECT_EQ(nexalib_create_sfdisk_ptable("/tmp/dir", ",,83\n", 0600), 1) << "a directory is there";
  EXPECT_EQ(nexalib_create_sfdisk_ptable(nullptr, "x", 0600), 1);
}

}  // namespace
}  // namespace nexa
