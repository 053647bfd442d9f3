// Benchmark: the sharing and account operations against the system's own
// tools, side by side in one run. Prints medians and ratios.
//
// Usage: nexa_sharing_bench [additions] [useradd runs] [shares]   (as root:
// useradd needs it; defaults 1000, 200 and 500: the shares already in
// smb.conf when 100 more are timed)
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench_rows.h"
#include "nexalib.h"
#include "odb_standin.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kExistingAccounts = 10000;

double median_of(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Times each call; the median in milliseconds.
double median_ms(int runs, const std::function<void(int)>& body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    body(i);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return median_of(std::move(times));
}

// A root holding what both nexalib_adduser and useradd read: 10,000 users
// with their groups, shadow and gshadow entries, login.defs and a shell.
void make_account_root(const fs::path& root) {
  fs::create_directories(root / "etc");
  fs::create_directories(root / "bin");
  std::ofstream passwd(root / "etc/passwd"), group(root / "etc/group");
  std::ofstream shadow(root / "etc/shadow"), gshadow(root / "etc/gshadow");
  passwd << "root:x:0:0:root:/root:/bin/sh\n";
  group << "root:x:0:\nusers:x:100:\n";
  shadow << "root:*:19000:0:99999:7:::\n";
  gshadow << "root:*::\nusers:*::\n";
  for (int i = 1; i < kExistingAccounts; ++i) {
    const std::string name = "user" + std::to_string(i);
    const std::string id = std::to_string(1000 + i);
    passwd << name << ":x:" << id << ":" << id << ":User " << i << ":/home/" << name
           << ":/bin/sh\n";
    group << name << ":x:" << id << ":\n";
    shadow << name << ":*:19000:0:99999:7:::\n";
    gshadow << name << ":*::\n";
  }
  std::ofstream(root / "etc/login.defs") << "UID_MIN 1000\nUID_MAX 60000\nGID_MIN 1000\n"
                                            "GID_MAX 60000\nUSERGROUPS_ENAB yes\n";
  std::ofstream(root / "bin/sh") << "";
  fs::permissions(root / "bin/sh", fs::perms::owner_all);
  fs::permissions(root / "etc/shadow", fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(root / "etc/gshadow", fs::perms::owner_read | fs::perms::owner_write);
}

int run_quietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string bench_name(int i) {
  return "bench" + std::to_string(i);
}

// ---- Accounts: nexalib_adduser (and with its group) against useradd, and
// nexalib_addgroup against groupadd.
void bench_accounts(const fs::path& base, int additions, int useradd_runs) {
  const fs::path ours = base / "nexalib", ours_with_groups = base / "nexalib-groups";
  const fs::path theirs = base / "useradd";
  const fs::path our_groups = base / "nexalib-addgroup", their_groups = base / "groupadd";
  for (const fs::path& root : {ours, ours_with_groups, theirs, our_groups, their_groups})
    make_account_root(root);

  bool failed = false;
  setenv("NEXALIB_ROOT", ours.c_str(), 1);
  const double adduser_ms = median_ms(additions, [&](int i) {
    failed |= !nexalib_adduser(bench_name(i).c_str(), "x", 0, 0, "", "/nohome", "/bin/sh");
  });
  setenv("NEXALIB_ROOT", ours_with_groups.c_str(), 1);
  const double with_group_ms = median_ms(additions, [&](int i) {
    const passwd* p = nexalib_adduser(bench_name(i).c_str(), "x", 0, 0, "", "/nohome", "/bin/sh");
    failed |= !p || nexalib_addgroup(bench_name(i).c_str(), static_cast<int>(p->pw_gid), "") != 0;
  });
  setenv("NEXALIB_ROOT", our_groups.c_str(), 1);
  const double addgroup_ms = median_ms(
      additions, [&](int i) { failed |= nexalib_addgroup(bench_name(i).c_str(), 0, "") != 0; });
  unsetenv("NEXALIB_ROOT");
  const double useradd_ms = median_ms(useradd_runs, [&](int i) {
    failed |= run_quietly({"/usr/sbin/useradd", "--root", theirs.string(), "-M", "-s", "/bin/sh",
                           bench_name(i)}) != 0;
  });
  const double groupadd_ms = median_ms(useradd_runs, [&](int i) {
    failed |=
        run_quietly({"/usr/sbin/groupadd", "--root", their_groups.string(), bench_name(i)}) != 0;
  });

  std::printf("accounts: additions to a %d-line passwd, median per addition\n", kExistingAccounts);
  std::printf("  nexalib_adduser (%d additions):                 %8.3f ms\n", additions,
              adduser_ms);
  std::printf("  nexalib_adduser + nexalib_addgroup (%d):        %8.3f ms\n", additions,
              with_group_ms);
  std::printf("  useradd --root, user and group (%d additions):   %8.3f ms\n", useradd_runs,
              useradd_ms);
  std::printf(
      "  useradd / nexalib_adduser: %.1fx; useradd / adduser + addgroup: %.1fx"
      " (target: under 2 ms, at least 5x)\n",
      useradd_ms / adduser_ms, useradd_ms / with_group_ms);
  std::printf("  nexalib_addgroup (%d additions):                %8.3f ms\n", additions,
              addgroup_ms);
  std::printf("  groupadd --root (%d additions):                  %8.3f ms\n", useradd_runs,
              groupadd_ms);
  if (failed) {
    std::printf("  SOME ADDITIONS FAILED: the figures are not valid\n");
    return;
  }
  print_row("account add, 10,000-line passwd", adduser_ms, "ms", "useradd --root", useradd_ms);
  print_row("group add, 10,000-line group", addgroup_ms, "ms", "groupadd --root", groupadd_ms);
}

// ---- smb.conf shares: a folder share added the way its handler adds it:
// load the file, add the section, write the file back; the first `existing`
// shares are only the file's content, the next 100 are timed.
void bench_shares(const fs::path& base, int existing) {
  constexpr int kTimed = 100;
  const fs::path root = base / "shares";
  fs::create_directories(root / "etc");
  fs::create_directories(root / "mnt/system");
  std::ofstream(root / "etc/smb.conf") << "[global]\nworkgroup=HOME\nguest account=nobody\n";
  std::ofstream(root / "etc/mtab") << "/dev/sda1 /mnt/system xfs rw 0 0\n";
  setenv("NEXALIB_ROOT", root.c_str(), 1);
  odb_standin_reset();
  OdbHandle* h = odb_handle_new();
  const guint32 system = odb_standin_add_object("System");
  odb_standin_set_prop(system, "Disk", "rootdir", "/mnt/system");
  odb_standin_set_prop(system, "Samba", "tss_enabled", "1");

  bool failed = false;
  std::vector<double> load_ms, add_ms, write_ms;
  const auto lap = [](Clock::time_point& since, std::vector<double>& into) {
    const auto now = Clock::now();
    into.push_back(std::chrono::duration<double, std::milli>(now - since).count());
    since = now;
  };
  const auto add_share = [&](int i) {
    OdbProps* share = odb_props_new();
    odb_props_set(share, "name", ("share" + std::to_string(i)).c_str());
    odb_props_set(share, "isDisk", "0");
    odb_props_set(share, "allowForAll", i % 2 ? "1" : "0");
    odb_props_set(share, "allowROUsers", "&ann&bob&");
    odb_props_set(share, "allowRWGroups", "&staff&");
    odb_props_set(share, "description", "Bench share");
    auto since = Clock::now();
    GSList* sections = nexalib_load_smb_conf_to_list_hash("/etc/smb.conf");
    lap(since, load_ms);
    int flag = 1;
    sections = nexalib_smb_conf_folder_share_add(h, 0, share, sections, &flag);
    lap(since, add_ms);
    failed |= flag != 2 || nexalib_put_list_hash_to_smb_conf(sections, "/etc/smb.conf", 0644) != 0;
    lap(since, write_ms);
    nexalib_g_slist_free_all_hash(sections);
    odb_props_destroy(share);
  };
  for (int i = 0; i < existing; ++i) add_share(i);
  load_ms.clear();
  add_ms.clear();
  write_ms.clear();
  const double whole_ms = median_ms(kTimed, [&](int i) { add_share(existing + i); });
  odb_handle_destroy(h);
  unsetenv("NEXALIB_ROOT");
  std::printf(
      "shares: %d folder shares added one by one to a %d-share smb.conf (load, add,"
      " write back)\n",
      kTimed, existing);
  std::printf("  median per share: %8.3f ms (target: under 2 ms)\n", whole_ms);
  std::printf("  of which: load %.3f ms, add (section and directory) %.3f ms, write %.3f ms\n",
              median_of(load_ms), median_of(add_ms), median_of(write_ms));
  if (failed) {
    std::printf("  SOME SHARES FAILED: the figures are not valid\n");
    return;
  }
  const std::string what = "share add, " + std::to_string(existing) + "-share smb.conf";
  print_row(what.c_str(), whole_ms, "ms");
}

}  // namespace

int main(int argc, char** argv) {
  const int additions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const int useradd_runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  const int shares = argc > 3 ? std::max(1, std::atoi(argv[3])) : 500;
  char base_template[] = "/tmp/nexa-sharing-bench-XXXXXX";
  if (!mkdtemp(base_template)) return 1;
  const fs::path base = base_template;
  bench_accounts(base, additions, useradd_runs);
  bench_shares(base, shares);
  fs::remove_all(base);
  return 0;
}
