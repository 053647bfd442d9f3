// The C boundary of the event log: each exported function converts its
// arguments, calls the library's C++ code and converts the result.
#include "nexalib.h"
