// Command line, friendly name and UDN prefix.
#include "options.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace presence {
namespace {

Options parse(std::vector<std::string> args) {
  std::vector<char*> argv;
  argv.reserve(args.size());
  for (auto& arg : args) argv.push_back(arg.data());
  return parse_options(static_cast<int>(argv.size()), argv.data());
}

TEST(ParseOptions, DefaultsAndOverrides) {
  const Options none = parse({"upnp_presence"});
  EXPECT_EQ(none.name, "");
  EXPECT_EQ(none.web_admin_port, 8088);
  const Options set = parse({"p", "--port", "9000", "--name", "Box", "stray", "--port", "9001"});
  EXPECT_EQ(set.name, "Box");
  EXPECT_EQ(set.web_admin_port, 9001) << "later options win";
  EXPECT_EQ(parse({"p", "--port", "abc"}).web_admin_port, 0);
  EXPECT_EQ(parse({"p", "--port", "80x"}).web_admin_port, 80);
  EXPECT_EQ(parse({"p", "--port", "99999999999999"}).web_admin_port, 2147483647);
  EXPECT_EQ(parse({"p", "--Port", "1"}).web_admin_port, 8088) << "names are case-sensitive";
}

TEST(ParseOptions, LongNamesAreCutTo255BytesOnACharacterBoundary) {
  EXPECT_EQ(parse({"p", "--name", std::string(300, 'n')}).name, std::string(255, 'n'));
  // 254 ASCII bytes then a two-byte character: cutting at 255 would split it.
  const std::string name = std::string(254, 'n') + "\xC3\xA9" + "tail";
  EXPECT_EQ(parse({"p", "--name", name}).name, std::string(254, 'n'));
  EXPECT_EQ(truncate_utf8("short", 255), "short");
}

struct Exit {
  int status;
  std::string out;
};

// Parses in a child process, which is expected to exit; returns its exit
// status and everything it printed.
Exit parse_in_child(std::vector<std::string> args) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  std::fflush(stdout);  // the child must not repeat what is still buffered
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    parse(std::move(args));
    _exit(99);
  }
  close(fds[1]);
  Exit result{-1, ""};
  char buf[512];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) result.out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(ParseOptions, HelpPrintsTheUsageAndMissingValuesFail) {
  const std::string usage =
      "\nUsage : prog [--port port] [--help]\n\nprogram            : \"prog\""
      "\n--name name        : server Name (default=hostname (Zentra Lite))"
      "\n--port port        : server Port Number (default=8088)"
      "\n--help             : show this usage\n";
  const Exit help = parse_in_child({"prog", "--port", "9000", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, usage) << "the default port is printed, not the option";
  const Exit no_name = parse_in_child({"prog", "--name"});
  EXPECT_EQ(no_name.status, 1);
  EXPECT_EQ(no_name.out, usage);
  EXPECT_EQ(parse_in_child({"prog", "--port"}).status, 1);
  const Exit version = parse_in_child({"prog", "--name", "x", "--version", "--help"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "upnp_presence " PRESENCE_VERSION "\n");
}

TEST(FriendlyName, FromTheOptionOrTheHostName) {
  EXPECT_EQ(make_friendly_name("Box & Co", "nas1"), "Box & Co");
  EXPECT_EQ(make_friendly_name("", "nas1"), "nas1 (Zentra Lite)");
  EXPECT_EQ(make_friendly_name("", "(none)"), "Media Server (Zentra Lite)");
  EXPECT_EQ(make_friendly_name("", ""), "Media Server (Zentra Lite)");
}

TEST(UdnPrefix, CarriesTheWebAdminPort) {
  EXPECT_EQ(make_udn_prefix(8088), "f6edff09-71a4-47df-8088-");
  EXPECT_EQ(make_udn_prefix(0), "f6edff09-71a4-47df-0-");
}

}  // namespace
}  // namespace presence
