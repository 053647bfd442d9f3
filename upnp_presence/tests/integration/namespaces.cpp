// Network namespaces for the tests: creation, deletion, entering.
#include "namespaces.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "child_process.h"

namespace presence::integration {

namespace {

constexpr const char* kNamePrefix = "upit-";
constexpr milliseconds kIpTimeout(10000);

CommandResult ip_command(const std::vector<std::string>& args) {
  std::vector<std::string> argv{kIpTool};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_command(argv, kIpTimeout);
}

std::string joined(const std::vector<std::string>& args) {
  std::string text = "ip";
  for (const auto& arg : args) text += " " + arg;
  return text;
}

}  // namespace

void run_ip(const std::vector<std::string>& args) {
  const CommandResult result = ip_command(args);
  if (!result.succeeded())
    throw std::runtime_error("'" + joined(args) + "' failed: " + result.describe());
}

NetworkNamespace::NetworkNamespace(std::string name) : name_(std::move(name)) {
  const CommandResult result = ip_command({"netns", "add", name_});
  if (!result.succeeded())
    throw std::runtime_error("cannot create network namespace " + name_ +
                             " (these tests need root or CAP_SYS_ADMIN and CAP_NET_ADMIN, "
                             "and iproute2): " +
                             result.describe());
}

NetworkNamespace::~NetworkNamespace() {
  std::string trouble;
  try {
    const CommandResult result = ip_command({"netns", "delete", name_});
    if (!result.succeeded()) trouble = result.describe();
  } catch (const std::exception& e) {  // could not even start ip
    trouble = e.what();
  }
  // Nothing left to do but say so; the next run's sweep removes it.
  if (!trouble.empty())
    (void)std::fprintf(stderr, "warning: could not delete network namespace %s: %s\n",
                       name_.c_str(), trouble.c_str());
}

void NetworkNamespace::ip(const std::vector<std::string>& args) const {
  std::vector<std::string> full{"-n", name_};
  full.insert(full.end(), args.begin(), args.end());
  run_ip(full);
}

NamespaceEntry::NamespaceEntry(const NetworkNamespace& ns)
    : original_(open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC)) {
  if (!original_)
    throw std::runtime_error(std::string("cannot open own network namespace: ") +
                             std::strerror(errno));
  const UniqueFd target(open(ns.path().c_str(), O_RDONLY | O_CLOEXEC));
  if (!target || setns(target.get(), CLONE_NEWNET) != 0)
    throw std::runtime_error("cannot enter network namespace " + ns.name() + ": " +
                             std::strerror(errno));
}

NamespaceEntry::~NamespaceEntry() {
  if (setns(original_.get(), CLONE_NEWNET) != 0) {
    // Carrying on in the wrong namespace would put later work on the wrong
    // network; stopping is the only safe course.
    std::perror("cannot return to the original network namespace");
    std::abort();
  }
}

std::string namespace_name_for_this_process(const std::string& suffix) {
  static std::atomic<int> sequence{0};
  return kNamePrefix + std::to_string(getpid()) + "-" + std::to_string(sequence++) + "-" + suffix;
}

void remove_namespaces_of_dead_test_processes() {
  DIR* dir = opendir("/run/netns");
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind(kNamePrefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + std::strlen(kNamePrefix), nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) stale.push_back(name);
  }
  closedir(dir);
  for (const auto& name : stale) ip_command({"netns", "delete", name});
}

}  // namespace presence::integration
