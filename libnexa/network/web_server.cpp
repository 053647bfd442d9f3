// The web administration server's port line and restart.
#include "network/web_server.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/file_locks.h"
#include "core/processes.h"
#include "core/sys.h"
#include "core/text_files.h"

namespace nexa {
namespace {

bool starts_with_port(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  return start != std::string_view::npos && line.substr(start).starts_with("port");
}

}  // namespace

bool is_port(std::string_view text) {
  if (!is_decimal(text, 5)) return false;
  const int port = std::stoi(std::string(text));
  return port >= 1 && port <= 65535;
}

void set_thttpd_port(int port) {
  const sys::Result<LockHold> hold = hold_for_edit(kThttpdConf);
  if (!hold) return;
  sys::Result<std::vector<std::string>> pieces = load_lines(kThttpdConf);
  if (!pieces) return;
  // Lines come in pieces; only a piece that starts a line can be the port
  // line, and all pieces of that line give way to the new one.
  bool at_line_start = true;
  for (size_t i = 0; i < pieces->size(); ++i) {
    const bool starts_line = at_line_start;
    at_line_start = (*pieces)[i].ends_with('\n');
    if (!starts_line || !starts_with_port((*pieces)[i])) continue;
    size_t end = i;
    while (!(*pieces)[end].ends_with('\n') && end + 1 < pieces->size()) ++end;
    pieces->erase(pieces->begin() + static_cast<long>(i) + 1,
                  pieces->begin() + static_cast<long>(end) + 1);
    (*pieces)[i] = "port=" + std::to_string(port) + "\n";
    write_lines(std::vector<std::string_view>(pieces->begin(), pieces->end()), kThttpdConf, 0644);
    return;
  }
}

void restart_running_web_server() {
  if (process_is_die(kThttpdPidFile)) return;
  run_discarding_output(CommandLine("/etc/rc.d/S97thttpd.sh stop"));
  run_discarding_output(CommandLine("/etc/rc.d/S97thttpd.sh start"));
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

}  // namespace nexa
