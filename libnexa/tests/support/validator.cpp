// Checking generated configuration files with the real programs that read them.
#include "validator.h"

#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

extern char** environ;

namespace nexa::testing {
namespace {

std::string debian_package(const std::string& program) {
  static const std::map<std::string, std::string> packages = {
      {"testparm", "samba-common-bin"}, {"proftpd", "proftpd-core"}, {"dhcpd", "isc-dhcp-server"},
      {"rsyslogd", "rsyslog"},          {"msgfmt", "gettext"},
  };
  const auto it = packages.find(program);
  return it == packages.end() ? "" : it->second;
}

// The program's path: as given when it holds a slash, else from PATH or the
// sbin directories, where the daemons' checkers live but a user's PATH may
// not look.
std::string locate(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return access(program.c_str(), X_OK) == 0 ? program : "";
  if (gchar* found = g_find_program_in_path(program.c_str())) {
    std::string path = found;
    g_free(found);
    return path;
  }
  for (const std::string dir : {"/usr/sbin/", "/sbin/", "/usr/local/sbin/"})
    if (access((dir + program).c_str(), X_OK) == 0) return dir + program;
  return "";
}

// The command as one would type it, for failure messages.
std::string command_text(const std::vector<std::string>& argv) {
  std::string text;
  for (const auto& word : argv) {
    if (!text.empty()) text += ' ';
    if (!word.empty() &&
        word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789._/:=@%+,-") == std::string::npos) {
      text += word;
    } else {
      gchar* quoted = g_shell_quote(word.c_str());
      text += quoted;
      g_free(quoted);
    }
  }
  return text;
}

}  // namespace

bool expect_accepted_by(const std::vector<std::string>& argv, const std::string& file,
                        std::source_location where) {
  if (argv.empty()) {
    ADD_FAILURE_AT(where.file_name(), where.line()) << "no validator program given";
    return false;
  }
  const std::string program = locate(argv[0]);
  if (program.empty()) {
    const std::string package = debian_package(argv[0]);
    ADD_FAILURE_AT(where.file_name(), where.line())
        << "validator " << argv[0] << " is not installed"
        << (package.empty() ? "" : " (Debian package " + package + ")");
    return false;
  }
  std::vector<std::string> words = argv;
  words.push_back(file);
  std::vector<char*> args;
  for (auto& word : words) args.push_back(word.data());
  args.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    ADD_FAILURE_AT(where.file_name(), where.line()) << "pipe: " << std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);

  std::string output;
  char buf[4096];
  ssize_t n;
  while (spawned == 0 && (n = read(out[0], buf, sizeof buf)) != 0) {
    if (n > 0)
      output.append(buf, static_cast<size_t>(n));
    else if (errno != EINTR)
      break;
  }
  close(out[0]);
  const std::string command = command_text(words);
  if (spawned != 0) {
    ADD_FAILURE_AT(where.file_name(), where.line())
        << "cannot start " << command << ": " << std::strerror(spawned);
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  ADD_FAILURE_AT(where.file_name(), where.line())
      << command << " refused the file ("
      << (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                            : "killed by signal " + std::to_string(WTERMSIG(status)))
      << "):\n"
      << output;
  return false;
}

}  // namespace nexa::testing
