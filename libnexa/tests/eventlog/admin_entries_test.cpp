// The wording of every administrative entry, and the dispatch of events.
#include "eventlog/admin_entries.h"

#include <filesystem>
#include <string>
#include <vector>

#include <sstream>
#include "core/config_values.h"

#include "eventlog/log_files.h"
#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::Props;

constexpr int kModified = 0;
constexpr int kCreated = 2;
constexpr int kDestroyed = 3;

class AdminEntriesTest : public LibraryTest {
 protected:
  AdminEntriesTest() { std::filesystem::create_directories(path("/var/log")); }
  // An event as the daemon hands it: current values and the new ones.
  static PropsPtr event(int state, const Props& current, const Props& changes) {
    PropsPtr props(odb_standin_event_props(state));
    for (const auto& [key, value] : current)
      odb_standin_props_set_old(props.get(), key.c_str(), value.c_str());
    for (const auto& [key, value] : changes) odb_props_set(props.get(), key.c_str(), value.c_str());
    return props;
  }
  // The entries written so far, without their time stamps.
  std::vector<std::string> entries() const {
    std::vector<std::string> lines;
    if (!exists(kAdminLog)) return lines;
    std::istringstream in(read_file(kAdminLog));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.substr(line.find(' ') + 1));
    return lines;
  }
  void clear() const { std::filesystem::remove(path(kAdminLog)); }
};

TEST_F(AdminEntriesTest, EveryEventKindWritesItsWording) {
  testing::OdbSession odb;
  const guint32 alice = odb.add("User", {{"name", "alice"}});
  using Writer = int (*)(OdbProps*, int);
  // A null writer dispatches through log_admin_session for object alice.
  const struct {
    const char* what;
    Writer write;
    int state;
    int result;
    Props current, changes;
    std::vector<std::string> lines;
  } rows[] = {
      {"user add", log_user, kCreated, 0, {{"name", "bob"}}, {}, {"USER: Add new user bob OK"}},
      {"user delete",
       log_user,
       kDestroyed,
       1,
       {{"name", "bob"}},
       {},
       {"USER: Delete user bob FAIL"}},
      {"user modify all",
       log_user,
       kModified,
       0,
       {{"name", "bob"}},
       {{"password", "x"}, {"description", "d"}, {"createDir", "1"}},
       {"USER: Modify user bob: PASSWORD DESCRIPTIONS Create home directory OK"}},
      {"user no home",
       log_user,
       kModified,
       0,
       {{"name", "bob"}},
       {{"createDir", "0"}},
       {"USER: Modify user bob:   No home directory OK"}},
      {"user empty password",
       log_user,
       kModified,
       0,
       {{"name", "bob"}},
       {{"password", ""}},
       {"USER: Modify user bob:    OK"}},
      {"destroyed without values", log_user, kDestroyed, 0, {}, {}, {"USER: Delete user  OK"}},
      {"group add",
       log_group,
       kCreated,
       0,
       {{"name", "staff"}},
       {},
       {"GROUP: Add new group staff OK"}},
      {"group exists",
       log_group,
       kCreated,
       LOG_RESULT_GROUP_EXISTS,
       {{"name", "staff"}},
       {},
       {"GROUP: Group staff is alreay existed !"}},
      {"group delete",
       log_group,
       kDestroyed,
       0,
       {{"name", "staff"}},
       {},
       {"GROUP: Delete group staff OK"}},
      {"group reserved",
       log_group,
       kDestroyed,
       LOG_RESULT_GROUP_RESERVED,
       {{"name", "root"}},
       {},
       {"GROUP: The group root is reserved for system use"}},
      {"group exists code on delete",
       log_group,
       kDestroyed,
       LOG_RESULT_GROUP_EXISTS,
       {{"name", "g"}},
       {},
       {"GROUP: Delete group g FAIL"}},
      {"group modify",
       log_group,
       kModified,
       0,
       {{"name", "staff"}},
       {{"members", "a b"}},
       {"GROUP: Modify group staff : members= a b OK"}},
      {"system all",
       log_system,
       kModified,
       0,
       {{"hostname", "old"}},
       {{"dns", "1.1.1.1&2.2.2.2"},
        {"domain", "lan"},
        {"gateway", "10.0.0.1"},
        {"hostname", "nas"}},
       {"SYSTEM: Set hostname to nas OK", "SYSTEM: Set gateway to 10.0.0.1 OK",
        "SYSTEM: Set domain to lan OK", "SYSTEM: Set DNS to 1.1.1.1&2.2.2.2 OK"}},
      {"hostname too long",
       log_system,
       kModified,
       LOG_RESULT_HOSTNAME_TOO_LONG,
       {{"hostname", "averylongname"}},
       {{"gateway", "10.0.0.1"}},
       {"SYSTEM: Hostname averylongname is too long"}},
      {"system nothing printable",
       log_system,
       kModified,
       0,
       {{"hostname", "nas"}},
       {{"hostname", ""}, {"other", "x"}},
       {}},
      {"network",
       log_network,
       kModified,
       0,
       {},
       {{"bootproto", "dhcp"}, {"netmask", "255.0.0.0"}, {"ipaddr", "10.1.1.1"}},
       {"NETWORK: DHCP Client enabled OK", "NETWORK: Set netmask to 255.0.0.0 OK",
        "NETWORK: Set IP addrress to 10.1.1.1 OK"}},
      {"network static", log_network, kModified, 0, {}, {{"bootproto", "DHCP"}}, {}},
      {"share add",
       log_foldershare,
       kCreated,
       0,
       {{"name", "pub"}},
       {},
       {"FOLDERSHARE: Add new folder share pub OK"}},
      {"share delete",
       log_foldershare,
       kDestroyed,
       0,
       {{"name", "pub"}},
       {},
       {"FOLDERSHARE: Delete folder share pub OK"}},
      {"share modify",
       log_foldershare,
       kModified,
       5,
       {{"name", "pub"}},
       {},
       {"FOLDERSHARE: Modify folder share pub FAIL"}},
      {"samba",
       log_samba,
       kModified,
       0,
       {},
       {{"enabled", "1"}, {"serverString", "NAS"}, {"workgroup", "WG"}, {"winsIpAddr", "10.0.0.2"}},
       {"SAMBA: Samba Server enabled OK", "SAMBA: Set server string to NAS OK",
        "SAMBA: Set workgroup to WG OK", "SAMBA: Set WINS server to 10.0.0.2 OK"}},
      {"samba off",
       log_samba,
       kModified,
       0,
       {},
       {{"enabled", "0"}, {"winsIpAddr", ""}},
       {"SAMBA: Samba Server disabled OK", "SAMBA: WINS server disabled OK"}},
      {"printer on",
       log_printer,
       kModified,
       0,
       {},
       {{"enabled", "1"}},
       {"PRINTER: Printer Server enabled OK"}},
      {"printer off",
       log_printer,
       kModified,
       0,
       {},
       {{"enabled", "yes"}},
       {"PRINTER: Printer Server disabled OK"}},
      {"printer unchanged", log_printer, kModified, 0, {{"enabled", "1"}}, {}, {}},
      {"ftp",
       log_ftp,
       kModified,
       0,
       {},
       {{"enabled", "1"}, {"portNumber", "2121"}},
       {"FTP: FTP Server enabled OK", "FTP: Set port number to 2121 OK"}},
      {"ftp empty port",
       log_ftp,
       kModified,
       1,
       {},
       {{"enabled", "0"}, {"portNumber", ""}},
       {"FTP: FTP Server disabled FAIL", "FTP: Invalid port number FAIL"}},
      {"nfs", log_nfs, kModified, 0, {}, {{"enabled", "1"}}, {"NFS: NFS Server enabled OK"}},
      {"nfs off", log_nfs, kModified, 0, {}, {{"enabled", ""}}, {"NFS: NFS Server disabled OK"}},
      {"guest",
       log_guest,
       kModified,
       0,
       {},
       {{"enabled", "1"}, {"quota", "-1"}},
       {"GUEST: Guest account enabled OK", "GUEST: quota unlimitted OK"}},
      {"guest quota",
       log_guest,
       kModified,
       0,
       {},
       {{"enabled", "0"}, {"quota", "100"}},
       {"GUEST: Guest account disabled OK", "GUEST: Set quota to 100MB OK"}},
      {"dispatch samba",
       nullptr,
       kModified,
       0,
       {{"NAMESPACE", "Samba"}},
       {{"enabled", "1"}},
       {"SAMBA: Samba Server enabled OK"}},
      {"dispatch printer",
       nullptr,
       kModified,
       0,
       {{"NAMESPACE", "PrinterServer"}},
       {{"enabled", "1"}},
       {"PRINTER: Printer Server enabled OK"}},
      {"dispatch ftp nfs guest",
       nullptr,
       kModified,
       0,
       {{"NAMESPACE", "NFS"}},
       {{"enabled", "0"}},
       {"NFS: NFS Server disabled OK"}},
      {"dispatch guest",
       nullptr,
       kModified,
       0,
       {{"NAMESPACE", "GuestShare"}},
       {{"quota", "-1"}},
       {"GUEST: quota unlimitted OK"}},
      {"dispatch ftp",
       nullptr,
       kModified,
       0,
       {{"NAMESPACE", "Ftp"}},
       {{"portNumber", "21"}},
       {"FTP: Set port number to 21 OK"}},
      {"dispatch group",
       nullptr,
       kCreated,
       0,
       {{"CLASS", "Group"}, {"name", "g"}},
       {},
       {"GROUP: Add new group g OK"}},
      {"dispatch system network share",
       nullptr,
       kModified,
       0,
       {{"CLASS", "Network"}},
       {{"ipaddr", "1.2.3.4"}},
       {"NETWORK: Set IP addrress to 1.2.3.4 OK"}},
      {"dispatch share",
       nullptr,
       kCreated,
       0,
       {{"CLASS", "FolderShare"}, {"name", "s"}},
       {},
       {"FOLDERSHARE: Add new folder share s OK"}},
      {"dispatch system",
       nullptr,
       kModified,
       0,
       {{"CLASS", "System"}},
       {{"domain", "d"}},
       {"SYSTEM: Set domain to d OK"}},
      {"user in disk namespace",
       nullptr,
       kModified,
       0,
       {{"CLASS", "User"}, {"NAMESPACE", "Disk"}, {"name", "alice"}},
       {{"quota", "5"}},
       {"USER: Modify user alice:    OK", "DISK: Set alice's disk quota to 5MB OK"}},
      {"disk unlimited",
       nullptr,
       kModified,
       1,
       {{"NAMESPACE", "Disk"}},
       {{"quota", "-1"}},
       {"DISK: alice's disk quota is unlimitted FAIL"}},
      {"disk unchanged", nullptr, kModified, 0, {{"NAMESPACE", "Disk"}}, {{"other", "1"}}, {}},
      {"unknown class",
       nullptr,
       kModified,
       0,
       {{"CLASS", "Printer"}, {"NAMESPACE", "disk"}},
       {{"enabled", "1"}},
       {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    clear();
    const PropsPtr props = event(row.state, row.current, row.changes);
    const int written =
        row.write ? row.write(props.get(), row.result)
                  : log_admin_session(odb, static_cast<int>(alice), props.get(), row.result);
    EXPECT_EQ(entries(), row.lines);
    EXPECT_EQ(written, static_cast<int>(row.lines.size()));
  }
}

TEST_F(AdminEntriesTest, MissingPropsWriteNothingAndNeverNull) {
  testing::OdbSession odb;
  using Writer = int (*)(OdbProps*, int);
  for (Writer write : {log_user, log_group, log_system, log_network, log_foldershare, log_samba,
                       log_printer, log_ftp, log_nfs, log_guest})
    EXPECT_EQ(write(nullptr, 0), 0);
  const PropsPtr quota =
      event(kModified, {{"CLASS", "User"}, {"NAMESPACE", "Disk"}}, {{"quota", "1"}});
  EXPECT_EQ(log_quota(nullptr, nullptr, 0), 0);
  EXPECT_EQ(log_admin_session(nullptr, 1, quota.get(), 0), 0);
  EXPECT_EQ(log_admin_session(odb, 1, nullptr, 0), 0);
  EXPECT_EQ(entries(), std::vector<std::string>{});
  // The user object is gone: its name reads as the empty text.
  EXPECT_EQ(log_admin_session(odb, 99, quota.get(), 0), 2);
  EXPECT_EQ(log_quota(nullptr, quota.get(), 1), 1);
  EXPECT_EQ(entries(), (std::vector<std::string>{"USER: Modify user :    OK",
                                                 "DISK: Set 's disk quota to 1MB OK",
                                                 "DISK: Set 's disk quota to 1MB FAIL"}));
}

// Names and values are text: a "%n" stays as it is and a line break cannot
// start a second (forged) entry.
class AdminEntriesHostile : public AdminEntriesTest,
                            public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(AdminEntriesHostile, OneLiteralLinePerEntry) {
  // A C text ends at a NUL; what is before it is written, flattened.
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  const std::string expected = flattened(ValueKind::kFreeText, value);
  const PropsPtr user = event(kCreated, {{"name", value}}, {});
  const PropsPtr group = event(kModified, {{"name", value}}, {{"members", value}});
  const PropsPtr share = event(kModified, {{"name", value}}, {});
  EXPECT_EQ(log_user(user.get(), 0), 1);
  EXPECT_EQ(log_group(group.get(), 0), 1);
  EXPECT_EQ(log_foldershare(share.get(), 0), 1);
  EXPECT_EQ(nexalib_log_admin("%s%s", "X: ", value.c_str()), 0);
  EXPECT_EQ(entries(),
            (std::vector<std::string>{
                "USER: Add new user " + expected + " OK",
                "GROUP: Modify group " + expected + " : members= " + expected + " OK",
                "FOLDERSHARE: Modify folder share " + expected + " OK", "X: " + expected}));
}
INSTANTIATE_TEST_SUITE_P(Hostile, AdminEntriesHostile,
                         ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
