// The select loop that drives every module of the daemon.
#pragma once

#include <sys/select.h>

#include <csignal>
#include <cstdint>
#include <memory>
#include <vector>

#include "unique_fd.h"

namespace presence {

// A piece of the daemon served by the loop. pre_select adds descriptors and may
// lower the wait (milliseconds); post_select sees what select reported (the
// sets are empty when select failed); destroy runs once when the loop ends,
// in chain order, before the module is freed.
class ChainModule {
 public:
  virtual ~ChainModule() = default;
  virtual void pre_select(fd_set& /*read*/, fd_set& /*write*/, fd_set& /*except*/,
                          int32_t& /*wait_ms*/) {}
  virtual void post_select(int /*result*/, const fd_set& /*read*/, const fd_set& /*write*/,
                           const fd_set& /*except*/) {}
  virtual void destroy() {}
};

struct EventChain {
  volatile sig_atomic_t stop_flag = 0;
  // Self-pipe: chain_stop writes a byte so that a select that is already
  // waiting returns; the loop drains it after select.
  UniqueFd wake_read;
  UniqueFd wake_write;
  bool in_pre_select = false;
  bool no_block = false;
  std::vector<std::unique_ptr<ChainModule>> modules;  // in the order added
};

inline constexpr int32_t kLongestWaitMs = 86400 * 1000;

// Creates the chain and seeds rand() with the current time in seconds.
std::unique_ptr<EventChain> chain_create();

// Appends a module; the chain owns it and destroys it when the loop ends.
template <class Module>
Module& chain_add_module(EventChain& chain, std::unique_ptr<Module> module) {
  Module& ref = *module;
  chain.modules.push_back(std::move(module));
  return ref;
}

// Runs passes until chain_stop; then destroys every module in chain order.
void chain_run(EventChain& chain);

// Asks the loop to end after its current pass. Async-signal-safe: it only
// sets the flag and writes to the wake pipe, so it may be called from a
// signal handler at any point of the loop.
void chain_stop(EventChain& chain) noexcept;

// For the chain's own thread: makes the loop come back to its pre-select calls
// without waiting (a timer may have been added after its list computed the
// wait of this pass).
void chain_wake(EventChain& chain) noexcept;

}  // namespace presence
