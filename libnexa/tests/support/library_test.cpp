// Test harness for the library.
#include "library_test.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/file_locks.h"
#include "core/sys.h"
#include "odb_standin.h"

namespace nexa::testing {

CapturedMessages::CapturedMessages()
    : previous_(set_message_sink([this](const Message& message) {
        if (message.origin) {
          EXPECT_GT(message.origin->line, 0);
          text_ += std::string(message.origin->source) +
                   (message.origin->spaced ? " (LINE) " : "(LINE) ");
        }
        text_ += message.text;
      })) {}

CapturedMessages::~CapturedMessages() {
  set_message_sink(std::move(previous_));
}

int CommandRecorder::run(const std::string& command_line) {
  lines.push_back(command_line);
  for (const auto& [prefix, effect] : effects_)
    if (command_line.starts_with(prefix)) return effect(command_line);
  return 0;
}

ChildResult run_in_child(const std::function<void()>& body, std::string_view input) {
  int fds[2], in[2];
  if (pipe(fds) != 0) return {};
  if (pipe(in) != 0) return {};
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    dup2(in[0], STDIN_FILENO);
    close(fds[0]);
    close(fds[1]);
    close(in[0]);
    close(in[1]);
    body();
    std::fflush(stdout);
    _exit(0);
  }
  close(fds[1]);
  close(in[0]);
  // Small inputs fit in the pipe, so writing before reading cannot block.
  if (!input.empty()) (void)!write(in[1], input.data(), input.size());
  close(in[1]);
  ChildResult result;
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) result.out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}

bool run_together(int workers, int rounds, const std::function<bool(int, int)>& edit) {
  int start[2];
  if (pipe(start) != 0) return false;
  std::fflush(stdout);
  std::vector<pid_t> children;
  for (int worker = 0; worker < workers; ++worker) {
    const pid_t pid = fork();
    if (pid == 0) {
      close(start[1]);
      char byte;
      (void)!read(start[0], &byte, 1);  // returns when the parent closes its end
      bool ok = true;
      for (int round = 0; round < rounds; ++round) ok = edit(worker, round) && ok;
      _exit(ok ? 0 : 1);
    }
    if (pid > 0) children.push_back(pid);
  }
  close(start[0]);
  close(start[1]);
  bool ok = static_cast<int>(children.size()) == workers;
  for (const pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return ok;
}

void expect_no_edit_lost(const std::function<void()>& seed,
                         const std::function<bool(int, int)>& edit,
                         const std::function<size_t()>& count) {
  const struct { int workers, rounds, trials; } rows[] = {{8, 50, 1}, {2, 1, 50}};
  for (const auto& row : rows)
    for (int trial = 0; trial < row.trials; ++trial) {
      seed();
      ASSERT_TRUE(run_together(row.workers, row.rounds, edit));
      ASSERT_EQ(count(), static_cast<size_t>(row.workers * row.rounds))
          << row.workers << " callers, trial " << trial;
    }
}

LibraryTest::LibraryTest() {
  std::string templ = (std::filesystem::temp_directory_path() / "nexa-root-XXXXXX").string();
  root = mkdtemp(templ.data()) ? templ : "";
  if (root.empty()) ADD_FAILURE() << "cannot make a temporary root";
  setenv("NEXALIB_ROOT", root.c_str(), 1);
  sys::set_command_runner([this](const std::string& line) { return commands.run(line); });
  sys::set_log_sink([this](int, const std::string& message) { logged.push_back(message); });
  odb_standin_reset();
}

void LibraryTest::set_now(time_t moment) {
  sys::set_clock([moment] { return moment; });
}

void LibraryTest::set_kernel_calls(sys::KernelCalls calls) {
  sys::set_kernel_calls(std::move(calls));
}

LibraryTest::~LibraryTest() {
  sys::set_command_runner({});
  sys::set_log_sink({});
  sys::set_clock({});
  sys::set_kernel_calls({});
  release_all_holds();  // they stand on lock files of this root
  set_lock_wait(kLockWait);
  unsetenv("NEXALIB_ROOT");
  odb_standin_reset();
  std::error_code ignored;
  if (!root.empty()) std::filesystem::remove_all(root, ignored);
}

std::string LibraryTest::path(std::string_view logical) const {
  return root + (logical.starts_with('/') ? "" : "/") + std::string(logical);
}

void LibraryTest::write_file(std::string_view logical, std::string_view content,
                             mode_t mode) const {
  const std::filesystem::path real = path(logical);
  std::filesystem::create_directories(real.parent_path());
  std::ofstream(real, std::ios::binary) << content;
  chmod(real.c_str(), mode);
}

std::string LibraryTest::read_file(std::string_view logical) const {
  std::ifstream in(path(logical), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool LibraryTest::exists(std::string_view logical) const {
  return std::filesystem::exists(path(logical));
}

mode_t LibraryTest::mode_of(std::string_view logical) const {
  struct stat st {};
  if (stat(path(logical).c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

std::vector<std::string> LibraryTest::list_dir(std::string_view logical) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path(logical)))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace nexa::testing
