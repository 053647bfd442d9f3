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
    bool acceptable;
    std::string value;
    std::string flat;
  } rows[] = {
      {K::kFreeText, true, "Disk 1: [sda] a,b&c", "Disk 1: [sda] a,b&c"},
      {K::kFreeText, false, "one\ntwo\r\n", "one two  "},
      {K::kFreeText, false, std::string("nul\0byte", 8), "nulbyte"},
      {K::kSectionName, true, "public share", "public share"},
      {K::kSectionName, false, "x]\n[global", "x   global"},
      {K::kAccountName, true, "alice.b-c_d", "alice.b-c_d"},
      {K::kAccountName, false, "eve:x:0:0", "eve_x_0_0"},
      {K::kAccountName, false, "a,b", "a_b"},
      {K::kAccountName, false, "john smith", "john_smith"},
      {K::kAccountName, true, "_svc.backup-1", "_svc.backup-1"},
      {K::kAccountName, true, std::string(32, 'a'), std::string(32, 'a')},
      {K::kAccountName, false, std::string(33, 'a'), std::string(32, 'a')},
      {K::kAccountName, false, "%U", "_U"},
      {K::kAccountName, false, "-root", "_root"},
      {K::kAccountName, false, "1st", "_st"},
      {K::kAccountName, false, "M\xc3\xa1s", "M__s"},
      {K::kShareName, true, "Holiday Photos & M\xc3\xa1s", "Holiday Photos & M\xc3\xa1s"},
      {K::kShareName, false, "%U", "_U"},
      {K::kShareName, false, "[a-z]*", "_a-z__"},
      {K::kShareName, false, "a\\b/c", "a_b_c"},
      {K::kShareName, false, "a\tb\x01", "a_b_"},
      {K::kShareName, false, " public", ""},
      {K::kShareName, false, "my  photos", ""},
      {K::kShareName, false, "\xff\xfe", ""},
      {K::kSharePath, true, "/mnt/usb 1/M\xc3\xa1s~", "/mnt/usb 1/M\xc3\xa1s~"},
      {K::kSharePath, false, "/shares/%{env:X}/*", "/shares/_{env:X}/_"},
      {K::kAccountField, true, "Alice, Room 3", "Alice, Room 3"},
      {K::kAccountField, false, "/home/a:/bin/sh", "/home/a /bin/sh"},
      {K::kListItem, true, "bob:x", "bob:x"},
      {K::kListItem, false, "bob,root", "bob root"},
      {K::kOdbArrayItem, true, "a,b:c", "a,b:c"},
      {K::kOdbArrayItem, false, "a&b", "a b"},
      {K::kDhcpWord, true, "192.168.1.1,10.0.0.1", "192.168.1.1,10.0.0.1"},
      {K::kDhcpWord, false, "1.2.3.4; } #\"x{", "1.2.3.4______x_"},
      {K::kLogHost, true, "[fe80::1]:514", "[fe80::1]:514"},
      {K::kLogHost, false, "a b;c\t#(x)@'\\", "a_b_c___x____"},
      {K::kPathComponent, true, "My Share", "My Share"},
      {K::kPathComponent, false, "../etc", ".. etc"},
      {K::kPathComponent, false, "..", ""},
      {K::kPathComponent, false, ".", ""},
      {K::kPathComponent, false, "", ""},
      {K::kPathComponent, false, "..\n", ".. "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(is_acceptable(row.kind, row.value), row.acceptable);
    EXPECT_EQ(flattened(row.kind, row.value), row.flat);
    if (!row.flat.empty()) {
      EXPECT_TRUE(is_acceptable(row.kind, row.flat)) << "flattening is enough";
    }
  }
}

}  // namespace
}  // namespace nexa
