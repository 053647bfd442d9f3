// Spawning, watching and reaping the processes the tests start.
#include "child_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace presence::integration {

namespace {

UniqueFd capture_file(const char* name) {
  UniqueFd fd(memfd_create(name, MFD_CLOEXEC));
  if (!fd) throw std::runtime_error(std::string("memfd_create: ") + std::strerror(errno));
  return fd;
}

std::string read_capture(const UniqueFd& fd) {
  struct stat st {};
  if (fstat(fd.get(), &st) != 0 || st.st_size <= 0) return "";
  std::string text(static_cast<size_t>(st.st_size), '\0');
  const ssize_t n = pread(fd.get(), text.data(), text.size(), 0);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

// Between fork and exec only async-signal-safe calls are allowed.
[[noreturn]] void fail_in_child(const char* what) {
  const char* reason = std::strerror(errno);
  (void)!write(STDERR_FILENO, what, std::strlen(what));
  (void)!write(STDERR_FILENO, ": ", 2);
  (void)!write(STDERR_FILENO, reason, std::strlen(reason));
  (void)!write(STDERR_FILENO, "\n", 1);
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const SpawnOptions& options)
    : out_(capture_file("child-stdout")), err_(capture_file("child-stderr")) {
  if (options.argv.empty()) throw std::runtime_error("no command to run");
  std::vector<char*> argv;
  for (const auto& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  UniqueFd netns;
  if (!options.netns_path.empty()) {
    netns.reset(open(options.netns_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!netns)
      throw std::runtime_error("cannot open " + options.netns_path + ": " + std::strerror(errno));
  }

  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid_ == 0) {
    // If the test process dies, nothing it started may outlive it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (dup2(out_.get(), STDOUT_FILENO) < 0 || dup2(err_.get(), STDERR_FILENO) < 0)
      fail_in_child("dup2");
    const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) (void)dup2(null, STDIN_FILENO);
    if (netns && setns(netns.get(), CLONE_NEWNET) != 0) fail_in_child("setns");
    if (options.private_netns && unshare(CLONE_NEWNET) != 0) fail_in_child("unshare");
    // The test process may have SIGINT blocked or ignored by its runner; the
    // child must see the default dispositions.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    (void)::signal(SIGINT, SIG_DFL);
    execv(argv[0], argv.data());
    fail_in_child(argv[0]);
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ <= 0 || status_) return;
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

bool ChildProcess::running() {
  return !wait_for_exit(milliseconds(0));
}

void ChildProcess::signal(int sig) const {
  if (pid_ > 0 && !status_) kill(pid_, sig);
}

std::optional<int> ChildProcess::wait_for_exit(milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!status_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = status;
    } else if (done < 0 && errno != EINTR) {
      throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
    } else {
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(milliseconds(5));
    }
  }
  return status_;
}

std::string ChildProcess::output() const {
  return read_capture(out_);
}
std::string ChildProcess::errors() const {
  return read_capture(err_);
}

bool CommandResult::succeeded() const {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::string CommandResult::describe() const {
  return (status ? describe_status(*status) : std::string("timed out")) + "\n--- stdout:\n" +
         output + "\n--- stderr:\n" + errors;
}

std::string describe_status(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

CommandResult run_command(const std::vector<std::string>& argv, milliseconds timeout) {
  ChildProcess child(SpawnOptions{argv, "", false});
  CommandResult result;
  result.status = child.wait_for_exit(timeout);
  result.output = child.output();
  result.errors = child.errors();
  return result;
}

}  // namespace presence::integration
