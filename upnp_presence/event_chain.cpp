// The select loop that drives every module of the daemon.
#include "event_chain.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace presence {

std::unique_ptr<EventChain> chain_create() {
  auto chain = std::make_unique<EventChain>();
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0 || fds[0] >= FD_SETSIZE) std::exit(1);
  chain->wake_read.reset(fds[0]);
  chain->wake_write.reset(fds[1]);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  return chain;
}

namespace {

void drain_wake_pipe(EventChain& chain) {
  char buf[64];
  while (read(chain.wake_read.get(), buf, sizeof buf) > 0) {
  }
}

void run_pass(EventChain& chain) {
  fd_set read_set, write_set, except_set;
  FD_ZERO(&read_set);
  FD_ZERO(&write_set);
  FD_ZERO(&except_set);
  FD_SET(chain.wake_read.get(), &read_set);

  int32_t wait_ms = kLongestWaitMs;
  chain.in_pre_select = true;
  chain.no_block = false;
  for (auto& module : chain.modules) module->pre_select(read_set, write_set, except_set, wait_ms);
  chain.in_pre_select = false;
  if (chain.no_block || wait_ms < 0) wait_ms = 0;

  timeval wait{wait_ms / 1000, static_cast<suseconds_t>(wait_ms % 1000) * 1000};
  const int result = select(FD_SETSIZE, &read_set, &write_set, &except_set, &wait);
  if (result < 0) {
    FD_ZERO(&read_set);
    FD_ZERO(&write_set);
    FD_ZERO(&except_set);
  } else if (FD_ISSET(chain.wake_read.get(), &read_set)) {
    drain_wake_pipe(chain);
  }
  for (auto& module : chain.modules) module->post_select(result, read_set, write_set, except_set);
}

}  // namespace

void chain_run(EventChain& chain) {
  while (!chain.stop_flag) run_pass(chain);
  for (auto& module : chain.modules) {
    module->destroy();
    module.reset();
  }
  chain.modules.clear();
}

void chain_stop(EventChain& chain) noexcept {
  const int saved_errno = errno;
  chain.stop_flag = 1;
  const char byte = 0;
  [[maybe_unused]] ssize_t n = write(chain.wake_write.get(), &byte, 1);
  errno = saved_errno;
}

void chain_wake(EventChain& chain) noexcept {
  // Outside the pre-select calls the next pass recomputes its wait anyway.
  if (chain.in_pre_select) chain.no_block = true;
}

}  // namespace presence
