// Which services start at boot, and in which order.
#include "services/service_startup.h"

#include <filesystem>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"
#include "services/music_server.h"

namespace nexa {
namespace {

using testing::LibraryTest;
using testing::OdbSession;
using testing::Props;

class ServiceStartupTest : public LibraryTest {
 protected:
  OdbSession odb;
};

const std::string kNfs = "/usr/ruvoro/etc/rc.d/S85nfs.sh start >/dev/null 2>&1";
const std::string kFtp = "/usr/ruvoro/etc/rc.d/S91proftpd.sh start >/dev/null 2>&1";
const std::string kSamba = "/usr/ruvoro/etc/rc.d/S80samba.sh start >/dev/null 2>&1";
const std::string kLpd = "/usr/ruvoro/bin/lpd  >/dev/null 2>&1";
const std::string kMkdir = "mkdir -p -m 777 /mnt/disk1/public/music >/dev/null 2>&1";
const std::string kDaapd = "daapd -c /usr/ruvoro/etc/daapd.conf  >/dev/null 2>&1 &";

TEST_F(ServiceStartupTest, EnabledServicesStartInOrder) {
  const Props on = {{"enabled", "1"}}, off = {{"enabled", "0"}}, odd = {{"enabled", "1 "}};
  const Props disk = {{"rootdir", "/mnt/disk1"}};
  const Props itunes = {{"iTunes_enabled", "1"}}, no_itunes = {{"iTunes_enabled", "0"}};
  const struct {
    const char* name;
    Props main;
    std::vector<std::pair<std::string, Props>> namespaces;
    std::vector<std::string> commands;
  } rows[] = {
      {"all",
       {{"hostname", "nas1"}},
       {{"NFS", on},
        {"Ftp", on},
        {"Samba", on},
        {"PrinterServer", on},
        {"Disk", disk},
        {"Bonjour", itunes}},
       {kNfs, kFtp, kSamba, kLpd, kMkdir, kDaapd}},
      {"none_enabled",
       {{"hostname", "nas1"}},
       {{"NFS", off}, {"Ftp", odd}, {"Samba", off}, {"Disk", disk}, {"Bonjour", no_itunes}},
       {}},
      {"printer_without_samba", {}, {{"Samba", off}, {"PrinterServer", on}}, {}},
      {"samba_without_printer", {}, {{"Samba", on}, {"PrinterServer", off}}, {kSamba}},
      {"bonjour_without_mount_path",
       {{"hostname", "nas1"}},
       {{"Ftp", on}, {"Bonjour", itunes}},
       {kFtp}},
      {"bonjour_without_host_name", {}, {{"Disk", disk}, {"Bonjour", itunes}}, {}},
      {"no_namespaces", {{"hostname", "nas1"}}, {}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    odb_standin_reset();
    commands.lines.clear();
    std::filesystem::remove(path(kDaapdConf));
    guint32 system = odb.add("System", row.main);
    for (const auto& [ns, props] : row.namespaces) odb.set(system, props, ns);
    EXPECT_EQ(nexalib_start_all_service(odb, &system), 0);
    EXPECT_EQ(commands.lines, row.commands);
    EXPECT_EQ(exists(kDaapdConf), !row.commands.empty() && row.commands.back() == kDaapd);
  }
}

}  // namespace
}  // namespace nexa
