// Start-up of the enabled services and the minimal mode check.
#include "services/service_startup.h"

#include <syslog.h>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/odb_access.h"
#include "core/sys.h"
#include "services/music_server.h"

namespace nexa {
namespace {

const char* property(OdbHandle& h, guint32 system, const char* ns, const char* key) {
  OdbProps* props = odb_get_cmnd(&h, system, ns);
  return props ? odb_props_get(props, key) : nullptr;
}

bool enabled(OdbHandle& h, guint32 system, const char* ns) {
  return text_is(property(h, system, ns, "enabled"), "1");
}

bool begins_with_one(OdbProps* props, const char* key) {
  const char* value = odb_props_get(props, key);
  return value && value[0] == '1';
}

}  // namespace

void start_all_services(OdbHandle& h, guint32 system) {
  // The lines the service command shell gives: script, blank, argument.
  if (enabled(h, system, "NFS"))
    run_discarding_output(CommandLine("/usr/ruvoro/etc/rc.d/S85nfs.sh start"));
  if (enabled(h, system, "Ftp"))
    run_discarding_output(CommandLine("/usr/ruvoro/etc/rc.d/S91proftpd.sh start"));
  if (enabled(h, system, "Samba")) {
    run_discarding_output(CommandLine("/usr/ruvoro/etc/rc.d/S80samba.sh start"));
    if (enabled(h, system, "PrinterServer"))
      run_discarding_output(CommandLine("/usr/ruvoro/bin/lpd "));
  }
  const char* mount_path = system_mount_path(h);
  const char* host = property(h, system, "", "hostname");
  if (!text_is(property(h, system, "Bonjour", "iTunes_enabled"), "1")) return;
  // Without a data volume the music folder would be "/public/music" of the
  // root file system; without a host name the server would have no name.
  if (!mount_path || !*mount_path || !host || !*host) {
    sys::log(LOG_ERR, "music server not started: no system mount path or host name\n");
    return;
  }
  start_music_server(host, mount_path);
}

bool os_in_min_mode(OdbHandle& h) {
  OdbProps* disk = disk_namespace(h);
  return !disk || begins_with_one(disk, "noDisk") || begins_with_one(disk, "newDisk");
}

}  // namespace nexa
