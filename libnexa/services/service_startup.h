// Start-up of the enabled services at boot, and the appliance's minimal
// mode (no usable disk).
#pragma once

#include "odb.h"

namespace nexa {

// Starts NFS, FTP and Samba when enabled in their namespaces of the
// "System" object, the printer server only after Samba, then the music
// server when Bonjour's "iTunes_enabled" is "1" and both the host name and
// the system mount path are known (otherwise a message is logged).
void start_all_services(OdbHandle& h, guint32 system);
// Whether the "System" object lacks a "Disk" namespace or its "noDisk" or
// "newDisk" begins with "1".
bool os_in_min_mode(OdbHandle& h);

}  // namespace nexa
