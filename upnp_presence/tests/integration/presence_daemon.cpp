// Starting the daemon and finding its HTTP port from its namespace's /proc view.
#include "presence_daemon.h"

#include <arpa/inet.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "private_lan.h"

namespace presence::integration {

namespace {

constexpr milliseconds kStartLimit(10000);
constexpr unsigned kTcpListen = 0x0A;

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// /proc/PID/net/* shows the sockets of that process's namespace, which the
// test process itself is not in.
std::optional<uint16_t> listening_tcp_port(pid_t pid) {
  std::istringstream table(read_text("/proc/" + std::to_string(pid) + "/net/tcp"));
  std::string line;
  std::getline(table, line);  // column titles
  while (std::getline(table, line)) {
    unsigned slot = 0, local_address = 0, local_port = 0, remote_address = 0, remote_port = 0,
             state = 0;
    if (std::sscanf(line.c_str(), " %u: %x:%x %x:%x %x", &slot, &local_address, &local_port,
                    &remote_address, &remote_port, &state) == 6 &&
        state == kTcpListen)
      return static_cast<uint16_t>(local_port);
  }
  return std::nullopt;
}

bool joined_ssdp_group(pid_t pid) {
  in_addr group{};
  inet_pton(AF_INET, kSsdpGroup, &group);
  char hex[9];
  (void)std::snprintf(hex, sizeof hex, "%08X", group.s_addr);
  return read_text("/proc/" + std::to_string(pid) + "/net/igmp").find(hex) != std::string::npos;
}

}  // namespace

PresenceDaemon::PresenceDaemon(const NetworkNamespace& ns, const std::vector<std::string>& args,
                               ReadyWhen ready_when)
    : process_([&] {
        SpawnOptions options{{kDaemonPath}, ns.path(), false};
        options.argv.insert(options.argv.end(), args.begin(), args.end());
        return options;
      }()) {
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!process_.running())
      throw std::runtime_error("the daemon ended during start-up (" +
                               describe_status(*process_.wait_for_exit(milliseconds(0))) + "):\n" +
                               process_.output() + process_.errors());
    const auto port = listening_tcp_port(process_.pid());
    if (port && (ready_when == ReadyWhen::ListeningForHttp || joined_ssdp_group(process_.pid()))) {
      http_port_ = *port;
      return;
    }
    std::this_thread::sleep_for(milliseconds(10));
  }
  throw std::runtime_error("the daemon was not ready within 10 s:\n" + process_.output() +
                           process_.errors());
}

}  // namespace presence::integration
