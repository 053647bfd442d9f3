// Fuzz target: arbitrary account files through the readers, the id scan
// and the whole-line passwd rewrite, all in memory. The input is the passwd
// text, then after the first NUL (if any) the group text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "sharing/accounts.h"

using nexa::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view passwd = input.substr(0, split);
  const std::string_view group = split == std::string_view::npos ? input : input.substr(split + 1);

  nexa::sys::users_in(passwd);
  for (const nexa::sys::Group& g : nexa::sys::groups_in(group))
    check(g.name.find_first_of(":\n") == std::string::npos);
  for (const nexa::IdRecord& record : nexa::id_records(group, nexa::kGroupFields))
    check(record.name.find_first_of(":\n") == std::string_view::npos);
  nexa::Account account{"fuzz", "x", 0, 0, "", "/", "/bin/sh"};
  if (nexa::choose_ids(account, passwd, group) == nexa::IdScan::kChosen)
    check(account.uid >= nexa::kFirstUserId && account.uid <= nexa::kIdLimit);

  // The first line's login name: removing its lines twice changes nothing
  // more, and never lengthens the file.
  account.name = std::string(passwd.substr(0, std::min(passwd.find_first_of(":\n"), size_t{64})));
  const std::string removed = nexa::rewrite_lines(passwd, account.name, "");
  check(nexa::rewrite_lines(removed, account.name, "") == removed);
  check(removed.size() <= passwd.size());
  return 0;
}
