// Child processes for the tests: spawned in a chosen network namespace, their
// output captured, killed and reaped when dropped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "unique_fd.h"

namespace presence::integration {

using std::chrono::milliseconds;

struct SpawnOptions {
  std::vector<std::string> argv;  // argv[0] is the program's path; PATH is not searched
  // Namespace file (/run/netns/NAME) to enter before exec; empty keeps the
  // caller's namespace.
  std::string netns_path;
  // Gives the child a fresh, empty network namespace of its own.
  bool private_netns = false;
};

class ChildProcess {
 public:
  // Throws std::runtime_error when the process cannot be started.
  explicit ChildProcess(const SpawnOptions& options);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Kills the child if it still runs; never leaves a zombie or a stray.
  ~ChildProcess();

  pid_t pid() const { return pid_; }
  bool running();
  void signal(int sig) const;
  // The wait status once the child has ended, or nullopt at the timeout.
  std::optional<int> wait_for_exit(milliseconds timeout);

  // Everything written so far to standard output / standard error.
  std::string output() const;
  std::string errors() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  UniqueFd out_;
  UniqueFd err_;
};

struct CommandResult {
  std::optional<int> status;  // wait status; nullopt when the timeout killed it
  std::string output;
  std::string errors;

  bool succeeded() const;
  std::string describe() const;  // for failure messages
};

// Runs a command to its end in the caller's network namespace.
CommandResult run_command(const std::vector<std::string>& argv, milliseconds timeout);

// "exit status N" or "killed by signal N", for messages.
std::string describe_status(int status);

}  // namespace presence::integration
