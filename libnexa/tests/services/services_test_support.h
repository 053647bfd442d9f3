// What the services tests share: case tables read from text files and
// compared with goldens, a fixture with a configuration handle, and a
// reader of crontab lines.
#pragma once

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "library_test.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace nexa::testing {

constexpr size_t npos = std::string::npos;

// A row of a case file: its line and its fields as written ("~": none).
struct Row {
  std::string line;
  std::vector<std::string> fields;
  bool given(size_t i) const { return i < fields.size() && fields[i] != "~"; }
  std::string operator[](size_t i) const { return given(i) ? unescape(fields[i]) : ""; }
};

// Whether a field of a cron schedule is within lo..hi: "*", numbers and
// ranges, each with an optional step, in a comma list.
inline bool valid_cron_field(const std::string& field, int lo, int hi) {
  static const std::regex item(R"((\*|(\d{1,2})(-(\d{1,2}))?)(/[1-9]\d*)?)");
  std::stringstream items(field + ",");
  std::smatch m;
  for (std::string text; std::getline(items, text, ',');)
    if (!std::regex_match(text, m, item) || (m[2].matched && std::stoi(m[2]) < lo) ||
        (m[2].matched && std::stoi(m[2]) > hi) || (m[4].matched && std::stoi(m[4]) > hi))
      return false;
  return true;
}

// Every line of a crontab but blanks and comments: five valid time fields,
// a blank and a command; and no line left without its line feed.
inline void expect_cron_lines(const std::string& crontab) {
  std::istringstream in(crontab);
  for (std::string line; std::getline(in, line);) {
    if (line.find_first_not_of(" \t") == npos || line[0] == '#') continue;
    std::istringstream words(line);
    for (const auto& [lo, hi] : {std::pair{0, 59}, {0, 23}, {1, 31}, {1, 12}, {0, 7}}) {
      std::string field;
      EXPECT_TRUE(words >> field && valid_cron_field(field, lo, hi)) << field << " in " << line;
    }
    std::string command;
    EXPECT_TRUE(std::getline(words >> std::ws, command) && !command.empty()) << line;
  }
  EXPECT_TRUE(crontab.empty() || crontab.back() == '\n') << "a line cut";
}

class ServicesTest : public LibraryTest {
 protected:
  ServicesTest() { mkdir(path("/tmp").c_str(), 01777); }
  // Runs each row of services/<name>.cases on a fresh stand-in and compares
  // the rows, each followed by what run made of it, with the golden.
  void expect_table(const std::string& name, const std::function<std::string(const Row&)>& run) {
    std::ifstream in(golden_directory() + "/services/" + name + ".cases");
    EXPECT_TRUE(in.is_open()) << name;
    std::string out;
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;  // comments
      Row row{line, {}};
      for (size_t at = 0, bar = 0; bar != npos; at = bar + 3)
        row.fields.push_back(line.substr(at, (bar = line.find(" | ", at)) - at));
      odb_standin_reset();
      commands = {};
      out += line + "\n" + run(row);
    }
    expect_golden(out, "services/" + name + ".golden");
  }
  // Stores "key=value" and "Namespace:key=value" words on an object.
  void seed(guint32 oid, const std::string& words) {
    std::istringstream in(words);
    for (std::string word; in >> word;) {
      const size_t colon = word.find(':'), eq = word.find('='), from = colon < eq ? colon + 1 : 0;
      if (eq != npos)
        odb.set(oid, {{word.substr(from, eq - from), unescape(word.substr(eq + 1))}},
                colon < eq ? word.substr(0, colon) : "");
    }
  }
  // Writes a file as a row's field gives it ("~": no file), mode 0600.
  void put(std::string_view file, const Row& row, size_t i) {
    std::filesystem::remove(path(file));
    if (row.given(i)) write_file(file, row[i], 0600);
  }
  std::string state_of(std::string_view file) const {
    if (!exists(file)) return "~";
    const mode_t m = mode_of(file);
    return "mode " + std::to_string(m >> 6 & 7) + std::to_string(m >> 3 & 7) +
           std::to_string(m & 7) + " " + shown(read_file(file));
  }
  // Runs body in a child (operations there may print or end the
  // connection) and gives its standard output.
  std::string in_child(const std::function<void()>& body) {
    const ChildResult child = run_in_child(body);
    EXPECT_EQ(child.exit_status, 0);
    return unrooted(child.out);
  }
  std::string unrooted(std::string text) const {
    for (size_t at; (at = text.find(root)) != npos;) text.replace(at, root.size(), "$ROOT");
    return text;
  }
  std::string ran() const {
    std::string out;
    for (const std::string& line : commands.lines) out += "  ran " + shown(unrooted(line)) + "\n";
    return out;
  }
  OdbSession odb;
};

}  // namespace nexa::testing
