// The guard on configuration values: what each kind refuses and how it is
// flattened.
#include "core/config_values.h"

#include "library_test.h"

namespace nexa {
namespace {

using K = ValueKind;

TEST(ConfigValues, EachKindRefusesItsSeparatorsAndLineBreaks) {
  const struct {
    K kind;
    std::string value;
    bool acceptable;
    std::string flat;
  } rows[] = {
      {K::kFreeText, "Disk 1: [sda] a,b&c", true, "Disk 1: [sda] a,b&c"},
      {K::kFreeText, "one\ntwo\r\n", false, "one two  "},
      {K::kFreeText, std::string("nul\0byte", 8), false, "nulbyte"},
      {K::kSectionName, "public share", true, "public share"},
      {K::kSectionName, "x]\n[global", false, "x   global"},
      {K::kAccountName, "alice.b-c_d", true, "alice.b-c_d"},
      {K::kAccountName, "eve:x:0:0", false, "eve x 0 0"},
      {K::kAccountName, "a,b", false, "a b"},
      {K::kAccountField, "Alice, Room 3", true, "Alice, Room 3"},
      {K::kAccountField, "/home/a:/bin/sh", false, "/home/a /bin/sh"},
      {K::kListItem, "bob:x", true, "bob:x"},
      {K::kListItem, "bob,root", false, "bob root"},
      {K::kOdbArrayItem, "a,b:c", true, "a,b:c"},
      {K::kOdbArrayItem, "a&b", false, "a b"},
      {K::kPathComponent, "My Share", true, "My Share"},
      {K::kPathComponent, "../etc", false, ".. etc"},
      {K::kPathComponent, "..", false, ""},
      {K::kPathComponent, ".", false, ""},
      {K::kPathComponent, "", false, ""},
      {K::kPathComponent, "..\n", false, ".. "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(is_acceptable(row.kind, row.value), row.acceptable);
    EXPECT_EQ(flattened(row.kind, row.value), row.flat);
    if (!row.flat.empty()) EXPECT_TRUE(is_acceptable(row.kind, row.flat)) << "flattening is enough";
  }
}

}  // namespace
}  // namespace nexa
