// The command line: --help and options that lack their value end the daemon
// before it opens any socket. Each run still gets an empty namespace of its
// own, so a daemon that wrongly went on could reach no network.
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "expected_texts.h"
#include "presence_daemon.h"

namespace presence::integration {
namespace {

using namespace std::chrono_literals;

struct Run {
  std::optional<int> status;
  std::string output;
  std::string errors;
};

Run run_daemon_alone(const std::vector<std::string>& args) {
  SpawnOptions options{{kDaemonPath}, "", true};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  ChildProcess daemon(options);
  Run run;
  run.status = daemon.wait_for_exit(10s);
  run.output = daemon.output();
  run.errors = daemon.errors();
  return run;
}

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& arg : args) text += " " + arg;
  return text;
}

void expect_usage_and_exit(const std::vector<std::string>& args, int expected_status) {
  const Run run = run_daemon_alone(args);
  ASSERT_TRUE(run.status) << "the daemon went on running with" << joined(args);
  EXPECT_TRUE(WIFEXITED(*run.status) && WEXITSTATUS(*run.status) == expected_status)
      << describe_status(*run.status) << " with" << joined(args);
  EXPECT_EQ(run.output, usage_text(kDaemonPath)) << joined(args);
  EXPECT_EQ(run.errors, "") << joined(args);
}

TEST(CommandLine, HelpPrintsTheUsageAndSucceeds) {
  expect_usage_and_exit({"--help"}, 0);
  expect_usage_and_exit({"--name", "x", "--port", "9000", "--help", "--name"}, 0);
}

TEST(CommandLine, OptionWithoutItsValuePrintsTheUsageAndFails) {
  expect_usage_and_exit({"--name"}, 1);
  expect_usage_and_exit({"--port"}, 1);
  expect_usage_and_exit({"--port", "9000", "--name"}, 1);
}

}  // namespace
}  // namespace presence::integration
