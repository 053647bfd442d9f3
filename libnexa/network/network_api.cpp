// The C boundary of the network operations: each exported function converts
// its arguments, calls the library's C++ code and converts the result.
#include "nexalib.h"

// ---- Interface names and default network objects -----------------------------

// ---- DHCP server and DNS ------------------------------------------------------

// ---- Routing table and default gateway ----------------------------------------

// ---- Port redirection, remote access and web server port ---------------------

// ---- Dynamic DNS --------------------------------------------------------------

// ---- Wireless configuration ---------------------------------------------------

// ---- UWB link status -----------------------------------------------------------
