// Fuzz target: arbitrary account files through the readers, the id scan
// and the whole-line passwd rewrite. The input is the passwd text, then
// after the first NUL (if any) the group text.
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "sharing/accounts.h"

namespace {

const std::string& fuzz_root() {
  static const std::string root = [] {
    char path[] = "/tmp/nexa-account-fuzz-XXXXXX";
    if (!mkdtemp(path)) abort();
    setenv("NEXALIB_ROOT", path, 1);
    const std::string etc = std::string(path) + "/etc";
    if (mkdir(etc.c_str(), 0755) != 0) abort();
    return std::string(path);
  }();
  return root;
}

void write(const std::string& path, std::string_view text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& root = fuzz_root();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view passwd = input.substr(0, split);
  const std::string_view group = split == std::string_view::npos ? input : input.substr(split + 1);
  write(root + "/etc/passwd", passwd);
  write(root + "/etc/group", group);

  nexa::sys::read_users();
  nexa::sys::read_groups();
  for (const nexa::IdRecord& record : nexa::id_records(group, nexa::kGroupFields))
    check(record.name.find_first_of(":\n") == std::string_view::npos);
  nexa::Account account{"fuzz", "x", 0, 0, "", "/", "/bin/sh"};
  if (nexa::choose_ids(account) == nexa::IdScan::kChosen)
    check(account.uid >= nexa::kFirstUserId && account.uid <= nexa::kIdLimit);

  // The first line's login name: removing its lines twice changes nothing
  // more, and what the file holds afterwards is exactly that rewrite.
  account.name = std::string(passwd.substr(0, std::min(passwd.find_first_of(":\n"), size_t{64})));
  const std::string removed = nexa::rewrite_lines(passwd, account.name, "");
  check(nexa::rewrite_lines(removed, account.name, "") == removed);
  check(removed.size() <= passwd.size());
  if (nexa::update_passwd(account, false)) {
    std::ifstream in(root + "/etc/passwd", std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    check(after == removed);
  }
  return 0;
}
