// The shared set-up and clean-up of the tests that run the daemon.
#include "presence_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

namespace presence::integration {

namespace {

constexpr milliseconds kStopLimit(10000);

}  // namespace

void PresenceTest::SetUp() {
  try {
    lan_.emplace();
    in_client_side_.emplace(lan_->client_side());
  } catch (const std::exception& e) {
    FAIL() << "cannot build the private test LAN: " << e.what();
  }
}

void PresenceTest::TearDown() {
  if (daemon_) {
    if (daemon_->running()) {
      daemon_->interrupt();
      const auto status = daemon_->wait_for_exit(kStopLimit);
      EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
          << "the daemon did not stop cleanly on SIGINT: "
          << (status ? describe_status(*status) : "still running");
    }
    // Sanitizer reports land here; the daemon itself writes nothing.
    EXPECT_EQ(daemon_->errors(), "") << "the daemon wrote to standard error";
  }
  daemon_.reset();
  in_client_side_.reset();
  lan_.reset();
}

PresenceDaemon& PresenceTest::start_daemon(const std::vector<std::string>& args,
                                           ReadyWhen ready_when) {
  daemon_.emplace(lan_->daemon_side(), args, ready_when);
  return *daemon_;
}

ReadResult PresenceTest::exchange(std::string_view request) {
  return http_exchange(kDaemonAddress, daemon_->http_port(), request);
}

std::string PresenceTest::default_friendly_name() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  const std::string name = host[0] == '\0' || std::string(host) == "(none)" ? "Media Server" : host;
  return name + " (Zentra Lite)";
}

}  // namespace presence::integration
