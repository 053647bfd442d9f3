// The wording of every administrative log entry, and the dispatch of one
// configuration event to its entries.
#pragma once

#include "odb.h"

namespace nexa {

// Each writes the entries of one event (R = "OK" for result 0, else "FAIL")
// and returns how many it wrote. A null event writes none.
int log_user(OdbProps* event, int result);
int log_group(OdbProps* event, int result);
int log_system(OdbProps* event, int result);
int log_network(OdbProps* event, int result);
int log_foldershare(OdbProps* event, int result);
int log_samba(OdbProps* event, int result);
int log_printer(OdbProps* event, int result);
int log_ftp(OdbProps* event, int result);
int log_nfs(OdbProps* event, int result);
int log_guest(OdbProps* event, int result);
// The quota entry: the name comes from the user object's props.
int log_quota(OdbProps* user, OdbProps* event, int result);
// By the event's CLASS and NAMESPACE; a "Disk" event reads the object's
// main namespace through the handle (none: no quota entry).
int log_admin_session(OdbHandle* handle, int oid, OdbProps* event, int result);

}  // namespace nexa
