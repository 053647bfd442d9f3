// The C boundary of the sharing and account operations: each exported
// function converts its arguments, calls the library's C++ code and converts
// the result.
#include "nexalib.h"

// ---- smb.conf model ---------------------------------------------------------

// ---- Samba folder, user and printer shares ----------------------------------

// ---- FTP shares --------------------------------------------------------------

// ---- Users and groups ---------------------------------------------------------

// ---- Disk quotas --------------------------------------------------------------
