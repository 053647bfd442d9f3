// Run-level lines, the telnet entries of the inetd files, minimal mode.
#include "services/run_levels.h"

#include <filesystem>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;

constexpr const char* kRcConf = "/etc/rc.conf";

class RunLevelsTest : public LibraryTest {
 protected:
  OdbSession odb;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
    fields.push_back(text.substr(start, end - start));
  fields.push_back(text.substr(start));
  return fields;
}

TEST_F(RunLevelsTest, RunLevelLineReplacedOrAppended) {
  const std::string long_line = "COMMENT=\"" + std::string(120, 'c') + "\"\n";
  const struct {
    const char* name;
    const char* enabled;
    std::string key, before, after;
  } rows[] = {
      {"off", "0", "SAMBA", "NFS=\"YES\"\nSAMBA=\"YES\"\nFTP=\"NO\"\n",
       "NFS=\"YES\"\nSAMBA=\"NO\"\nFTP=\"NO\"\n"},
      {"on_begins_with_1", "1x", "SAMBA", "SAMBA=\"NO\"\n", "SAMBA=\"YES\"\n"},
      {"longer_key_untouched", "1", "SAMBA", "SAMBA_WINS=\"NO\"\nSAMBA=\"NO\"\n",
       "SAMBA_WINS=\"NO\"\nSAMBA=\"YES\"\n"},
      {"appended", "1", "NFS", "SAMBA=\"NO\"\n", "SAMBA=\"NO\"\nNFS=\"YES\"\n"},
      {"appended_after_unterminated", "0", "NFS", "SAMBA=\"NO\"", "SAMBA=\"NO\"\nNFS=\"NO\"\n"},
      {"unterminated_replaced", "1", "SAMBA", "A=1\nSAMBA=\"NO\"", "A=1\nSAMBA=\"YES\"\n"},
      {"indented_first_only", "0", "FTP", " \tFTP=\"YES\"\nFTP=\"YES\"\n",
       "FTP=\"NO\"\nFTP=\"YES\"\n"},
      {"long_lines_kept", "1", "NFS", long_line, long_line + "NFS=\"YES\"\n"},
      {"long_key_not_cut", "1", std::string(90, 'K'), "", std::string(90, 'K') + "=\"YES\"\n"},
  };
  const guint32 system = odb.add("System", {{"hostname", "nas"}});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LibraryTest::write_file(kRcConf, row.before, 0600);
    odb.set(system, {{"enabled", row.enabled}}, "Samba");
    EXPECT_EQ(nexalib_update_rc_conf(odb, "Samba", row.key.c_str(), kRcConf, 0640), 0);
    EXPECT_EQ(read_file(kRcConf), row.after);
    EXPECT_EQ(mode_of(kRcConf), 0640u);
  }
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"rc.conf"});
}

TEST_F(RunLevelsTest, RunLevelFileEdgeCases) {
  // A missing file is created.
  const guint32 system = odb.add("System", {{"enabled", "1"}}, "Ftp");
  EXPECT_EQ(nexalib_update_rc_conf(odb, "Ftp", "FTP", "/etc/rc.d/levels", 0644), 0);
  EXPECT_EQ(read_file("/etc/rc.d/levels"), "FTP=\"YES\"\n");
  // Without "enabled" nothing changes.
  odb.set(system, {{"other", "1"}}, "Nfs");
  LibraryTest::write_file(kRcConf, "NFS=\"YES\"\n", 0600);
  EXPECT_EQ(nexalib_update_rc_conf(odb, "Nfs", "NFS", kRcConf, 0644), 0);
  EXPECT_EQ(read_file(kRcConf), "NFS=\"YES\"\n");
  EXPECT_EQ(mode_of(kRcConf), 0600u);
  // A missing namespace is reported on standard output.
  const testing::ChildResult child = testing::run_in_child(
      [&] { EXPECT_EQ(nexalib_update_rc_conf(odb, "Nope", "NFS", kRcConf, 0644), -1); });
  EXPECT_EQ(child.exit_status, 0);
  EXPECT_TRUE(child.out.starts_with("nexalib (")) << child.out;
  EXPECT_TRUE(child.out.ends_with(") Nope object not found\n")) << child.out;
  EXPECT_EQ(read_file(kRcConf), "NFS=\"YES\"\n");
}

TEST_F(RunLevelsTest, HostileKeysAddNoLine) {
  odb.add("System", {{"enabled", "1"}}, "Samba");
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    LibraryTest::write_file(kRcConf, "SAMBA=\"NO\"\n");
    const int result = nexalib_update_rc_conf(odb, "Samba", hostile.value.c_str(), kRcConf, 0644);
    const std::string key = hostile.value.substr(0, hostile.value.find('\0'));
    if (result == -1) {
      EXPECT_EQ(read_file(kRcConf), "SAMBA=\"NO\"\n");
      EXPECT_FALSE(logged.empty());
    } else {
      EXPECT_EQ(read_file(kRcConf), "SAMBA=\"NO\"\n" + key + "=\"YES\"\n");
    }
  }
}

TEST_F(RunLevelsTest, TelnetPortsInServices) {
  const struct {
    const char* name;
    const char* before;
    const char* after;  // null: untouched, state 1
  } rows[] = {
      {"pair", "ftp 21/tcp\ntelnet 23/tcp\ntelnet 23/udp\nsmtp 25/tcp\n",
       "ftp 21/tcp\ntelnet          2323/tcp\ntelnet          2323/udp\nsmtp 25/tcp\n"},
      {"indented", "\t telnet\t23/tcp\n telnet 23/udp\n",
       "telnet          2323/tcp\ntelnet          2323/udp\n"},
      {"last_line", "ftp 21/tcp\ntelnet 23/tcp",
       "ftp 21/tcp\ntelnet          2323/tcp\ntelnet          2323/udp\n"},
      {"next_is_another_service", "telnet 23/tcp\nsmtp 25/tcp\n",
       "telnet          2323/tcp\ntelnet          2323/udp\nsmtp 25/tcp\n"},
      {"telnets_is_another_service", "telnets 992/tcp\ntelnet 23/tcp\ntelnet 23/udp\n",
       "telnets 992/tcp\ntelnet          2323/tcp\ntelnet          2323/udp\n"},
      {"no_telnet", "ftp 21/tcp\n# telnet 23/tcp\n", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LibraryTest::write_file(kServicesFile, row.before, 0600);
    int state = 0;
    EXPECT_EQ(nexalib_modify_inetd_services("2323", &state), 0);
    EXPECT_EQ(state, row.after ? 2 : 1);
    EXPECT_EQ(read_file(kServicesFile), row.after ? row.after : row.before);
    EXPECT_EQ(mode_of(kServicesFile), row.after ? 0644u : 0600u);
  }
  std::filesystem::remove(path(kServicesFile));
  int state = 0;
  EXPECT_EQ(nexalib_modify_inetd_services("23", &state), -1);
  EXPECT_EQ(state, 1);
}

TEST_F(RunLevelsTest, HostilePortsAddNoLine) {
  const std::string before = "telnet 23/tcp\ntelnet 23/udp\n";
  for (const auto& hostile : testing::hostile_values()) {
    SCOPED_TRACE(hostile);
    LibraryTest::write_file(kServicesFile, before);
    int state = 0;
    const int result = nexalib_modify_inetd_services(hostile.value.c_str(), &state);
    const std::string port = hostile.value.substr(0, hostile.value.find('\0'));
    if (result == -1) {
      EXPECT_EQ(state, 1);
      EXPECT_EQ(read_file(kServicesFile), before);
    } else {
      std::string expected = "telnet          " + port + "/tcp\n";
      expected += "telnet          " + port + "/udp\n";
      EXPECT_EQ(read_file(kServicesFile), expected);
    }
  }
}

TEST_F(RunLevelsTest, TelnetSwitchedInInetdConf) {
  const std::string on(kTelnetEnabled), off(kTelnetDisabled);
  const std::string ftp = "ftp\tstream\ttcp\tnowait\troot\t/usr/sbin/ftpd\tftpd\n";
  const struct {
    const char* name;
    const char* value;
    std::string before;
    std::optional<std::string> after;
  } rows[] = {
      {"off", "0", ftp + on + "\n", ftp + off + "\n"},
      {"on", "1", off + "\n" + ftp, on + "\n" + ftp},
      {"any_other_value_is_on", "yes", "  " + off + " # old\n", on + "\n"},
      {"unterminated", "0", ftp + on, ftp + off + "\n"},
      {"first_only", "0", on + "\n" + on + "\n", off + "\n" + on + "\n"},
      {"neither", "0", ftp + "#telnet\tstream\n", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LibraryTest::write_file(kInetdConf, row.before, 0600);
    int state = 0;
    EXPECT_EQ(nexalib_modify_inetd_conf(row.value, &state), 0);
    EXPECT_EQ(state, row.after ? 2 : 1);
    EXPECT_EQ(read_file(kInetdConf), row.after.value_or(row.before));
    EXPECT_EQ(mode_of(kInetdConf), row.after ? 0644u : 0600u);
  }
  for (const std::string& line : {on, off}) EXPECT_EQ(split(line, '\t').size(), 7u) << line;
}

TEST_F(RunLevelsTest, MinimalModeWithoutAUsableDisk) {
  const struct {
    const char* name;
    std::optional<testing::Props> disk;
    int result;
  } rows[] = {
      {"no_disk_namespace", std::nullopt, -1},
      {"no_disk", testing::Props{{"noDisk", "1"}, {"newDisk", "0"}}, -1},
      {"new_disk", testing::Props{{"noDisk", "0"}, {"newDisk", "1yes"}}, -1},
      {"disk_in_use", testing::Props{{"noDisk", "0"}, {"newDisk", "0"}}, 0},
      {"flags_unset", testing::Props{{"rootdir", "/mnt/disk1"}}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    odb_standin_reset();
    const guint32 system = odb.add("System", {{"hostname", "nas"}});
    if (row.disk) odb.set(system, *row.disk, "Disk");
    EXPECT_EQ(nexalib_os_in_min_mode(odb), row.result);
  }
}

}  // namespace
}  // namespace nexa
