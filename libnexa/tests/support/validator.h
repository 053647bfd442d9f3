// Checking generated configuration files with the real programs that read them.
#pragma once

#include <string>
#include <vector>
#include "call_site.h"

namespace nexa::testing {

// Such programs (testparm -s, proftpd -t -c, dhcpd -t -cf, rsyslogd -N1 -f)
// catch what our own assertions cannot.
// Runs argv with file appended as the last argument (no shell, standard
// input from /dev/null) and fails (non-fatally, showing the command and its
// output) unless it exits with status 0. A program that is not installed
// fails with its name and, when known, the Debian package that brings it.
// Failures are reported where expect_accepted_by was called.
// Returns whether the file was accepted.
bool expect_accepted_by(const std::vector<std::string>& argv, const std::string& file,
                        CallSite where = {});
// The same, and the file also counts as refused when the program's output
// holds one of the complaints (testparm, say, reports a badly formed line
// and still exits with 0).
bool expect_accepted_by(const std::vector<std::string>& argv, const std::string& file,
                        const std::vector<std::string>& complaints, CallSite where = {});

}  // namespace nexa::testing
