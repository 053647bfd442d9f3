// The C boundary of the system service operations: each exported function
// converts its arguments, calls the library's C++ code and converts the
// result.
#include "nexalib.h"

// ---- Service start-up and run levels

// ---- Scheduled tasks, system log and time

// ---- Alerts: mail and pop-up messages

// ---- BitTorrent client control

// ---- Bonjour and the music server
