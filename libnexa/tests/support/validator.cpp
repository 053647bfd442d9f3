// Checking generated configuration files with the real programs that read them.
#include "validator.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

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
                        CallSite where) {
  return expect_accepted_by(argv, file, {}, where);
}

bool expect_accepted_by(const std::vector<std::string>& argv, const std::string& file,
                        const std::vector<std::string>& complaints, CallSite where) {
  const std::string program = argv.empty() ? "" : locate(argv[0]);
  if (program.empty()) {
    const std::string name = argv.empty() ? "(none given)" : argv[0];
    const std::string package = debian_package(name);
    ADD_FAILURE_AT(where.file_name(), where.line_number())
        << "validator " << name << " is not installed"
        << (package.empty() ? "" : " (Debian package " + package + ")");
    return false;
  }
  std::vector<std::string> words = argv;
  words[0] = program;
  words.push_back(file);
  std::vector<char*> args;
  args.reserve(words.size() + 1);
  for (auto& word : words) args.push_back(word.data());
  args.push_back(nullptr);

  // No shell, input from /dev/null; both outputs kept for the message.
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  GError* error = nullptr;
  const bool ran = g_spawn_sync(nullptr, args.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                &out, &err, &status, &error);
  const std::string output = std::string(out ? out : "") + (err ? err : "");
  g_free(out);
  g_free(err);
  const std::string command = command_text(words);
  if (!ran) {
    ADD_FAILURE_AT(where.file_name(), where.line_number())
        << "cannot start " << command << ": " << error->message;
    g_error_free(error);
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    for (const std::string& complaint : complaints) {
      if (output.find(complaint) == std::string::npos) continue;
      ADD_FAILURE_AT(where.file_name(), where.line_number())
          << command << " complained (\"" << complaint << "\"):\n"
          << output;
      return false;
    }
    return true;
  }
  ADD_FAILURE_AT(where.file_name(), where.line_number())
      << command << " refused the file ("
      << (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                            : "killed by signal " + std::to_string(WTERMSIG(status)))
      << "):\n"
      << output;
  return false;
}

}  // namespace nexa::testing
