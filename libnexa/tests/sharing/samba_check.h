// Running Samba's own checker on the configuration files the tests make.
#pragma once

#include <cstdio>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

  // The sections as Samba itself loads the file (testparm -s prints them
  // after merging those it takes for one), each with its path.
  std::vector<std::pair<std::string, std::string>> samba_sections(
      const std::string& logical) const {
    const std::string command = "testparm -s " + path(logical) + " 2>/dev/null";
    std::vector<std::pair<std::string, std::string>> sections;
    FILE* out = ::popen(command.c_str(), "r");
    if (!out) return sections;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, out)) {
      std::string line(buffer);
      line.erase(0, line.find_first_not_of(" \t"));
      if (line.ends_with('\n')) line.pop_back();
      if (line.starts_with('[') && line.ends_with(']'))
        sections.emplace_back(line.substr(1, line.size() - 2), "");
      else if (line.starts_with("path = ") && !sections.empty())
        sections.back().second = line.substr(7);
    }
    ::pclose(out);
    return sections;
  }
};

}  // namespace nexa::testing
