// Running Samba's own checker on the configuration files the tests make.
#pragma once

#include <algorithm>
#include <string>

#include "library_test.h"

namespace nexa::testing {

class SambaTest : public LibraryTest {
 protected:
  // testparm -s on the file. The appliance's Samba knows "use receivefile"
  // and Debian's does not, so those lines are left out of the copy that is
  // checked; any other unknown parameter fails.
  void expect_samba_accepts(const std::string& logical, CallSite where = {}) const {
    const std::string text = read_file(logical);
    std::string checked;
    for (size_t start = 0; start < text.size();) {
      const size_t end = std::min(text.find('\n', start), text.size() - 1);
      const std::string line = text.substr(start, end - start + 1);
      if (!line.starts_with("use receivefile=")) checked += line;
      start = end + 1;
    }
    write_file("/tmp/testparm.conf", checked);
    expect_accepted_by({"testparm", "-s"}, path("/tmp/testparm.conf"),
                       {"Unknown parameter", "badly formed", "Error loading"}, where);
  }
};

}  // namespace nexa::testing
