// Share objects in the configuration daemon: whole-disk shares, the share
// of a newly attached disk, members of the shares' access lists, and the
// Samba service and its printer spool.
#pragma once

#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

// Restarts or stops Samba as its "enabled" setting says.
void toggle_samba(OdbHandle& h, int flags);
// The spool directories and files of the printer share, linked into
// /var/spool; fails when a spool file cannot be made.
sys::Status prepare_printer_spool();

void delete_disk_shares(OdbHandle& h);
// A share for every data disk; fails when one could not be made.
sys::Status add_disk_shares(OdbHandle& h);
// The share of one attached disk; fails when it could not be made.
sys::Status add_attached_disk_share(OdbHandle& h, std::string_view name, std::string_view dev_name);

// Takes the member out of the key's array on every share that lists it.
void remove_share_member(OdbHandle& h, std::string_view key, std::string_view member);
// Adds the member to the key's array of each named share; the status
// becomes -1 when the daemon reports an error or the member cannot be an
// element of an array, 0 after a set without one.
int add_share_member(OdbHandle& h, std::string_view member, std::string_view share_names,
                     std::string_view key, int status);

}  // namespace nexa
