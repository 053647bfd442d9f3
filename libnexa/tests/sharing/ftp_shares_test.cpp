// The Directory blocks of proftpd.conf: how they are made, found, removed
// and rewritten, and what proftpd itself makes of them.
#include "sharing/ftp_shares.h"

#include <sys/stat.h>

#include <sstream>

#include "core/config_values.h"
#include "core/text_files.h"
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

constexpr const char* kConf = "/usr/ruvoro/etc/proftpd.conf";
// Enough of a server for proftpd -t to read our blocks in context.
constexpr const char* kServer =
    "ServerType standalone\nPort 20021\nUser nobody\nGroup nogroup\nDefaultRoot ~\n";

PropsPtr props(const testing::Props& values) {
  PropsPtr p = new_props();
  for (const auto& [key, value] : values) odb_props_set(p.get(), key.c_str(), value.c_str());
  return p;
}

// A folder share's values: the name, not a disk, for all or not, then the
// access lists.
testing::Props folder_share(const std::string& name, const char* for_all = "1",
                            testing::Props lists = {}) {
  lists.insert(lists.begin(), {{"name", name}, {"isDisk", "0"}, {"allowForAll", for_all}});
  return lists;
}

std::string joined(const testing::OwnedList& list) {
  std::string text;
  for (const std::string& item : testing::items(list)) text += item;
  return text;
}

size_t count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class FtpSharesTest : public testing::LibraryTest {
 protected:
  FtpSharesTest() {
    const guint32 system = odb.add("System");
    odb.set(system, {{"rootdir", "/mnt/sys"}}, "Disk");
  }
  std::string share_block(const testing::Props& values) {
    const testing::OwnedList lines(
        modftp_add_foldershare(nullptr, props(values).get(), "/mnt/sys"));
    return joined(lines);
  }
  std::string home_block(const testing::Props& values, int* flag = nullptr,
                         const char* base = "/mnt/sys") {
    const testing::OwnedList lines(
        user_handler_add_ftp_share(nullptr, props(values).get(), flag, base));
    return joined(lines);
  }
  // proftpd -t on a server holding the blocks.
  void expect_proftpd_accepts(const std::string& blocks) {
    write_file("/check/proftpd.conf", kServer + blocks);
    testing::expect_accepted_by({"proftpd", "-t", "-c"}, path("/check/proftpd.conf"));
  }
  testing::OdbSession odb;
};

TEST_F(FtpSharesTest, BlocksAsProftpdReadsThem) {
  write_file("/mnt/sys/hidden/.keep", "");
  int flag = 0;
  const struct {
    const char* golden;
    std::string block;
  } rows[] = {
      {"ftp_public_share",
       share_block(
           folder_share("public", "1", {{"allowRWUsers", "&ann&"}, {"allowROGroups", "&staff&"}}))},
      {"ftp_private_share", share_block(folder_share("team", "0",
                                                     {{"allowROUsers", "&ann&bob&"},
                                                      {"allowROGroups", "&staff&"},
                                                      {"allowRWUsers", "&carl&"},
                                                      {"allowRWGroups", "&admins&family&"}}))},
      {"ftp_rw_only_share", share_block(folder_share("drop", "0", {{"allowRWUsers", "&dave&"}}))},
      {"ftp_disk_share",
       share_block({{"name", "usb"}, {"mountPoint", "/mnt/disk2"}, {"allowForAll", "1"}})},
      {"ftp_blank_name_share", share_block(folder_share("my \"files\""))},
      {"ftp_user_home", home_block({{"name", "ann"}, {"createDir", "1"}}, &flag)},
      {"ftp_hidden_user", home_block({{"name", "hidden"}, {"createDir", "0"}})},
  };
  EXPECT_EQ(flag, 2);
  EXPECT_EQ(nexalib_ftp_hidenoaccess_lost_found(odb), -1) << "no old block";
  const std::string service = read_file(kConf);
  std::string all = service;
  for (const auto& row : rows) {
    testing::expect_golden(row.block, std::string("sharing/") + row.golden + ".golden");
    all += row.block;
  }
  testing::expect_golden(service, "sharing/ftp_service_blocks.golden");
  expect_proftpd_accepts(all);
}

TEST_F(FtpSharesTest, UsersTooManyForOneLineGetALineEach) {
  std::string users = "&";
  for (int i = 0; i < 500; ++i) users += "user" + std::to_string(1000 + i) + "&";
  const std::string block = share_block(folder_share("many", "0", {{"allowRWUsers", users}}));
  EXPECT_EQ(count(block, "\nAllowUser user"), 500u);
  expect_proftpd_accepts(block);
}

TEST_F(FtpSharesTest, FinderMatchesWholeOpeningLinesOnly) {
  const std::string long_text(kLinePiece, 'x');
  const std::string block = "<Directory /a/b>\n</Directory>\n";
  const struct {
    const char* what;
    std::string file;
    int first, after;  // element indexes; -1 not found / end of list
  } rows[] = {
      {"exact", "x\n<Directory /a/b>\nHideNoAccess on\n</Directory>\ny\n", 1, 4},
      {"indented", " \t<Directory /a/b>\n  </Directory>\n", 0, -1},
      {"closing without line feed", "<Directory /a/b>\n</Directory>", 0, -1},
      {"prefix of another share", "<Directory /a/bc>\n</Directory>\n", -1, -1},
      {"text after the opening", "<Directory /a/b> #\n</Directory>\n", -1, -1},
      {"inside a long line", long_text + block, -1, -1},
      {"closed inside a long line", "<Directory /a/b>\n" + long_text + "</Directory>\n", -1, -1},
      {"last match wins", block + "z\n" + block, 3, -1},
      {"right after another block", block + block, 2, -1},
      {"last start not closed", block + "<Directory /a/b>\n", -1, -1},
      {"opening ends the file", "<Directory /a/b>", -1, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    write_file(kConf, row.file);
    GSList* raw = nullptr;
    GSList* first = nullptr;
    GSList* after = nullptr;
    const int found = folder_get_foldershare_section(&raw, &first, &after, "/a/b");
    const testing::OwnedList lines(raw);
    EXPECT_EQ(found, row.first < 0 ? -1 : 0);
    EXPECT_EQ(first ? g_slist_position(raw, first) : -1, row.first);
    EXPECT_EQ(after ? g_slist_position(raw, after) : -1, row.after);
  }
}

TEST_F(FtpSharesTest, RemovalFreesTheBlockOnly) {
  write_file(kConf, "a\n<Directory /mnt/sys/x>\nDenyAll\n</Directory>\nb\n");
  GSList* raw = nullptr;
  GSList* first = nullptr;
  GSList* after = nullptr;
  ASSERT_EQ(user_get_foldershare_section(&raw, &first, &after, "/mnt/sys", "x"), 0);
  testing::OwnedList lines(modftp_remove_ftp_share(raw, first, after));
  EXPECT_EQ(testing::items(lines), (std::vector<std::string>{"a\n", "b\n"}));
  GSList* stranger = g_slist_prepend(nullptr, nullptr);
  lines.reset(modftp_remove_foldershare(lines.release(), stranger, nullptr));
  EXPECT_EQ(g_slist_length(lines.get()), 2u) << "a line of another list removes nothing";
  g_slist_free(stranger);
}

TEST_F(FtpSharesTest, ModifyingMovesTheBlockToTheEnd) {
  const PropsPtr share = props(folder_share("a"));
  write_file(kConf, "ServerName nas");
  ASSERT_EQ(modftp_modify_ftp_conf(odb, 0, share.get()), 0);
  const std::string a_block = read_file(kConf).substr(std::string("ServerName nas\n").size());
  EXPECT_TRUE(read_file(kConf).starts_with("ServerName nas\n<Directory /mnt/sys/a>\n"))
      << "the last line stays whole";
  const std::string b_block = share_block(folder_share("b"));
  write_file(kConf, a_block + b_block);
  ASSERT_EQ(modftp_modify_ftp_conf(odb, 0, share.get()), 0);
  EXPECT_EQ(read_file(kConf), b_block + a_block);
  EXPECT_EQ(mode_of(kConf), 0644u);

  const PropsPtr created = PropsPtr(odb_standin_event_props(2));
  odb_props_set(created.get(), "name", "a");
  odb_props_set(created.get(), "isDisk", "0");
  EXPECT_EQ(modftp_modify_ftp_conf(odb, 0, created.get()), 0);
  EXPECT_EQ(read_file(kConf), b_block + a_block) << "an existing block stays where it is";
  const PropsPtr destroyed = PropsPtr(odb_standin_event_props(3));
  odb_props_set(destroyed.get(), "name", "b");
  odb_props_set(destroyed.get(), "isDisk", "0");
  EXPECT_EQ(modftp_modify_ftp_conf(odb, 0, destroyed.get()), 0);
  EXPECT_EQ(read_file(kConf), a_block);
}

// Handlers that change a share each at the same moment: every block lands,
// in a file proftpd reads.
TEST_F(FtpSharesTest, BlocksAddedAtOnceAllLand) {
  const auto add_share = [this](int w, int i) {
    const std::string name = "s" + std::to_string(w) + "_" + std::to_string(i);
    const PropsPtr share = props(folder_share(name));
    return modftp_modify_ftp_conf(odb, 0, share.get()) == 0;
  };
  testing::expect_no_edit_lost([this] { write_file(kConf, ""); }, add_share,
                               [this] { return count(read_file(kConf), "<Directory /mnt/sys/s"); });
  expect_proftpd_accepts(read_file(kConf));
}

TEST_F(FtpSharesTest, UserBlockOnlyWhenWanted) {
  const PropsPtr homeless = props({{"name", "eve"}, {"createDir", "0"}});
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, homeless.get(), 1), -1);
  EXPECT_FALSE(exists(kConf)) << "nothing to write, no rewrite";

  const PropsPtr user = props({{"name", "eve"}, {"createDir", "1"}});
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, user.get(), 1), 2);
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, user.get(), 1), 2);
  EXPECT_EQ(count(read_file(kConf), "<Directory /mnt/sys/eve>\n"), 1u);
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, homeless.get(), 0), 2) << "old block removed";
  EXPECT_EQ(read_file(kConf), "");
}

TEST_F(FtpSharesTest, ServiceBlocksStayOneEach) {
  write_file(kConf, "ServerName nas\n");
  EXPECT_EQ(nexalib_ftp_hidenoaccess_lost_found(odb), -1);
  const std::string once = read_file(kConf);
  EXPECT_EQ(nexalib_ftp_hidenoaccess_lost_found(odb), 0);
  EXPECT_EQ(read_file(kConf), once);
  write_file(kConf, once + once.substr(std::string("ServerName nas\n").size()));
  EXPECT_EQ(nexalib_ftp_hidenoaccess_lost_found(odb), 0) << "duplicates from before";
  EXPECT_EQ(read_file(kConf), once);
}

TEST_F(FtpSharesTest, FailedWritesAndMissingPropsAreFailures) {
  write_file("/usr/ruvoro/etc/.keep", "");
  ASSERT_EQ(::mkdir(path(kConf).c_str(), 0755), 0) << "a directory where the file goes";
  const PropsPtr share = props(folder_share("a"));
  const PropsPtr user = props({{"name", "eve"}, {"createDir", "1"}});
  EXPECT_EQ(modftp_modify_ftp_conf(odb, 0, share.get()), -1);
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, user.get(), 1), -1);
  EXPECT_EQ(nexalib_ftp_hidenoaccess_lost_found(odb), -1);
  ::rmdir(path(kConf).c_str());

  const PropsPtr empty = new_props();
  EXPECT_EQ(share_block({}), "");
  EXPECT_EQ(home_block({{"createDir", "1"}}), "");
  EXPECT_EQ(modftp_add_foldershare(nullptr, nullptr, "/mnt/sys"), nullptr);
  EXPECT_EQ(modftp_add_foldershare(nullptr, share.get(), nullptr), nullptr);
  EXPECT_EQ(user_handler_add_ftp_share(nullptr, nullptr, nullptr, "/mnt/sys"), nullptr);
  EXPECT_EQ(user_handler_modify_ftp_conf(odb, 0, empty.get(), 1), -1);
  EXPECT_EQ(user_handler_modify_ftp_conf(nullptr, 0, user.get(), 1), -1);
  EXPECT_EQ(modftp_modify_ftp_conf(odb, 0, nullptr), -1);
  EXPECT_EQ(modftp_modify_ftp_conf(odb, 0, empty.get()), 0);
  EXPECT_EQ(read_file(kConf), "");
  GSList* raw = nullptr;
  GSList* first = nullptr;
  EXPECT_EQ(user_get_foldershare_section(&raw, &first, nullptr, "/mnt/sys", "a"), -1);
  EXPECT_EQ(user_get_foldershare_section(&raw, &first, &first, nullptr, "a"), -1);
  EXPECT_EQ(folder_get_foldershare_section(&raw, &first, &first, nullptr), -1);
  EXPECT_EQ(raw, nullptr);
}

class FtpHostileTest : public FtpSharesTest,
                       public ::testing::WithParamInterface<testing::HostileValue> {
 protected:
  // The value as a C string reads it: up to its first NUL.
  std::string value() const {
    const std::string& value = GetParam().value;
    return value.substr(0, value.find('\0'));
  }
  // Nothing when refused, else one block made of our lines only, for a
  // directory that proftpd reads as a plain path: no pattern, no "%"
  // expansion and no backslash but the one before a quote.
  static void expect_block_unless(bool refused, const std::string& text) {
    if (refused) {
      EXPECT_EQ(text, "") << "a refused name gets no block";
      return;
    }
    EXPECT_EQ(count(text, "<Directory "), 1u) << text;
    EXPECT_EQ(count(text, "</Directory>\n"), 1u) << text;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_TRUE(line.starts_with("<Directory ") || line.starts_with("<Limit ") ||
                  line.starts_with("Allow") || line == "</Limit>" || line == "DenyAll" ||
                  line == "</Directory>")
          << line;
      if (!line.starts_with("<Directory ")) continue;
      std::string path = line.substr(11);
      for (size_t quote; (quote = path.find("\\\"")) != std::string::npos;) path.erase(quote, 1);
      EXPECT_EQ(path.find_first_of("*?[]%\\"), std::string::npos) << line;
      EXPECT_FALSE(path.starts_with('~') || path.starts_with("\"~")) << line;
    }
  }
};

TEST_P(FtpHostileTest, NamesNeverAddLinesOrBlocks) {
  const std::string v = value();
  const bool too_long = v.size() >= kLinePiece;
  const bool named = is_acceptable(ValueKind::kShareName, v) && !too_long;
  const std::string share = share_block(folder_share(
      v, "0", {{"allowRWUsers", "&" + v + "&ann&"}, {"allowROGroups", "&" + v + "&staff&"}}));
  expect_block_unless(!named, share);
  const std::string home = home_block({{"name", v}, {"createDir", "1"}}, nullptr, "/mnt/users");
  expect_block_unless(!named || !is_acceptable(ValueKind::kAccountName, v), home);

  const PropsPtr disk = props({{"name", "x"}, {"mountPoint", "/mnt/" + v}, {"allowForAll", "1"}});
  ASSERT_EQ(modftp_modify_ftp_conf(odb, 0, disk.get()), 0);
  ASSERT_EQ(modftp_modify_ftp_conf(odb, 0, disk.get()), 0);
  const std::string written = read_file(kConf);
  expect_block_unless(!is_acceptable(ValueKind::kSharePath, v) || too_long, written);
  expect_proftpd_accepts(share + home + written);
}

INSTANTIATE_TEST_SUITE_P(Hostile, FtpHostileTest, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
